// Time limits, page line counts and the clock under concurrent penalties.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>
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

TEST(Clock, ConcurrentTicksAndPenaltiesLoseNothing)
{
    counter = 0;
    const int ticks = 200000, penalties = 50000, penalty = 8;
    std::thread clockThread([&] {
        for (int i = 0; i < ticks; i++)
            timer();
    });
    for (int i = 0; i < penalties; i++)
        counter.fetch_add(penalty);
    clockThread.join();
    EXPECT_EQ(counter.load(), ticks + penalties * penalty);
}
