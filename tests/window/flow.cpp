// Ways through the game that many tests share.
#include "harness.h"

#include <X11/keysym.h>

namespace harness {

static const int PARK_X = 620;   // a pointer position away from every item
static const int PARK_Y = 20;
static const int MENU_ITEM_Y[MENU_ITEM_COUNT] = {250, 280, 310, 340, 370, 400};
static const int START_MS = 20000;

bool MenuShown()
{
    Image s = Screenshot();
    Image menu = DataPicture(MENU_BACKGROUND);
    return Difference(s, menu, 400, 380, 200, 80) < 4.0 && Difference(s, menu, 330, 0, 280, 40) < 4.0;
}

bool HallShown()
{
    Image s = Screenshot();
    return Difference(s, DataPicture(HS_BACKGROUND), 560, 420, 70, 50) < 4.0 && !MenuShown();
}

std::vector<TextItem> HallTexts(const std::vector<std::string> &times, const std::vector<std::string> &mistakes)
{
    std::vector<TextItem> items = {
        {"Hall Of Records", 80, 40, 0, 60},
        {"Path", 50, 150, 0, 30},
        {"Overall Time Score", 200, 150, 0, 30},
        {"Mistakes", 400, 150, 0, 30},
    };
    for (int k = 1; k <= 5; k++)
        items.push_back({"Path " + std::to_string(k), 50, 150 + 40 * k, 0, 30});
    for (int k = 1; k <= 5; k++) {
        items.push_back({mistakes[k - 1], 400, 150 + 40 * k, 0, 30});
        items.push_back({times[k - 1], 200, 150 + 40 * k, 0, 30});
    }
    items.push_back({"Your typing", 50, 380, 0, 30});
    items.push_back({"(or the Right arrow)", 50 + TextWidth("Your typing", 30) + 10, 390, 0, 16});
    items.push_back({"Back", 500, 380, 0, 30});
    return items;
}

bool OpenHall(const std::string &shotName, Image &shown)
{
    ChooseMenuItem(MENU_RECORDS);
    // Its picture fades in; the text stands once the screen is still.
    if (!WaitFor(HallShown, 5000) || !WaitStable())
        return false;
    shown = Screenshot();
    SavePng(shown, ShotPath(shotName));
    return true;
}

bool KeyBeforeTheIntro()
{
    // The window stands well before the intro, while the game checks its
    // pictures.
    if (!WaitFor([] { return GameWindowId() != 0; }, START_MS))
        return false;
    PressKey(XK_space);
    return true;
}

bool LaunchToMenu(GameRun &run)
{
    MoveMouse(PARK_X, PARK_Y);
    // A key that comes too late to skip the intro ends it after its first
    // slide; one the window did not take yet is given again on that slide.
    if (!Launch(run) || !KeyBeforeTheIntro())
        return false;
    if (!WaitFor([] { return MenuShown() || ShownPicture(Screenshot(), {27}) == 27; }, START_MS))
        return false;
    if (!MenuShown())
        PressKey(XK_space);
    return WaitFor(MenuShown, START_MS) && WaitStable();
}

std::vector<int32_t> SaveAt(int32_t resumeId)
{
    std::vector<int32_t> w(13, -1);
    w[0] = resumeId;
    w[1] = 0;
    w[2] = 0;
    return w;
}

bool ContinueFrom(GameRun &run, const char *name, const std::vector<int32_t> &words)
{
    run = Prepare(name);
    WriteSave(run, words);
    if (!LaunchToMenu(run))
        return false;
    ChooseMenuItem(MENU_CONTINUE);
    return true;
}

int MenuHighlight()
{
    Image s = Screenshot();
    for (int i = 0; i < MENU_ITEM_COUNT; i++)
        if (ShareOfColour(s, 80, MENU_ITEM_Y[i] + 4, 170, 30, 0xFF0000, 70) > 0.02)
            return i + 1;
    return 0;
}

void ChooseMenuItem(int item)
{
    MoveMouse(PARK_X, PARK_Y);
    WaitStable();
    // One arrow at a time, each seen to land: a key is read only while it is down.
    for (int tries = 0; tries < 12; tries++) {
        int now = MenuHighlight();
        if (now == item)
            break;
        PressKey(now > item || now == 0 ? XK_Up : XK_Down, 60);
        WaitFor([&] { return MenuHighlight() != now; }, 1000);
    }
    PressKey(XK_Return, 60);
}

bool WaitStable(int timeoutMs)
{
    // A fade step can take longer than one poll, so ask for several alike.
    const int SAME_POLLS = 6;
    Image last = Screenshot();
    int same = 0;
    return WaitFor([&] {
        Image now = Screenshot();
        same = Difference(now, last, 0, 0, SHOT_W, SHOT_H) < 0.05 ? same + 1 : 0;
        last = now;
        return same >= SAME_POLLS;
    }, timeoutMs, 60);
}

std::vector<int32_t> SaveWords(const GameRun &run)
{
    std::vector<uint8_t> bytes = ReadFile(SavePath(run));
    std::vector<int32_t> words;
    for (size_t i = 0; i + 4 <= bytes.size(); i += 4)
        words.push_back(int32_t(uint32_t(bytes[i]) | uint32_t(bytes[i + 1]) << 8 |
                                uint32_t(bytes[i + 2]) << 16 | uint32_t(bytes[i + 3]) << 24));
    return words;
}

void WriteSave(const GameRun &run, const std::vector<int32_t> &words)
{
    std::vector<uint8_t> bytes;
    for (int32_t w : words)
        for (int b = 0; b < 4; b++)
            bytes.push_back(uint8_t(uint32_t(w) >> (8 * b)));
    WriteSaveBytes(run, bytes);
}

}  // namespace harness

namespace harness {

void ParkPointer()
{
    MoveMouse(PARK_X, PARK_Y);
}

static Image YesNoDialog(const char *questionText, const char *commentText, int selected)
{
    std::vector<TextItem> items;
    TextItem question{questionText, 320, 150, 0, 60};
    question.centred = true;
    items.push_back(question);
    const char *answers[2] = {"Yes", "No"};
    const int answerX[2] = {200, 400};
    for (int i = 0; i < 2; i++) {
        // The highlighted answer is white with an ink edge.
        if (selected == i + 1)
            for (int dy = -1; dy <= 1; dy += 2)
                for (int dx = -1; dx <= 1; dx += 2)
                    items.push_back({answers[i], answerX[i] + dx, 200 + dy, 0u, 40});
        items.push_back({answers[i], answerX[i], 200, selected == i + 1 ? 0xFFFFFFu : 0u, 40});
    }
    TextItem comment{commentText, 320, 250, 0, 25};
    comment.centred = true;
    items.push_back(comment);
    return Compose(QUIT_BACKGROUND, items);
}

Image QuitDialog(int selected)
{
    return YesNoDialog("Quit current game?", "Your game will be saved after the last completed letter.", selected);
}

bool QuitDialogShown(int selected)
{
    // Away from the parked pointer in the top right corner.
    Image s = Screenshot();
    return Difference(s, QuitDialog(selected), 0, 100, SHOT_W, 200) < 2.0;
}

bool NewGameDialogShown(int selected)
{
    static const Image shown[2] = {
        YesNoDialog("Start a new story?", "Your place in this one will be lost.", 1),
        YesNoDialog("Start a new story?", "Your place in this one will be lost.", 2),
    };
    return Difference(Screenshot(), shown[selected - 1], 0, 100, SHOT_W, 200) < 2.0;
}

bool ChooseNewGameOverPlace()
{
    ChooseMenuItem(MENU_NEW_GAME);
    if (!WaitFor([] { return NewGameDialogShown(2); }, 5000))
        return false;
    PressKey(XK_Left, 60);
    if (!WaitFor([] { return NewGameDialogShown(1); }, 2000))
        return false;
    PressKey(XK_Return, 60);
    return true;
}

}  // namespace harness

namespace harness {

double EndingLinesDifference(const Image &screen, int background, const std::string &line18,
                             const std::string &line19, int *offset)
{
    double best = 255.0;
    // Both ending lines are on screen while the roll offset runs from -209 to -31.
    for (int o = -209; o <= -31; o++) {
        int y18 = o + 450, y19 = o + 475;
        TextItem a{line18, 320, y18, 0xFFFFFF, 25};
        TextItem b{line19, 320, y19, 0xFFFFFF, 25};
        a.centred = b.centred = true;
        Image expected = Compose(background, {a, b}, false, {{10, 240, 630, 470, 0x000000, 128}});
        int top = y18 - 2 < 242 ? 242 : y18 - 2;
        int bottom = y19 + 27 > 468 ? 468 : y19 + 27;
        double d = Difference(screen, expected, 100, top, 440, bottom - top);
        if (d < best) {
            best = d;
            *offset = o;
        }
    }
    return best;
}

}  // namespace harness

namespace harness {

static const int EXIT_MS = 10000;

bool QuitFromMenu(GameRun &run)
{
    if (!WaitFor(MenuShown, START_MS))
        return false;
    ChooseMenuItem(MENU_QUIT);
    return WaitExit(run, EXIT_MS) && run.exitCode == 0;
}

}  // namespace harness
