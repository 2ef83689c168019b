#include "shell/practicescreen.h"

#include <allegro.h>
#include <cstdio>

#include "platform/geometry.h"
#include "platform/input.h"
#include "player/practice.h"
#include "presentation/buffer.h"
#include "presentation/datafile.h"
#include "presentation/menustep.h"
#include "presentation/sounds.h"
#include "presentation/text.h"
#include "records/history.h"

static const char PRACTICE_TITLE[] = "Practice";
static const char PRACTICE_BACK_TEXT[] = "Back";
static const char PRACTICE_HINT[] = "Up and Down choose, Enter types the letter again. Escape goes back.";
static const char PRACTICE_NOT_REACHED[] = "Not yet reached";
static const char PRACTICE_NONE[] = "-";
static const char PRACTICE_PER_CENT[] = " %";
static const char PRACTICE_ONE_PATH[] = "Path %d";
static const char PRACTICE_PATHS[] = "Paths %d-%d";
static const char PRACTICE_DRILL[] = "Your weak keys: ";
static const char PRACTICE_DRILL_SEPARATOR[] = ", ";
static const char PRACTICE_SPACE_NAME[] = "space";
static const char *const PRACTICE_HEADERS[] = {"Letter", "Path", "Best wpm", "Accuracy"};

static const int PRACTICE_TITLE_X = 80;
static const int PRACTICE_TITLE_Y = 30;
static const int PRACTICE_TITLE_SIZE = 60;
static const int PRACTICE_HEADER_Y = 100;
static const int PRACTICE_HEADER_SIZE = 16;
static const int PRACTICE_FIRST_ROW_Y = 120;
static const int PRACTICE_ROW_PITCH = 22;
static const int PRACTICE_DRILL_GAP = 4;        // the drill stands a little apart from the letters
static const int PRACTICE_ROW_SIZE = 19;
static const int PRACTICE_COLUMNS[] = {50, 300, 400, 495};
static const int PRACTICE_BACK_X = 500;
static const int PRACTICE_BACK_Y = 412;
static const int PRACTICE_BACK_SIZE = 30;
static const int PRACTICE_HINT_X = 50;
static const int PRACTICE_HINT_Y = 450;
static const int PRACTICE_HINT_SIZE = 16;
static const int PRACTICE_TEXT_COLOR = 0x000000;
static const int PRACTICE_HIGHLIGHT_COLOR = 0xFF0000;
static const int PRACTICE_NOT_REACHED_COLOR = 0x8A8070;
static const int PRACTICE_HINT_COLOR = 0x8C2B27;
// Pointer bands, inclusive: the rows' width, from a row's drawn y + 1 over
// its pitch; "Back" as on the settings screen.
static const int PRACTICE_BAND_LEFT = 50;
static const int PRACTICE_BAND_RIGHT = GAME_W - 50;
static const int PRACTICE_BACK_BAND_RIGHT = 580;
static const int PRACTICE_BACK_BAND_HEIGHT = 30;

PracticeRowText PracticeRow(int letter, bool reached, const BestRun &best)
{
    const StoryLetter &l = StoryLetterAt(letter);
    PracticeRowText row;
    char paths[32];
    if (l.firstPath == l.lastPath)
        snprintf(paths, sizeof paths, PRACTICE_ONE_PATH, l.firstPath);
    else
        snprintf(paths, sizeof paths, PRACTICE_PATHS, l.firstPath, l.lastPath);
    row.paths = paths;
    if (!reached) {
        // Nothing of a path not yet played: not even the letter's title.
        row.title = PRACTICE_NOT_REACHED;
        return row;
    }
    row.title = l.title;
    row.wpm = best.kept ? OneDecimal(RunWpm(best)) : PRACTICE_NONE;
    row.accuracy = best.kept ? OneDecimal(RunAccuracy(best)) + PRACTICE_PER_CENT : PRACTICE_NONE;
    return row;
}

int PracticeStep(int row, int direction, const bool choosable[PRACTICE_BACK + 1])
{
    for (int r = row + direction; r >= 1 && r <= PRACTICE_BACK; r += direction)
        if (choosable[r])
            return r;
    return row;
}

static int RowY(int row)
{
    if (row == PRACTICE_BACK)
        return PRACTICE_BACK_Y;
    int y = PRACTICE_FIRST_ROW_Y + (row - 1) * PRACTICE_ROW_PITCH;
    return row == PRACTICE_DRILL_ROW ? y + PRACTICE_DRILL_GAP : y;
}

int PracticeRowAt(int x, int y)
{
    for (int row = 1; row <= PRACTICE_BACK; row++) {
        int top = RowY(row) + 1;
        bool back = row == PRACTICE_BACK;
        int left = back ? PRACTICE_BACK_X : PRACTICE_BAND_LEFT;
        int right = back ? PRACTICE_BACK_BAND_RIGHT : PRACTICE_BAND_RIGHT;
        int height = back ? PRACTICE_BACK_BAND_HEIGHT : PRACTICE_ROW_PITCH;
        if (x >= left && x <= right && y >= top && y < top + height)
            return row;
    }
    return 0;
}

// What the list shows, read again each time the player comes back to it.
struct PracticeList {
    ALFONT_FONT *font;
    bool choosable[PRACTICE_BACK + 1];
    bool reached[STORY_LETTERS];
    std::vector<char> missed;   // the drill's characters, when it is offered
    bool drill;
};

static void ReadList(PracticeList &list)
{
    HistorySummary history = ReadHistory();
    LettersReached(history, list.reached);
    list.drill = history.characters >= PRACTICE_DRILL_KEYS;
    list.missed.clear();
    for (const auto &m : MostMissed(history.missed, PRACTICE_DRILL_CHARACTERS))
        list.missed.push_back(m.first);
    bool any = false;
    for (int i = 0; i < STORY_LETTERS; i++) {
        list.choosable[i + 1] = list.reached[i];
        any = any || list.reached[i];
    }
    // A drill is made of the words of letters reached.
    list.drill = list.drill && any;
    list.choosable[0] = false;
    list.choosable[PRACTICE_DRILL_ROW] = list.drill;
    list.choosable[PRACTICE_BACK] = true;
}

static std::string DrillLabel(const std::vector<char> &missed)
{
    std::string label = PRACTICE_DRILL;
    for (size_t i = 0; i < missed.size(); i++) {
        if (i)
            label += PRACTICE_DRILL_SEPARATOR;
        label += missed[i] == ' ' ? PRACTICE_SPACE_NAME : std::string(1, missed[i]);
    }
    return missed.empty() ? label.substr(0, label.size() - 2) : label;
}

static void DrawRow(BITMAP *buffer, ALFONT_FONT *font, int row, const PracticeRowText &text, int color)
{
    const std::string *cells[] = {&text.title, &text.paths, &text.wpm, &text.accuracy};
    for (int i = 0; i < 4; i++)
        Textout(buffer, font, cells[i]->c_str(), PRACTICE_COLUMNS[i], RowY(row), color, PRACTICE_ROW_SIZE, AA);
}

static void DrawList(BITMAP *buffer, int selection, void *state)
{
    const PracticeList *list = static_cast<const PracticeList *>(state);
    ALFONT_FONT *font = list->font;
    blit(DataBitmap(HS_BACKGROUND), buffer, 0, 0, 0, 0, GAME_W, GAME_H);
    Textout(buffer, font, PRACTICE_TITLE, PRACTICE_TITLE_X, PRACTICE_TITLE_Y, PRACTICE_TEXT_COLOR,
            PRACTICE_TITLE_SIZE, AA);
    for (int i = 0; i < 4; i++)
        Textout(buffer, font, PRACTICE_HEADERS[i], PRACTICE_COLUMNS[i], PRACTICE_HEADER_Y, PRACTICE_TEXT_COLOR,
                PRACTICE_HEADER_SIZE, AA);
    for (int i = 0; i < STORY_LETTERS; i++) {
        int row = i + 1;
        int color = !list->reached[i] ? PRACTICE_NOT_REACHED_COLOR
                    : row == selection ? PRACTICE_HIGHLIGHT_COLOR
                                       : PRACTICE_TEXT_COLOR;
        DrawRow(buffer, font, row, PracticeRow(i, list->reached[i], PracticeData.best[i]), color);
    }
    if (list->drill)
        Textout(buffer, font, DrillLabel(list->missed).c_str(), PRACTICE_COLUMNS[0], RowY(PRACTICE_DRILL_ROW),
                selection == PRACTICE_DRILL_ROW ? PRACTICE_HIGHLIGHT_COLOR : PRACTICE_TEXT_COLOR, PRACTICE_ROW_SIZE,
                AA);
    Textout(buffer, font, PRACTICE_BACK_TEXT, PRACTICE_BACK_X, PRACTICE_BACK_Y,
            selection == PRACTICE_BACK ? PRACTICE_HIGHLIGHT_COLOR : PRACTICE_TEXT_COLOR, PRACTICE_BACK_SIZE, AA);
    Textout(buffer, font, PRACTICE_HINT, PRACTICE_HINT_X, PRACTICE_HINT_Y, PRACTICE_HINT_COLOR, PRACTICE_HINT_SIZE,
            AA);
}

// Types the row chosen: a letter, or the drill of the letters reached.
static void TypeRow(int row, const PracticeList &list)
{
    PlayGameSound(SOUND_BELL);
    ClearState();
    if (row == PRACTICE_DRILL_ROW) {
        std::vector<int> letters;
        for (int i = 0; i < STORY_LETTERS; i++)
            if (list.reached[i])
                letters.push_back(i);
        PracticeDrill(letters, list.missed);
    } else {
        PracticeLetter(row - 1);
    }
}

// The keys waiting, one by one: the row to type, PRACTICE_BACK to leave, or 0.
static int ReadListKeys(int *selection, const PracticeList &list)
{
    while (KeyWaiting()) {
        int scancode = ReadKey() >> KEY_SCANCODE_SHIFT;
        if (scancode == KEY_ESC)
            return PRACTICE_BACK;
        if (scancode == KEY_UP || scancode == KEY_DOWN) {
            *selection = PracticeStep(*selection, scancode == KEY_UP ? -1 : +1, list.choosable);
            PlayGameSound(SOUND_KEY);
        } else if (scancode == KEY_ENTER || scancode == KEY_ENTER_PAD) {
            return *selection;
        }
    }
    return 0;
}

// The first row that can be chosen: "Back" when no letter can.
static int FirstRow(const PracticeList &list)
{
    return PracticeStep(0, +1, list.choosable);
}

void practiceWnd()
{
    BITMAP *buffer = CreateBackBuffer();
    PracticeList list;
    list.font = LoadFontOrDie(MENU_FONT);
    ReadList(list);
    int selection = FirstRow(list);
    MenuScreen menu = MenuScreenFor(buffer, DrawList, &list, true, true);
    ClearState();
    int lastX = -1, lastY = -1;
    while (!CloseRequested()) {
        int chosen = ReadListKeys(&selection, list);
        int x, y;
        PointerPosition(&x, &y);
        int pointed = PracticeRowAt(x, y);
        bool moved = x != lastX || y != lastY;
        lastX = x;
        lastY = y;
        bool clicked = PointerClicked();
        // A row that cannot be chosen takes neither the pointer nor a click.
        if (pointed && list.choosable[pointed] && (moved || clicked)) {
            selection = pointed;
            if (clicked)
                chosen = pointed;
        }
        if (chosen == PRACTICE_BACK)
            break;
        if (chosen) {
            TypeRow(chosen, list);
            ReadList(list);   // a new best, a longer history
            menu.fadeIn = true;
            MenuScreenRedraw(menu);
        }
        MenuStep(menu, selection);
    }
    alfont_destroy_font(list.font);
    destroy_bitmap(buffer);
    ClearState();
}
