// A letter's figures as a player meets them: typed at a known pace with two
// wrong keys, they stand on a card of the finished page, go into the
// history line appended behind a damaged history left byte for byte, and
// change the chart of the Hall's second page; and that page without any
// history, its bests, and the way back to the unchanged first page.
#include "harness.h"

#include <X11/keysym.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstring>

#include "story/scene.h"

using namespace harness;

namespace {

const int PAGE_MS = 8000;
const int KEY_GAP_MS = 20;
const char LETTER[] = "Scene04e1";

// The card on the finished page, as the test expects it to be laid out.
const int CARD_LEFT = 388, CARD_TOP = 380, CARD_RIGHT = 592, CARD_BOTTOM = 467;
const int CARD_PAD_X = 12, CARD_PAD_Y = 9, CARD_VALUE_X = 88, CARD_PITCH = 19, CARD_SIZE = 15;
const uint32_t CARD_PAPER = 0xF7F3E9, CARD_LABEL = 0x353535;

// The chart of the second page, and where its captions stand.
const int CHART_X = 290, CHART_Y = 105, CHART_W = 340, CHART_H = 185;

std::string Text(const std::vector<uint8_t> &bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

std::vector<std::string> Split(const std::string &line, char by)
{
    std::vector<std::string> parts;
    size_t at = 0;
    for (;;) {
        size_t next = line.find(by, at);
        parts.push_back(line.substr(at, next == std::string::npos ? std::string::npos : next - at));
        if (next == std::string::npos)
            return parts;
        at = next + 1;
    }
}

std::string HistoryPathOf(const GameRun &run)
{
    return SaveDirectory(run) + "/history.tsv";
}

// Sixty letters of earlier days, slow and accurate, then damage: garbage,
// a NUL byte, and a last line cut short by a crash.
std::string EarlierHistory()
{
    std::string file = "date\tscene\tpath\tcharacters\tmistakes\ttyping seconds\tpenalty seconds\t"
                       "words per minute\taccuracy\tmissed\n";
    for (int k = 0; k < 60; k++) {
        // 300 characters, 60 words, in 60 to 89.5 seconds: 60 down to 40 wpm.
        double seconds = 60 + k / 2.0;
        char line[200];
        snprintf(line, sizeof line, "2026-02-%02dT10:00:00+01:00\tScene05\t0\t300\t1\t%.1f\t7\t%.1f\t99.7\te1\n",
                 1 + k % 28, seconds, 60.0 * 60.0 / seconds);
        file += line;
        if (k == 30)
            file += std::string("garbage \x01\x02\t\t\n") + std::string(1, '\0') + "nul\n";
    }
    return file + "2026-03-01T09:00:00+01:00\tScene05\t0\t30";
}

// The finished page's card, as it must read for the letter's history line.
Image ExpectedCard(int background, const std::vector<std::string> &f)
{
    int tenths = int(std::lround(std::stod(f[5]) * 10));
    char time[40];
    if (tenths >= 600)
        snprintf(time, sizeof time, "%d min %d.%d s", tenths / 600, tenths % 600 / 10, tenths % 10);
    else
        snprintf(time, sizeof time, "%d.%d s", tenths / 10, tenths % 10);
    std::string mistakes = f[4] + (f[6] != "0" ? " (+" + f[6] + " s)" : "");
    const std::string rows[4][2] = {
        {"Speed", f[7] + " wpm"}, {"Accuracy", f[8] + " %"}, {"Mistakes", mistakes}, {"Time", time}};
    std::vector<TextItem> items;
    for (int r = 0; r < 4; r++) {
        int y = CARD_TOP + CARD_PAD_Y + CARD_PITCH * r;
        items.push_back({rows[r][0], CARD_LEFT + CARD_PAD_X, y, CARD_LABEL, CARD_SIZE});
        items.push_back({rows[r][1], CARD_LEFT + CARD_VALUE_X, y, 0, CARD_SIZE});
    }
    return Compose(background, items, true, {{CARD_LEFT, CARD_TOP, CARD_RIGHT, CARD_BOTTOM, CARD_PAPER, 255}});
}

bool TypingPageShown()
{
    return Difference(Screenshot(), Compose(HS_BACKGROUND, {{"Your typing", 80, 40, 0, 60}}), 70, 35, 330, 65) < 2.0;
}

// The second page of the Hall from the first, its screenshot saved.
bool TurnToTypingPage(const std::string &shot, Image &shown)
{
    PressKey(XK_Right);
    if (!WaitFor(TypingPageShown, 3000) || !WaitStable())
        return false;
    shown = Screenshot();
    SavePng(shown, ShotPath(shot));
    return true;
}

}  // namespace

TEST(Feedback, ALetterAtAKnownPaceIsCardedRecordedAndCharted)
{
    GameRun run = Prepare("feedback");
    std::vector<int32_t> words(13, -1);
    words[0] = 141;   // "Continue Playing" opens the first letter
    words[1] = words[2] = 0;
    WriteSave(run, words);
    const std::string earlier = EarlierHistory();
    ASSERT_TRUE(WriteFile(HistoryPathOf(run), std::vector<uint8_t>(earlier.begin(), earlier.end())));
    ASSERT_TRUE(LaunchToMenu(run));

    Image firstPage, before;
    ASSERT_TRUE(OpenHall("feedback-hall-records", firstPage));
    ASSERT_TRUE(TurnToTypingPage("feedback-hall-typing-before", before));
    PressKey(XK_Return);
    ASSERT_TRUE(WaitFor(MenuShown, PAGE_MS)) << "Enter leaves from the second page too";

    // The letter at a steady pace, two keys wrong.
    const Scene *letter = SceneNamed(LETTER);
    ASSERT_NE(letter, nullptr);
    int judged = 0;
    for (int l = 0; l < 25; l++)
        if (letter->text[l][0])
            judged += int(strlen(letter->text[l])) - 1;
    TypingPlan plan;
    plan.keyGapMs = KEY_GAP_MS;
    plan.wrong = {{2, 3, '#'}, {5, 0, '#'}};
    const char missedA = letter->text[2][3], missedB = letter->text[5][0];
    ASSERT_NE(missedA, '#');
    ASSERT_NE(missedB, '#');
    auto start = std::chrono::steady_clock::now();
    ChooseMenuItem(MENU_CONTINUE);
    ASSERT_TRUE(TypeLetter(LETTER, plan));
    double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    // Well within the two seconds of rest: the card stands from its first frame.
    Image finished = Screenshot();
    SavePng(finished, ShotPath("feedback-finished-page"));
    ASSERT_TRUE(FinishLetter());
    const Scene *next = SceneNamed("Scene04e2");
    ASSERT_TRUE(WaitForScreen(NarrationPage(next, NarrationPages(next)[0]), PAGE_MS));

    // The history: what was there, byte for byte, then a new line.
    std::string history = Text(ReadFile(HistoryPathOf(run)));
    ASSERT_GT(history.size(), earlier.size());
    EXPECT_EQ(history.substr(0, earlier.size()), earlier) << "the damaged history was changed";
    ASSERT_EQ(history[earlier.size()], '\n') << "the cut line was not ended first";
    std::string added = history.substr(earlier.size() + 1);
    ASSERT_FALSE(added.empty());
    EXPECT_EQ(added.find('\n'), added.size() - 1) << "one line: " << added;
    std::vector<std::string> f = Split(added.substr(0, added.size() - 1), '\t');
    ASSERT_EQ(f.size(), 12u) << added;
    EXPECT_EQ(f[10], "original") << "the clock it was typed on";
    EXPECT_EQ(f[11], "story");
    EXPECT_EQ(f[0].size(), 25u) << "ISO 8601 with its offset: " << f[0];
    EXPECT_EQ(f[1], LETTER);
    EXPECT_EQ(f[2], "1");
    EXPECT_EQ(std::stoi(f[3]), judged);
    EXPECT_EQ(f[4], "2");
    EXPECT_EQ(f[6], "14") << "seven seconds a mistake at the letter's difficulty";
    double seconds = std::stod(f[5]), wpm = std::stod(f[7]);
    // Every key waits for the cursor and then the gap: the typing took at
    // least the gaps, and at most the whole walk from the menu.
    double keys = judged + 12;   // and one key ends each line
    double fastest = judged / 5.0 / (keys * KEY_GAP_MS / 1000.0 / 60.0);
    double slowest = judged / 5.0 / (wall / 60.0);
    EXPECT_GE(seconds, keys * KEY_GAP_MS / 1000.0 - 0.05);
    EXPECT_LE(seconds, wall + 0.05);
    EXPECT_GE(wpm, slowest - 0.1);
    EXPECT_LE(wpm, fastest + 0.1);
    // The speed is the line's own characters over its time, which was rounded to a tenth.
    EXPECT_GE(wpm, judged / 5.0 / ((seconds + 0.05) / 60.0) - 0.05);
    EXPECT_LE(wpm, judged / 5.0 / ((seconds - 0.05) / 60.0) + 0.05);
    EXPECT_NEAR(std::stod(f[8]), 100.0 * (judged - 2) / judged, 0.051);
    std::vector<std::string> missed = Split(f[9], ' ');
    std::string a = std::string(1, missedA), b = std::string(1, missedB);
    if (a == b)
        EXPECT_EQ(missed, std::vector<std::string>{a + "2"});
    else
        EXPECT_TRUE(missed == (std::vector<std::string>{a + "1", b + "1"}) ||
                    missed == (std::vector<std::string>{b + "1", a + "1"}))
            << f[9];

    // The card shows the line's own figures, where nothing else stands.
    Image card = ExpectedCard(letter->background, f);
    Image bare = DataPicture(letter->background);
    const int x = CARD_LEFT + 2, y = CARD_TOP + 2, w = CARD_RIGHT - CARD_LEFT - 3, h = CARD_BOTTOM - CARD_TOP - 3;
    EXPECT_LT(Difference(finished, card, x, y, w, h), 2.0) << "the card with the appended figures";
    EXPECT_GT(Difference(finished, bare, x, y, w, h), 20.0) << "no card on the finished page";
    std::vector<std::string> other = f;
    other[4] = "3";
    const int row = CARD_TOP + CARD_PAD_Y + 2 * CARD_PITCH, valueX = CARD_LEFT + CARD_VALUE_X;
    EXPECT_GT(Difference(finished, ExpectedCard(letter->background, other), valueX, row, 10, CARD_PITCH),
              Difference(finished, card, valueX, row, 10, CARD_PITCH) + 1.0)
        << "the comparison tells one figure from another";

    // The chart takes the letter in; the first page is as it was.
    ASSERT_TRUE(QuitAndSave());
    Image recordsAgain, after;
    ASSERT_TRUE(OpenHall("feedback-hall-records-again", recordsAgain));
    ASSERT_TRUE(TurnToTypingPage("feedback-hall-typing-after", after));
    EXPECT_GT(Difference(before, after, CHART_X, CHART_Y, CHART_W, CHART_H), 1.0) << "the chart did not change";
    EXPECT_LT(Difference(before, after, 40, 30, 250, 260), 0.5) << "the bests changed without an ending";
    // Left, and the "Records" item, go back to the unchanged first page.
    PressKey(XK_Left);
    ASSERT_TRUE(WaitFor([&] { return Difference(Screenshot(), recordsAgain, 0, 0, 640, 370) < 0.5; }, 3000));
    ASSERT_TRUE(TurnToTypingPage("feedback-hall-typing-after", after));
    Click(60, 395);
    ASSERT_TRUE(WaitFor([&] { return Difference(Screenshot(), firstPage, 0, 0, 640, 370) < 0.5; }, 3000));
    // "Your typing", where "Records" stood, turns to the second page again.
    Click(60, 395);
    ASSERT_TRUE(WaitFor(TypingPageShown, 3000)) << "the first page's item does not lead to the second";
    Click(60, 395);
    ASSERT_TRUE(WaitFor([&] { return Difference(Screenshot(), firstPage, 0, 0, 640, 370) < 0.5; }, 3000));
    Click(520, 395);
    ASSERT_TRUE(WaitFor(MenuShown, PAGE_MS)) << "a click on Back leaves";
    EXPECT_TRUE(QuitFromMenu(run));
}

TEST(Feedback, WithoutAHistoryTheSecondPageSaysSo)
{
    GameRun run = Prepare("feedback-empty");
    WriteSave(run, std::vector<int32_t>(13, -1));
    const std::string typing = "paperlune typing 1\npath\t4\t455\t970\n";
    ASSERT_TRUE(WriteFile(SaveDirectory(run) + "/typing.dat", std::vector<uint8_t>(typing.begin(), typing.end())));
    ASSERT_TRUE(LaunchToMenu(run));
    Image firstPage, page;
    ASSERT_TRUE(OpenHall("feedback-hall-records-empty", firstPage));
    ASSERT_TRUE(TurnToTypingPage("feedback-hall-typing-empty", page));
    std::vector<TextItem> items = {
        {"No letters typed yet.", 458, 160, 0, 20, true},
        {"Every letter you finish", 458, 188, 0, 20, true},
        {"is added here.", 458, 216, 0, 20, true},
        // The original clock's column: the speed over the accuracy, in red.
        {"4", 50, 226, 0, 16},
        {"45.5 wpm", 92, 226, 0, 14},
        {"97.0 %", 92, 238, 0xC4262A, 14},
        {"3", 50, 200, 0, 16},
        {"N/A", 92, 200, 0, 14},
        {"N/A", 162, 200, 0, 14},
        {"N/A", 232, 200, 0, 14},
        {"N/A", 162, 226, 0, 14},
        {"N/A", 232, 226, 0, 14},
    };
    Image expected = Compose(HS_BACKGROUND, items);
    EXPECT_LT(Difference(page, expected, 300, 150, 320, 100), 1.5) << "says plainly there is none";
    EXPECT_LT(Difference(page, expected, 45, 198, 245, 56), 1.5) << "the best of path 4, and none for path 3";
    items[4].text = "45.6 wpm";
    EXPECT_GT(Difference(page, Compose(HS_BACKGROUND, items), 45, 224, 245, 14),
              Difference(page, expected, 45, 224, 245, 14) + 0.5);
    // Escape does not leave: the Left after it still finds the Hall, and
    // goes back to the first page as it was.
    PressKey(XK_Escape);
    PressKey(XK_Left);
    ASSERT_TRUE(WaitFor([&] { return Difference(Screenshot(), firstPage, 0, 0, 640, 370) < 0.5; }, 3000))
        << "Escape left the Hall";
    Image back = Screenshot();
    Image table = Compose(HS_BACKGROUND, HallTexts({"N/A", "N/A", "N/A", "N/A", "N/A"}, {"", "", "", "", ""}));
    EXPECT_LT(Difference(back, table, 0, 0, 640, 370), 1.0) << "the first page has nothing added";
    PressKey(XK_Return);
    ASSERT_TRUE(WaitFor(MenuShown, PAGE_MS));
    EXPECT_TRUE(QuitFromMenu(run));
}
