#include "records/typinghall.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "presentation/datafile.h"
#include "presentation/text.h"
#include "story/letters.h"

static const char HS2_TITLE[] = "Your typing";
static const int HS2_TITLE_X = 80;
static const int HS2_TITLE_Y = 40;
static const int HS2_BIG = 60;
static const int HS2_NORMAL = 20;
static const int HS2_SMALL = 16;
static const int HS2_TINY = 14;
static const int HS2_ITEM = 30;
static const int HS2_TEXT_COLOR = 0x000000;
static const int HS2_WPM_COLOR = 0x000000;
static const int HS2_ACCURACY_COLOR = 0xC4262A;   // the typing page's mistakes red
static const int HS2_GRID_COLOR = 0xD8CCB8;
static const int HS2_AXIS_COLOR = 0x5A5046;
static const int HS2_MARK = 2;                     // half the size of a point's mark

// Bests of the paths, each clock's apart: a column per clock, each cell the
// best words per minute over the best accuracy.
static const char HS2_BESTS_CAPTION[] = "Best of a finished play-through";
static const int HS2_BESTS_CAPTION_Y = 108;
static const char HS2_PATH[] = "Path";
static const char HS2_NOT_FINISHED[] = "N/A";
static const char HS2_WPM_UNIT[] = " wpm";
static const char HS2_PER_CENT[] = " %";
static const int HS2_PATH_X = 50;
static const int HS2_HEADER_Y = 128;
static const int HS2_ROW_Y = 148;
static const int HS2_ROW_PITCH = 26;
static const int HS2_ACCURACY_DROP = 12;   // the accuracy under the speed in a cell
static const char *const HS2_CLOCK_NAMES[CLOCK_KINDS] = {"Original", "Your pace", "No clock"};
static const int HS2_CLOCK_X[CLOCK_KINDS] = {92, 162, 232};

// The chart.
static const char HS2_CHART_WPM[] = "wpm";
static const char HS2_CHART_ACCURACY[] = "accuracy %";
static const char HS2_CHART_CAPTION[] = "the last %d letters";
static const char HS2_CHART_CAPTION_ONE[] = "the last letter";
// Letters typed in practice are rings on the line, not dots.
static const char HS2_CHART_PRACTICE[] = ", rings in practice";
static const int HS2_RING = 3;
static const int HS2_CHART_CAPTION_Y = 110;
static const int HS2_CHART_WPM_X = 300;
static const int HS2_CHART_ACCURACY_RIGHT = 626;
static const int HS2_AXIS_GAP = 5;                 // between an axis and its numbers
static const int HS2_CHART_LABEL_Y = HS_CHART_BOTTOM + 4;
static const char HS2_LABEL_ROOM[] = "0000";       // the room a letter's number needs under the chart
static const int HS2_EVERY_LETTER_UP_TO = 6;       // letters numbered one by one
static const int HS2_EVERY_FIFTH_UP_TO = 20;       // then every fifth, beyond every tenth
static const int HS2_FIFTH = 5;
static const int HS2_TENTH = 10;
static const double HS2_WPM_FLOOR = 20;            // the top of an axis never below this
static const int HS2_WPM_STEPS = 5;
static const double HS2_ACCURACY_FULL = 100;
static const double HS2_ACCURACY_HIGHEST_LOW = 90;
static const double HS2_ACCURACY_DECADE = 10;

// Under the chart.
static const int HS2_FACTS_X = 50;
static const int HS2_FASTEST_Y = 300;
static const int HS2_MISSED_Y = 326;
static const int HS2_SKIPPED_Y = 354;
static const char HS2_FASTEST[] = "Fastest letter: %s, %s wpm, on %s";
static const char HS2_PRACTICE_FASTEST[] = "Fastest in practice: %s, %s wpm, on %s";
// With practice's line the facts stand closer.
static const int HS2_FACTS_PITCH_WITH_PRACTICE = 21;
static const char HS2_MISSED[] = "Missed most: ";
static const char HS2_MISSED_NONE[] = "Missed most: none yet";
static const char HS2_MISSED_SEPARATOR[] = ", ";
static const char HS2_COUNT_OPEN[] = " (";
static const char HS2_COUNT_CLOSE[] = ")";
static const char HS2_SKIPPED_ONE[] = "1 line of history.tsv could not be read and is left out.";
static const char HS2_SKIPPED_MANY[] = "%ld lines of history.tsv could not be read and are left out.";
static const size_t HS2_MISSED_SHOWN = 5;
static const size_t HS2_DATE_LENGTH = 10;          // the day of an ISO 8601 time
static const char HS2_SPACE_NAME[] = "space";

// Without a history.
static const char *const HS2_EMPTY_LINES[] = {"No letters typed yet.", "Every letter you finish", "is added here."};
static const char *const HS2_UNREADABLE_LINES[] = {"Your history cannot be read.", "history.tsv is left",
                                                  "as it is."};
static const int HS2_MESSAGE_X = 458;
static const int HS2_MESSAGE_Y = 160;
static const int HS2_MESSAGE_PITCH = 28;

// The items: "Back" where the first page has it, and the way back to it.
static const char HS2_BACK[] = "Back";
const char HS2_RECORDS[] = "Records";
const char HS2_NEXT[] = "Your pace";
static const int HS2_BACK_X = 500;
static const int HS2_ITEM_Y = 380;

ChartAxis WpmAxis(double fastest)
{
    double top = std::max(fastest, HS2_WPM_FLOOR);
    // The finest step of 1, 2 or 5 times a power of ten that needs no more
    // than five steps.
    double step = std::pow(10.0, std::floor(std::log10(top / HS2_WPM_STEPS)));
    for (int i = 0; std::ceil(top / step - 1e-9) > HS2_WPM_STEPS; i++)
        step *= i % 3 == 1 ? 2.5 : 2;
    return {0, std::ceil(top / step - 1e-9) * step, step};
}

ChartAxis AccuracyAxis(double leastAccurate)
{
    double low = std::floor(leastAccurate / HS2_ACCURACY_DECADE) * HS2_ACCURACY_DECADE;
    low = std::max(0.0, std::min(low, HS2_ACCURACY_HIGHEST_LOW));
    double step = (HS2_ACCURACY_FULL - low) / 2;   // three numbers: bottom, middle, 100
    return {low, HS2_ACCURACY_FULL, step};
}

int ChartX(int i, int n)
{
    if (n <= 1)
        return (HS_CHART_LEFT + HS_CHART_RIGHT) / 2;
    return HS_CHART_LEFT + int(std::lround(double(HS_CHART_RIGHT - HS_CHART_LEFT) * i / (n - 1)));
}

int ChartY(double value, const ChartAxis &axis)
{
    double share = axis.top > axis.low ? (value - axis.low) / (axis.top - axis.low) : 0;
    share = std::max(0.0, std::min(1.0, share));
    return HS_CHART_BOTTOM - int(std::lround((HS_CHART_BOTTOM - HS_CHART_TOP) * share));
}

int ChartLetterStep(int n)
{
    if (n <= HS2_EVERY_LETTER_UP_TO)
        return 1;
    if (n <= HS2_EVERY_FIFTH_UP_TO)
        return HS2_FIFTH;
    return HS2_TENTH;
}

std::string CharacterName(char c)
{
    return c == ' ' ? HS2_SPACE_NAME : std::string(1, c);
}

static int TextWidth(ALFONT_FONT *font, const char *text, int size)
{
    alfont_set_font_size(font, size);
    return alfont_text_length(font, text);
}

static std::string BestText(int tenths, const char *unit)
{
    return tenths < 0 ? HS2_NOT_FINISHED : OneDecimal(tenths / 10.0) + unit;
}

static void DrawBests(BITMAP *buffer, ALFONT_FONT *font, const TypingRecord &record, const ClockRecords &clocks)
{
    Textout(buffer, font, HS2_BESTS_CAPTION, HS2_PATH_X, HS2_BESTS_CAPTION_Y, HS2_TEXT_COLOR, HS2_SMALL, AA);
    Textout(buffer, font, HS2_PATH, HS2_PATH_X, HS2_HEADER_Y, HS2_TEXT_COLOR, HS2_SMALL, AA);
    for (int c = 0; c < CLOCK_KINDS; c++)
        Textout(buffer, font, HS2_CLOCK_NAMES[c], HS2_CLOCK_X[c], HS2_HEADER_Y, HS2_TEXT_COLOR, HS2_SMALL, AA);
    for (int k = 0; k < PATH_COUNT; k++) {
        int y = HS2_ROW_Y + HS2_ROW_PITCH * k;
        Textout(buffer, font, std::to_string(k + 1).c_str(), HS2_PATH_X, y, HS2_TEXT_COLOR, HS2_SMALL, AA);
        for (int c = 0; c < CLOCK_KINDS; c++) {
            // The original's bests are typing.dat's, as older versions keep them.
            int wpm = c == CLOCK_ORIGINAL ? record.best[k].wpmTenths : clocks.bests[c][k].wpmTenths;
            int accuracy = c == CLOCK_ORIGINAL ? record.best[k].accuracyTenths : clocks.bests[c][k].accuracyTenths;
            Textout(buffer, font, BestText(wpm, HS2_WPM_UNIT).c_str(), HS2_CLOCK_X[c], y, HS2_TEXT_COLOR, HS2_TINY,
                    AA);
            if (accuracy >= 0)
                Textout(buffer, font, BestText(accuracy, HS2_PER_CENT).c_str(), HS2_CLOCK_X[c],
                        y + HS2_ACCURACY_DROP, HS2_ACCURACY_COLOR, HS2_TINY, AA);
        }
    }
}

static void DrawLines(BITMAP *buffer, ALFONT_FONT *font, const char *const *lines, int count)
{
    for (int i = 0; i < count; i++)
        Textout_centre(buffer, font, lines[i], HS2_MESSAGE_X, HS2_MESSAGE_Y + HS2_MESSAGE_PITCH * i, HS2_TEXT_COLOR,
                       HS2_NORMAL, AA);
}

// The numbers of an axis beside the plotting area, with their grid lines.
static void DrawValueAxis(BITMAP *buffer, ALFONT_FONT *font, const ChartAxis &axis, bool left, int color)
{
    for (double v = axis.low; v <= axis.top + 1e-9; v += axis.step) {
        int y = ChartY(v, axis);
        if (left)
            hline(buffer, HS_CHART_LEFT, y, HS_CHART_RIGHT, HS2_GRID_COLOR);
        char text[16];
        snprintf(text, sizeof text, "%d", int(std::lround(v)));
        int w = TextWidth(font, text, HS2_TINY);
        int x = left ? HS_CHART_LEFT - HS2_AXIS_GAP - w : HS_CHART_RIGHT + HS2_AXIS_GAP;
        Textout(buffer, font, text, x, y - HS2_TINY / 2, color, HS2_TINY, AA);
    }
}

static void DrawChart(BITMAP *buffer, ALFONT_FONT *font, const HistorySummary &history)
{
    const std::vector<HistoryEntry> &recent = history.recent;
    int n = int(recent.size());
    double fastest = 0, least = HS2_ACCURACY_FULL;
    for (const HistoryEntry &e : recent) {
        fastest = std::max(fastest, e.wpmTenths / 10.0);
        least = std::min(least, e.accuracyTenths / 10.0);
    }
    ChartAxis wpm = WpmAxis(fastest), accuracy = AccuracyAxis(least);

    char caption[80];
    if (n == 1)
        snprintf(caption, sizeof caption, "%s", HS2_CHART_CAPTION_ONE);
    else
        snprintf(caption, sizeof caption, HS2_CHART_CAPTION, n);
    bool practice = false;
    for (const HistoryEntry &e : recent)
        practice = practice || e.practice;
    if (practice)
        snprintf(caption + strlen(caption), sizeof caption - strlen(caption), "%s", HS2_CHART_PRACTICE);
    Textout(buffer, font, HS2_CHART_WPM, HS2_CHART_WPM_X, HS2_CHART_CAPTION_Y, HS2_WPM_COLOR, HS2_SMALL, AA);
    Textout_centre(buffer, font, caption, (HS_CHART_LEFT + HS_CHART_RIGHT) / 2, HS2_CHART_CAPTION_Y, HS2_TEXT_COLOR,
                   HS2_SMALL, AA);
    int w = TextWidth(font, HS2_CHART_ACCURACY, HS2_SMALL);
    Textout(buffer, font, HS2_CHART_ACCURACY, HS2_CHART_ACCURACY_RIGHT - w, HS2_CHART_CAPTION_Y, HS2_ACCURACY_COLOR,
            HS2_SMALL, AA);

    DrawValueAxis(buffer, font, wpm, true, HS2_WPM_COLOR);
    DrawValueAxis(buffer, font, accuracy, false, HS2_ACCURACY_COLOR);
    rect(buffer, HS_CHART_LEFT, HS_CHART_TOP, HS_CHART_RIGHT, HS_CHART_BOTTOM, HS2_AXIS_COLOR);

    // The letters' numbers in the history read, under their columns.
    long first = history.letters - n + 1;
    int step = ChartLetterStep(n);
    for (int i = 0; i < n; i++) {
        long number = first + i;
        if (number % step != 0 && i != 0 && i != n - 1)
            continue;
        // The newest letter's number always shows; one too close before it gives way.
        if (i != n - 1 && i != 0 && ChartX(n - 1, n) - ChartX(i, n) < TextWidth(font, HS2_LABEL_ROOM, HS2_TINY))
            continue;
        int x = ChartX(i, n);
        vline(buffer, x, HS_CHART_BOTTOM, HS_CHART_BOTTOM + HS2_AXIS_GAP / 2, HS2_AXIS_COLOR);
        Textout_centre(buffer, font, std::to_string(number).c_str(), x, HS2_CHART_LABEL_Y, HS2_TEXT_COLOR, HS2_TINY,
                       AA);
    }

    // Words per minute as a line two pixels thick with a dot per letter;
    // accuracy as red crosses.
    for (int i = 0; i < n; i++) {
        int x = ChartX(i, n), y = ChartY(recent[i].wpmTenths / 10.0, wpm);
        if (i > 0) {
            int px = ChartX(i - 1, n), py = ChartY(recent[i - 1].wpmTenths / 10.0, wpm);
            line(buffer, px, py, x, y, HS2_WPM_COLOR);
            line(buffer, px, py + 1, x, y + 1, HS2_WPM_COLOR);
        }
        if (recent[i].practice) {
            circlefill(buffer, x, y, HS2_RING, HS2_GRID_COLOR);
            circle(buffer, x, y, HS2_RING, HS2_WPM_COLOR);
        } else {
            circlefill(buffer, x, y, HS2_MARK, HS2_WPM_COLOR);
        }
    }
    for (int i = 0; i < n; i++) {
        int x = ChartX(i, n), y = ChartY(recent[i].accuracyTenths / 10.0, accuracy);
        line(buffer, x - HS2_MARK, y - HS2_MARK, x + HS2_MARK, y + HS2_MARK, HS2_ACCURACY_COLOR);
        line(buffer, x - HS2_MARK, y + HS2_MARK, x + HS2_MARK, y - HS2_MARK, HS2_ACCURACY_COLOR);
    }
}

static void DrawFastest(BITMAP *buffer, ALFONT_FONT *font, const char *format, const HistoryEntry &f, int y)
{
    char text[160];
    snprintf(text, sizeof text, format, LetterTitle(f.scene.c_str()), OneDecimal(f.wpmTenths / 10.0).c_str(),
             f.when.substr(0, HS2_DATE_LENGTH).c_str());
    Textout(buffer, font, text, HS2_FACTS_X, y, HS2_TEXT_COLOR, HS2_NORMAL, AA);
}

// The story's fastest letter and practice's stand apart; the missed
// characters count both.
// Returns where the next line may stand.
static int DrawFacts(BITMAP *buffer, ALFONT_FONT *font, const HistorySummary &history)
{
    int y = HS2_FASTEST_Y, pitch = HS2_MISSED_Y - HS2_FASTEST_Y;
    if (history.hasPracticeFastest)
        pitch = HS2_FACTS_PITCH_WITH_PRACTICE;
    if (history.hasFastest) {
        DrawFastest(buffer, font, HS2_FASTEST, history.fastest, y);
        y += pitch;
    }
    if (history.hasPracticeFastest) {
        DrawFastest(buffer, font, HS2_PRACTICE_FASTEST, history.practiceFastest, y);
        y += pitch;
    }
    std::vector<std::pair<char, long>> most = MostMissed(history.missed, HS2_MISSED_SHOWN);
    std::string missed = most.empty() ? HS2_MISSED_NONE : HS2_MISSED;
    for (size_t i = 0; i < most.size(); i++) {
        if (i)
            missed += HS2_MISSED_SEPARATOR;
        missed += CharacterName(most[i].first) + HS2_COUNT_OPEN + std::to_string(most[i].second) + HS2_COUNT_CLOSE;
    }
    y = std::max(y, HS2_MISSED_Y);
    Textout(buffer, font, missed.c_str(), HS2_FACTS_X, y, HS2_TEXT_COLOR, HS2_NORMAL, AA);
    return std::max(HS2_SKIPPED_Y, y + pitch);
}

static void DrawSkipped(BITMAP *buffer, ALFONT_FONT *font, long skipped, int y)
{
    if (skipped <= 0)
        return;
    char text[96];
    if (skipped == 1)
        snprintf(text, sizeof text, "%s", HS2_SKIPPED_ONE);
    else
        snprintf(text, sizeof text, HS2_SKIPPED_MANY, skipped);
    Textout(buffer, font, text, HS2_FACTS_X, y, HS2_TEXT_COLOR, HS2_SMALL, AA);
}

void DrawTypingPage(BITMAP *buffer, ALFONT_FONT *font, const HistorySummary &history, const TypingRecord &record,
                    const ClockRecords &clocks)
{
    int skippedY = HS2_SKIPPED_Y;
    blit(DataBitmap(HS_BACKGROUND), buffer, 0, 0, 0, 0, buffer->w, buffer->h);
    Textout(buffer, font, HS2_TITLE, HS2_TITLE_X, HS2_TITLE_Y, HS2_TEXT_COLOR, HS2_BIG, AA);
    DrawBests(buffer, font, record, clocks);
    if (history.unreadable) {
        DrawLines(buffer, font, HS2_UNREADABLE_LINES, int(sizeof HS2_UNREADABLE_LINES / sizeof *HS2_UNREADABLE_LINES));
    } else if (history.recent.empty()) {
        DrawLines(buffer, font, HS2_EMPTY_LINES, int(sizeof HS2_EMPTY_LINES / sizeof *HS2_EMPTY_LINES));
    } else {
        DrawChart(buffer, font, history);
        skippedY = DrawFacts(buffer, font, history);
    }
    DrawSkipped(buffer, font, history.skipped, skippedY);
    Textout(buffer, font, HS2_RECORDS, HS2_RECORDS_X, HS2_ITEM_Y, HS2_TEXT_COLOR, HS2_ITEM, AA);
    Textout(buffer, font, HS2_NEXT, HS2_NEXT_X, HS2_ITEM_Y, HS2_TEXT_COLOR, HS2_ITEM, AA);
    // Last, as on the first page: "Back" is measured at this size.
    Textout(buffer, font, HS2_BACK, HS2_BACK_X, HS2_ITEM_Y, HS2_TEXT_COLOR, HS2_ITEM, AA);
}
