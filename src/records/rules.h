// The rules behind the records screens that need no window: the texts of
// the Hall of Records, the hit boxes of its "Back" and of the quit answers,
// and the ending lines and visibility rule of the credits roll.
#ifndef PAPERLUNE_RECORDS_RULES_H
#define PAPERLUNE_RECORDS_RULES_H

#include <string>

#include "records/save.h"

// Hall of Records cells: "N/A" / "" for a path never finished (any negative
// time), else "2min+5s" / "7mis"; a finished time whose mistakes are not
// known (negative) gets an empty mistakes cell.
std::string HsTimeText(int32_t bestTime);
std::string HsMistakesText(int32_t bestTime, int32_t bestMistakes);

enum HsClick {
    HS_CLICK_NONE,     // left or right of "Back": the click stays
    HS_CLICK_CLEAR,    // above or below "Back": the click is dropped
    HS_CLICK_LEAVE,    // on "Back"
};
// A click at (x, y) with "Back" measured backWidth pixels wide.
HsClick HsClickAt(int x, int y, int backWidth);
// The same for an item of the row of "Back" whose left edge is at `left`.
HsClick HsItemClickAt(int left, int x, int y, int width);

// Which answer the pointer at (x, y) selects: 1 "Yes", 2 "No", or the
// current selection when it is on neither; the words measured yesWidth and
// noWidth pixels wide.
int QuitPointed(int selection, int x, int y, int yesWidth, int noWidth);
const int QUIT_CLICK_IGNORED = -1;   // outside the answers' band: nothing happens
const int QUIT_CLICK_CLEAR = 0;      // in the band between the boxes: the click is dropped
// A click at (x, y), after the pointer rule has set the selection: the
// action code 10 ("Yes") or 20 ("No"), or one of the two values above.
int QuitClickAction(int selection, int x, int y, int yesWidth, int noWidth);

const int Credits_length = 20;
const int CREDITS_ENDING_NUMBER = 18;   // "Ending k of 5"
const int CREDITS_ENDING_TITLE = 19;    // the ending's name
// The fixed text of the roll, read-only; the lines the ending screen fills
// are read through CreditsLine.
extern const char *const Credits[Credits_length];
// Entry i of the roll as it stands now: the ending lines of the last ending
// and the play-through's totals where an ending has set them.
const char *CreditsLine(int i);

// Set-up of the ending screen before the roll: the path record of the run
// and the two ending lines. Returns the path, 0 when the id has none (the
// lines then keep their text).
int RecordEnding(SaveRecord &record);

// The play-through's totals on the closing lines of the roll: "Your typing:
// 42.3 wpm, 97.5 % right" (empty when the speed is not known) and "3
// mistakes in 12min+5s", with the clock's name after it when the run was
// not all on the original clock: "3 mistakes in 12min+5s, Your pace".
void CreditsTotals(bool known, double wpm, double accuracy, int32_t mistakes, int32_t runTime, std::string *speed,
                   std::string *count, int clock = 0);

// Roll offset of the first frame on a screen of the given height.
int CreditsStartOffset(int screenH);
// Whether a line with its top at y is drawn: whole lines only, inside the
// darkened box.
bool CreditsLineVisible(int y, int screenH);
// Whether the roll is over once the frame at this offset is composed.
bool CreditsRollOver(int offset, int screenH);

#endif
