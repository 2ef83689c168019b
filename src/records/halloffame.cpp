#include "records/clockrecords.h"
#include "records/dialogs.h"
#include "records/rules.h"
#include "records/save.h"
#include "records/typinghall.h"

#include <allegro.h>
#include <algorithm>
#include <cstdio>

#include "platform/geometry.h"
#include "platform/input.h"
#include "presentation/buffer.h"
#include "presentation/datafile.h"
#include "presentation/menustep.h"
#include "presentation/text.h"

static const char *const HS_FONT = MENU_FONT;
static const int HS_BIG = 60;
static const int HS_NORMAL = 30;
static const char HS_TITLE[] = "Hall Of Records";
static const int HS_TITLE_X = 80;
static const int HS_TITLE_Y = 40;
static const char HS_PATH[] = "Path";
static const char HS_OTIME[] = "Overall Time Score";
static const char HS_MISTAKES[] = "Mistakes";
static const char HS_PATH1[] = "Path 1";
static const char HS_PATH2[] = "Path 2";
static const char HS_PATH3[] = "Path 3";
static const char HS_PATH4[] = "Path 4";
static const char HS_PATH5[] = "Path 5";
static const char HS_QUIT[] = "Back";
static const char HS_NOT_FINISHED[] = "N/A";
// The way to the second page, where "Records" stands on it.
static const char HS_TYPING[] = "Your typing";
static const char HS_TYPING_KEY[] = "(or the Right arrow)";
static const int HS_TYPING_KEY_GAP = 10;
static const int HS_TYPING_KEY_SIZE = 16;
static const int HS_TYPING_KEY_DROP = 10;   // the small words stand on the item's line

static const int HS_LABEL_X = 50;
static const int HS_TIME_X = 200;
static const int HS_MISTAKES_X = 400;
static const int HS_HEADER_Y = 150;
static const int HS_ROW_PITCH = 40;           // path k on HS_HEADER_Y + k x this
static const int HS_QUIT_X = 500;
static const int HS_QUIT_Y = 380;
static const int HS_QUIT_TOP = 381;           // "Back" answers clicks on y 381..409
static const int HS_QUIT_BOTTOM = 409;
static const int HS_TEXT_COLOR = 0x000000;

static const int SECONDS_PER_MINUTE = 60;

static const int HS_RECORDS_PAGE = 1;   // the table of times
static const int HS_TYPING_PAGE = 2;    // "Your typing"
static const int HS_PACE_PAGE = 3;      // the table of times on "Your pace"
static const int HS_NO_CLOCK_PAGE = 4;  // the table of times with "No clock"
static const int HS_PAGES = 4;

// The other clocks' tables: the table of times under a line that says which
// play-throughs it keeps; the way on to the next page beside the way back.
static const char *const HS_CLOCK_LINES[CLOCK_KINDS] = {
    "",
    "Clock: Your pace. Every letter on Your pace or the original clock.",
    "Clock: No clock. A letter or more typed without a clock.",
};
static const int HS_CLOCK_LINE_X = 80;
static const int HS_CLOCK_LINE_Y = 108;
static const int HS_CLOCK_LINE_SIZE = 20;
static const int HS_NEXT_X = HS2_NEXT_X;
// Each page's item at the left (the page before) and in the middle (the
// page after), by page; null where there is none.
static const char *const HS_BEFORE_ITEMS[HS_PAGES + 1] = {nullptr, nullptr, HS2_RECORDS, HS_TYPING, "Your pace"};
static const char *const HS_AFTER_ITEMS[HS_PAGES + 1] = {nullptr, HS_TYPING, HS2_NEXT, "No clock", nullptr};

static const char *const HS_ROW_LABELS[PATH_COUNT] = {
    HS_PATH1, HS_PATH2, HS_PATH3, HS_PATH4, HS_PATH5,
};

std::string HsTimeText(int32_t bestTime)
{
    // Only a run can make a record, and none takes negative time: such a
    // value is "never finished", whatever a damaged file put there.
    if (bestTime < 0)
        return HS_NOT_FINISHED;
    char text[32];
    snprintf(text, sizeof text, "%dmin+%ds",
             static_cast<int>(bestTime / SECONDS_PER_MINUTE), static_cast<int>(bestTime % SECONDS_PER_MINUTE));
    return text;
}

std::string HsMistakesText(int32_t bestTime, int32_t bestMistakes)
{
    if (bestTime < 0 || bestMistakes < 0)
        return "";
    char text[32];
    snprintf(text, sizeof text, "%dmis", static_cast<int>(bestMistakes));
    return text;
}

HsClick HsClickAt(int x, int y, int backWidth)
{
    return HsItemClickAt(HS_QUIT_X, x, y, backWidth);
}

HsClick HsItemClickAt(int left, int x, int y, int width)
{
    if (x <= left || x >= left + width)
        return HS_CLICK_NONE;
    if (y >= HS_QUIT_TOP && y <= HS_QUIT_BOTTOM)
        return HS_CLICK_LEAVE;
    return HS_CLICK_CLEAR;
}

static int HsTextLength(ALFONT_FONT *font, const char *text, int size)
{
    alfont_set_font_size(font, size);
    return alfont_text_length(font, text);
}

// The table never changes while it is open; only the pointer moves over it.
static void DrawTable(BITMAP *buffer, ALFONT_FONT *font, const PathRecord records[PATH_COUNT])
{
    blit(DataBitmap(HS_BACKGROUND), buffer, 0, 0, 0, 0, GAME_W, GAME_H);
    Textout(buffer, font, HS_TITLE, HS_TITLE_X, HS_TITLE_Y, HS_TEXT_COLOR, HS_BIG, AA);
    Textout(buffer, font, HS_PATH, HS_LABEL_X, HS_HEADER_Y, HS_TEXT_COLOR, HS_NORMAL, AA);
    Textout(buffer, font, HS_OTIME, HS_TIME_X, HS_HEADER_Y, HS_TEXT_COLOR, HS_NORMAL, AA);
    Textout(buffer, font, HS_MISTAKES, HS_MISTAKES_X, HS_HEADER_Y, HS_TEXT_COLOR, HS_NORMAL, AA);
    for (int k = 0; k < PATH_COUNT; k++)
        Textout(buffer, font, HS_ROW_LABELS[k], HS_LABEL_X, HS_HEADER_Y + HS_ROW_PITCH * (k + 1),
                HS_TEXT_COLOR, HS_NORMAL, AA);
    for (int k = 0; k < PATH_COUNT; k++) {
        const PathRecord &best = records[k];
        int y = HS_HEADER_Y + HS_ROW_PITCH * (k + 1);
        Textout(buffer, font, HsMistakesText(best.bestTime, best.bestMistakes).c_str(), HS_MISTAKES_X, y, HS_TEXT_COLOR, HS_NORMAL, AA);
        Textout(buffer, font, HsTimeText(best.bestTime).c_str(), HS_TIME_X, y, HS_TEXT_COLOR, HS_NORMAL, AA);
    }
}

// The first page: the original clock's table, from the progress file.
static void DrawRecords(BITMAP *buffer, ALFONT_FONT *font)
{
    DrawTable(buffer, font, SaveData.pathRecords);
    Textout(buffer, font, HS_TYPING_KEY, HS_LABEL_X + HsTextLength(font, HS_TYPING, HS_NORMAL) + HS_TYPING_KEY_GAP,
            HS_QUIT_Y + HS_TYPING_KEY_DROP, HS_TEXT_COLOR, HS_TYPING_KEY_SIZE, AA);
    Textout(buffer, font, HS_TYPING, HS_LABEL_X, HS_QUIT_Y, HS_TEXT_COLOR, HS_NORMAL, AA);
    // Last text of the frame: "Back" is measured at this size from the second pass on.
    Textout(buffer, font, HS_QUIT, HS_QUIT_X, HS_QUIT_Y, HS_TEXT_COLOR, HS_NORMAL, AA);
}

// What the window shows: the table, or "Your typing".
struct HallScreen {
    ALFONT_FONT *font;
    // The history is read, and the page composed, the first time the page is
    // shown; the pointer moves over a copy.
    BITMAP *typingPage;
};

// The table of another clock, its line, and its page's items.
static void DrawClockRecords(BITMAP *buffer, ALFONT_FONT *font, int clock, int page)
{
    DrawTable(buffer, font, ClockData.records[clock]);
    Textout(buffer, font, HS_CLOCK_LINES[clock], HS_CLOCK_LINE_X, HS_CLOCK_LINE_Y, HS_TEXT_COLOR, HS_CLOCK_LINE_SIZE,
            AA);
    Textout(buffer, font, HS_BEFORE_ITEMS[page], HS_LABEL_X, HS_QUIT_Y, HS_TEXT_COLOR, HS_NORMAL, AA);
    if (HS_AFTER_ITEMS[page])
        Textout(buffer, font, HS_AFTER_ITEMS[page], HS_NEXT_X, HS_QUIT_Y, HS_TEXT_COLOR, HS_NORMAL, AA);
    Textout(buffer, font, HS_QUIT, HS_QUIT_X, HS_QUIT_Y, HS_TEXT_COLOR, HS_NORMAL, AA);
}

// The selection is the page.
static void DrawHall(BITMAP *buffer, int page, void *state)
{
    HallScreen *hall = static_cast<HallScreen *>(state);
    if (page == HS_RECORDS_PAGE) {
        DrawRecords(buffer, hall->font);
        return;
    }
    if (page != HS_TYPING_PAGE) {
        DrawClockRecords(buffer, hall->font, page == HS_PACE_PAGE ? CLOCK_PACE : CLOCK_NONE, page);
        return;
    }
    // Its many sizes of text would be drawn afresh for every move of the pointer.
    if (!hall->typingPage) {
        hall->typingPage = CreateBackBuffer();
        DrawTypingPage(hall->typingPage, hall->font, ReadHistory(), TypingData, ClockData);
    }
    blit(hall->typingPage, buffer, 0, 0, 0, 0, GAME_W, GAME_H);
}

// The page to turn to by a click on an item of the row of "Back": -1 for
// the page before, +1 for the page after, 0 for none; a click above or
// below an item sets *click to HS_CLICK_CLEAR.
static int HallItemClicked(ALFONT_FONT *font, int page, int x, int y, HsClick *click)
{
    // The first page's item, at the left, turns to the page after it.
    const char *left = page == HS_RECORDS_PAGE ? HS_TYPING : HS_BEFORE_ITEMS[page];
    HsClick before = HsItemClickAt(HS_LABEL_X, x, y, alfont_text_length(font, left));
    HsClick after = HS_AFTER_ITEMS[page] && page != HS_RECORDS_PAGE
            ? HsItemClickAt(HS_NEXT_X, x, y, alfont_text_length(font, HS_AFTER_ITEMS[page]))
            : HS_CLICK_NONE;
    if (before == HS_CLICK_CLEAR || after == HS_CLICK_CLEAR)
        *click = HS_CLICK_CLEAR;
    if (before == HS_CLICK_LEAVE)
        return page == HS_RECORDS_PAGE ? +1 : -1;
    return after == HS_CLICK_LEAVE ? +1 : 0;
}

void highscoreWnd()
{
    BITMAP *buffer = CreateBackBuffer();
    HallScreen hall = {LoadFontOrDie(HS_FONT), nullptr};
    ALFONT_FONT *font = hall.font;
    int page = HS_RECORDS_PAGE;
    ClearKeys();
    MenuScreen menu = MenuScreenFor(buffer, DrawHall, &hall, true, false);

    // The window's close button leaves, and the menu then quits.
    while (!CloseRequested()) {
        if (KeyWaiting()) {
            if (KeyHit(KEY_ENTER))
                break;
            if (KeyHit(KEY_RIGHT))
                page = std::min(page + 1, HS_PAGES);
            else if (KeyHit(KEY_LEFT))
                page = std::max(page - 1, HS_RECORDS_PAGE);
            ClearState();
        }
        int x, y;
        PointerPosition(&x, &y);
        if (PointerClicked()) {
            // Measured at the size "Back", drawn last, has left on the font.
            HsClick click = HsClickAt(x, y, alfont_text_length(font, HS_QUIT));
            if (click == HS_CLICK_LEAVE)
                break;
            int turn = HallItemClicked(font, page, x, y, &click);
            if (turn) {
                page += turn;
                ClearState();
            } else if (click == HS_CLICK_CLEAR) {
                ClearState();
            }
        }
        MenuStep(menu, page);
    }

    if (hall.typingPage)
        destroy_bitmap(hall.typingPage);
    alfont_destroy_font(font);
    destroy_bitmap(buffer);
    ClearState();
}
