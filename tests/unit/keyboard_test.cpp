// The keyboard while a letter is typed: the layout hint's rule against
// players of other keyboards typing the story's own letters, where the two
// notices stand, and that every character of the letters is typed by its own
// key.
#include <allegro.h>
#include <gtest/gtest.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "player/keyboardhints.h"
#include "player/typing.h"
#include "presentation/alfont.h"
#include "story/graph.h"

namespace {

// What the page receives for a character wider than a byte (Cyrillic, €):
// the input queue keeps a byte per key.
const char WIDE = '^';
const int LETTERS = 12;

class Keyboard : public ::testing::Test {
protected:
    void SetUp() override { InitScenes(); }
    void TearDown() override { DestroyScenes(); }
};

std::vector<const Scene *> TypingLetters()
{
    std::vector<const Scene *> letters;
    for (int i = 0; i < STORY_SCENES; i++)
        if (StoryScene(i)->typing)
            letters.push_back(StoryScene(i));
    return letters;
}

// The characters of a letter that are judged, in order: each line's last
// is never typed.
std::string JudgedCharacters(const Scene *letter)
{
    std::string judged;
    for (int l = 0; l < SCENE_TEXT_LINES; l++) {
        int length = strlen(letter->text[l]);
        for (int p = 0; p < length - 1; p++)
            judged += letter->text[l][p];
    }
    return judged;
}

// A player types the letter's first keys; `typist` gives the character the
// X layout reports for the key the player presses for the i-th expected one.
LayoutWatch Typed(const Scene *letter, const std::function<char(char, int)> &typist, int keys = TYPE_HINT_KEYS)
{
    LayoutWatch watch;
    CharacterSet set = LettersCharacterSet();
    std::string judged = JudgedCharacters(letter);
    for (int i = 0; i < keys && i < int(judged.size()); i++) {
        char typed = EN2CZ(typist(judged[i], i));
        LayoutWatchKey(&watch, set, typed, JudgeKey(judged[i], typed).mistake);
    }
    return watch;
}

char Mapped(const std::map<char, char> &moved, char c)
{
    auto it = moved.find(c);
    return it == moved.end() ? c : it->second;
}

// A Cyrillic (ЙЦУКЕН) layout under a touch typist: every letter key, and
// the comma and apostrophe keys, give Cyrillic letters.
char Cyrillic(char c, int)
{
    return isalpha((unsigned char)c) || c == ',' || c == '\'' || c == '.' ? WIDE : c;
}

// An AZERTY keyboard pressed by its labels while the system is set to us.
const std::map<char, char> AZERTY_ON_US = {
    {'a', 'q'}, {'q', 'a'}, {'z', 'w'}, {'w', 'z'}, {'A', 'Q'}, {'Q', 'A'}, {'Z', 'W'}, {'W', 'Z'},
    {'m', ';'}, {'M', ':'}, {',', 'm'}, {'.', '<'}, {'\'', '4'}, {'!', '/'}, {'?', 'M'}};
// A QWERTZ keyboard pressed by its labels while the system is set to us.
const std::map<char, char> QWERTZ_ON_US = {
    {'y', 'z'}, {'z', 'y'}, {'Y', 'Z'}, {'Z', 'Y'}, {'\'', '|'}, {'?', '_'}};

char CapsLock(char c, int)
{
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 'A';
    if (c >= 'A' && c <= 'Z')
        return c - 'A' + 'a';
    return c;
}

// A poor typist: three letters of four are the key beside them.
char Neighbour(char c, int i)
{
    static const std::string ROWS = "qwertyuiop asdfghjkl zxcvbnm ";
    size_t at = ROWS.find(char(tolower((unsigned char)c)));
    if (at == std::string::npos || c == ' ' || i % 4 == 0)
        return c;
    return ROWS[at + 1] == ' ' ? ROWS[at - 1] : ROWS[at + 1];
}

}  // namespace

TEST_F(Keyboard, LettersSetHoldsTheirCharactersInBothCasesAndNothingElse)
{
    CharacterSet set = LettersCharacterSet();
    std::vector<const Scene *> letters = TypingLetters();
    ASSERT_EQ(int(letters.size()), LETTERS);
    for (const Scene *letter : letters)
        for (char c : JudgedCharacters(letter))
            EXPECT_FALSE(ForeignCharacter(set, c)) << c;
    // No letter holds a capital R, Q or Z: typed with Shift or Caps Lock
    // they are still the letters' own.
    for (char c : {'R', 'Q', 'Z', 'r', 'q', 'z', ' ', '\''})
        EXPECT_FALSE(ForeignCharacter(set, c)) << c;
    for (char c : {'4', ':', '"', '<', '|', '_', WIDE, char(0xFC), char(0xDF), char(0xE9)})
        EXPECT_TRUE(ForeignCharacter(set, c)) << int((unsigned char)c);
    // Keys with no character say nothing of a layout.
    for (char c : {'\0', '\b', '\r', '\t', char(0x7F), char(0x85)})
        EXPECT_FALSE(ForeignCharacter(set, c)) << int((unsigned char)c);
}

TEST_F(Keyboard, LayoutHintComesForAForeignAlphabetOnly)
{
    for (const Scene *letter : TypingLetters()) {
        SCOPED_TRACE(letter->text[2]);
        LayoutWatch cyrillic = Typed(letter, Cyrillic);
        EXPECT_GT(cyrillic.mistakes, TYPE_HINT_KEYS / 2);
        EXPECT_TRUE(cyrillic.hint);

        // Next-door layouts move a few keys only: far from half of the
        // first keys go wrong, and the red marks show which.
        LayoutWatch azerty = Typed(letter, [](char c, int) { return Mapped(AZERTY_ON_US, c); });
        EXPECT_FALSE(azerty.hint) << azerty.mistakes << " mistakes";
        LayoutWatch qwertz = Typed(letter, [](char c, int) { return Mapped(QWERTZ_ON_US, c); });
        EXPECT_FALSE(qwertz.hint) << qwertz.mistakes << " mistakes";

        // Caps Lock turns most keys wrong, but into the letters' own letters:
        // the Caps Lock notice's case, not a layout's.
        LayoutWatch caps = Typed(letter, CapsLock);
        EXPECT_GT(caps.mistakes, TYPE_HINT_KEYS / 2);
        EXPECT_FALSE(caps.hint);

        LayoutWatch poor = Typed(letter, Neighbour);
        EXPECT_FALSE(poor.hint) << poor.mistakes << " mistakes";
    }
    // The swaps are real mistakes, not a typist who happens to be right.
    const Scene *first = TypingLetters()[0];
    EXPECT_GE(Typed(first, [](char c, int) { return Mapped(AZERTY_ON_US, c); }).mistakes, 3);
    EXPECT_GE(Typed(first, [](char c, int) { return Mapped(QWERTZ_ON_US, c); }).mistakes, 1);
    EXPECT_GT(Typed(first, Neighbour).mistakes, TYPE_HINT_KEYS / 2);
}

TEST_F(Keyboard, LayoutHintCountsTheFirstTwentyKeysAndStays)
{
    CharacterSet set = LettersCharacterSet();
    const char FOREIGN = char(0xFC);
    auto run = [&](const std::string &keys) {
        LayoutWatch w;
        for (char k : keys)
            LayoutWatchKey(&w, set, k == '.' ? 'e' : k, k != '.');
        return w;
    };
    // Ten foreign mistakes of twenty are not more than half; eleven are,
    // and the hint comes with the eleventh.
    EXPECT_FALSE(run(std::string(10, FOREIGN) + std::string(10, '.')).hint);
    LayoutWatch eleven = run(std::string(9, '.') + std::string(10, FOREIGN));
    EXPECT_FALSE(eleven.hint);
    LayoutWatchKey(&eleven, set, FOREIGN, true);
    EXPECT_TRUE(eleven.hint);
    // Right keys later do not take it away.
    for (int i = 0; i < 30; i++)
        LayoutWatchKey(&eleven, set, 'e', false);
    EXPECT_TRUE(eleven.hint);
    // Keys after the twentieth are not looked at.
    EXPECT_FALSE(run(std::string(20, '.') + std::string(20, FOREIGN)).hint);
    // Most of the mistakes must be foreign ones.
    EXPECT_FALSE(run(std::string(6, 'x') + std::string(5, FOREIGN) + std::string(9, '.')).hint);
    EXPECT_TRUE(run(std::string(5, 'x') + std::string(6, FOREIGN) + std::string(9, '.')).hint);
    // Backspace and Enter pressed again and again are no layout.
    EXPECT_FALSE(run(std::string(15, '\b') + std::string(5, FOREIGN)).hint);
}

TEST_F(Keyboard, EveryCharacterOfTheLettersIsTypedByItsOwnKey)
{
    // The key mapping turns a typed ':' into '"', '"' into '!' and '<' into
    // '?': a colon, a double quote or a less-than sign in a letter could
    // never be typed right on any layout. The letters hold none; this keeps
    // it so, whatever the mapping comes to.
    for (const Scene *letter : TypingLetters())
        for (char c : JudgedCharacters(letter))
            EXPECT_EQ(EN2CZ(c), c) << "'" << c << "' in a letter cannot be typed";
}

TEST(KeyboardNotices, StandInThePaperMarginsClearOfTheLetterAndTheSprites)
{
    if (!system_driver)
        install_allegro(SYSTEM_NONE, &errno, atexit);
    set_color_depth(32);
    ASSERT_EQ(alfont_init(), 0);
    ALFONT_FONT *font = alfont_load_font(PAPERLUNE_DATA_DIR "/Fonts/typewriter.ttf");
    if (!font)
        GTEST_SKIP() << "the typewriter font is not built";
    const int PAPER = 0xFFFFFF;
    const int LINES_TOP = 45, LINES_BOTTOM = 420, SPRITES_LEFT = 380;
    const int PAPER_LEFT = 14, PAPER_RIGHT = 340, PAPER_TOP = 12, PAPER_BOTTOM = 437;
    BITMAP *frame = create_bitmap(640, 480);
    ASSERT_NE(frame, nullptr);
    alfont_text_mode(-1);

    auto inside = [](const NoticeArea &a, int x, int y) {
        return x >= a.x && x < a.x + a.w && y >= a.y && y < a.y + a.h;
    };
    struct Case {
        bool caps, layout;
        NoticeArea area;
    } cases[] = {{true, false, TYPE_CAPS_NOTICE_AREA}, {false, true, TYPE_LAYOUT_NOTICE_AREA}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.caps ? "Caps Lock notice" : "layout hint");
        const NoticeArea &a = c.area;
        EXPECT_TRUE(a.y + a.h <= LINES_TOP || a.y >= LINES_BOTTOM) << "over the letter's lines";
        EXPECT_LT(a.x + a.w, SPRITES_LEFT);
        EXPECT_TRUE(a.x >= PAPER_LEFT && a.x + a.w <= PAPER_RIGHT && a.y >= PAPER_TOP && a.y + a.h <= PAPER_BOTTOM)
            << "off the paper";

        clear_to_color(frame, PAPER);
        KeyboardHints hints;
        hints.capsLock = c.caps;
        hints.layout.hint = c.layout;
        DrawKeyboardHints(frame, font, hints);
        int drawn = 0, astray = 0;
        for (int y = 0; y < 480; y++)
            for (int x = 0; x < 640; x++) {
                if ((getpixel(frame, x, y) & 0xFFFFFF) == PAPER)
                    continue;
                inside(a, x, y) ? drawn++ : astray++;
            }
        EXPECT_GT(drawn, 100) << "the notice is drawn";
        EXPECT_EQ(astray, 0) << "the notice leaves its area";
    }
    // Neither is drawn when neither is due.
    clear_to_color(frame, PAPER);
    DrawKeyboardHints(frame, font, KeyboardHints());
    int drawn = 0;
    for (int y = 0; y < 480; y++)
        for (int x = 0; x < 640; x++)
            drawn += (getpixel(frame, x, y) & 0xFFFFFF) != PAPER;
    EXPECT_EQ(drawn, 0);
    destroy_bitmap(frame);
    alfont_destroy_font(font);
}
