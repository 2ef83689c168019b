// The Hall of Records' second page, "Your typing": each path's best words
// per minute and accuracy, a chart of the last letters, the fastest letter
// and the characters missed most; and the rules of its chart.
#ifndef PAPERLUNE_RECORDS_TYPINGHALL_H
#define PAPERLUNE_RECORDS_TYPINGHALL_H

#include <allegro.h>
#include <string>

#include "presentation/alfont.h"
#include "records/clockrecords.h"
#include "records/history.h"
#include "records/typingrun.h"

// The chart's plotting area, both edges included.
const int HS_CHART_LEFT = 330;
const int HS_CHART_RIGHT = 586;
const int HS_CHART_TOP = 132;
const int HS_CHART_BOTTOM = 268;

// A value axis from `low` to `top` with a labelled line every `step`.
struct ChartAxis {
    double low, top, step;
};
// The words-per-minute axis: from 0 to a round top at or above the fastest
// letter (20 at the least), in at most five steps of 1, 2 or 5 times a
// power of ten.
ChartAxis WpmAxis(double fastest);
// The accuracy axis: up to 100 %, from a multiple of 10 at or below the
// least accurate letter (90 at the most), so that small differences show.
ChartAxis AccuracyAxis(double leastAccurate);
// Pixel column of letter i of n (oldest at the left edge, newest at the
// right), and pixel row of a value on an axis (held inside the area).
int ChartX(int i, int n);
int ChartY(double value, const ChartAxis &axis);
// How many letters apart the numbered marks under the chart stand.
int ChartLetterStep(int n);

// A character as the page names it: "space" for a space.
std::string CharacterName(char c);

// The item that goes back to the first page, at (HS2_RECORDS_X, 380) in
// the size of "Back".
extern const char HS2_RECORDS[];   // "Records"
const int HS2_RECORDS_X = 50;
// And the one on to the next page, the table of "Your pace".
extern const char HS2_NEXT[];      // "Your pace"
const int HS2_NEXT_X = 270;

// The page for this history and these bests (the original clock's in
// `record`, the other clocks' in `clocks`), into the buffer.
void DrawTypingPage(BITMAP *buffer, ALFONT_FONT *font, const HistorySummary &history, const TypingRecord &record,
                    const ClockRecords &clocks);

#endif
