#include "player/keyboardhints.h"

#include <cstring>

#include "platform/input.h"
#include "presentation/text.h"
#include "story/graph.h"

static const unsigned char FIRST_PRINTABLE = 0x20;
static const unsigned char DELETE_CHARACTER = 0x7F;
// Latin-1's second block of control codes.
static const unsigned char FIRST_WIDE_CONTROL = 0x80;
static const unsigned char LAST_WIDE_CONTROL = 0x9F;

static unsigned char OtherCase(unsigned char c)
{
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 'A';
    if (c >= 'A' && c <= 'Z')
        return c - 'A' + 'a';
    return c;
}

CharacterSet LettersCharacterSet()
{
    CharacterSet set;
    memset(set.has, 0, sizeof set.has);
    for (int i = 0; i < STORY_SCENES; i++) {
        const Scene *scene = StoryScene(i);
        if (!scene || !scene->typing || !scene->text)
            continue;
        for (int l = 0; l < SCENE_TEXT_LINES; l++)
            for (const char *p = scene->text[l]; *p; p++) {
                unsigned char c = static_cast<unsigned char>(*p);
                set.has[c] = true;
                set.has[OtherCase(c)] = true;
            }
    }
    return set;
}

bool ForeignCharacter(const CharacterSet &set, char typed)
{
    unsigned char c = static_cast<unsigned char>(typed);
    bool control = c < FIRST_PRINTABLE || c == DELETE_CHARACTER || (c >= FIRST_WIDE_CONTROL && c <= LAST_WIDE_CONTROL);
    return !control && !set.has[c];
}

void LayoutWatchKey(LayoutWatch *watch, const CharacterSet &set, char typed, bool mistake)
{
    if (watch->keys >= TYPE_HINT_KEYS)
        return;
    watch->keys++;
    if (mistake) {
        watch->mistakes++;
        if (ForeignCharacter(set, typed))
            watch->foreign++;
    }
    if (watch->mistakes * 2 > TYPE_HINT_KEYS && watch->foreign * 2 > watch->mistakes)
        watch->hint = true;
}

void KeyboardHintsStart(KeyboardHints *hints)
{
    *hints = KeyboardHints();
    hints->letters = LettersCharacterSet();
    hints->capsLock = CapsLockOn();
}

bool KeyboardHintsPoll(KeyboardHints *hints)
{
    bool on = CapsLockOn();
    bool changed = on != hints->capsLock;
    hints->capsLock = on;
    return changed;
}

void KeyboardHintsKey(KeyboardHints *hints, char typed, bool mistake)
{
    LayoutWatchKey(&hints->layout, hints->letters, typed, mistake);
}

void DrawKeyboardHints(BITMAP *frame, ALFONT_FONT *font, const KeyboardHints &hints)
{
    if (hints.capsLock) {
        alfont_set_font_size(font, TYPE_NOTICE_SIZE);
        int x = TYPE_CAPS_NOTICE_RIGHT - alfont_text_length(font, TYPE_CAPS_NOTICE);
        Textout(frame, font, TYPE_CAPS_NOTICE, x, TYPE_CAPS_NOTICE_Y, TYPE_NOTICE_COLOR, TYPE_NOTICE_SIZE, AA);
    }
    if (hints.layout.hint)
        Textout_centre(frame, font, TYPE_LAYOUT_NOTICE, TYPE_LAYOUT_NOTICE_CENTRE, TYPE_LAYOUT_NOTICE_Y,
                       TYPE_NOTICE_COLOR, TYPE_NOTICE_SIZE, AA);
}
