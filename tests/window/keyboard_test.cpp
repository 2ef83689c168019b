// The keyboard on the typing page: the Caps Lock notice following the
// keyboard's own indicator, the layout hint, and the first letter typed on
// other layouts by the keys each layout needs, with dead keys, under a UTF-8
// locale and under LANG=C.
#include "harness.h"

// Before X's headers, whose None is a macro.
#include <gtest/gtest.h>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <X11/extensions/XTest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "story/scene.h"

using namespace harness;

namespace {

const int PAGE_MS = 8000;
const int KEY_MS = 3000;
const int TYPE_X = 35, TYPE_Y = 45, PITCH = 15;
const uint32_t MISTAKE = 0xC4262A;   // the marks' and the notices' red
const int LETTER_BACKGROUND = 3;   // Scene04e1's page
// The notices as a player sees them: red typewriter text in the paper's
// margins, the Caps Lock one ending at the right margin above the letter,
// the layout one centred below it.
const char CAPS_NOTICE[] = "Caps Lock is on";
const int CAPS_RIGHT = 325, CAPS_Y = 23;
const char LAYOUT_NOTICE[] = "Many wrong keys: check the keyboard layout";
const int LAYOUT_CENTRE = 177, LAYOUT_Y = 421;
struct Box {
    int x, y, w, h;
};
const Box CAPS_BOX = {200, 20, 135, 22};
const Box LAYOUT_BOX = {20, 419, 320, 18};
const Box LETTER_AREA = {20, 44, 340, 378};

// A progress file that continues at the first letter, nothing recorded.
const std::vector<int32_t> AT_FIRST_LETTER = {141, 0, 0, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};

// A connection of the test's own: its keymap is read fresh from the server
// each time, never from a cache a layout change left behind.
::Display *Server()
{
    static ::Display *d = nullptr;
    if (!d && StartDisplay())
        d = XOpenDisplay(getenv("DISPLAY"));
    return d;
}

bool CapsLockLit()
{
    Atom caps = XInternAtom(Server(), "Caps Lock", False);
    int index;
    Bool on = False;
    return XkbGetNamedIndicator(Server(), caps, &index, &on, nullptr, nullptr) && on;
}

bool SetLayout(const std::string &layout, const std::string &variant = "")
{
    std::string command = "setxkbmap -layout " + layout + (variant.empty() ? "" : " -variant " + variant);
    return StartDisplay() && system(command.c_str()) == 0;
}

// One key press as a layout needs it: a keycode at a shift level.
struct Stroke {
    KeyCode code;
    bool shift, level3;
};

struct Keymap {
    XkbDescPtr xkb = nullptr;
    KeyCode shift = 0, level3 = 0;
};

// Where keysym `sym` is on the layout: the lowest level of any key, with
// the modifiers that level needs; false when no key has it.
bool Find(const Keymap &map, KeySym sym, Stroke *stroke, int *level)
{
    XkbDescPtr xkb = map.xkb;
    bool found = false;
    for (int code = xkb->min_key_code; code <= xkb->max_key_code; code++) {
        if (XkbKeyNumGroups(xkb, code) < 1)
            continue;
        XkbKeyTypePtr type = XkbKeyKeyType(xkb, code, 0);
        for (int l = 0; l < type->num_levels && (!found || l < *level); l++) {
            if (XkbKeySymEntry(xkb, code, l, 0) != sym)
                continue;
            unsigned mods = 0;
            bool reachable = l == 0;
            for (int e = 0; e < type->map_count && !reachable; e++) {
                const XkbKTMapEntryRec &m = type->map[e];
                if (m.active && m.level == l && !(m.mods.mask & LockMask)) {
                    mods = m.mods.mask;
                    reachable = true;
                }
            }
            if (!reachable || (mods & ~(ShiftMask | Mod5Mask)))
                continue;
            *stroke = {KeyCode(code), (mods & ShiftMask) != 0, (mods & Mod5Mask) != 0};
            *level = l;
            found = true;
        }
    }
    return found;
}

Keymap ReadKeymap()
{
    Keymap map;
    map.xkb = XkbGetMap(Server(), XkbAllClientInfoMask, XkbUseCoreKbd);
    Stroke s;
    int level;
    if (map.xkb && Find(map, XK_Shift_L, &s, &level))
        map.shift = s.code;
    if (map.xkb && Find(map, XK_ISO_Level3_Shift, &s, &level))
        map.level3 = s.code;
    return map;
}

// The keys a person presses for `c` on the layout: its own key, or, where
// that needs AltGr and a dead key gives it before a space (us(intl)'s
// apostrophe), the dead key and the space.
std::vector<Stroke> StrokesFor(const Keymap &map, char c)
{
    struct Dead {
        char c;
        KeySym sym;
    };
    static const Dead DEAD[] = {{'\'', XK_dead_acute}, {'"', XK_dead_diaeresis}, {'`', XK_dead_grave},
                                {'^', XK_dead_circumflex}, {'~', XK_dead_tilde}};
    KeySym sym = c == ' ' ? XK_space : KeySym((unsigned char)c);
    Stroke own, dead, space;
    int ownLevel = 0, deadLevel = 0, spaceLevel = 0;
    bool hasOwn = Find(map, sym, &own, &ownLevel);
    for (const Dead &d : DEAD)
        if (d.c == c && Find(map, d.sym, &dead, &deadLevel) && deadLevel <= 1 && (!hasOwn || ownLevel > 1) &&
            Find(map, XK_space, &space, &spaceLevel))
            return {dead, space};
    if (hasOwn)
        return {own};
    return {};
}

void Press(const Keymap &map, const Stroke &s)
{
    ::Display *d = Server();
    if (s.shift)
        XTestFakeKeyEvent(d, map.shift, True, CurrentTime);
    if (s.level3)
        XTestFakeKeyEvent(d, map.level3, True, CurrentTime);
    XTestFakeKeyEvent(d, s.code, True, CurrentTime);
    XTestFakeKeyEvent(d, s.code, False, CurrentTime);
    if (s.level3)
        XTestFakeKeyEvent(d, map.level3, False, CurrentTime);
    if (s.shift)
        XTestFakeKeyEvent(d, map.shift, False, CurrentTime);
}

void Flush()
{
    XSync(Server(), False);
}

int Advance(const char *text, int upTo)
{
    int x = 0;
    for (int p = 0; p < upTo; p++)
        x += TypeAdvance(text[p]);
    return x;
}

// A wrong key put in on purpose: keysyms pressed in turn instead of the
// cell's own key.
struct Probe {
    int line = -1, pos = 0;
    std::vector<KeySym> keys;
};

// Types Scene04e1 on the layout now set, each line in one burst of its
// keys, up to the key that would end the letter; `finish` presses that too.
// "" when the game followed every line, else where it did not.
std::string TypeFirstLetter(bool finish, const Probe &probe = Probe())
{
    const Scene *letter = SceneNamed("Scene04e1");
    Keymap map = ReadKeymap();
    if (!map.xkb || !map.shift)
        return "no keymap";
    std::string failed;
    int last = SCENE_TEXT_LINES - 1;
    while (letter->text[last][0] == 0)
        last--;
    for (int line = 0; line <= last && failed.empty(); line++) {
        const char *text = letter->text[line];
        int length = strlen(text);
        if (length == 0)
            continue;
        for (int pos = 0; pos < length - 1 && failed.empty(); pos++) {
            std::vector<Stroke> strokes;
            if (line == probe.line && pos == probe.pos) {
                for (KeySym k : probe.keys) {
                    Stroke s;
                    int level;
                    if (Find(map, k, &s, &level))
                        strokes.push_back(s);
                }
            } else {
                strokes = StrokesFor(map, text[pos]);
            }
            if (strokes.empty())
                failed = std::string("no key for '") + text[pos] + "'";
            for (const Stroke &s : strokes)
                Press(map, s);
            // The input method hands a composed character back through the
            // X server, behind keys already sent: a person is never that
            // quick, so the next key waits until the cell is typed.
            if (strokes.size() > 1) {
                Flush();
                if (!WaitFor([&] { return CursorAt(line, Advance(text, pos + 1)); }, KEY_MS, 3))
                    failed = "line " + std::to_string(line) + ": the dead key at " + std::to_string(pos) +
                             " did not type one character";
            }
        }
        if (!failed.empty())
            break;
        // Any key ends a line on its last character.
        bool ends = line < last || finish;
        if (ends)
            Press(map, StrokesFor(map, ' ')[0]);
        Flush();
        int next = line + 1;
        while (next <= last && letter->text[next][0] == 0)
            next++;
        bool followed = !ends ? WaitFor([&] { return CursorAt(line, Advance(text, length - 1)); }, KEY_MS, 3)
                        : next <= last ? WaitFor([&] { return CursorAt(next, 0); }, KEY_MS, 3)
                                       : WaitFor([&] { return !CursorAt(line, Advance(text, length - 1)); },
                                                 KEY_MS, 3);
        if (!followed) {
            failed = "line " + std::to_string(line) + ": " + text;
            SavePng(Screenshot(), ShotPath("layout-failed"));
        }
    }
    XkbFreeKeyboard(map.xkb, 0, True);
    return failed;
}

// Pixels of red ink in a box: the marks' and the notices' red where it
// covers at least three quarters of a pixel. The translucent cursor box
// lifts red at most 100 above green, over paper or grey alike.
int RedPixels(const Image &s, const Box &b)
{
    int n = 0;
    for (int y = b.y; y < b.y + b.h; y++)
        for (int x = b.x; x < b.x + b.w; x++) {
            uint32_t p = s.at(x, y);
            int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, bl = p & 0xFF;
            n += r > 150 && r - g > 120 && r - bl > 120;
        }
    return n;
}

Box Cell(int line, int x, int w)
{
    return {TYPE_X + x, TYPE_Y + PITCH * line, w, PITCH};
}

// The locale the game starts in; LC_ALL and LC_CTYPE left unset.
void StartLocale(const char *lang)
{
    setenv("LANG", lang, 1);
    unsetenv("LC_ALL");
    unsetenv("LC_CTYPE");
}

struct Pass {
    const char *layout, *variant;
    bool probe;   // a dead acute and an "s" for the "c" of "can't"
};

// One game for all the layouts, the first set before it starts, the others
// between letters. Each letter is typed up to its last key, checked by its
// marks, then left with Escape and "Yes" to be typed again; with `finish`
// the last one is finished and the quit in the next scene writes it.
void TypeOnLayouts(const char *lang, const std::string &name, const std::vector<Pass> &passes, bool finish)
{
    StartLocale(lang);
    GameRun run = Prepare(name.c_str());
    WriteSave(run, AT_FIRST_LETTER);
    ASSERT_TRUE(SetLayout(passes[0].layout, passes[0].variant));
    ASSERT_TRUE(LaunchToMenu(run));
    const Scene *letter = SceneNamed("Scene04e1");
    for (size_t i = 0; i < passes.size(); i++) {
        const Pass &p = passes[i];
        SCOPED_TRACE(std::string(p.layout) + "(" + p.variant + ") under LANG=" + lang);
        ASSERT_TRUE(SetLayout(p.layout, p.variant));
        bool last = finish && i + 1 == passes.size();
        if (std::string(p.variant) == "intl") {
            // The apostrophe really goes as a dead key and a space here.
            Keymap map = ReadKeymap();
            EXPECT_EQ(StrokesFor(map, '\'').size(), 2u);
            XkbFreeKeyboard(map.xkb, 0, True);
        }
        ChooseMenuItem(MENU_CONTINUE);
        ASSERT_TRUE(WaitFor([] { return CursorAt(0, 0); }, PAGE_MS));
        Probe probe;
        if (p.probe) {
            probe.line = 2;
            probe.pos = 2;
            probe.keys = {XK_dead_acute, XK_s};
        }
        // The cursor has come to the last key's place: every key is drawn.
        std::string failed = TypeFirstLetter(last, probe);
        ASSERT_EQ(failed, "");
        Image s = Screenshot();
        SavePng(s, ShotPath("layout-" + std::string(p.layout) + p.variant + "-" + name));
        int probeRed = 0;
        if (p.probe) {
            const char *probed = letter->text[probe.line];
            probeRed = RedPixels(s, Cell(probe.line, Advance(probed, probe.pos), TypeAdvance(probed[probe.pos])));
            EXPECT_GT(probeRed, 5) << "the probe's cell is red";
        }
        EXPECT_EQ(RedPixels(s, LETTER_AREA) - probeRed, 0) << "a key typed wrong";
        if (!last) {
            ASSERT_TRUE(QuitAndSave());
            continue;
        }
        // The next scene's quit writes the letter's record.
        ASSERT_TRUE(FinishLetter());
        ASSERT_TRUE(QuitAndSave());
        std::vector<int32_t> w = SaveWords(run);
        ASSERT_EQ(w.size(), 13u);
        EXPECT_EQ(w[0], 142) << "the letter was not finished";
        EXPECT_EQ(w[2], 0) << "mistakes recorded";
    }
    EXPECT_TRUE(QuitFromMenu(run));
}

class Layouts : public ::testing::Test {
protected:
    // Later tests of the program find the layout they expect.
    void TearDown() override { SetLayout("us"); }
};

class CapsLock : public ::testing::Test {
protected:
    void TearDown() override
    {
        if (CapsLockLit())
            PressKey(XK_Caps_Lock);
        SetLayout("us");
    }
};

// Its red text in a notice's box.
const int NOTICE_INK = 40;

bool CapsNoticeShown()
{
    return RedPixels(Screenshot(), CAPS_BOX) > NOTICE_INK;
}

bool LayoutNoticeShown()
{
    return RedPixels(Screenshot(), LAYOUT_BOX) > NOTICE_INK;
}

}  // namespace

// A dead key before a letter it cannot join gives a character no letter
// holds: one mistake, and no key lost. Under an ASCII character type the
// input method would swallow the letter.
TEST_F(Layouts, FirstLetterTypedOnFrDeDvorakAndUsIntlWithDeadKeysMakesNoMistake)
{
    TypeOnLayouts("C.UTF-8", "utf8", {{"fr", "", false}, {"de", "", true}, {"us", "dvorak", false},
                                      {"us", "intl", false}}, true);
}

TEST_F(Layouts, TheSameUnderLangC)
{
    TypeOnLayouts("C", "langc", {{"fr", "", false}, {"de", "", true}, {"us", "intl", false}}, false);
}

TEST_F(CapsLock, NoticeFollowsTheKeyboardAndALayoutHintComesAfterForeignKeys)
{
    GameRun run = Prepare("capslock");
    WriteSave(run, AT_FIRST_LETTER);
    ASSERT_TRUE(LaunchToMenu(run));
    // On before the page opens.
    PressKey(XK_Caps_Lock);
    ASSERT_TRUE(WaitFor(CapsLockLit, 1000)) << "the server's indicator did not light";
    ChooseMenuItem(MENU_CONTINUE);
    ASSERT_TRUE(WaitFor([] { return CursorAt(0, 0); }, PAGE_MS));
    WaitStable(1500);
    Image on = Screenshot();
    SavePng(on, ShotPath("capslock-on"));
    int w = 0;
    for (const char *p = CAPS_NOTICE; *p; p++)
        w += TypeAdvance(*p);
    Image expected = Compose(LETTER_BACKGROUND, {{CAPS_NOTICE, CAPS_RIGHT - w, CAPS_Y, MISTAKE, PITCH}}, true);
    Image plain = DataPicture(LETTER_BACKGROUND);
    EXPECT_LT(Difference(on, expected, CAPS_BOX.x, CAPS_BOX.y, CAPS_BOX.w, CAPS_BOX.h), 1.0);
    EXPECT_GT(Difference(on, plain, CAPS_BOX.x, CAPS_BOX.y, CAPS_BOX.w, CAPS_BOX.h), 5.0);
    EXPECT_FALSE(LayoutNoticeShown());

    // Off on the page: the margin is the bare paper again, and the press of
    // Caps Lock was no key.
    PressKey(XK_Caps_Lock);
    ASSERT_FALSE(CapsLockLit());
    ASSERT_TRUE(WaitFor([] { return !CapsNoticeShown(); }, KEY_MS));
    Image off = Screenshot();
    SavePng(off, ShotPath("capslock-off"));
    EXPECT_LT(Difference(off, plain, CAPS_BOX.x, CAPS_BOX.y, CAPS_BOX.w, CAPS_BOX.h), 0.5);
    EXPECT_TRUE(CursorAt(0, 0));
    EXPECT_EQ(RedPixels(off, Cell(0, 0, TypeAdvance('D'))), 0) << "Caps Lock counted a mistake";
    // And on again while the page is open.
    PressKey(XK_Caps_Lock);
    ASSERT_TRUE(CapsLockLit());
    EXPECT_TRUE(WaitFor(CapsNoticeShown, KEY_MS));
    PressKey(XK_Caps_Lock);
    EXPECT_TRUE(WaitFor([] { return !CapsNoticeShown(); }, KEY_MS));

    // Eleven keys of a German layout where the letter begins, characters no
    // letter holds (the euro sign with AltGr, wider than a byte): one
    // mistake and one cell each, and more than half of the first twenty
    // keys wrong.
    ASSERT_TRUE(SetLayout("de"));
    Keymap map = ReadKeymap();
    const KeySym foreign[] = {XK_udiaeresis, XK_ssharp, XK_EuroSign, XK_odiaeresis, XK_adiaeresis};
    std::vector<Stroke> keys;
    for (KeySym k : foreign) {
        Stroke s;
        int level;
        ASSERT_TRUE(Find(map, k, &s, &level)) << XKeysymToString(k);
        keys.push_back(s);
    }
    const char *first = SceneNamed("Scene04e1")->text[0];
    for (int i = 0; i < 10; i++)
        Press(map, keys[i % keys.size()]);
    Flush();
    ASSERT_TRUE(WaitFor([&] { return CursorAt(0, Advance(first, 10)); }, KEY_MS));
    Image ten = Screenshot();
    EXPECT_FALSE(LayoutNoticeShown()) << "ten of twenty are not more than half";
    // Each the letter's own character in red (the space's mark is a thin line).
    for (int i = 0; i < 10; i++) {
        if (first[i] == ' ')
            continue;
        EXPECT_GT(RedPixels(ten, Cell(0, Advance(first, i), TypeAdvance(first[i]))), 0) << "cell " << i;
    }
    Press(map, keys[0]);
    Flush();
    ASSERT_TRUE(WaitFor(LayoutNoticeShown, KEY_MS));
    Image hint = Screenshot();
    SavePng(hint, ShotPath("layout-hint"));
    int hw = 0;
    for (const char *p = LAYOUT_NOTICE; *p; p++)
        hw += TypeAdvance(*p);
    Image hinted = Compose(LETTER_BACKGROUND, {{LAYOUT_NOTICE, LAYOUT_CENTRE - hw / 2, LAYOUT_Y, MISTAKE, PITCH}},
                           true);
    EXPECT_LT(Difference(hint, hinted, LAYOUT_BOX.x, LAYOUT_BOX.y, LAYOUT_BOX.w, LAYOUT_BOX.h), 1.0);
    XkbFreeKeyboard(map.xkb, 0, True);
    Kill(run);
}
