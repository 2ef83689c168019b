// The scene player as a player meets it: pages, letter boxes, choices, the
// quit dialog and an ending reached from a saved game.
#include "harness.h"

#include <X11/keysym.h>
#include <gtest/gtest.h>

#include "story/scene.h"

using namespace harness;

namespace {

const int PAGE_MS = 8000;
const int SOUND_MS = 5000;

// After "Continue Playing" with nothing to continue: the bell rings as the
// item is taken, and the menu stays on the item. A Down after the bell moves
// the highlight on, which only the menu answers.
bool MenuStaysOnItem(const GameRun &run, size_t soundBefore, int item)
{
    const std::vector<float> bell = GameSound("bell.wav");
    if (!WaitFor([&] { return !FindSample(CapturedSince(run, soundBefore), bell).empty(); }, SOUND_MS, 50))
        return false;
    ParkPointer();
    PressKey(XK_Down);
    return WaitFor([&] { return MenuHighlight() == item + 1; }, 3000) && MenuShown();
}

// The quit dialog is still open, "Yes" highlighted: Down and Up, which only
// the dialog answers, come after the click and move its highlight.
bool DialogStays()
{
    PressKey(XK_Down);
    if (!WaitFor([] { return QuitDialogShown(2); }, 3000))
        return false;
    PressKey(XK_Up);
    return WaitFor([] { return QuitDialogShown(1); }, 3000);
}

}  // namespace

TEST(Story, NewGameTurnsItsPagesOneKeyAtATimeUpToTheFirstChoice)
{
    GameRun run = Prepare("newgame");
    ASSERT_TRUE(LaunchToMenu(run));
    ChooseMenuItem(MENU_NEW_GAME);

    const Scene *first = SceneNamed("Scene01");
    ASSERT_NE(first, nullptr);
    std::vector<std::vector<int>> pages = NarrationPages(first);
    ASSERT_TRUE(WaitForScreen(NarrationPage(first, pages[0]), PAGE_MS));
    SavePng(Screenshot(), ShotPath("narration-scene01"));
    Sleep(1500);
    EXPECT_LT(Difference(Screenshot(), NarrationPage(first, pages[0]), 0, 0, SHOT_W, SHOT_H), 2.0)
        << "a page waits for the player";
    ASSERT_TRUE(ReadNarration("Scene01"));
    ASSERT_TRUE(ReadNarration("Scene02"));
    ASSERT_TRUE(ReadNarration("Scene03"));
    const Scene *choice = SceneNamed("Scene03");
    ASSERT_TRUE(WaitForScreen(ChoiceScreen(choice, 1), PAGE_MS));
    SavePng(Screenshot(), ShotPath("choice-scene03"));
    PressKey(XK_Down);
    EXPECT_TRUE(WaitForScreen(ChoiceScreen(choice, 2), 3000));
    PressKey(XK_Up);
    EXPECT_TRUE(WaitForScreen(ChoiceScreen(choice, 1), 3000));

    // Escape offers to quit; "No" returns to the same screen.
    ParkPointer();
    PressKey(XK_Escape);
    ASSERT_TRUE(WaitFor([] { return QuitDialogShown(1); }, 3000)) << "Yes is preselected";
    SavePng(Screenshot(), ShotPath("quit-dialog"));
    PressKey(XK_Down);
    ASSERT_TRUE(WaitFor([] { return QuitDialogShown(2); }, 3000));
    PressKey(XK_Return);
    ASSERT_TRUE(WaitForScreen(ChoiceScreen(choice, 1), 3000));

    // "Yes" saves the group of the opening, which cannot be continued.
    PressKey(XK_Escape);
    ASSERT_TRUE(WaitFor([] { return QuitDialogShown(1); }, 3000));
    PressKey(XK_Return);
    ASSERT_TRUE(WaitFor(MenuShown, PAGE_MS));
    std::vector<int32_t> words = SaveWords(run);
    ASSERT_EQ(words.size(), 13u);
    EXPECT_EQ(words[0], 0);
    EXPECT_EQ(words[1], 0);
    EXPECT_EQ(words[2], 0);
    for (int i = 3; i < 13; i++)
        EXPECT_EQ(words[i], -1);

    // Nothing to continue: the menu comes back with the same item.
    size_t before = CapturedSound(run).size();
    ChooseMenuItem(MENU_CONTINUE);
    EXPECT_TRUE(MenuStaysOnItem(run, before, 2));
    EXPECT_TRUE(QuitFromMenu(run));
}

TEST(Story, QuitDialogAnswersOnlyToClicksOnItsAnswers)
{
    GameRun run = Prepare("quitclick");
    ASSERT_TRUE(LaunchToMenu(run));
    ChooseMenuItem(MENU_NEW_GAME);
    const Scene *first = SceneNamed("Scene01");
    ASSERT_TRUE(WaitForScreen(NarrationPage(first, NarrationPages(first)[0]), PAGE_MS));
    ParkPointer();
    ASSERT_TRUE(WaitStable());   // Escape is read only while it is down, not during a fade
    PressKey(XK_Escape);
    ASSERT_TRUE(WaitFor([] { return QuitDialogShown(1); }, 3000));
    Click(340, 220);   // between the answers
    ParkPointer();
    EXPECT_TRUE(DialogStays());
    SavePng(Screenshot(), ShotPath("quit-after-click-between"));
    Click(300, 195);   // above the band
    ParkPointer();
    EXPECT_TRUE(DialogStays());
    Click(410, 220);   // "No"
    ASSERT_TRUE(WaitForScreen(NarrationPage(first, NarrationPages(first)[0]), 3000)) << "back on the same page";
    ASSERT_EQ(SaveWords(run).size(), 13u);
    EXPECT_EQ(SaveWords(run)[1], -1) << "\"No\" writes nothing: the file still holds the defaults";
    PressKey(XK_Escape);
    ASSERT_TRUE(WaitFor([] { return QuitDialogShown(1); }, 3000));
    Click(210, 220);   // "Yes"
    ASSERT_TRUE(WaitFor(MenuShown, PAGE_MS));
    EXPECT_EQ(SaveWords(run)[1], 0) << "\"Yes\" wrote the run of the new game";
    EXPECT_TRUE(QuitFromMenu(run));
}

TEST(Story, ContinuedGameReadsTheLetterBoxesAndRecordsItsEnding)
{
    GameRun run;
    ASSERT_TRUE(ContinueFrom(run, "continue3262", {3262, 900, 3, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1}));
    ASSERT_TRUE(ReadNarration("Scene26e2"));
    ASSERT_TRUE(ReadLetterBox("Scene26e3"));
    SavePng(Screenshot(), ShotPath("letterbox-scene26e4"));
    ASSERT_TRUE(ReadLetterBox("Scene26e4"));
    ASSERT_TRUE(ReadLetterBox("Scene26e5"));

    // The record is written before the roll starts.
    ASSERT_TRUE(WaitFor([&] {
        std::vector<int32_t> w = SaveWords(run);
        return w.size() == 13 && w[7] == 900;
    }, PAGE_MS));
    EXPECT_EQ(SaveWords(run), (std::vector<int32_t>{3262, 900, 3, -1, -1, -1, -1, 900, 3, -1, -1, -1, -1}));

    // A click never ends the roll; the ending lines come last. Once it runs,
    // the closing picture stands with its lower half darkened under the
    // few lines of the roll.
    const Scene *closing = SceneNamed("Scene26e6");
    Image stage = Compose(closing->background, {}, false, {{10, 240, 630, 470, 0x000000, 128}});
    ASSERT_TRUE(WaitFor([&] { return Difference(Screenshot(), stage, 0, 0, 640, 480) < 4.0; }, PAGE_MS))
        << "the roll did not start";
    Click(320, 300);
    int offset = 0;
    double d = 255;
    // Each look tries every offset; the ending lines stand for some nine
    // seconds, so a look every second and a half finds them.
    ASSERT_TRUE(WaitFor([&] {
        d = EndingLinesDifference(Screenshot(), closing->background, "Ending 3 of 5", "Irela Ending", &offset);
        return d < 3.0;
    }, 45000, 1500)) << "best difference " << d;
    Image s = Screenshot();
    SavePng(s, ShotPath("credits-ending3"));
    int wrongOffset;
    EXPECT_GT(EndingLinesDifference(s, closing->background, "Ending 4 of 5", "Tovanne Ending", &wrongOffset), d + 1.0);
    PressKey(XK_space);
    EXPECT_TRUE(QuitFromMenu(run));
}

TEST(Story, DamagedResumeValueStartsNothing)
{
    std::vector<int32_t> words = {9999, 10, 1, 50, 2, -1, -1, -1, -1, -1, -1, -1, -1};
    GameRun run;
    ASSERT_TRUE(ContinueFrom(run, "resume9999", words));
    EXPECT_TRUE(MenuStaysOnItem(run, 0, 2));   // the first bell of the run
    EXPECT_EQ(SaveWords(run), words);
    EXPECT_TRUE(QuitFromMenu(run));
}

TEST(Story, TheChoiceUnderThePointerIsHighlightedAndAClickTakesIt)
{
    GameRun run;
    ASSERT_TRUE(ContinueFrom(run, "choiceclick", SaveAt(11)));
    ASSERT_TRUE(ReadNarration("Scene11"));
    const Scene *choice = SceneNamed("Scene12");
    ASSERT_TRUE(WaitForScreen(ChoiceScreen(choice, 1), PAGE_MS));
    // Over the second answer's line (the first's is one line height above).
    MoveMouse(SHOT_W / 2, 200 + choice->choiceFontSize + choice->choiceFontSize / 2);
    ASSERT_TRUE(WaitForScreen(ChoiceScreen(choice, 2), 3000)) << "no highlight under the pointer";
    SavePng(Screenshot(), ShotPath("choice-pointer"));
    // Resting there, the pointer leaves the keys their say.
    PressKey(XK_Up);
    ASSERT_TRUE(WaitForScreen(ChoiceScreen(choice, 1), 3000));
    Click(SHOT_W / 2, 200 + choice->choiceFontSize + choice->choiceFontSize / 2);
    ASSERT_TRUE(WaitFor([&] { return Difference(Screenshot(), ChoiceScreen(choice, 2), 0, 0, SHOT_W, SHOT_H) > 10; },
                        PAGE_MS)) << "the click did not take the answer";
    ParkPointer();
    PressKey(XK_Escape);
    ASSERT_TRUE(WaitFor([] { return QuitDialogShown(1); }, PAGE_MS));
    PressKey(XK_Return);
    ASSERT_TRUE(WaitFor(MenuShown, PAGE_MS));
    EXPECT_EQ(SaveWords(run)[0], 14) << "the second answer leads to the letter that begins group 14";
    EXPECT_TRUE(QuitFromMenu(run));
}
