// The card on the finished typing page: the letter's words per minute,
// accuracy, mistakes and time, on a slip of paper lying on the desk below
// the timer sprites, beside the sheet the letter fills.
#ifndef PAPERLUNE_PLAYER_LETTERCARD_H
#define PAPERLUNE_PLAYER_LETTERCARD_H

#include <allegro.h>
#include <string>
#include <vector>

#include "player/figures.h"
#include "presentation/alfont.h"

// Where the card stands, both corners included. The letter's lines end at
// x 340 and y 420 at the most, the sprites' ink at y 372: the card hides
// neither.
const int TYPE_CARD_LEFT = 388;
const int TYPE_CARD_TOP = 380;
const int TYPE_CARD_RIGHT = 592;
const int TYPE_CARD_BOTTOM = 467;

struct CardRow {
    std::string label, value;
};
// The card's rows: "Speed 52.3 wpm", "Accuracy 98.1 %", "Mistakes 2 (+14 s)",
// "Time 1 min 35.3 s".
std::vector<CardRow> LetterCardRows(const LetterFigures &figures);
// A duration as the card gives it: "42.5 s", "1 min 35.3 s".
std::string CardDuration(double seconds);

// Draws the card into the page in the letter's font.
void DrawLetterCard(BITMAP *page, ALFONT_FONT *font, const LetterFigures &figures);

// A letter typed in practice: its card sets this run beside the best kept
// before it, on a wider slip (the letter's lines end at x 340).
const int TYPE_PRACTICE_CARD_LEFT = 348;
struct PracticeComparison {
    bool hadBest = false;      // a best was kept before this run
    double bestWpm = 0, bestAccuracy = 0, bestSeconds = 0;
    bool newBest = false;      // this run is kept as the best from now on
};
// Rows of three cells: the header ("", "This run", "Best"), then Speed,
// Accuracy and Time, the best's cells "-" when none was kept.
std::vector<std::vector<std::string>> PracticeCardRows(const LetterFigures &figures, const PracticeComparison &c);
// The card's last line: "A new best, kept." or "Your best still stands."
const char *PracticeVerdict(const PracticeComparison &c);
void DrawPracticeCard(BITMAP *page, ALFONT_FONT *font, const LetterFigures &figures, const PracticeComparison &c);

#endif
