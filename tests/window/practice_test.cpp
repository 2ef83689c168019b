// Practice by real key presses: the list of the letters reached, a letter
// typed again that leaves the story as it was, the pace marker ahead of a
// slower run, the card that says the best still stands, and the drill.
#include "harness.h"

#include <X11/keysym.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include <sys/stat.h>

#include "story/scene.h"

using namespace harness;

namespace {

const int PAGE_MS = 8000;
const int KEY_MS = 3000;
const char LETTER[] = "Scene04e1";
const int TYPE_X = 35, TYPE_Y = 45, PITCH = 15;
const uint32_t GREY = 0x8A8070, HINT = 0x8C2B27, RED = 0xFF0000;
const int ROW_Y = 120, ROW_PITCH = 22;
// The card's paper and where its last line, the verdict, stands.
const uint32_t CARD_PAPER = 0xF7F3E9;
const int CARD_LEFT = 348, CARD_RIGHT = 592, CARD_TOP = 380, CARD_BOTTOM = 467;
const int VERDICT_X = CARD_LEFT + 12, VERDICT_Y = CARD_TOP + 6 + 4 * 16;

const char *const PATHS[] = {"Path 1",    "Paths 2-5", "Paths 2-5", "Paths 2-5", "Path 2",    "Paths 3-5",
                             "Paths 3-5", "Paths 3-5", "Paths 3-5", "Paths 3-5", "Path 3",    "Paths 4-5"};

// The file as it stands on disk: a rewrite of the same bytes is a new file
// (replaced whole) and a new time.
std::string Identity(const std::string &path)
{
    struct stat st;
    if (stat(path.c_str(), &st) != 0)
        return "";
    return std::to_string(st.st_ino) + ":" + std::to_string(st.st_mtim.tv_sec) + "." +
           std::to_string(st.st_mtim.tv_nsec);
}

std::string Text(const std::vector<uint8_t> &bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

std::string PlayerFile(const GameRun &run, const char *name)
{
    return SaveDirectory(run) + "/" + name;
}

void WriteText(const std::string &path, const std::string &text)
{
    WriteFile(path, std::vector<uint8_t>(text.begin(), text.end()));
}

// The list with only the first letter reached (its best `wpm` and
// `accuracy`), the drill's row when given, and `selected` in red.
Image ListScreen(const std::string &wpm, const std::string &accuracy, const std::string &drill, int selected)
{
    std::vector<TextItem> items = {{"Practice", 80, 30, 0, 60}};
    const char *headers[] = {"Letter", "Path", "Best wpm", "Accuracy"};
    const int columns[] = {50, 300, 400, 495};
    for (int i = 0; i < 4; i++)
        items.push_back({headers[i], columns[i], 100, 0, 16});
    uint32_t first = selected == 1 ? RED : 0;
    items.push_back({"A reply to a song", 50, ROW_Y, first, 19});
    items.push_back({PATHS[0], 300, ROW_Y, first, 19});
    items.push_back({wpm, 400, ROW_Y, first, 19});
    items.push_back({accuracy, 495, ROW_Y, first, 19});
    for (int i = 1; i < 12; i++) {
        items.push_back({"Not yet reached", 50, ROW_Y + ROW_PITCH * i, GREY, 19});
        items.push_back({PATHS[i], 300, ROW_Y + ROW_PITCH * i, GREY, 19});
    }
    if (!drill.empty())
        items.push_back({drill, 50, ROW_Y + ROW_PITCH * 12 + 4, selected == 13 ? RED : 0, 19});
    items.push_back({"Back", 500, 412, selected == 14 ? RED : 0, 30});
    items.push_back({"Up and Down choose, Enter types the letter again. Escape goes back.", 50, 450, HINT, 16});
    return Compose(HS_BACKGROUND, items);
}

// Band by band, so that one row shown wrong stands out of the mean; left of
// the parked pointer.
double WorstBand(const Image &expected)
{
    Image shown = Screenshot();
    double worst = 0;
    for (int y = 20; y < SHOT_H; y += 22)
        worst = std::max(worst, Difference(shown, expected, 0, std::min(y, SHOT_H - 22), 600, 22));
    return worst;
}

// Blue above the other channels over a cell: the pace marker's ink.
double Blueness(const Image &s, int line, int x)
{
    int x0 = TYPE_X + x, y0 = TYPE_Y + PITCH * line + 2;
    double sum = 0;
    for (int yy = y0; yy < y0 + 11; yy++)
        for (int xx = x0; xx < x0 + 3; xx++) {
            uint32_t p = s.at(xx, yy);
            sum += int(p & 0xFF) - (int((p >> 16) & 0xFF) + int((p >> 8) & 0xFF)) / 2;
        }
    return sum / 33;
}

// The cells of the letter in typing order, with their x offsets.
struct Cell {
    int line, pos, x;
};
std::vector<Cell> JudgedCells(const Scene *scene)
{
    std::vector<Cell> cells;
    for (int l = 0; l < 25; l++) {
        int x = 0, length = strlen(scene->text[l]);
        for (int p = 0; p < length - 1; p++) {
            cells.push_back({l, p, x});
            x += TypeAdvance(scene->text[l][p]);
        }
    }
    return cells;
}

// The index of the cell the marker stands on (cells.size() for the
// letter's last character, where it ends), or -1: the bluest cell, when it
// stands out of the paper.
int MarkerCell(const Image &s, const Scene *scene, std::vector<Cell> cells)
{
    int last = 24;
    while (last > 0 && scene->text[last][0] == 0)
        last--;
    int end = 0;
    for (const char *c = scene->text[last]; c[0] && c[1]; c++)
        end += TypeAdvance(*c);
    cells.push_back({last, int(strlen(scene->text[last])) - 1, end});
    std::vector<double> blue;
    for (const Cell &c : cells)
        blue.push_back(Blueness(s, c.line, c.x));
    std::vector<double> sorted = blue;
    std::sort(sorted.begin(), sorted.end());
    size_t most = std::max_element(blue.begin(), blue.end()) - blue.begin();
    return blue[most] - sorted[sorted.size() / 2] > 15 ? int(most) : -1;
}

// The card's verdict line as it must read, on the card's paper.
Image Verdict(const std::string &text)
{
    return Compose(3, {{text, VERDICT_X, VERDICT_Y, 0, 14}}, true,
                   {{CARD_LEFT + 1, CARD_TOP + 1, CARD_RIGHT - 1, CARD_BOTTOM - 1, CARD_PAPER, 255}});
}

// The list's paper shows where nothing is written, right of its title.
bool ListShown()
{
    return Difference(Screenshot(), DataPicture(HS_BACKGROUND), 300, 40, 280, 50) < 3.0 && !MenuShown();
}

std::vector<std::string> LastFields(const std::string &text)
{
    if (text.size() < 2)
        return {};
    size_t from = text.rfind('\n', text.size() - 2);
    std::string line = text.substr(from == std::string::npos ? 0 : from + 1);
    std::vector<std::string> fields(1);
    for (char c : line.substr(0, line.size() - 1))
        if (c == '\t')
            fields.emplace_back();
        else
            fields.back() += c;
    return fields;
}

// The rest of a letter whose first line has `typed` characters typed, a
// line at a time; false when a line's end was not seen taken.
bool TypeRestOfLetter(const Scene *scene, int typed)
{
    for (int l = 0; l < 25; l++) {
        int length = strlen(scene->text[l]);
        if (length == 0)
            continue;
        int from = l == 0 ? typed : 0;
        TypeBurst(std::string(scene->text[l] + from, length - 1 - from));
        TypeChar(' ');
        int next = l + 1;
        while (next < 25 && scene->text[next][0] == 0)
            next++;
        if (next < 25 && !WaitFor([&] { return CursorAt(next, 0); }, KEY_MS))
            return false;
    }
    return true;
}

}  // namespace

// Only the first letter reached: the others show nothing of themselves and
// cannot be chosen; the letter typed in practice leaves the progress file
// as it was, adds a practice line to the history and is kept as the best;
// the drill opens on the same page and Escape's "Yes" leaves it.
TEST(Practice, ALetterTypedChangesNothingOfTheStoryAndIsKeptAsTheBest)
{
    GameRun run = Prepare("practice-first");
    WriteSave(run, SaveAt(142));   // after the first letter
    // A history long enough for the drill: 400 keys, "e" and "t" missed.
    WriteText(PlayerFile(run, "history.tsv"),
              "date\tscene\tpath\tcharacters\tmistakes\ttyping seconds\tpenalty seconds\twords per minute\t"
              "accuracy\tmissed\n2026-03-01T18:04:09+01:00\tScene04e1\t1\t400\t8\t120.0\t56\t40.0\t98.0\te5 t3\n");
    const std::vector<uint8_t> progress = ReadFile(SavePath(run));
    const std::string written = Identity(SavePath(run));
    ASSERT_TRUE(LaunchToMenu(run));
    ChooseMenuItem(MENU_PRACTICE);
    const Image list = ListScreen("-", "-", "Your weak keys: e, t", 1);
    ASSERT_TRUE(WaitFor([&] { return WorstBand(list) < 1.0; }, PAGE_MS)) << WorstBand(list);
    SavePng(Screenshot(), ShotPath("practice-list"));

    // Down passes the letters not reached; a click on one does nothing.
    PressKey(XK_Down, 60);
    ASSERT_TRUE(WaitFor([] { return WorstBand(ListScreen("-", "-", "Your weak keys: e, t", 13)) < 1.0; }, KEY_MS));
    PressKey(XK_Up, 60);
    Click(100, ROW_Y + ROW_PITCH * 3 + 10);
    ParkPointer();
    ASSERT_TRUE(WaitFor([&] { return WorstBand(list) < 1.0; }, KEY_MS)) << "not the list, or not on the first letter";

    PressKey(XK_Return, 60);
    TypingPlan plan;
    ASSERT_TRUE(TypeLetter(LETTER, plan));
    ASSERT_TRUE(WaitFor([] { return Difference(Screenshot(), Verdict("A new best, kept."), VERDICT_X, VERDICT_Y, 200, 16) < 4.0; },
                        KEY_MS))
        << "no card of a new best";
    SavePng(Screenshot(), ShotPath("practice-first-card"));
    ASSERT_TRUE(FinishLetter());
    std::string history = Text(ReadFile(PlayerFile(run, "history.tsv")));
    std::vector<std::string> f = LastFields(history);
    ASSERT_EQ(f.size(), 12u) << history;
    EXPECT_EQ(f[1], LETTER);
    EXPECT_EQ(f[10], "original") << "the clock chosen in the settings";
    EXPECT_EQ(f[11], "practice");
    std::string kept = Text(ReadFile(PlayerFile(run, "practice.dat")));
    EXPECT_NE(kept.find("\nbest\tScene04e1\tpractice\t"), std::string::npos) << kept;
    EXPECT_EQ(ReadFile(SavePath(run)), progress) << "practice wrote the progress file";

    // The list again, the best shown; then the drill: the letter's page with
    // the weak keys' words, left by Escape and "Yes".
    ASSERT_TRUE(WaitFor(ListShown,
                        PAGE_MS));
    PressKey(XK_Down, 60);
    PressKey(XK_Return, 60);
    ASSERT_TRUE(WaitFor([] { return CursorAt(0, 0); }, PAGE_MS)) << "no drill page";
    WaitStable();
    SavePng(Screenshot(), ShotPath("practice-drill"));
    PressKey(XK_Escape, 60);
    ASSERT_TRUE(WaitFor([] { return ShownPicture(Screenshot(), {QUIT_BACKGROUND}) == QUIT_BACKGROUND; }, PAGE_MS));
    PressKey(XK_Return, 60);
    ASSERT_TRUE(WaitFor(ListShown,
                        PAGE_MS))
        << "Yes did not come back to the list";
    PressKey(XK_Escape, 60);
    ASSERT_TRUE(WaitFor(MenuShown, PAGE_MS));
    EXPECT_EQ(Identity(SavePath(run)), written) << "the progress file was written again";
    EXPECT_FALSE(FileExists(PlayerFile(run, "typing.dat"))) << "practice saved the story's typing figures";
    // For a person to look at: the practice letter on the Hall's typing page.
    Image hall;
    ASSERT_TRUE(OpenHall("practice-hall", hall));
    PressKey(XK_Right, 60);
    ASSERT_TRUE(WaitFor([&] { return Difference(Screenshot(), hall, 0, 0, 640, 370) > 2.0; }, KEY_MS));
    WaitStable();
    SavePng(Screenshot(), ShotPath("practice-your-typing"));
    PressKey(XK_Return, 60);
    ASSERT_TRUE(WaitFor(MenuShown, PAGE_MS));
    ASSERT_TRUE(QuitFromMenu(run));
    EXPECT_EQ(ReadFile(SavePath(run)), progress) << "the progress file changed by the end";
}

// A best kept, far faster than this run: the marker is ahead of the cursor
// while the letter is typed, and the card says the best still stands.
TEST(Practice, ASlowerRunSeesTheMarkerAheadAndTheBestStands)
{
    GameRun run = Prepare("practice-slower");
    WriteSave(run, SaveAt(142));
    const Scene *scene = SceneNamed(LETTER);
    ASSERT_NE(scene, nullptr);
    std::vector<Cell> cells = JudgedCells(scene);
    // Every key 5 ms apart: a run of a second and a half, far ahead of a person.
    const int gap = 5;
    std::string keys;
    for (size_t i = 0; i < cells.size(); i++)
        keys += (i ? "," : "") + std::to_string(int(i + 1) * gap);
    const int bestMs = int(cells.size() + 1) * gap;
    std::string best = "best\tScene04e1\tstory\t" + std::to_string(cells.size()) + "\t0\t" + std::to_string(bestMs) +
                       "\t" + keys + "\n";
    WriteText(PlayerFile(run, "practice.dat"), "paperlune practice 1\nreached\tScene04e1\n" + best);
    ASSERT_TRUE(LaunchToMenu(run));
    ChooseMenuItem(MENU_PRACTICE);
    ASSERT_TRUE(WaitFor(ListShown,
                        PAGE_MS));
    PressKey(XK_Return, 60);

    // The first line key by key, a person's pace: the marker runs ahead.
    ASSERT_TRUE(WaitFor([] { return CursorAt(0, 0); }, PAGE_MS));
    const char *first = scene->text[0];
    int x = 0, typed = 0;
    for (int p = 0; p < int(strlen(first)) - 1; p++, typed++) {
        TypeChar(first[p]);
        x += TypeAdvance(first[p]);
        ASSERT_TRUE(WaitFor([&] { return CursorAt(0, x); }, KEY_MS));
        if (typed == 3) {
            Image mid = Screenshot();
            SavePng(mid, ShotPath("practice-marker-ahead"));
            int marker = MarkerCell(mid, scene, cells);
            ASSERT_GE(marker, 0) << "no marker on the page";
            EXPECT_GT(marker, typed + 20) << "the marker is not ahead of the cursor";
        }
        Sleep(60);
    }

    // The rest of the letter, a line at a time.
    ASSERT_TRUE(TypeRestOfLetter(scene, typed));
    ASSERT_TRUE(WaitFor([] { return Difference(Screenshot(), Verdict("Your best still stands."), VERDICT_X, VERDICT_Y, 200, 16) < 4.0; },
                        PAGE_MS))
        << "the card does not say the best stands";
    EXPECT_GT(Difference(Screenshot(), Verdict("A new best, kept."), VERDICT_X, VERDICT_Y, 200, 16), 4.0);
    SavePng(Screenshot(), ShotPath("practice-best-stands"));
    ASSERT_TRUE(FinishLetter());
    std::string kept = Text(ReadFile(PlayerFile(run, "practice.dat")));
    EXPECT_NE(kept.find(best), std::string::npos) << "the best was replaced by a slower run";
    ASSERT_TRUE(WaitFor(ListShown,
                        PAGE_MS));
    PressKey(XK_Escape, 60);
    ASSERT_TRUE(WaitFor(MenuShown, PAGE_MS));
    ASSERT_TRUE(QuitFromMenu(run));
}

// With "Pace marker in the story", the story's letter shows the marker of
// a slow best behind the cursor; the faster story run becomes the best, and
// the letter counts as reached from its page on.
TEST(Practice, TheMarkerInTheStoryAndAStoryRunKeptAsTheBest)
{
    GameRun run = Prepare("practice-story");
    WriteSave(run, SaveAt(141));   // the first letter's own place
    ASSERT_TRUE(WriteSettings(run, "pace_marker_in_story = yes\n"));
    const Scene *scene = SceneNamed(LETTER);
    ASSERT_NE(scene, nullptr);
    std::vector<Cell> cells = JudgedCells(scene);
    // A key a second: the marker stands at the start while the letter is typed.
    std::string keys;
    for (size_t i = 0; i < cells.size(); i++)
        keys += (i ? "," : "") + std::to_string(int(i + 1) * 1000);
    const std::string slow = "best\tScene04e1\tpractice\t" + std::to_string(cells.size()) + "\t0\t" +
                             std::to_string((cells.size() + 1) * 1000) + "\t" + keys + "\n";
    WriteText(PlayerFile(run, "practice.dat"), "paperlune practice 1\n" + slow);
    ASSERT_TRUE(LaunchToMenu(run));
    ChooseMenuItem(MENU_CONTINUE);

    ASSERT_TRUE(WaitFor([] { return CursorAt(0, 0); }, PAGE_MS));
    const char *first = scene->text[0];
    int x = 0;
    for (int p = 0; p < 6; p++) {
        TypeChar(first[p]);
        x += TypeAdvance(first[p]);
        ASSERT_TRUE(WaitFor([&] { return CursorAt(0, x); }, KEY_MS));
    }
    Image mid = Screenshot();
    SavePng(mid, ShotPath("practice-story-marker"));
    int marker = MarkerCell(mid, scene, cells);
    ASSERT_GE(marker, 0) << "no marker in the story";
    EXPECT_LT(marker, 6) << "the slow best's marker is not behind the cursor";
    std::string reached = Text(ReadFile(PlayerFile(run, "practice.dat")));
    EXPECT_NE(reached.find("\nreached\tScene04e1\n"), std::string::npos) << reached;

    ASSERT_TRUE(TypeRestOfLetter(scene, 6));
    ASSERT_TRUE(WaitFor([&] { return Text(ReadFile(PlayerFile(run, "practice.dat"))).find(slow) == std::string::npos; },
                        PAGE_MS))
        << "the faster story run was not kept";
    std::string kept = Text(ReadFile(PlayerFile(run, "practice.dat")));
    EXPECT_NE(kept.find("\nbest\tScene04e1\tstory\t" + std::to_string(cells.size()) + "\t0\t"), std::string::npos)
        << kept;
    ASSERT_TRUE(FinishLetter());
    ASSERT_TRUE(QuitAndSave());
    ASSERT_TRUE(QuitFromMenu(run));
}
