// Time limits, page line counts, and the letter clock on a time base the
// test moves by hand.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "player/clock.h"
#include "player/narration.h"
#include "story/scene.h"

namespace {

// A 25-line text whose lines have the given lengths.
struct Text {
    std::vector<std::string> lines;
    std::vector<char *> ptrs;
    explicit Text(const std::vector<std::string> &given) : lines(given)
    {
        lines.resize(SCENE_TEXT_LINES);
        for (auto &l : lines)
            ptrs.push_back(&l[0]);
    }
    char **get() { return ptrs.data(); }
};

Text OfTotal(int characters)
{
    std::vector<std::string> lines;
    while (characters > 0) {
        int n = characters < 39 ? characters : 39;
        lines.push_back(std::string(n, 'a'));
        characters -= n;
    }
    return Text(lines);
}

// A letter clock on a time base the test moves by hand.
double fakeNow = 0;
double FakeNow()
{
    return fakeNow;
}

}  // namespace

TEST(Clock, TimeLimitFollowsLengthAndDifficulty)
{
    Text t777 = OfTotal(777), t813 = OfTotal(813), t338 = OfTotal(338), empty({});
    EXPECT_EQ(DifficultyTimeCalculator(t777.get(), 5), 291);   // 291.375
    EXPECT_EQ(DifficultyTimeCalculator(t777.get(), 0), 583);   // 582.75
    EXPECT_EQ(DifficultyTimeCalculator(t777.get(), 1), 583);
    EXPECT_EQ(DifficultyTimeCalculator(t813.get(), 7), 257);
    EXPECT_EQ(DifficultyTimeCalculator(t338.get(), 3), 169);
    EXPECT_EQ(DifficultyTimeCalculator(empty.get(), 3), 0);
    EXPECT_EQ(DifficultyTimeCalculator(t777.get(), 10), 0);
    EXPECT_EQ(DifficultyTimeCalculator(t777.get(), -1), 0);
    // 20 characters at 80 a minute is exactly 15 s; 2 at 160 is 0.75 -> 1;
    // a half rounds away from zero: 1 character at 120 a minute is 0.5 s.
    Text t20 = OfTotal(20), t2 = OfTotal(2), t1 = OfTotal(1);
    EXPECT_EQ(DifficultyTimeCalculator(t20.get(), 0), 15);
    EXPECT_EQ(DifficultyTimeCalculator(t2.get(), 5), 1);
    EXPECT_EQ(DifficultyTimeCalculator(t1.get(), 3), 1);
}

TEST(Clock, LinesAreCountedUpToTheNextMarker)
{
    Text page({"one", "two", "", "four", "NEWPAGE", "six", "ENDOFTEXT"});
    EXPECT_EQ(NumberOfLines(page.get(), 0), 4) << "empty lines count";
    EXPECT_EQ(NumberOfLines(page.get(), 1), 3);
    EXPECT_EQ(NumberOfLines(page.get(), 4), 0) << "starting on a marker";
    EXPECT_EQ(NumberOfLines(page.get(), 5), 1);
    EXPECT_EQ(NumberOfLines(page.get(), 6), 0);
    EXPECT_EQ(NumberOfLines(nullptr, 0), 0);
    Text single({"alone", "ENDOFTEXT"});
    EXPECT_EQ(NumberOfLines(single.get(), 1), 0);
    // A text without any marker stops at its last line.
    Text full(std::vector<std::string>(25, "x"));
    EXPECT_EQ(NumberOfLines(full.get(), 20), 5);
}

TEST(Clock, NarrationPagesStandCentredOnTheScreen)
{
    const int pitch = 25, screenH = 480, middle = screenH / 2;
    // One or two lines start at the middle; three or four one pitch above.
    Text one({"a", "ENDOFTEXT"}), two({"a", "b", "ENDOFTEXT"});
    Text three({"a", "b", "c", "ENDOFTEXT"}), four({"a", "b", "c", "d", "NEWPAGE", "e", "ENDOFTEXT"});
    EXPECT_EQ(NarrationLineY(one.get(), 0, 0, pitch, screenH), middle);
    EXPECT_EQ(NarrationLineY(two.get(), 0, 0, pitch, screenH), middle);
    EXPECT_EQ(NarrationLineY(two.get(), 0, 1, pitch, screenH), middle + pitch);
    EXPECT_EQ(NarrationLineY(three.get(), 0, 0, pitch, screenH), middle - pitch);
    EXPECT_EQ(NarrationLineY(four.get(), 0, 3, pitch, screenH), middle + 2 * pitch);
    // The second page of `four` holds one line: it starts at the middle again.
    EXPECT_EQ(NarrationLineY(four.get(), 5, 5, pitch, screenH), middle);
}

TEST(LetterClock, PausesKeepThePartOfASecondAlreadyRun)
{
    LetterClock clock;
    // F12 and a key after every 0.9 s of typing, over 10 s: still 9 or 10
    // whole seconds, as without pauses (a fresh second at every resume
    // would count none).
    fakeNow = 50;
    ClockStart(clock, FakeNow);
    for (double typed = 0; typed < 9.95; typed += 0.9) {
        double run = typed + 0.9 > 10 ? 10 - typed : 0.9;
        fakeNow += run;
        ClockPause(clock);
        fakeNow += 2;
        ClockResume(clock);
    }
    EXPECT_NEAR(ClockRunningSeconds(clock), 10.0, 1e-6);
    EXPECT_GE(ClockCount(clock), 9);
    EXPECT_LE(ClockCount(clock), 10);
}

TEST(LetterClock, WholeSecondsAndPenaltiesAgainstTheFraction)
{
    fakeNow = 7;
    LetterClock clock;
    ClockStart(clock, FakeNow);
    EXPECT_EQ(ClockCount(clock), 0);
    EXPECT_EQ(ClockMsToNextSecond(clock), 1000);
    fakeNow = 7 + 2.75;
    EXPECT_DOUBLE_EQ(ClockRunningSeconds(clock), 2.75);
    EXPECT_EQ(ClockCount(clock), 2) << "only whole seconds count";
    EXPECT_EQ(ClockMsToNextSecond(clock), 250);
    // A mistake's penalty goes into the count, never into the typing time.
    ClockAddPenalty(clock, 8);
    ClockAddPenalty(clock, 0);
    ClockAddPenalty(clock, -3);
    EXPECT_EQ(ClockCount(clock), 10);
    EXPECT_DOUBLE_EQ(ClockRunningSeconds(clock), 2.75);
    fakeNow = 7 + 3;
    EXPECT_EQ(ClockCount(clock), 11);
    // While paused the count stands and does not grow by itself.
    ClockPause(clock);
    fakeNow = 7 + 100;
    EXPECT_EQ(ClockCount(clock), 11);
    EXPECT_EQ(ClockMsToNextSecond(clock), -1);
    // A time base that seems to run backwards gives no time.
    LetterClock back;
    ClockStart(back, FakeNow);
    fakeNow -= 5;
    EXPECT_EQ(ClockRunningSeconds(back), 0);
    EXPECT_EQ(ClockCount(back), 0);
}

TEST(LetterClock, APauseDuringAPauseChangesNothing)
{
    fakeNow = 0;
    LetterClock clock;
    ClockStart(clock, FakeNow);
    fakeNow = 1;
    ClockPause(clock);
    fakeNow = 2;
    ClockPause(clock);    // F12 again, or held: the pause began at 1
    fakeNow = 5;
    ClockResume(clock);
    fakeNow = 6;
    ClockResume(clock);   // no pause to end
    fakeNow = 7;
    EXPECT_DOUBLE_EQ(ClockRunningSeconds(clock), 3.0);
    EXPECT_EQ(ClockCount(clock), 3);
    // The steady time base itself moves forward.
    double a = SteadySeconds(), b = SteadySeconds();
    EXPECT_LE(a, b);
}

TEST(LetterClock, RulesAreDataAndTheOriginalTableIsOneOfThem)
{
    Text t777 = OfTotal(777);
    for (int d = -1; d <= 10; d++) {
        EXPECT_EQ(LetterLimit(ORIGINAL_CLOCK, t777.get(), d), DifficultyTimeCalculator(t777.get(), d)) << d;
        EXPECT_EQ(LetterPenalty(ORIGINAL_CLOCK, d), d < 0 || d > 9 ? 0 : d / 3 + 7) << d;
    }
    // Another clock is another table: one pace for every difficulty, two
    // seconds a mistake, and a limit at all or none.
    ClockRules even = ORIGINAL_CLOCK;
    for (int d = 0; d < CLOCK_DIFFICULTIES; d++) {
        even.charsPerMinute[d] = 111;
        even.penaltySeconds[d] = 2;
    }
    EXPECT_EQ(LetterLimit(even, t777.get(), 0), 420);   // 777 / 111 x 60
    EXPECT_EQ(LetterLimit(even, t777.get(), 9), 420);
    EXPECT_EQ(LetterPenalty(even, 5), 2);
    EXPECT_FALSE(ClockRanOut(even, 419, 420));
    EXPECT_TRUE(ClockRanOut(even, 420, 420));
    EXPECT_TRUE(ClockRanOut(ORIGINAL_CLOCK, 0, 0)) << "no time at all runs out at once";
    ClockRules none = even;
    none.limited = false;
    EXPECT_FALSE(ClockRanOut(none, 100000, 420));
    EXPECT_FALSE(ClockRanOut(none, 0, 0));
}

namespace {

// A typist at `wpm` with a wrong key every `every` keys, typing every key of
// the text on the clock's rules: the count when the last key is in.
int32_t TypedCount(const ClockRules &rules, char **text, int difficulty, double wpm, int every)
{
    fakeNow = 0;
    LetterClock clock;
    ClockStart(clock, FakeNow);
    int keys = 0;
    for (int l = 0; l < SCENE_TEXT_LINES; l++)
        keys += strlen(text[l]) ? int(strlen(text[l])) - 1 : 0;
    for (int i = 1; i <= keys; i++) {
        fakeNow += 60.0 / (wpm * 5);
        if (i % every == 0)
            ClockAddPenaltyMs(clock, LetterPenaltyMs(rules, difficulty));
    }
    return ClockCount(clock);
}

}  // namespace

TEST(PaceClock, ATypistAtThePaceFinishesWithAFifthToSpare)
{
    Text letter = OfTotal(600);   // 16 lines: 584 keys
    const struct {
        double wpm, accuracy;
        int every;   // a wrong key every so many keys: 100 - accuracy per cent
    } typists[] = {{30, 95, 20}, {20, 95, 20}, {52, 98, 50}, {100, 99, 100}, {45, 90, 10}};
    for (const auto &t : typists) {
        SCOPED_TRACE(t.wpm);
        ClockRules pace = PaceClock(t.wpm, t.accuracy);
        EXPECT_EQ(pace.kind, CLOCK_PACE);
        EXPECT_EQ(pace.paceWpm, int(t.wpm));
        // A mistake costs two characters' time at that pace.
        EXPECT_EQ(LetterPenaltyMs(pace, 4), int(std::lround(2 * 12000 / t.wpm)));
        for (int d : {0, 5, 9}) {
            int limit = LetterLimit(pace, letter.get(), d);
            int32_t used = TypedCount(pace, letter.get(), d, t.wpm, t.every);
            EXPECT_NEAR(used, 0.8 * limit, 1.5) << "difficulty " << d << ", limit " << limit;
            EXPECT_FALSE(ClockRanOut(pace, used, limit));
            // A fifth slower, or twice as many wrong keys, is still within it;
            // a third slower is not.
            EXPECT_FALSE(ClockRanOut(pace, TypedCount(pace, letter.get(), d, t.wpm / 1.2, t.every), limit));
            EXPECT_FALSE(ClockRanOut(pace, TypedCount(pace, letter.get(), d, t.wpm, t.every / 2), limit));
            EXPECT_TRUE(ClockRanOut(pace, TypedCount(pace, letter.get(), d, t.wpm / 1.34, t.every), limit));
        }
    }
    // Fast typists get a tighter clock than the original, slow ones a kinder one.
    EXPECT_LT(LetterLimit(PaceClock(100, 99), letter.get(), 9), LetterLimit(ORIGINAL_CLOCK, letter.get(), 9));
    EXPECT_GT(LetterLimit(PaceClock(30, 95), letter.get(), 9), LetterLimit(ORIGINAL_CLOCK, letter.get(), 9));
    EXPECT_GT(LetterLimit(PaceClock(20, 95), letter.get(), 1), LetterLimit(ORIGINAL_CLOCK, letter.get(), 1));
    // Only the keys typed count: a line's last character ends it untyped.
    Text lines({"ab", "cd", "", "ef"});
    ClockRules even = PaceClock(12, 100);   // a key a second, 1.25 s with the fifth to spare
    EXPECT_EQ(LetterLimit(even, lines.get(), 3), 4);   // 3 keys
    EXPECT_EQ(LetterLimit(even, lines.get(), 10), 0) << "no time outside the table";
}

TEST(PaceClock, OddPacesAreHeldAndNoClockNeverRunsOut)
{
    Text letter = OfTotal(400);
    // No pace, a negative one, not a number: the slowest pace there is.
    for (double wpm : {0.0, -5.0, std::nan("")}) {
        ClockRules held = PaceClock(wpm, 95);
        EXPECT_EQ(held.paceWpm, 1);
        EXPECT_GT(LetterLimit(held, letter.get(), 3), 0);
    }
    EXPECT_EQ(LetterLimit(PaceClock(30, 150), letter.get(), 3), LetterLimit(PaceClock(30, 100), letter.get(), 3));
    EXPECT_EQ(LetterLimit(PaceClock(30, -4), letter.get(), 3), LetterLimit(PaceClock(30, 0), letter.get(), 3));
    EXPECT_EQ(ClockOfKind(CLOCK_PACE, 30, 95).paceWpm, 30);
    EXPECT_EQ(ClockOfKind(CLOCK_ORIGINAL, 30, 95).kind, CLOCK_ORIGINAL);
    // No clock: no penalty, never out of time; the sprites stand at the
    // limit the original gives.
    ClockRules none = ClockOfKind(CLOCK_NONE, 30, 95);
    EXPECT_EQ(none.kind, CLOCK_NONE);
    EXPECT_EQ(LetterPenaltyMs(none, 5), 0);
    EXPECT_FALSE(ClockRanOut(none, INT32_MAX, LetterLimit(none, letter.get(), 5)));
    EXPECT_EQ(LetterLimit(none, letter.get(), 5), LetterLimit(ORIGINAL_CLOCK, letter.get(), 5));
}

TEST(LetterClock, PartsOfASecondOfPenaltyAddUpWithTheTimeRun)
{
    fakeNow = 0;
    LetterClock clock;
    ClockStart(clock, FakeNow);
    for (int i = 0; i < 3; i++)
        ClockAddPenaltyMs(clock, 800);   // 2.4 s
    fakeNow = 0.5;
    EXPECT_EQ(ClockCount(clock), 2);     // 2.9
    EXPECT_EQ(ClockMsToNextSecond(clock), 100);
    fakeNow = 0.7;
    EXPECT_EQ(ClockCount(clock), 3);     // 3.1
    EXPECT_EQ(ClockMsToNextSecond(clock), 900);
    EXPECT_DOUBLE_EQ(ClockRunningSeconds(clock), 0.7) << "penalties are never typing time";
    // Whole-second penalties count exactly as before.
    LetterClock whole;
    ClockStart(whole, FakeNow);
    ClockAddPenalty(whole, 7);
    fakeNow = 0.7 + 0.999;
    EXPECT_EQ(ClockCount(whole), 7);
    // Held at the largest count, never wrapped.
    ClockAddPenaltyMs(whole, INT64_MAX / 2);
    ClockAddPenaltyMs(whole, INT64_MAX / 2);
    EXPECT_EQ(ClockCount(whole), INT32_MAX);
}
