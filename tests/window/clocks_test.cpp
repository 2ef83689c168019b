// The clocks a player may choose, by real key presses: a typist at 30 words
// per minute with 5 % wrong keys, whose history says so, on "Your pace", on
// the original and with no clock; Backspace and the pause on the page; "Try
// again" after a time-out; and where a record on "Your pace" is kept.
#include "harness.h"

#include <X11/keysym.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>

#include "player/clock.h"
#include "player/game.h"
#include "player/typing.h"
#include "records/history.h"
#include "story/scene.h"

using namespace harness;

namespace {

const int PAGE_MS = 8000;
const int KEY_MS = 3000;
const int TYPE_X = 35, TYPE_Y = 45, PITCH = 15;
const int TIMEOUT_IMAGE = 26;
const uint32_t NOTE_INK = 0x5A5046;
// Inside the card of a finished page, and its paper.
const int CARD_X = 392, CARD_Y = 384, CARD_W = 196, CARD_H = 80;
const uint32_t CARD_PAPER = 0xF7F3E9;

std::vector<int32_t> At(int32_t resumeId, int32_t runTime = 0, int32_t runMistakes = 0)
{
    std::vector<int32_t> w(13, -1);
    w[0] = resumeId;
    w[1] = runTime;
    w[2] = runMistakes;
    return w;
}

// history.tsv with five letters at `wpm` and `accuracy` per cent.
bool WriteHistory(const GameRun &run, double wpm, double accuracy)
{
    std::string text = HistoryHeader();
    for (int i = 0; i < 5; i++) {
        HistoryEntry e;
        e.when = "2026-03-0" + std::to_string(i + 1) + "T18:04:09+01:00";
        e.scene = "Scene14";
        e.characters = 400;
        e.mistakes = int(400 * (100 - accuracy) / 100 + 0.5);
        e.typingTenths = int(400 / 5.0 / wpm * 600 + 0.5);
        e.wpmTenths = int(wpm * 10 + 0.5);
        e.accuracyTenths = int(accuracy * 10 + 0.5);
        text += FormatHistoryLine(e);
    }
    WriteSaveBytes(run, std::vector<uint8_t>(52, 0));   // makes the directory; replaced below
    return WriteFile(SaveDirectory(run) + "/history.tsv", std::vector<uint8_t>(text.begin(), text.end()));
}


int FirstLine(const Scene *scene)
{
    int line = 0;
    while (line < 25 && scene->text[line][0] == 0)
        line++;
    return line;
}

// The time-out picture, with or without its choice above the candle.
bool TimeOutShown()
{
    return Difference(Screenshot(), DataPicture(TIMEOUT_IMAGE), 0, 180, 640, 300) < 3.0;
}

// The time-out picture with its choice, answer `selected` in grey, and the
// line about the Settings' clocks when `gentler`.
bool TimeOutChoiceShown(int selected, bool gentler)
{
    std::vector<TextItem> items;
    const char *choices[] = {"Try again", "Back to the menu"};
    for (int i = 0; i < 2; i++) {
        TextItem t{choices[i], 320, 30 + 35 * i, selected == i + 1 ? 0xF4F0E6u : 0x8A8070u, 35};
        t.centred = true;
        items.push_back(t);
    }
    if (gentler) {
        TextItem t{"A gentler clock can be chosen in Settings.", 320, 112, 0xD89A8C, 20};
        t.centred = true;
        items.push_back(t);
    }
    Image expected = Compose(TIMEOUT_IMAGE, items);
    return Difference(Screenshot(), expected, 60, 25, 520, 115) < 1.0;
}

bool FinishedPageShown()
{
    return ShareOfColour(Screenshot(), CARD_X, CARD_Y, CARD_W, CARD_H, CARD_PAPER, 8) > 0.5;
}

// A typist at `wpm` as the game measures it (the keys that end lines take
// their time too), a wrong key every `every` keys; every key at its own
// moment from the first, so that a late one does not slow the rest. Stops
// at a time-out. True when every key went in.
bool TypeAtPace(const Scene *scene, double wpm, int every)
{
    int judged = 0, lines = 0;
    for (int l = 0; l < 25; l++)
        if (int n = strlen(scene->text[l])) {
            judged += n - 1;
            lines++;
        }
    const double gap = 60.0 / (wpm * 5) * judged / (judged + lines);
    auto start = std::chrono::steady_clock::now();
    int key = 0, typed = 0;
    for (int l = 0; l < 25; l++) {
        int n = strlen(scene->text[l]);
        for (int p = 0; p < n; p++, key++) {
            std::this_thread::sleep_until(start + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                                      std::chrono::duration<double>(gap * key)));
            char c = scene->text[l][p];
            bool wrong = p < n - 1 && ++typed % every == 0;
            TypeChar(wrong ? (c == '#' ? '$' : '#') : (p == n - 1 ? ' ' : c), 8);
            if (key % 10 == 0 && TimeOutShown())
                return false;
        }
    }
    return true;
}

}  // namespace

// Five letters at 30 wpm and 95 % in the history: "Your pace" sets the
// letter for 30 wpm, says so, and the typist finishes it.
TEST(Clocks, AThirtyWpmTypistFinishesOnYourPace)
{
    GameRun run = Prepare("pace30");
    ASSERT_TRUE(WriteHistory(run, 30, 95));
    WriteSave(run, At(14));
    ASSERT_TRUE(WriteSettings(run, "clock = pace\n"));
    ASSERT_TRUE(LaunchToMenu(run));
    ChooseMenuItem(MENU_CONTINUE);
    const Scene *letter = SceneNamed("Scene14");
    ASSERT_TRUE(WaitFor([&] { return CursorAt(FirstLine(letter), 0); }, PAGE_MS));
    WaitStable(1500);
    // The top margin says which pace the letter was set for.
    Image page = Screenshot();
    SavePng(page, ShotPath("clock-pace-page"));
    Image expected = Compose(letter->background, {{"Set for your pace: 30 wpm", 35, 23, NOTE_INK, PITCH}}, true);
    EXPECT_LT(Difference(page, expected, 30, 20, 200, 20), 1.0) << "the pace line";
    // Over its number, where a line set for another pace would differ.
    const int number = 35 + TextWidth("Set for your pace: ", PITCH, true);
    Image wrongPace = Compose(letter->background, {{"Set for your pace: 20 wpm", 35, 23, NOTE_INK, PITCH}}, true);
    EXPECT_LT(Difference(page, expected, number, 20, 20, 20), 1.0);
    EXPECT_GT(Difference(page, wrongPace, number, 20, 20, 20), 2.0) << "the check tells one pace from another";

    ASSERT_TRUE(TypeAtPace(letter, 30, 20)) << "timed out on Your pace";
    ASSERT_TRUE(WaitFor(FinishedPageShown, PAGE_MS));
    SavePng(Screenshot(), ShotPath("clock-pace-finished"));
    std::vector<std::string> f = LastHistoryFields(run);
    ASSERT_EQ(f.size(), 12u);
    EXPECT_EQ(f[11], "story");
    EXPECT_EQ(f[10], "pace");
    EXPECT_EQ(f[1], "Scene14");
    EXPECT_GE(std::stoi(f[4]), 15) << "one key in twenty wrong";
    double wpm = std::stod(f[7]);
    EXPECT_GT(wpm, 26) << "typed at about 30 wpm";
    EXPECT_LT(wpm, 31);
    EXPECT_GT(std::stoi(f[6]), 0) << "mistakes cost time on Your pace";
    Kill(run);
}

// The same typist on the original clock runs out of time; back at the
// menu, "No clock" is chosen in the settings and takes effect at the
// letter's next try, where even a wrong key in every eight (more penalty
// than the original's whole limit) never runs out and costs nothing.
TEST(Clocks, TheSameTypistTimesOutOnTheOriginalAndNeverWithNoClock)
{
    GameRun run = Prepare("original30");
    ASSERT_TRUE(WriteHistory(run, 30, 95));
    WriteSave(run, At(14, 50, 2));
    ASSERT_TRUE(LaunchToMenu(run));
    ChooseMenuItem(MENU_CONTINUE);
    const Scene *letter = SceneNamed("Scene14");
    ASSERT_TRUE(WaitFor([&] { return CursorAt(FirstLine(letter), 0); }, PAGE_MS));
    ASSERT_FALSE(TypeAtPace(letter, 30, 20)) << "finished on the original";
    ASSERT_TRUE(WaitFor(TimeOutShown, PAGE_MS));
    // Back to the menu from the time-out's choice.
    ASSERT_TRUE(WaitFor([] { return TimeOutChoiceShown(1, true); }, PAGE_MS));
    SavePng(Screenshot(), ShotPath("clock-timeout-choice"));
    PressKey(XK_Down, 60);
    ASSERT_TRUE(WaitFor([] { return TimeOutChoiceShown(2, true); }, KEY_MS));
    PressKey(XK_Return, 60);
    ASSERT_TRUE(WaitFor(MenuShown, PAGE_MS));
    EXPECT_EQ(SaveWords(run), At(14, 50, 2)) << "a time-out writes nothing";

    // Settings: down to the clock, twice to the right: "No clock".
    ChooseMenuItem(MENU_SETTINGS);
    ASSERT_TRUE(WaitStable());
    for (int i = 0; i < 7; i++)
        PressKey(XK_Down, 60);
    PressKey(XK_Right, 60);
    PressKey(XK_Right, 60);
    ASSERT_TRUE(WaitFor([&] {
        std::vector<uint8_t> b = ReadFile(SettingsFilePath(run));
        return std::string(b.begin(), b.end()).find("clock = none\n") != std::string::npos;
    }, PAGE_MS));
    SavePng(Screenshot(), ShotPath("clock-settings-none"));
    PressKey(XK_Escape, 60);
    ASSERT_TRUE(WaitFor(MenuShown, PAGE_MS));
    ChooseMenuItem(MENU_CONTINUE);
    ASSERT_TRUE(WaitFor([&] { return CursorAt(FirstLine(letter), 0); }, PAGE_MS));
    WaitStable(1500);
    Image start = Screenshot();
    SavePng(start, ShotPath("clock-none-page"));
    int wrong = 0;
    for (int l = 0; l < 25; l++) {
        int n = strlen(letter->text[l]);
        if (!n)
            continue;
        std::string keys(letter->text[l], n - 1);
        for (int p = 7; p < n - 1; p += 8, wrong++)
            keys[p] = keys[p] == '#' ? '$' : '#';
        TypeBurst(keys + " ");
        if (l == 2) {
            // The sprites stand still: no clock counts them down.
            Sleep(1500);   // the time that passes is what is checked
            EXPECT_LT(Difference(Screenshot(), start, 380, 42, 100, 100), 0.5) << "the sprites faded";
        }
    }
    ASSERT_TRUE(WaitFor(FinishedPageShown, PAGE_MS)) << "no finished page";
    SavePng(Screenshot(), ShotPath("clock-none-finished"));
    std::vector<std::string> f = LastHistoryFields(run);
    ASSERT_EQ(f.size(), 12u);
    EXPECT_EQ(f[11], "story");
    EXPECT_EQ(f[10], "none");
    EXPECT_EQ(std::stoi(f[4]), wrong) << "every wrong key counted";
    EXPECT_GT(wrong * 8, LetterLimit(ORIGINAL_CLOCK, letter->text, letter->difficulty));
    EXPECT_EQ(f[6], "0") << "no penalty without a clock";
    Kill(run);
}

// Backspace three times after a slip: no mistake, no move; the first
// letter of a run says so under the letter. And the pause covers the
// letter's lines, so that it cannot be read ahead.
TEST(Clocks, BackspaceIsNoMistakeAndThePauseCoversTheLetter)
{
    GameRun run;
    ASSERT_TRUE(ContinueFrom(run, "backspace", At(141)));
    const Scene *letter = SceneNamed("Scene04e1");
    ASSERT_TRUE(WaitFor([] { return CursorAt(0, 0); }, PAGE_MS));
    WaitStable(1500);
    TextItem note{"Mistakes stay: type on, no Backspace", 177, 421, NOTE_INK, PITCH};
    note.centred = true;
    Image noted = Compose(letter->background, {note}, true);
    EXPECT_LT(Difference(Screenshot(), noted, 28, 421, 299, 16), 1.0) << "the line under the first letter";
    EXPECT_GT(Difference(DataPicture(letter->background), noted, 28, 421, 299, 16), 2.0);

    TypeChar('#');   // a slip on the first character
    int x = TypeAdvance(letter->text[0][0]);
    ASSERT_TRUE(WaitFor([&] { return CursorAt(0, x); }, KEY_MS));
    for (int i = 0; i < 3; i++)
        PressKey(XK_BackSpace, 30);
    TypeChar(letter->text[0][1]);   // the key after them is typed where the cursor stood
    x += TypeAdvance(letter->text[0][1]);
    ASSERT_TRUE(WaitFor([&] { return CursorAt(0, x); }, KEY_MS)) << "Backspace moved the cursor";

    // F12: the letter's lines are the bare paper under the veil.
    PressKey(XK_F12, 30);
    ASSERT_TRUE(WaitFor(PauseShown, KEY_MS));
    Image paused = Screenshot();
    SavePng(paused, ShotPath("pause-covers-letter"));
    Image bare = Compose(letter->background, {}, true, {{0, 0, 639, 479, 0, 170}});
    Image veiledLetter = bare;
    {
        std::vector<TextItem> lines;
        for (int l = 0; l < 25; l++)
            lines.push_back({letter->text[l], TYPE_X, TYPE_Y + PITCH * l, 0x353535, PITCH});
        veiledLetter = Compose(letter->background, lines, true, {{0, 0, 639, 479, 0, 170}});
    }
    EXPECT_LT(Difference(paused, bare, 20, 45, 340, 150), 0.5) << "the letter shows through the pause";
    EXPECT_GT(Difference(paused, veiledLetter, 20, 45, 340, 150), 1.0) << "the check tells the letter from none";
    TypeChar('q');
    ASSERT_TRUE(WaitFor([&] { return !PauseShown() && CursorAt(0, x); }, KEY_MS));

    // The rest of the letter; one mistake in all.
    TypingPlan plan;
    std::string rest(letter->text[0] + 2, strlen(letter->text[0]) - 3);
    TypeBurst(rest + " ");
    for (int l = 1; l < 25; l++)
        if (int n = strlen(letter->text[l]))
            TypeBurst(std::string(letter->text[l], n - 1) + " ");
    ASSERT_TRUE(WaitFor(FinishedPageShown, PAGE_MS));
    std::vector<std::string> f = LastHistoryFields(run);
    ASSERT_EQ(f.size(), 12u);
    EXPECT_EQ(f[11], "story");
    EXPECT_EQ(f[4], "1") << "Backspace counted as a mistake";
    EXPECT_EQ(f[10], "original");
    Kill(run);
}

// After a time-out, "Try again" opens the same letter's page at once, its
// clock at 0, and nothing of the failed try is kept.
TEST(Clocks, TryAgainAfterATimeOutOpensTheSameLetterWithItsClockAtZero)
{
    GameRun run = Prepare("tryagain");
    WriteSave(run, At(141, 40, 1));
    ASSERT_TRUE(WriteSettings(run, "time_left = yes\n"));
    ASSERT_TRUE(LaunchToMenu(run));
    ChooseMenuItem(MENU_CONTINUE);
    ASSERT_TRUE(WaitFor([] { return CursorAt(0, 0); }, PAGE_MS));
    // 278 seconds at seven a mistake: forty wrong keys use them up.
    ASSERT_TRUE(WaitFor([] {
        TypeChar('#');
        return TimeOutShown();
    }, 30000, 25));
    ASSERT_TRUE(WaitFor([] { return TimeOutChoiceShown(1, true); }, PAGE_MS));
    SavePng(Screenshot(), ShotPath("try-again-choice"));
    PressKey(XK_Return, 60);
    const Scene *letter = SceneNamed("Scene04e1");
    const int limit = LetterLimit(ORIGINAL_CLOCK, letter->text, letter->difficulty);
    auto slipShows = [&](int spent) {
        TextItem t{TimeLeftText(spent, limit), 490, 66, 0, 20};
        t.centred = true;
        Image expected = Compose(letter->background, {t}, true, {{450, 62, 530, 90, 0xF4F0E6, 255}});
        return Difference(Screenshot(), expected, 451, 63, 79, 27) < 1.5;
    };
    ASSERT_TRUE(WaitFor([&] { return CursorAt(0, 0) && (slipShows(0) || slipShows(1)); }, PAGE_MS))
        << "not the letter's page with its clock at 0";
    SavePng(Screenshot(), ShotPath("try-again-page"));
    EXPECT_TRUE(ShareOfColour(Screenshot(), 20, 40, 340, 390, 0xC4262A, 30) < 0.0005) << "the failed try's marks";
    // A second time-out: the line about the clocks was said once.
    ASSERT_TRUE(WaitFor([] {
        TypeChar('#');
        return TimeOutShown();
    }, 30000, 25));
    ASSERT_TRUE(WaitFor([] { return TimeOutChoiceShown(1, false); }, PAGE_MS));
    PressKey(XK_Escape, 60);
    ASSERT_TRUE(WaitFor(MenuShown, PAGE_MS));
    EXPECT_EQ(SaveWords(run), At(141, 40, 1)) << "a time-out writes nothing";
    EXPECT_TRUE(QuitFromMenu(run));
}

// A play-through finished on "Your pace": its record is in clocks.dat, the
// progress file's records are as they were, and the Hall shows it on the
// page of its clock.
TEST(Clocks, ARunOnYourPaceIsKeptBesideTheProgressFileAndShownOnItsOwnPage)
{
    GameRun run = Prepare("pacerecord");
    std::vector<int32_t> before = {141, 40, 1, 300, 2, -1, -1, 500, 3, -1, -1, -1, -1};
    WriteSave(run, before);
    ASSERT_TRUE(WriteSettings(run, "clock = pace\n"));
    ASSERT_TRUE(LaunchToMenu(run));
    ChooseMenuItem(MENU_CONTINUE);
    ASSERT_TRUE(TypeLetter("Scene04e1"));
    ASSERT_TRUE(FinishLetter());
    // Scene04e2 closes path 1: its pages, then the roll; a key ends it.
    ASSERT_TRUE(ReadNarration("Scene04e2"));
    // The ending writes the record before the roll.
    std::string text;
    ASSERT_TRUE(WaitFor([&] {
        std::vector<uint8_t> clocks = ReadFile(SaveDirectory(run) + "/clocks.dat");
        text.assign(clocks.begin(), clocks.end());
        return text.find("record\tpace\t1\t") != std::string::npos &&
               text.find("record\tpace\t1\t-1") == std::string::npos;
    }, PAGE_MS)) << text;
    std::vector<int32_t> w = SaveWords(run);
    ASSERT_EQ(w.size(), 13u);
    EXPECT_EQ(std::vector<int32_t>(w.begin() + 3, w.end()), std::vector<int32_t>(before.begin() + 3, before.end()))
        << "gmstat.dat's records changed";
    size_t at = text.find("record\tpace\t1\t");
    ASSERT_NE(at, std::string::npos) << text;
    int32_t time = std::stoi(text.substr(at + 14));
    EXPECT_EQ(time, w[1]) << "the run's time is path 1's record on Your pace";
    EXPECT_NE(text.find("run\tpace\t"), std::string::npos) << text;
    Sleep(500);
    PressKey(XK_space);
    ASSERT_TRUE(WaitFor(MenuShown, PAGE_MS * 2));

    // The Hall: its first page as before; Right twice, the table of Your pace.
    Image first;
    ASSERT_TRUE(OpenHall("hall-original", first));
    Image expected = Compose(HS_BACKGROUND, HallTexts({"5min+0s", "N/A", "8min+20s", "N/A", "N/A"},
                                                      {"2mis", "", "3mis", "", ""}));
    EXPECT_LT(Difference(first, expected, 0, 0, 600, 420), 0.6) << "the first page";
    PressKey(XK_Right, 60);
    ASSERT_TRUE(WaitStable());
    SavePng(Screenshot(), ShotPath("hall-typing-clocks"));
    PressKey(XK_Right, 60);
    std::string timeText = std::to_string(time / 60) + "min+" + std::to_string(time % 60) + "s";
    std::vector<TextItem> items = HallTexts({timeText, "N/A", "N/A", "N/A", "N/A"},
                                            {"1mis", "", "", "", ""});
    items.resize(items.size() - 3);   // the first page's items
    items.push_back({"Clock: Your pace. Every letter on Your pace or the original clock.", 80, 108, 0, 20});
    items.push_back({"Your typing", 50, 380, 0, 30});
    items.push_back({"No clock", 270, 380, 0, 30});
    items.push_back({"Back", 500, 380, 0, 30});
    Image pace = Compose(HS_BACKGROUND, items);
    ASSERT_TRUE(WaitFor([&] { return Difference(Screenshot(), pace, 0, 0, 600, 420) < 0.6; }, PAGE_MS))
        << "the table of Your pace";
    SavePng(Screenshot(), ShotPath("hall-pace"));
    PressKey(XK_Right, 60);
    ASSERT_TRUE(WaitStable());
    SavePng(Screenshot(), ShotPath("hall-none"));
    PressKey(XK_Return, 60);
    ASSERT_TRUE(WaitFor(MenuShown, PAGE_MS));
    EXPECT_TRUE(QuitFromMenu(run));
}

