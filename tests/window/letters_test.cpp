// The typewriter page by real key presses: clean letters, mistakes, the
// pause, quitting, and running out of time.
#include "harness.h"

#include <X11/keysym.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>

#include "player/clock.h"
#include "player/game.h"
#include "player/typing.h"
#include "story/scene.h"

// After gtest: Xlib defines words that gtest uses.
#include <X11/Xlib.h>

using namespace harness;

namespace {

const int PAGE_MS = 8000;
const int TYPE_X = 35, TYPE_Y = 45, PITCH = 15;
const uint32_t PREVIEW = 0x353535, MISTAKE = 0xC4262A;
const int TIMEOUT_IMAGE = 26;
const char FULL_SCREEN_PROPERTY[] = "_NET_WM_BYPASS_COMPOSITOR";
// Inside the card of a finished page, and its paper.
const int CARD_X = 392, CARD_Y = 384, CARD_W = 196, CARD_H = 80;
const uint32_t CARD_PAPER = 0xF7F3E9;

std::vector<int32_t> Fresh(int32_t resumeId, int32_t runTime, int32_t runMistakes)
{
    std::vector<int32_t> w(13, -1);
    w[0] = resumeId;
    w[1] = runTime;
    w[2] = runMistakes;
    return w;
}

// The letter as it must stand once typed: black over the grey preview,
// with the given cells in red.
Image TypedLetter(const Scene *scene, const std::vector<std::pair<int, int>> &red = {},
                  const std::vector<std::pair<int, int>> &underscores = {})
{
    std::vector<TextItem> items;
    for (int l = 0; l < 25; l++)
        items.push_back({scene->text[l], TYPE_X, TYPE_Y + PITCH * l, PREVIEW, PITCH});
    for (int l = 0; l < 25; l++) {
        int x = 0, length = strlen(scene->text[l]);
        for (int p = 0; p < length; p++) {
            char c = scene->text[l][p];
            bool isRed = false, isMark = false;
            for (auto &r : red)
                isRed = isRed || (r.first == l && r.second == p);
            for (auto &u : underscores)
                isMark = isMark || (u.first == l && u.second == p);
            // The last character of a line is never typed.
            if (p < length - 1 && (c != ' ' || isMark))
                items.push_back({std::string(1, isMark ? '_' : c), TYPE_X + x, TYPE_Y + PITCH * l,
                                 isRed || isMark ? MISTAKE : 0u, PITCH});
            x += TypeAdvance(c);
        }
    }
    return Compose(scene->background, items, true);
}

int FirstSpace(const Scene *scene, int line)
{
    // Past the first few characters, which the plan also gives wrong keys.
    const char *text = scene->text[line];
    for (int i = 3; text[i] && text[i + 1] && text[i + 2]; i++)
        if (text[i] == ' ' && text[i + 1] != ' ' && text[i + 2] != ' ')
            return i;
    return -1;
}

int BodyLine(const Scene *scene)
{
    // A long line in the middle of the letter.
    for (int l = 2; l < 25; l++)
        if (strlen(scene->text[l]) > 20)
            return l;
    return 0;
}

// After the finished page of Scene04e1, a key: the next scene starts, and
// "Yes" there writes the letter's run. The words of the progress file, or
// none when the game did not follow.
// The fields of the last line of the run's history, or none.
std::vector<std::string> LastHistoryFields(const GameRun &run)
{
    std::vector<uint8_t> bytes = ReadFile(SaveDirectory(run) + "/history.tsv");
    std::string history(bytes.begin(), bytes.end());
    if (history.size() < 2 || history.back() != '\n')
        return {};
    size_t last = history.rfind('\n', history.size() - 2);
    std::vector<std::string> fields;
    std::string field;
    for (char c : history.substr(last == std::string::npos ? 0 : last + 1))
        if (c == '\t' || c == '\n') {
            fields.push_back(field);
            field.clear();
        } else {
            field += c;
        }
    return fields;
}

// Another window of the test's own takes the keyboard from the game, as a
// player called away would be, and gives it back.
struct FocusThief {
    ::Display *d = XOpenDisplay(nullptr);
    Window other = 0;
    void Take()
    {
        other = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 100, 100, 0, 0, 0);
        XMapWindow(d, other);
        XSync(d, False);
        XSetInputFocus(d, other, RevertToParent, CurrentTime);
        XSync(d, False);
    }
    void GiveBack()
    {
        XSetInputFocus(d, GameWindowId(), RevertToParent, CurrentTime);
        XDestroyWindow(d, other);
        XSync(d, False);
    }
    ~FocusThief() { XCloseDisplay(d); }
};

// The first letter's page, with the player's settings file written first.
bool FirstLetterWithSettings(GameRun &run, const char *name, const std::string &settings)
{
    run = Prepare(name);
    WriteSave(run, Fresh(141, 0, 0));
    if (!WriteSettings(run, settings) || !LaunchToMenu(run))
        return false;
    ChooseMenuItem(MENU_CONTINUE);
    return WaitFor([] { return CursorAt(0, 0); }, PAGE_MS);
}

std::vector<int32_t> SavedAfterTheLetter(GameRun &run)
{
    const Scene *next = SceneNamed("Scene04e2");
    if (!FinishLetter() || !WaitForScreen(NarrationPage(next, NarrationPages(next)[0]), PAGE_MS) || !QuitAndSave())
        return {};
    return SaveWords(run);
}

// The finished page of Scene04e1 typed without a mistake: every character in
// black, no red; then the next scene, and "Yes" writes the run. The words
// of the progress file, or none when the game did not follow.
std::vector<int32_t> CleanLetterSaved(GameRun &run, const std::string &shot)
{
    const Scene *letter = SceneNamed("Scene04e1");
    // The finished page is shown whole, in one frame, with its card.
    if (!WaitFor([] { return ShareOfColour(Screenshot(), CARD_X, CARD_Y, CARD_W, CARD_H, CARD_PAPER, 8) > 0.5; },
                 PAGE_MS))
        return {};
    Image s = Screenshot();
    SavePng(s, ShotPath(shot));
    EXPECT_LT(Difference(s, TypedLetter(letter), 20, 40, 340, 390), 1.5) << "every character in black";
    EXPECT_LT(ShareOfColour(s, 20, 40, 340, 390, MISTAKE, 30), 0.0005) << "no red anywhere";
    return SavedAfterTheLetter(run);
}

}  // namespace

TEST(Letters, CleanLetterShowsInBlackAndItsTimeIsRecorded)
{
    GameRun run;
    ASSERT_TRUE(ContinueFrom(run, "clean", Fresh(141, 0, 0)));
    auto start = std::chrono::steady_clock::now();
    // Key by key, so that the clock runs for seconds.
    TypingPlan plan;
    plan.keyGapMs = KEY_BY_KEY_GAP_MS;
    ASSERT_TRUE(TypeLetter("Scene04e1", plan));
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    // The next scene starts; quitting there writes the letter's time.
    std::vector<int32_t> w = CleanLetterSaved(run, "typed-clean");
    ASSERT_EQ(w.size(), 13u);
    EXPECT_EQ(w[0], 142);
    EXPECT_GE(w[1], 1);
    EXPECT_LE(w[1], int(seconds) + 3) << "the clock counts the seconds of typing";
    EXPECT_EQ(w[2], 0);
    EXPECT_TRUE(QuitFromMenu(run));
}

TEST(Letters, ALetterTypedAtFullSpeedLosesNoKeyAndF11AndF9AreNoKeys)
{
    GameRun run;
    ASSERT_TRUE(ContinueFrom(run, "burst", Fresh(141, 0, 0)));
    const Scene *letter = SceneNamed("Scene04e1");
    ASSERT_TRUE(WaitFor([] { return CursorAt(0, 0); }, PAGE_MS));
    WaitStable(1500);
    // F11 to a window and back: the picture stays, nothing is typed. Only
    // full screen asks a compositor to stand aside.
    ASSERT_TRUE(GameWindowHasProperty(FULL_SCREEN_PROPERTY));
    PressKey(XK_F11);
    ASSERT_TRUE(WaitFor([] { return GameWindowId() && !GameWindowHasProperty(FULL_SCREEN_PROPERTY); }, PAGE_MS));
    ASSERT_TRUE(WaitStable());   // the window shows its picture
    PressKey(XK_F11);
    ASSERT_TRUE(WaitFor([] { return GameWindowHasProperty(FULL_SCREEN_PROPERTY); }, PAGE_MS));
    ASSERT_TRUE(WaitFor([] { return CursorAt(0, 0); }, PAGE_MS)) << "F11 moved the cursor";
    // F9, the sound's key, is never typed nor judged either.
    PressKey(XK_F9);
    PressKey(XK_F9);
    // The whole letter, every key pressed and released back to back: far
    // more keys than one frame, and than the library's own key buffer, holds.
    std::string all;
    for (int l = 0; l < 25; l++)
        all += letter->text[l];
    TypeBurst(all);
    std::vector<int32_t> w = CleanLetterSaved(run, "typed-burst");
    ASSERT_EQ(w.size(), 13u);
    EXPECT_EQ(w[0], 142) << "the letter was finished";
    EXPECT_EQ(w[2], 0) << "no mistake recorded";
    EXPECT_TRUE(QuitFromMenu(run));
}

TEST(Letters, WrongKeysShowInRedCountAndCostTime)
{
    GameRun run;
    ASSERT_TRUE(ContinueFrom(run, "mistakes", Fresh(141, 0, 0)));
    const Scene *letter = SceneNamed("Scene04e1");
    int line = BodyLine(letter);
    int space = FirstSpace(letter, line);
    ASSERT_GT(space, 2);
    TypingPlan plan;
    plan.wrong = {
        {line, space, 'x'},          // a wrong key where a space belongs: a red "_"
        {line, 0, XK_Left},          // arrows and Enter are mistakes too (Backspace is no key at all)
        {line, 1, XK_Return},
        {line, space + 1, XK_Right},
        {line, space + 2, '#'},      // a wrong character: the right one in red
    };
    ASSERT_TRUE(TypeLetter("Scene04e1", plan));
    ASSERT_TRUE(WaitFor([&] { return !CursorAt(0, 0); }, 3000));
    Image s = Screenshot();
    SavePng(s, ShotPath("typed-mistakes"));
    Image expected = TypedLetter(letter, {{line, 0}, {line, 1}, {line, space + 1}, {line, space + 2}}, {{line, space}});
    EXPECT_LT(Difference(s, expected, 20, 40, 340, 390), 1.5);
    // Over the marked cells the page is told apart from a clean letter.
    int width = 0;
    for (int p = 0; p < space + 3; p++)
        width += TypeAdvance(letter->text[line][p]);
    Image clean = TypedLetter(letter);
    int top = TYPE_Y + PITCH * line;
    EXPECT_GT(Difference(s, clean, TYPE_X - 1, top, width + 2, PITCH),
              Difference(s, expected, TYPE_X - 1, top, width + 2, PITCH) + 3.0);
    std::vector<int32_t> w = SavedAfterTheLetter(run);
    ASSERT_EQ(w.size(), 13u);
    EXPECT_EQ(w[2], 5) << "five mistakes";
    EXPECT_GE(w[1], 5 * 7) << "each costs seven seconds at difficulty 1";
    EXPECT_TRUE(QuitFromMenu(run));
}

TEST(Letters, EscapeIsNeverAMistakeAndQuittingKeepsEarlierLetters)
{
    GameRun run;
    ASSERT_TRUE(ContinueFrom(run, "typingquit", Fresh(7, 100, 2)));
    ASSERT_TRUE(WaitFor([] { return CursorAt(0, 0); }, PAGE_MS));
    // Escape, then "No": the same page, nothing typed, nothing counted.
    ParkPointer();
    ASSERT_TRUE(WaitStable());   // the page has faded in
    PressKey(XK_Escape);
    ASSERT_TRUE(WaitFor([] { return QuitDialogShown(1); }, 3000));
    PressKey(XK_Down);
    ASSERT_TRUE(WaitFor([] { return QuitDialogShown(2); }, 3000));
    PressKey(XK_Return);
    ASSERT_TRUE(WaitFor([] { return CursorAt(0, 0); }, 3000)) << "the cursor did not move";
    ASSERT_TRUE(QuitAndSave());
    EXPECT_EQ(SaveWords(run), Fresh(7, 100, 2)) << "the group and the letters before it";
    EXPECT_TRUE(QuitFromMenu(run));
}

TEST(Letters, PauseStopsTheClockAndItsEndingKeyIsNotTyped)
{
    GameRun run;
    ASSERT_TRUE(ContinueFrom(run, "pause", Fresh(141, 0, 0)));
    const int PAUSE_MS = 3000;
    const Scene *letter = SceneNamed("Scene04e1");
    TypingPlan plan;
    plan.pauseLine = BodyLine(letter);
    // Right before a space: nothing is drawn for it, so only the width it
    // adds decides where the rest of the line lands.
    plan.pausePos = FirstSpace(letter, plan.pauseLine);
    plan.pauseMs = PAUSE_MS;
    plan.holdF12 = true;
    plan.keyGapMs = KEY_BY_KEY_GAP_MS;   // the clock runs for seconds besides the pause
    ASSERT_GT(plan.pausePos, 0);
    auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(TypeLetter("Scene04e1", plan));
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_TRUE(plan.pauseSeen) << "the veil with PAUSED";
    EXPECT_EQ(plan.pauseGaps, 0) << "a held F12 let the pause flicker";
    EXPECT_FALSE(plan.pauseKeyTyped) << "the key that ended the pause was typed";
    ASSERT_TRUE(WaitFor([&] { return !CursorAt(0, 0); }, 3000));
    Image s = Screenshot();
    EXPECT_LT(ShareOfColour(s, 20, 40, 340, 390, MISTAKE, 30), 0.0005) << "no mistake was made";
    int top = TYPE_Y + PITCH * plan.pauseLine;
    EXPECT_LT(Difference(s, TypedLetter(letter), TYPE_X - 1, top, 330, PITCH), 1.0)
        << "the line typed on after the pause stands on its preview";
    std::vector<int32_t> w = SavedAfterTheLetter(run);
    ASSERT_EQ(w.size(), 13u);
    EXPECT_EQ(w[2], 0);
    EXPECT_LE(w[1], int(seconds - PAUSE_MS / 1000.0) + 2) << "the paused seconds were counted";
    EXPECT_GE(w[1], 1);
    EXPECT_TRUE(QuitFromMenu(run));
}

TEST(Letters, TimeOutShowsItsPictureAndContinueReplaysTheLetterOnce)
{
    GameRun run;
    ASSERT_TRUE(ContinueFrom(run, "timeout", Fresh(141, 40, 1)));
    ASSERT_TRUE(WaitFor([] { return CursorAt(0, 0); }, PAGE_MS));
    // 278 seconds at seven a mistake: forty wrong keys use them up.
    bool timedOut = WaitFor([] {
        TypeChar('#');
        return ShownPicture(Screenshot(), {TIMEOUT_IMAGE}) == TIMEOUT_IMAGE;
    }, 30000, 25);
    ASSERT_TRUE(timedOut);
    // The picture fades in, its last step the picture itself, then stands
    // for the game's hold before a key counts.
    ASSERT_TRUE(WaitFor([] { return Difference(Screenshot(), DataPicture(TIMEOUT_IMAGE), 0, 0, 640, 480) < 0.02; },
                        PAGE_MS, 5));
    auto shown = std::chrono::steady_clock::now();
    SavePng(Screenshot(), ShotPath("timeout"));
    EXPECT_EQ(SaveWords(run), Fresh(141, 40, 1)) << "a time-out writes nothing";
    std::this_thread::sleep_until(shown + std::chrono::milliseconds(TIMEOUT_HOLD_MS + HOLD_MARGIN_MS));
    // Its choice: Escape is "Back to the menu".
    PressKey(XK_Escape);
    ASSERT_TRUE(WaitFor(MenuShown, PAGE_MS));
    // Continue plays the same letter again, from its start.
    ChooseMenuItem(MENU_CONTINUE);
    ASSERT_TRUE(WaitFor([] { return CursorAt(0, 0); }, PAGE_MS));
    ASSERT_TRUE(QuitAndSave());
    EXPECT_EQ(SaveWords(run), Fresh(141, 40, 1)) << "nothing of the failed letter counted";
    EXPECT_TRUE(QuitFromMenu(run));
}

// F12 and a key between every two words: the part of a second typed
// between two pauses still counts, so the time the progress record keeps
// for the letter is its typing time plus its penalties, as the history
// gives them.
TEST(Letters, PausesBetweenWordsKeepEveryPartOfASecond)
{
    GameRun run;
    ASSERT_TRUE(ContinueFrom(run, "pauses", Fresh(141, 0, 0)));
    const Scene *letter = SceneNamed("Scene04e1");
    TypingPlan plan;
    plan.pauseEveryWords = 2;
    // One wrong key on each of four lines: they are typed key by key, with
    // the pauses, and cost 7 seconds each.
    for (int line = 1, wrong = 0; line < 25 && wrong < 4; line++)
        if (strlen(letter->text[line]) > 20) {
            plan.wrong.push_back({line, 1, '#'});
            wrong++;
        }
    ASSERT_TRUE(TypeLetter("Scene04e1", plan));
    EXPECT_GE(plan.pausesMade, 10);
    std::vector<int32_t> w = SavedAfterTheLetter(run);
    ASSERT_EQ(w.size(), 13u);
    EXPECT_EQ(w[2], 4);

    std::vector<std::string> fields = LastHistoryFields(run);
    ASSERT_GE(fields.size(), 7u);
    double typing = std::stod(fields[5]), penalty = std::stod(fields[6]);
    EXPECT_EQ(penalty, 4 * 7);
    // Every part of a second typed between two pauses counts, in the typing
    // time and in the time recorded.
    EXPECT_GE(typing, plan.leastTypingSeconds - 0.05) << plan.pausesMade << " pauses";
    EXPECT_NEAR(w[1], typing + penalty, 1.0) << "typing " << typing << " s + penalty " << penalty << " s";
    EXPECT_TRUE(QuitFromMenu(run));
}

// The aids a player may choose: a wrong key underlined as well as red, and
// the time left on a slip of its own, which a penalty shortens at once.
TEST(Letters, ChosenAidsUnderlineAWrongKeyAndShowTheTimeLeft)
{
    GameRun run;
    ASSERT_TRUE(FirstLetterWithSettings(run, "aids", "mistakes = underlined\ntime_left = yes\n"));
    const Scene *letter = SceneNamed("Scene04e1");
    const int limit = LetterLimit(ORIGINAL_CLOCK, letter->text, letter->difficulty);
    const int penalty = LetterPenalty(ORIGINAL_CLOCK, letter->difficulty);
    // The slip's inside as it must read after `spent` counted seconds.
    auto slipShows = [&](int spent) {
        TextItem t{TimeLeftText(spent, limit), 490, 66, 0, 20};
        t.centred = true;
        Image expected = Compose(letter->background, {t}, true, {{450, 62, 530, 90, 0xF4F0E6, 255}});
        return Difference(Screenshot(), expected, 451, 63, 79, 27) < 1.5;
    };
    auto slipWithin = [&](int from, int to) {
        return WaitFor([&] {
            for (int spent = from; spent <= to; spent++)
                if (slipShows(spent))
                    return true;
            return false;
        }, PAGE_MS);
    };
    ASSERT_TRUE(slipWithin(0, 3)) << "no time left shown";
    EXPECT_FALSE(slipShows(penalty)) << "the slip's check tells one time from another";

    TypeChar('#');   // the first character is a "D"
    ASSERT_TRUE(WaitFor([] { return CursorAt(0, TypeAdvance('#')); }, PAGE_MS));
    EXPECT_TRUE(slipWithin(penalty, penalty + 4)) << "the penalty did not shorten the time left";
    SavePng(Screenshot(), ShotPath("typing-aids"));
    const int width = TextWidth("#", 15, true);
    // The underline's row, just under the red mark, over the mark's width.
    EXPECT_GT(ShareOfColour(Screenshot(), 35, 45 + 13, width, 1, MISTAKE, 30), 0.9) << "no underline";
    ASSERT_TRUE(QuitAndSave());
    EXPECT_TRUE(QuitFromMenu(run));
}

// Called away for five seconds in the middle of a letter: the page pauses
// as F12 would, the key that comes back is not typed, and neither the clock
// nor the letter's typing time counts the time away.
TEST(Letters, LosingTheFocusPausesTheLetterAndItsClock)
{
    GameRun run;
    ASSERT_TRUE(ContinueFrom(run, "focus", Fresh(141, 0, 0)));
    ASSERT_TRUE(WaitFor([] { return CursorAt(0, 0); }, PAGE_MS));
    auto start = std::chrono::steady_clock::now();
    FocusThief thief;
    ASSERT_NE(thief.d, nullptr);
    thief.Take();
    ASSERT_TRUE(WaitFor(PauseShown, PAGE_MS)) << "no pause when the focus went";
    const int AWAY_MS = 5000;   // the time away is what is tested, not a wait for something
    Sleep(AWAY_MS);
    EXPECT_TRUE(PauseShown());
    thief.GiveBack();
    ParkPointer();
    TypeChar('D');
    ASSERT_TRUE(WaitFor([] { return !PauseShown(); }, PAGE_MS));
    ASSERT_TRUE(WaitFor([] { return CursorAt(0, 0); }, PAGE_MS)) << "the key that ended the pause was typed";

    TypingPlan plan;
    ASSERT_TRUE(TypeLetter("Scene04e1", plan));
    double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::vector<int32_t> w = SavedAfterTheLetter(run);
    ASSERT_EQ(w.size(), 13u);
    std::vector<std::string> fields = LastHistoryFields(run);
    ASSERT_GE(fields.size(), 7u);
    double typing = std::stod(fields[5]);
    EXPECT_LE(typing, elapsed - AWAY_MS / 1000.0 + 0.5) << "the time away was counted: " << elapsed << " s in all";
    EXPECT_NEAR(w[1], typing, 1.0) << "the recorded time is the typing time, without the time away";
    EXPECT_TRUE(QuitFromMenu(run));
}

// With the pause turned off, the clock runs on as it always did.
TEST(Letters, WithThePauseOffTheLetterRunsOnWithoutTheFocus)
{
    GameRun run;
    ASSERT_TRUE(FirstLetterWithSettings(run, "focus-off", "pause_on_focus_loss = no\n"));
    FocusThief thief;
    ASSERT_NE(thief.d, nullptr);
    thief.Take();
    EXPECT_FALSE(WaitFor(PauseShown, 1500)) << "paused though the player said not to";
    thief.GiveBack();
    ParkPointer();
    TypeChar('D');
    EXPECT_TRUE(WaitFor([] { return CursorAt(0, TypeAdvance('D')); }, PAGE_MS)) << "the key was not typed";
    ASSERT_TRUE(QuitAndSave());
    EXPECT_TRUE(QuitFromMenu(run));
}
