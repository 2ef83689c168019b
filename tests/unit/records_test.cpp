// The records screens without a window: the Hall of Records cells, the quit
// answers' hit boxes, the ending lines and the credits roll.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <set>
#include <string>

#include "records/rules.h"
#include "records/save.h"

static const int SCREEN_HEIGHT = 480;

TEST(RecordsHall, CellTexts)
{
    EXPECT_EQ(HsTimeText(-1), "N/A");
    EXPECT_EQ(HsMistakesText(-1, -1), "");
    EXPECT_EQ(HsTimeText(125), "2min+5s");
    EXPECT_EQ(HsTimeText(59), "0min+59s");
    EXPECT_EQ(HsTimeText(0), "0min+0s");
    EXPECT_EQ(HsTimeText(7265), "121min+5s");
    EXPECT_EQ(HsMistakesText(125, 7), "7mis");
    EXPECT_EQ(HsMistakesText(0, 0), "0mis");
    // "Back" of 52 pixels: 500 < x < 552, 381 <= y <= 409.
    EXPECT_EQ(HsClickAt(501, 381, 52), HS_CLICK_LEAVE);
    EXPECT_EQ(HsClickAt(551, 409, 52), HS_CLICK_LEAVE);
    EXPECT_EQ(HsClickAt(500, 395, 52), HS_CLICK_NONE);
    EXPECT_EQ(HsClickAt(520, 410, 52), HS_CLICK_CLEAR);
}

TEST(RecordsHall, DamagedRecordsNeverPrintANegativeNumber)
{
    // Words a damaged or cut file can hold, and the edges of the range.
    const int32_t values[] = {INT32_MIN, -16776316, -64636, -65536, -124, -2, -1,
                              0, 1, 59, 60, 75, 3599, INT32_MAX};
    for (int32_t time : values) {
        for (int32_t mistakes : values) {
            SCOPED_TRACE(std::to_string(time) + " s, " + std::to_string(mistakes) + " mistakes");
            std::string timeText = HsTimeText(time);
            std::string mistakesText = HsMistakesText(time, mistakes);
            EXPECT_EQ(timeText.find('-'), std::string::npos) << timeText;
            EXPECT_EQ(mistakesText.find('-'), std::string::npos) << mistakesText;
            if (time < 0) {
                // Never finished, whatever the mistakes word says.
                EXPECT_EQ(timeText, "N/A");
                EXPECT_EQ(mistakesText, "");
            } else if (mistakes < 0) {
                // A finish whose mistakes are not known shows its time alone.
                EXPECT_EQ(mistakesText, "");
            } else {
                EXPECT_EQ(mistakesText, std::to_string(mistakes) + "mis");
            }
        }
    }
    EXPECT_EQ(HsTimeText(INT32_MAX), "35791394min+7s");
}

TEST(RecordsQuit, AnswerBoxesAreTwiceTheWordsWide)
{
    const int yes = 40, no = 30;   // boxes: 200 < x < 280 and 400 < x < 460, y 201..239
    EXPECT_EQ(QuitPointed(2, 201, 201, yes, no), 1);
    EXPECT_EQ(QuitPointed(1, 401, 239, yes, no), 2);
    EXPECT_EQ(QuitPointed(1, 420, 200, yes, no), 1);   // above the band
    EXPECT_EQ(QuitPointed(1, 420, 240, yes, no), 1);   // below it
    EXPECT_EQ(QuitPointed(2, 280, 220, yes, no), 2);   // just past "Yes"'s box
    EXPECT_EQ(QuitClickAction(2, 430, 220, yes, no), 20);
    EXPECT_EQ(QuitClickAction(1, 250, 220, yes, no), 10);
    EXPECT_EQ(QuitClickAction(2, 330, 220, yes, no), QUIT_CLICK_CLEAR);     // between the answers
    EXPECT_EQ(QuitClickAction(1, 250, 240, yes, no), QUIT_CLICK_IGNORED);
}

TEST(RecordsCredits, RollShowsWholeLinesInsideTheBox)
{
    // Play the roll as the screen does with no key pressed: compose, stop
    // when over, else show the frame and rise a pixel.
    int offset = CreditsStartOffset(SCREEN_HEIGHT);
    int frames = 0, outsideBox = 0, lastLine = -1;
    std::set<int> seen;
    for (; !CreditsRollOver(offset, SCREEN_HEIGHT) && frames < 10000; frames++, offset--) {
        std::set<int> drawn;
        for (int i = 0; i < Credits_length; i++) {
            int y = offset + 25 * i;
            if (CreditsLineVisible(y, SCREEN_HEIGHT)) {
                drawn.insert(i);
                outsideBox += y < 241 || y > 444;
            }
        }
        if (frames == 0) {
            EXPECT_EQ(offset, 435);
            EXPECT_EQ(drawn, std::set<int>{0});
        }
        seen.insert(drawn.begin(), drawn.end());
        if (!drawn.empty())
            lastLine = *drawn.rbegin();
    }
    EXPECT_EQ(frames, 696);
    EXPECT_EQ(outsideBox, 0);
    EXPECT_TRUE(CreditsLineVisible(241, SCREEN_HEIGHT) && CreditsLineVisible(444, SCREEN_HEIGHT));
    EXPECT_EQ(seen.size(), static_cast<size_t>(Credits_length));
    EXPECT_EQ(lastLine, CREDITS_ENDING_TITLE);   // the ending lines come last
}

TEST(RecordsCredits, EndingLinesFollowThePath)
{
    const char *before[Credits_length];
    for (int i = 0; i < Credits_length; i++)
        before[i] = CreditsLine(i);
    for (int i = 0; i < Credits_length; i++)
        ASSERT_NE(CreditsLine(i), nullptr) << "entry " << i << " is drawn and needs a text";

    SaveRecord r = DefaultSave();
    r.resumeId = 150;
    r.runTime = 640;
    r.runMistakes = 3;
    EXPECT_EQ(RecordEnding(r), 1);
    EXPECT_EQ(r.pathRecords[0].bestTime, 640);
    EXPECT_STREQ(CreditsLine(CREDITS_ENDING_NUMBER), "Ending 1 of 5");
    EXPECT_STREQ(CreditsLine(CREDITS_ENDING_TITLE), "Red Ending");
    r.resumeId = 1500;   // no path: the lines keep their text
    EXPECT_EQ(RecordEnding(r), 0);
    EXPECT_STREQ(CreditsLine(CREDITS_ENDING_NUMBER), "Ending 1 of 5");
    EXPECT_STREQ(CreditsLine(CREDITS_ENDING_TITLE), "Red Ending");

    const int32_t ids[] = {142, 2132, 3262, 4302, 5310};
    const char *titles[] = {"Red Ending", "Blue Ending", "Irela Ending", "Tovanne Ending", "Green Ending"};
    for (int k = 0; k < PATH_COUNT; k++) {
        r.resumeId = ids[k];
        EXPECT_EQ(RecordEnding(r), k + 1);
        EXPECT_EQ(std::string(CreditsLine(CREDITS_ENDING_NUMBER)), "Ending " + std::to_string(k + 1) + " of 5");
        EXPECT_STREQ(CreditsLine(CREDITS_ENDING_TITLE), titles[k]);
    }
    for (int i = 0; i < CREDITS_ENDING_NUMBER; i++)
        EXPECT_EQ(CreditsLine(i), before[i]) << "entry " << i << " is fixed text";
}
