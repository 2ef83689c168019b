// The rules of the typewriter page and of the main menu's passes.
#include <gtest/gtest.h>

#include "player/typing.h"
#include "shell/globals.h"
#include "shell/menu.h"
#include "shell/settingsscreen.h"
#include "player/game.h"

TEST(Typing, EachKeyIsJudgedAgainstTheExpectedCharacter)
{
    struct Row {
        char expected, typed;
        bool mistake;
        char drawn, advance;
        int color;
    };
    const int RED = 0xC4262A, BLACK = 0x000000;
    const Row rows[] = {
        {' ', ' ', false, ' ', ' ', -1},   // a space for a space: nothing to see
        {' ', 'x', true, '_', ' ', RED},    // wrong key where a space belongs
        {' ', 0, true, '_', ' ', RED},      // an arrow has no character
        {'a', 'a', false, 'a', 'a', BLACK},
        {'a', 'A', true, 'a', 'a', RED},    // case matters; the letter's own character shows
        {'W', ' ', true, 'W', 'W', RED},
        {'.', 0, true, '.', '.', RED},
    };
    for (const Row &r : rows) {
        KeyJudgement j = JudgeKey(r.expected, r.typed);
        EXPECT_EQ(j.mistake, r.mistake) << r.expected << "/" << int(r.typed);
        EXPECT_EQ(j.drawn, r.drawn) << r.expected << "/" << int(r.typed);
        EXPECT_EQ(j.advance, r.advance);
        if (r.color >= 0) {
            EXPECT_EQ(j.color, r.color) << r.expected << "/" << int(r.typed);
        }
    }
}

TEST(Typing, PenaltyGrowsOneSecondEveryThreeDifficulties)
{
    const int expected[] = {7, 7, 7, 8, 8, 8, 9, 9, 9, 10};
    for (int d = 0; d <= 9; d++)
        EXPECT_EQ(MistakePenalty(d), expected[d]) << d;
}

TEST(Typing, KeyMappingSwapsOnlyWhatTheLayoutNeeds)
{
    QWERTZ = false;
    EXPECT_EQ(EN2CZ('"'), '!');
    EXPECT_EQ(EN2CZ(':'), '"');
    EXPECT_EQ(EN2CZ('<'), '?');
    for (char c : std::string("yzYZ!?.,' a1"))
        EXPECT_EQ(EN2CZ(c), c) << c;
    QWERTZ = true;
    EXPECT_EQ(EN2CZ('y'), 'z');
    EXPECT_EQ(EN2CZ('z'), 'y');
    EXPECT_EQ(EN2CZ('Y'), 'Z');
    EXPECT_EQ(EN2CZ('Z'), 'Y');
    EXPECT_EQ(EN2CZ(':'), '"');
    EXPECT_EQ(EN2CZ('x'), 'x');
    QWERTZ = false;
}

TEST(Typing, TimerSpritesFadeInTheirTwoStages)
{
    struct Row {
        int count, timeOpacity, fadeOpacity;
    };
    const int NONE = TYPE_NO_SPRITE;
    // The worked example of a 291-second letter.
    const Row rows[] = {
        {0, 255, 255}, {29, 255, 127}, {57, 255, 5}, {58, 204, NONE}, {200, 79, NONE},
        {289, 1, NONE}, {290, NONE, NONE}, {291, NONE, NONE}, {400, NONE, NONE},
    };
    for (const Row &r : rows) {
        int t, f;
        SpriteOpacities(r.count, 291, &t, &f);
        EXPECT_EQ(t, r.timeOpacity) << "at " << r.count;
        EXPECT_EQ(f, r.fadeOpacity) << "at " << r.count;
    }
    int t, f;
    SpriteOpacities(0, 0, &t, &f);   // no time at all: nothing to fade, and no division by zero
    EXPECT_EQ(t, NONE);
    EXPECT_EQ(f, NONE);
}

TEST(Menu, EachPassAppliesKeysThenPointerThenClick)
{
    int sounds;
    MenuInput none = {false, false, false, false, 600, 20, false};
    MenuInput up = none, down = none, enter = none;
    up.keyWaiting = up.up = true;
    down.keyWaiting = down.down = true;
    enter.keyWaiting = enter.enter = true;

    EXPECT_EQ(MenuNextSelection(1, up, &sounds), 1);
    EXPECT_EQ(sounds, 1) << "Up on the first item still sounds";
    EXPECT_EQ(MenuNextSelection(6, down, &sounds), 6);
    EXPECT_EQ(sounds, 1);
    EXPECT_EQ(MenuNextSelection(5, down, &sounds), 6) << "Settings, then Quit";
    EXPECT_EQ(MenuNextSelection(2, down, &sounds), 3);
    EXPECT_EQ(MenuNextSelection(3, enter, &sounds), 30) << "Enter away from the bands activates";
    MenuInput stale = up;
    stale.keyWaiting = false;   // keys are read only when one is waiting
    EXPECT_EQ(MenuNextSelection(2, stale, &sounds), 2);
    EXPECT_EQ(sounds, 0);

    MenuInput overSecond = enter;
    overSecond.pointerX = 100;
    overSecond.pointerY = 290;
    EXPECT_EQ(MenuNextSelection(3, overSecond, &sounds), 2) << "Enter over a band undoes itself";
    MenuInput arrowOver = down;
    arrowOver.pointerX = 100;
    arrowOver.pointerY = 290;
    EXPECT_EQ(MenuNextSelection(2, arrowOver, &sounds), 2);
    EXPECT_EQ(sounds, 1) << "the arrow still sounds";

    MenuInput click = none;
    click.click = true;
    click.pointerX = 100;
    click.pointerY = 345;
    EXPECT_EQ(MenuNextSelection(1, click, &sounds), 40) << "Hall of Records, below Practice";
    click.pointerY = 315;
    EXPECT_EQ(MenuNextSelection(1, click, &sounds), 30) << "Practice, after Continue Playing";
    click.pointerY = 275;   // between two bands
    EXPECT_EQ(MenuNextSelection(1, click, &sounds), 1);
    click.pointerX = 80;    // left of the bands
    click.pointerY = 260;
    EXPECT_EQ(MenuNextSelection(1, click, &sounds), 1);
}

TEST(Menu, PointerBandsAreInclusive)
{
    EXPECT_EQ(MenuItemAt(81, 251), 1);
    EXPECT_EQ(MenuItemAt(249, 269), 1);
    EXPECT_EQ(MenuItemAt(250, 260), 0);
    EXPECT_EQ(MenuItemAt(100, 250), 0);
    EXPECT_EQ(MenuItemAt(100, 270), 0);
    EXPECT_EQ(MenuItemAt(100, 281), 2);
    EXPECT_EQ(MenuItemAt(100, 329), 3);
    EXPECT_EQ(MenuItemAt(100, 359), 4);
    EXPECT_EQ(MenuItemAt(100, 360), 0);
    EXPECT_EQ(MenuItemAt(100, 389), 5);
    EXPECT_EQ(MenuItemAt(100, 390), 0);
    EXPECT_EQ(MenuItemAt(100, 401), 6);
    EXPECT_EQ(MenuItemAt(249, 419), 6);
    EXPECT_EQ(MenuItemAt(100, 420), 0);
}

// The screens that answer the pointer: a choice's centred line, a settings
// row (its value too) and "Back".
TEST(Menu, ChoicesAndSettingsAnswerThePointerOverTheirOwnText)
{
    const int widths[2] = {200, 100};
    EXPECT_EQ(ChoiceAt(320, 210, 200, 30, widths), 1);
    EXPECT_EQ(ChoiceAt(220, 200, 200, 30, widths), 1) << "the line's left end";
    EXPECT_EQ(ChoiceAt(219, 200, 200, 30, widths), 0);
    EXPECT_EQ(ChoiceAt(320, 230, 200, 30, widths), 2);
    EXPECT_EQ(ChoiceAt(260, 240, 200, 30, widths), 0) << "beside the shorter second line";
    EXPECT_EQ(ChoiceAt(320, 260, 200, 30, widths), 0);
    EXPECT_EQ(ChoiceAt(320, 199, 200, 30, widths), 0);

    EXPECT_EQ(SettingsItemAt(60, 135), 1);
    EXPECT_EQ(SettingsItemAt(450, 135), 1) << "the value is part of the row";
    EXPECT_EQ(SettingOfRow(1), SETTING_MUSIC);
    EXPECT_EQ(SettingsItemAt(60, 125 + 30 * 6 + 10), 7);
    EXPECT_EQ(SettingOfRow(7), SETTING_TIME_LEFT);
    EXPECT_EQ(SettingOfRow(8), SETTING_CLOCK);
    // The pace marker's row, the last, and nothing between it and "Back".
    EXPECT_EQ(SettingsItemAt(60, 125 + 30 * 8 + 10), SETTINGS_ROWS);
    EXPECT_EQ(SettingOfRow(SETTINGS_ROWS), SETTING_PACE_MARKER);
    EXPECT_EQ(SettingsItemAt(60, 125 + 30 * 9 + 5), 0);
    EXPECT_EQ(SettingsItemAt(520, 390), SETTINGS_ROWS) << "Back is clear of the ninth row";
    EXPECT_EQ(SettingsItemAt(520, 412), SETTINGS_BACK);
    EXPECT_EQ(SettingsItemAt(100, 412), 0);
    EXPECT_EQ(SettingsValueText(SETTING_MUSIC, 40), "40%");
    EXPECT_EQ(SettingsValueText(SETTING_PICTURE, PICTURE_FILL), "Fill the screen");
    EXPECT_EQ(SettingsValueText(SETTING_PAUSE_ON_FOCUS_LOSS, 0), "No");
    EXPECT_EQ(SettingsValueText(SETTING_CLOCK, CLOCK_ORIGINAL), "Original");
    EXPECT_EQ(SettingsValueText(SETTING_CLOCK, CLOCK_PACE), "Your pace");
    EXPECT_EQ(SettingsValueText(SETTING_CLOCK, CLOCK_NONE), "No clock");
}

TEST(TypingAids, TimeLeftReadsAsMinutesAndSecondsAndNeverBelowNothing)
{
    EXPECT_EQ(TimeLeftText(0, 125), "2:05");
    EXPECT_EQ(TimeLeftText(65, 125), "1:00");
    EXPECT_EQ(TimeLeftText(124, 125), "0:01");
    EXPECT_EQ(TimeLeftText(125, 125), "0:00");
    EXPECT_EQ(TimeLeftText(190, 125), "0:00") << "penalties past the limit";
    EXPECT_EQ(TimeLeftText(0, 600), "10:00");
}
