#include "player/lettercard.h"

#include <cmath>

#include "presentation/text.h"

static const int TYPE_CARD_SIZE = 15;             // the letter's own size
static const int TYPE_CARD_PITCH = 19;
static const int TYPE_CARD_PAD_X = 12;
static const int TYPE_CARD_PAD_Y = 9;
static const int TYPE_CARD_VALUE_X = 88;          // the values' column, from the card's left edge
static const int TYPE_CARD_PAPER = 0xF7F3E9;      // the sheet's own paper
static const int TYPE_CARD_EDGE = 0x8C8274;
static const int TYPE_CARD_LABEL_COLOR = 0x353535;   // the preview's grey ink
static const int TYPE_CARD_VALUE_COLOR = 0x000000;   // the typed letter's ink
static const int TYPE_CARD_SHADOW = 0x000000;
static const int TYPE_CARD_SHADOW_ALPHA = 80;
static const int TYPE_CARD_SHADOW_OFFSET = 3;
static const int TYPE_CARD_OPAQUE = 255;

static const char TYPE_CARD_SPEED[] = "Speed";
static const char TYPE_CARD_ACCURACY[] = "Accuracy";
static const char TYPE_CARD_MISTAKES[] = "Mistakes";
static const char TYPE_CARD_TIME[] = "Time";
static const char TYPE_CARD_WPM[] = " wpm";
static const char TYPE_CARD_PER_CENT[] = " %";
static const char TYPE_CARD_SECONDS[] = " s";
static const char TYPE_CARD_MINUTES[] = " min ";
static const char TYPE_CARD_PENALTY_OPEN[] = " (+";
static const char TYPE_CARD_PENALTY_CLOSE[] = " s)";
static const int SECONDS_PER_MINUTE = 60;

// The practice card: three columns, five rows, a size smaller.
static const int TYPE_PCARD_SIZE = 14;
static const int TYPE_PCARD_PITCH = 16;
static const int TYPE_PCARD_PAD_Y = 6;
static const int TYPE_PCARD_RUN_X = 86;           // the columns, from the card's left edge
static const int TYPE_PCARD_BEST_X = 166;
static const char TYPE_PCARD_THIS_RUN[] = "This run";
static const char TYPE_PCARD_BEST[] = "Best";
static const char TYPE_PCARD_NONE[] = "-";
static const char TYPE_PCARD_NEW_BEST[] = "A new best, kept.";
static const char TYPE_PCARD_STANDS[] = "Your best still stands.";

std::string CardDuration(double seconds)
{
    // Rounded once, so that 59.96 s reads "1 min 0.0 s", not "60.0 s".
    long long tenths = std::llround(seconds * 10);
    if (tenths < 0)
        tenths = 0;
    long long minutes = tenths / (10 * SECONDS_PER_MINUTE);
    std::string rest = OneDecimal((tenths % (10 * SECONDS_PER_MINUTE)) / 10.0) + TYPE_CARD_SECONDS;
    if (minutes == 0)
        return rest;
    return std::to_string(minutes) + TYPE_CARD_MINUTES + rest;
}

std::vector<CardRow> LetterCardRows(const LetterFigures &f)
{
    std::string mistakes = std::to_string(f.mistakes);
    if (f.penaltySeconds > 0)
        mistakes += TYPE_CARD_PENALTY_OPEN + std::to_string(f.penaltySeconds) + TYPE_CARD_PENALTY_CLOSE;
    return {
        {TYPE_CARD_SPEED, OneDecimal(WordsPerMinute(f.characters, f.typingSeconds)) + TYPE_CARD_WPM},
        {TYPE_CARD_ACCURACY, OneDecimal(Accuracy(f.characters - f.mistakes, f.characters)) + TYPE_CARD_PER_CENT},
        {TYPE_CARD_MISTAKES, mistakes},
        {TYPE_CARD_TIME, CardDuration(f.typingSeconds)},
    };
}

// The slip with its shadow, from `left` to the card's right edge.
static void DrawSlip(BITMAP *page, int left)
{
    const int o = TYPE_CARD_SHADOW_OFFSET;
    drawing_mode(DRAW_MODE_TRANS, nullptr, 0, 0);
    set_trans_blender(0, 0, 0, TYPE_CARD_SHADOW_ALPHA);
    rectfill(page, left + o, TYPE_CARD_TOP + o, TYPE_CARD_RIGHT + o, TYPE_CARD_BOTTOM + o, TYPE_CARD_SHADOW);
    set_trans_blender(0, 0, 0, TYPE_CARD_OPAQUE);
    solid_mode();
    rectfill(page, left, TYPE_CARD_TOP, TYPE_CARD_RIGHT, TYPE_CARD_BOTTOM, TYPE_CARD_PAPER);
    rect(page, left, TYPE_CARD_TOP, TYPE_CARD_RIGHT, TYPE_CARD_BOTTOM, TYPE_CARD_EDGE);
}

void DrawLetterCard(BITMAP *page, ALFONT_FONT *font, const LetterFigures &figures)
{
    DrawSlip(page, TYPE_CARD_LEFT);
    int y = TYPE_CARD_TOP + TYPE_CARD_PAD_Y;
    for (const CardRow &row : LetterCardRows(figures)) {
        Textout(page, font, row.label.c_str(), TYPE_CARD_LEFT + TYPE_CARD_PAD_X, y, TYPE_CARD_LABEL_COLOR,
                TYPE_CARD_SIZE, AA);
        Textout(page, font, row.value.c_str(), TYPE_CARD_LEFT + TYPE_CARD_VALUE_X, y, TYPE_CARD_VALUE_COLOR,
                TYPE_CARD_SIZE, AA);
        y += TYPE_CARD_PITCH;
    }
}

std::vector<std::vector<std::string>> PracticeCardRows(const LetterFigures &f, const PracticeComparison &c)
{
    // Seconds alone, so that a time fits its column.
    auto seconds = [](double s) { return OneDecimal(std::round(s * 10) / 10) + TYPE_CARD_SECONDS; };
    auto best = [&c](const std::string &value) { return c.hadBest ? value : std::string(TYPE_PCARD_NONE); };
    return {
        {"", TYPE_PCARD_THIS_RUN, TYPE_PCARD_BEST},
        {TYPE_CARD_SPEED, OneDecimal(WordsPerMinute(f.characters, f.typingSeconds)) + TYPE_CARD_WPM,
         best(OneDecimal(c.bestWpm) + TYPE_CARD_WPM)},
        {TYPE_CARD_ACCURACY, OneDecimal(Accuracy(f.characters - f.mistakes, f.characters)) + TYPE_CARD_PER_CENT,
         best(OneDecimal(c.bestAccuracy) + TYPE_CARD_PER_CENT)},
        {TYPE_CARD_TIME, seconds(f.typingSeconds), best(seconds(c.bestSeconds))},
    };
}

const char *PracticeVerdict(const PracticeComparison &c)
{
    return c.newBest ? TYPE_PCARD_NEW_BEST : TYPE_PCARD_STANDS;
}

void DrawPracticeCard(BITMAP *page, ALFONT_FONT *font, const LetterFigures &figures, const PracticeComparison &c)
{
    const int left = TYPE_PRACTICE_CARD_LEFT;
    const int columns[] = {left + TYPE_CARD_PAD_X, left + TYPE_PCARD_RUN_X, left + TYPE_PCARD_BEST_X};
    DrawSlip(page, left);
    int y = TYPE_CARD_TOP + TYPE_PCARD_PAD_Y;
    for (const std::vector<std::string> &row : PracticeCardRows(figures, c)) {
        for (size_t i = 0; i < row.size(); i++)
            Textout(page, font, row[i].c_str(), columns[i], y, i ? TYPE_CARD_VALUE_COLOR : TYPE_CARD_LABEL_COLOR,
                    TYPE_PCARD_SIZE, AA);
        y += TYPE_PCARD_PITCH;
    }
    Textout(page, font, PracticeVerdict(c), columns[0], y, TYPE_CARD_VALUE_COLOR, TYPE_PCARD_SIZE, AA);
}
