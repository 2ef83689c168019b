// The figures of a letter as the typing page measures them, and the card
// that shows them on the finished page.
#include <gtest/gtest.h>

#include <allegro.h>
#include <cerrno>
#include <string>

#include "player/clock.h"
#include "player/figures.h"
#include "player/lettercard.h"
#include "presentation/alfont.h"

namespace {

double now = 0;
double Now()
{
    return now;
}

// A letter being typed: its clock on the test's time base, and its keys.
struct Letter {
    LetterClock clock;
    LetterFigures figures;
};

// A letter started at t = 100 s: `keys` keys on "e e e ...", every
// `wrongEvery`-th one wrong (none for 0), each mistake `penalty` seconds.
Letter Typed(int keys, int wrongEvery, int penalty)
{
    Letter m;
    now = 100.0;
    ClockStart(m.clock, Now);
    for (int i = 1; i <= keys; i++)
        CountKey(m.figures, i % 2 ? 'e' : ' ', wrongEvery > 0 && i % wrongEvery == 0, penalty);
    return m;
}

// The last line done at `at`: the figures with the clock's typing time.
LetterFigures Stop(Letter &m, double at)
{
    now = at;
    LetterFigures f = m.figures;
    f.typingSeconds = ClockRunningSeconds(m.clock);
    return f;
}

void Pause(Letter &m, double at)
{
    now = at;
    ClockPause(m.clock);
}

void Resume(Letter &m, double at)
{
    now = at;
    ClockResume(m.clock);
}

}  // namespace

TEST(Figures, TimeLeavesOutThePausesAndThePenalties)
{
    Letter m = Typed(300, 100, 8);   // three mistakes
    // Paused from 130 s to 190 s; a second F12 while paused changes nothing,
    // nor does a resume without a pause.
    Pause(m, 130.0);
    Pause(m, 150.0);
    Resume(m, 190.0);
    Resume(m, 195.0);
    LetterFigures f = Stop(m, 220.0);
    EXPECT_DOUBLE_EQ(f.typingSeconds, 60.0);
    EXPECT_EQ(f.characters, 300);
    EXPECT_EQ(f.mistakes, 3);
    EXPECT_EQ(f.penaltySeconds, 24);
    // 300 characters are 60 words; in one minute, 60 a minute.
    EXPECT_DOUBLE_EQ(WordsPerMinute(f.characters, f.typingSeconds), 60.0);
    EXPECT_DOUBLE_EQ(Accuracy(f.characters - f.mistakes, f.characters), 99.0);
    // Mistakes on every hundredth key: keys 100, 200, 300 are all spaces.
    EXPECT_EQ(f.missed.size(), 1u);
    EXPECT_EQ(f.missed[' '], 3);

    // A pause still on when the letter ends is closed there.
    Letter open = Typed(10, 0, 7);
    Pause(open, 110.0);
    EXPECT_DOUBLE_EQ(Stop(open, 150.0).typingSeconds, 10.0);
}

TEST(Figures, ShortLettersKeepTheirFractionAndNothingDividesByZero)
{
    // A 20-second letter measured in whole seconds would be 5 % off.
    Letter m = Typed(100, 0, 7);
    LetterFigures f = Stop(m, 120.5);
    EXPECT_DOUBLE_EQ(f.typingSeconds, 20.5);
    EXPECT_NEAR(WordsPerMinute(100, 20.5), 58.5366, 1e-3);

    // Every key wrong: no accuracy, and the speed still counts the keys.
    Letter wrong = Typed(40, 1, 10);
    LetterFigures w = Stop(wrong, 110.0);
    EXPECT_EQ(w.mistakes, 40);
    EXPECT_EQ(w.penaltySeconds, 400);
    EXPECT_DOUBLE_EQ(Accuracy(w.characters - w.mistakes, w.characters), 0.0);
    EXPECT_DOUBLE_EQ(WordsPerMinute(w.characters, w.typingSeconds), 48.0);
    EXPECT_EQ(w.missed['e'], 20);

    EXPECT_EQ(WordsPerMinute(100, 0), 0);
    EXPECT_EQ(WordsPerMinute(0, 30), 0);
    EXPECT_EQ(Accuracy(0, 0), 0);
    // A clock that seems to run backwards gives no time, not a negative one.
    Letter back = Typed(0, 0, 7);
    now = 50.0;
    ClockStart(back.clock, Now);
    EXPECT_EQ(Stop(back, 40.0).typingSeconds, 0);
}

TEST(Figures, OneDecimalNeedsNoLocale)
{
    EXPECT_EQ(OneDecimal(52.34), "52.3");
    EXPECT_EQ(OneDecimal(52.35), "52.4");
    EXPECT_EQ(OneDecimal(0), "0.0");
    EXPECT_EQ(OneDecimal(99.96), "100.0");
    EXPECT_EQ(OneDecimal(-1.25), "-1.3");
    EXPECT_EQ(OneDecimal(1e300), "1000000000000000.0");
}

TEST(LetterCard, RowsGiveSpeedAccuracyMistakesAndTime)
{
    LetterFigures f;
    f.characters = 412;
    f.mistakes = 2;
    f.penaltySeconds = 14;
    f.typingSeconds = 95.26;
    std::vector<CardRow> rows = LetterCardRows(f);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0].label + " " + rows[0].value, "Speed 51.9 wpm");
    EXPECT_EQ(rows[1].label + " " + rows[1].value, "Accuracy 99.5 %");
    EXPECT_EQ(rows[2].label + " " + rows[2].value, "Mistakes 2 (+14 s)");
    EXPECT_EQ(rows[3].label + " " + rows[3].value, "Time 1 min 35.3 s");
    f.mistakes = 0;
    f.penaltySeconds = 0;
    EXPECT_EQ(LetterCardRows(f)[2].value, "0");
    EXPECT_EQ(CardDuration(42.46), "42.5 s");
    EXPECT_EQ(CardDuration(59.96), "1 min 0.0 s");
    EXPECT_EQ(CardDuration(3600), "60 min 0.0 s");
}

TEST(LetterCard, TheWidestRowsFitOnTheCard)
{
    if (!system_driver)
        install_allegro(SYSTEM_NONE, &errno, atexit);
    set_color_depth(32);
    ASSERT_EQ(alfont_init(), 0);
    ALFONT_FONT *font = alfont_load_font((std::string(PAPERLUNE_DATA_DIR) + "/Fonts/typewriter.ttf").c_str());
    ASSERT_NE(font, nullptr);
    // The longest letter there can be, typed in a second; and one typed for an hour.
    LetterFigures fast, slow;
    fast.characters = slow.characters = 2225;
    fast.mistakes = slow.mistakes = 99;
    fast.penaltySeconds = slow.penaltySeconds = 990;
    fast.typingSeconds = 1;
    slow.typingSeconds = 3599.9;
    BITMAP *page = create_bitmap(640, 480);
    for (const LetterFigures &f : {fast, slow}) {
        clear_to_color(page, 0x123456);
        DrawLetterCard(page, font, f);
        // Inside the card's edge nothing but the card: its rows never reach the edge.
        const int inset = 4;
        int paper = getpixel(page, TYPE_CARD_RIGHT - 1, TYPE_CARD_TOP + 1) & 0xFFFFFF;
        for (int y = TYPE_CARD_TOP + 1; y < TYPE_CARD_BOTTOM; y++)
            for (int x = TYPE_CARD_RIGHT - inset; x < TYPE_CARD_RIGHT; x++)
                ASSERT_EQ(getpixel(page, x, y) & 0xFFFFFF, paper)
                    << "a row runs into the card's right edge at " << x << "," << y;
        // Text stands on the card.
        int inked = 0;
        for (int y = TYPE_CARD_TOP + 1; y < TYPE_CARD_BOTTOM; y++)
            for (int x = TYPE_CARD_LEFT + 1; x < TYPE_CARD_RIGHT; x++)
                inked += (getpixel(page, x, y) & 0xFFFFFF) < 0x808080;
        EXPECT_GT(inked, 200);
        // Outside the card and its shadow the page is untouched.
        EXPECT_EQ(getpixel(page, TYPE_CARD_LEFT - 1, TYPE_CARD_TOP) & 0xFFFFFF, 0x123456);
        EXPECT_EQ(getpixel(page, TYPE_CARD_RIGHT + 5, TYPE_CARD_BOTTOM + 5) & 0xFFFFFF, 0x123456);
        EXPECT_EQ(getpixel(page, TYPE_CARD_LEFT, TYPE_CARD_TOP - 1) & 0xFFFFFF, 0x123456);
    }
    destroy_bitmap(page);
    alfont_destroy_font(font);
}
