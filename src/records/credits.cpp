#include "records/clockrecords.h"
#include "records/dialogs.h"
#include "records/progress.h"
#include "records/rules.h"
#include "records/save.h"
#include "records/typingrun.h"

#include <allegro.h>
#include <cstdio>

#include "platform/display.h"
#include "platform/input.h"
#include "presentation/buffer.h"
#include "presentation/datafile.h"
#include "presentation/text.h"

static const char *const CREDITS_FONT = MENU_FONT;
static const int CREDITS_FSIZE = 25;          // text size and line pitch of the roll
static const int CREDITS_TEXT_COLOR = 0xFFFFFF;
static const int CREDITS_BOX_COLOR = 0x000000;
static const int CREDITS_BOX_MARGIN = 10;     // the box: (10, H/2) to (W - 10, H - 10)
static const int CREDITS_SHADE_ALPHA = 128;   // the box halves the background's light
static const int CREDITS_OUTLINE_ALPHA = 255;
static const int CREDITS_START_RISE = 45;     // entry 0 starts with its top at H - 45
static const int CREDITS_BOTTOM_MARGIN = 35;  // a line shows while its top is above H - 35
static const int CREDITS_FRAME_MS = 50;       // one pixel of rise per frame

// The play-through's totals, on the two empty lines around the thanks.
static const int CREDITS_SPEED_LINE = 15;
static const int CREDITS_COUNT_LINE = 17;
static const char CREDITS_SPEED_FORMAT[] = "Your typing: %s wpm, %s %% right";
static const char CREDITS_COUNT_FORMAT[] = "%d %s in %s";
static const char CREDITS_MISTAKE[] = "mistake";
static const char CREDITS_MISTAKES[] = "mistakes";
static const char *const CREDITS_CLOCK_NAMES[CLOCK_KINDS] = {"", ", Your pace", ", No clock"};

static const int CREDITS_ENDINGS = PATH_COUNT;
static const char *const CREDITS_ENDING_NUMBERS[CREDITS_ENDINGS] = {
    "Ending 1 of 5", "Ending 2 of 5", "Ending 3 of 5", "Ending 4 of 5", "Ending 5 of 5",
};
static const char *const CREDITS_ENDING_TITLES[CREDITS_ENDINGS] = {
    "Red Ending", "Blue Ending", "Irela Ending", "Tovanne Ending", "Green Ending",
};

// The lines around the thanks and the two ending lines are filled by the
// ending screen (CreditsLine); the two ending lines are empty until the
// first ending of a run.
const char *const Credits[Credits_length] = {
    "Story",
    "the Paperlune team",
    "",
    "Programming",
    "the Paperlune team",
    "",
    "Pictures and music",
    "the Paperlune team",
    "",
    "Fonts",
    "Courier Prime, Vollkorn",
    "",
    "Built on",
    "Allegro 4, JPGalleg, FreeType, Ogg Vorbis",
    "",
    "",
    "Thank you for playing!",
    "",
    "",
    "",
};

// The path of the last ending of this run, 0 before the first; and the
// play-through's totals, once an ending has set them.
static int endingPath = 0;
static std::string creditsSpeed, creditsCount;
static bool totalsSet = false;

int RecordEnding(SaveRecord &record)
{
    int path = UpdatePathRecord(record);
    if (path)
        endingPath = path;
    return path;
}

const char *CreditsLine(int i)
{
    if (endingPath && i == CREDITS_ENDING_NUMBER)
        return CREDITS_ENDING_NUMBERS[endingPath - 1];
    if (endingPath && i == CREDITS_ENDING_TITLE)
        return CREDITS_ENDING_TITLES[endingPath - 1];
    if (totalsSet && i == CREDITS_SPEED_LINE)
        return creditsSpeed.c_str();
    if (totalsSet && i == CREDITS_COUNT_LINE)
        return creditsCount.c_str();
    return i >= 0 && i < Credits_length ? Credits[i] : "";
}

void CreditsTotals(bool known, double wpm, double accuracy, int32_t mistakes, int32_t runTime, std::string *speed,
                   std::string *count, int clock)
{
    char text[96];
    speed->clear();
    if (known) {
        snprintf(text, sizeof text, CREDITS_SPEED_FORMAT, OneDecimal(wpm).c_str(), OneDecimal(accuracy).c_str());
        *speed = text;
    }
    // Counts of a run only grow; a damaged file's negative ones read as none.
    int shown = mistakes < 0 ? 0 : mistakes;
    snprintf(text, sizeof text, CREDITS_COUNT_FORMAT, shown, shown == 1 ? CREDITS_MISTAKE : CREDITS_MISTAKES,
             HsTimeText(runTime < 0 ? 0 : runTime).c_str());
    *count = text;
    // The table the run went to, when it is not the original's.
    if (clock > CLOCK_ORIGINAL && clock < CLOCK_KINDS)
        *count += CREDITS_CLOCK_NAMES[clock];
}

// The totals stand until the next ending.
static void SetCreditsTotals()
{
    double wpm = 0, accuracy = 0;
    bool known = RunTotals(TypingData, &wpm, &accuracy);
    CreditsTotals(known, wpm, accuracy, SaveData.runMistakes, SaveData.runTime, &creditsSpeed, &creditsCount,
                  ClockData.runClock);
    totalsSet = true;
}

int CreditsStartOffset(int screenH)
{
    return screenH - CREDITS_START_RISE;
}

bool CreditsLineVisible(int y, int screenH)
{
    return y > screenH / 2 && y < screenH - CREDITS_BOTTOM_MARGIN;
}

bool CreditsRollOver(int offset, int screenH)
{
    // The slot below the last line has risen past the middle of the screen.
    return offset + Credits_length * CREDITS_FSIZE < screenH / 2;
}

// The background with its darkened box: the same for every frame of a roll,
// so it is composed once.
static void DrawStage(BITMAP *stage, BITMAP *background)
{
    int left = CREDITS_BOX_MARGIN, top = GAME_H / 2;
    int right = GAME_W - CREDITS_BOX_MARGIN, bottom = GAME_H - CREDITS_BOX_MARGIN;
    blit(background, stage, 0, 0, 0, 0, GAME_W, GAME_H);
    drawing_mode(DRAW_MODE_TRANS, nullptr, 0, 0);
    set_trans_blender(0, 0, 0, CREDITS_SHADE_ALPHA);
    rectfill(stage, left, top, right, bottom, CREDITS_BOX_COLOR);
    set_trans_blender(0, 0, 0, CREDITS_OUTLINE_ALPHA);
    rect(stage, left, top, right, bottom, CREDITS_BOX_COLOR);
}

static void DrawRoll(BITMAP *buffer, ALFONT_FONT *font, BITMAP *stage, int offset)
{
    blit(stage, buffer, 0, 0, 0, 0, GAME_W, GAME_H);
    for (int i = 0; i < Credits_length; i++) {
        int y = offset + CREDITS_FSIZE * i;
        if (CreditsLineVisible(y, GAME_H))
            Textout_centre(buffer, font, CreditsLine(i), GAME_W / 2, y, CREDITS_TEXT_COLOR, CREDITS_FSIZE, AA);
    }
}

void credits(int background)
{
    BITMAP *buffer = CreateBackBuffer();
    BITMAP *stage = CreateBackBuffer();
    ALFONT_FONT *font = LoadFontOrDie(CREDITS_FONT);
    int offset = CreditsStartOffset(GAME_H);
    // Keys typed during play must not cut the roll short.
    ClearKeys();
    PathEnded();
    SetCreditsTotals();

    DrawStage(stage, DataBitmap(background));
    // A click never ends the roll; only a key does, or the window's close
    // button.
    while (!KeyWaiting() && !CloseRequested()) {
        DrawRoll(buffer, font, stage, offset);
        if (CreditsRollOver(offset, GAME_H))
            break;
        DisplayRest(CREDITS_FRAME_MS);
        DisplayPresent(buffer);
        offset--;
    }

    alfont_destroy_font(font);
    destroy_bitmap(stage);
    destroy_bitmap(buffer);
}
