#include "shell/settingsscreen.h"

#include <allegro.h>
#include <cstring>

#include "platform/display.h"
#include "platform/fsound.h"
#include "platform/geometry.h"
#include "platform/input.h"
#include "presentation/buffer.h"
#include "presentation/datafile.h"
#include "presentation/menustep.h"
#include "presentation/sounds.h"
#include "presentation/text.h"
#include "story/graph.h"

static const char SETTINGS_TITLE[] = "Settings";
static const char SETTINGS_BACK_TEXT[] = "Back";
static const char SETTINGS_HINT[] = "Up and Down choose, Left and Right change. F9 mutes all sound.";
static const char SETTINGS_MUTED[] = "All sound is muted: F9 brings it back.";
static const char SETTINGS_YES[] = "Yes";
static const char SETTINGS_NO[] = "No";
static const char SETTINGS_PERCENT_FORMAT[] = "%d%%";

static const int SETTINGS_TITLE_X = 80;
static const int SETTINGS_TITLE_Y = 40;
static const int SETTINGS_TITLE_SIZE = 60;
static const int SETTINGS_ROW_SIZE = 22;
static const int SETTINGS_LABEL_X = 50;
static const int SETTINGS_VALUE_X = 375;
static const int SETTINGS_FIRST_ROW_Y = 125;
static const int SETTINGS_ROW_PITCH = 30;
// "Back" below the ninth row, ten pixels under where the Hall of Records
// has it.
static const int SETTINGS_BACK_Y = 400;
static const int SETTINGS_BACK_SIZE = 30;
static const int SETTINGS_HINT_Y = 436;
static const int SETTINGS_HINT_SIZE = 18;
static const int SETTINGS_TEXT_COLOR = 0x000000;
static const int SETTINGS_HIGHLIGHT_COLOR = 0xFF0000;
static const int SETTINGS_HINT_COLOR = 0x8C2B27;
// Pointer bands, inclusive: the width of the rows, and from a row's drawn y
// + 1 down to just above the next.
static const int SETTINGS_BAND_LEFT = SETTINGS_LABEL_X;
static const int SETTINGS_BAND_RIGHT = GAME_W - SETTINGS_LABEL_X;
static const int SETTINGS_BACK_X = 500;
static const int SETTINGS_BAND_HEIGHT = SETTINGS_ROW_PITCH - 4;
static const int SETTINGS_BACK_BAND_HEIGHT = 30;
static const int SETTINGS_BACK_BAND_RIGHT = 580;

struct SettingsRowText {
    const char *label;
    SettingId id;
    const char *words[3];   // the values' texts of a choice; volumes are shown in per cent
};

static const SettingsRowText SETTINGS_LIST[SETTINGS_ROWS] = {
    {"Music", SETTING_MUSIC, {}},
    {"Key sounds", SETTING_KEY_SOUNDS, {}},
    {"Pause when the window loses focus", SETTING_PAUSE_ON_FOCUS_LOSS, {SETTINGS_NO, SETTINGS_YES}},
    {"Full screen at start", SETTING_FULLSCREEN, {SETTINGS_NO, SETTINGS_YES}},
    {"Picture", SETTING_PICTURE, {"Whole pixels", "Fill the screen"}},
    {"Mistakes", SETTING_MISTAKES, {"In red", "In red and underlined"}},
    {"Time left", SETTING_TIME_LEFT, {SETTINGS_NO, SETTINGS_YES}},
    {"Clock", SETTING_CLOCK, {"Original", "Your pace", "No clock"}},
    {"Pace marker in the story", SETTING_PACE_MARKER, {SETTINGS_NO, SETTINGS_YES}},
};

static int RowY(int row)
{
    return row == SETTINGS_BACK ? SETTINGS_BACK_Y : SETTINGS_FIRST_ROW_Y + (row - 1) * SETTINGS_ROW_PITCH;
}

int SettingsItemAt(int x, int y)
{
    for (int row = 1; row <= SETTINGS_BACK; row++) {
        int top = RowY(row) + 1;
        int height = row == SETTINGS_BACK ? SETTINGS_BACK_BAND_HEIGHT : SETTINGS_BAND_HEIGHT;
        int left = row == SETTINGS_BACK ? SETTINGS_BACK_X : SETTINGS_BAND_LEFT;
        int right = row == SETTINGS_BACK ? SETTINGS_BACK_BAND_RIGHT : SETTINGS_BAND_RIGHT;
        if (x >= left && x <= right && y >= top && y < top + height)
            return row;
    }
    return 0;
}

SettingId SettingOfRow(int row)
{
    return SETTINGS_LIST[row - 1].id;
}

std::string SettingsValueText(SettingId id, int value)
{
    for (const SettingsRowText &row : SETTINGS_LIST) {
        if (row.id != id)
            continue;
        if (row.words[0]) {
            int n = row.words[2] ? 3 : 2;
            return row.words[value > 0 && value < n ? value : 0];
        }
        char text[16];
        snprintf(text, sizeof text, SETTINGS_PERCENT_FORMAT, value);
        return text;
    }
    return SettingWord(id, value);
}

static int Level(SettingId id)
{
    return Setting(SETTING_MUTE) ? 0 : Setting(id) * FSOUND_MAX_VOLUME / 100;
}

void ApplySettings()
{
    FSOUND_SetVolume(Level(SETTING_MUSIC));
    FSOUND_SetSFXMasterVolume(Level(SETTING_KEY_SOUNDS));
    DisplaySetPicture(Setting(SETTING_PICTURE) == PICTURE_FILL);
}

void ToggleMute()
{
    ChangeSetting(SETTING_MUTE, !Setting(SETTING_MUTE));
    ApplySettings();
}

static void DrawSettings(BITMAP *buffer, int selection, void *state)
{
    ALFONT_FONT *font = static_cast<ALFONT_FONT *>(state);
    blit(DataBitmap(HS_BACKGROUND), buffer, 0, 0, 0, 0, GAME_W, GAME_H);
    Textout(buffer, font, SETTINGS_TITLE, SETTINGS_TITLE_X, SETTINGS_TITLE_Y, SETTINGS_TEXT_COLOR,
            SETTINGS_TITLE_SIZE, AA);
    for (int row = 1; row <= SETTINGS_ROWS; row++) {
        const SettingsRowText &r = SETTINGS_LIST[row - 1];
        int color = row == selection ? SETTINGS_HIGHLIGHT_COLOR : SETTINGS_TEXT_COLOR;
        Textout(buffer, font, r.label, SETTINGS_LABEL_X, RowY(row), color, SETTINGS_ROW_SIZE, AA);
        Textout(buffer, font, SettingsValueText(r.id, Setting(r.id)).c_str(), SETTINGS_VALUE_X, RowY(row), color,
                SETTINGS_ROW_SIZE, AA);
    }
    Textout(buffer, font, SETTINGS_BACK_TEXT, SETTINGS_BACK_X, SETTINGS_BACK_Y,
            selection == SETTINGS_BACK ? SETTINGS_HIGHLIGHT_COLOR : SETTINGS_TEXT_COLOR, SETTINGS_BACK_SIZE, AA);
    Textout(buffer, font, Setting(SETTING_MUTE) ? SETTINGS_MUTED : SETTINGS_HINT, SETTINGS_LABEL_X, SETTINGS_HINT_Y,
            SETTINGS_HINT_COLOR, SETTINGS_HINT_SIZE, AA);
}

// The music plays while its volume is the row chosen, so the player hears
// the level they set.
static void PreviewMusic(FSOUND_STREAM **preview, bool wanted)
{
    if (wanted && !*preview) {
        *preview = FSOUND_Stream_Open(MUSIC_LETTERS, FSOUND_LOOP_NORMAL, 0, -1);
        FSOUND_Stream_Play(FSOUND_FREE, *preview);
    } else if (!wanted && *preview) {
        FSOUND_Stream_Stop(*preview);
        FSOUND_Stream_Close(*preview);
        *preview = nullptr;
    }
}

// A step of the row's setting, kept and put into effect at once. Enter and
// a click only go up, so a volume at its top goes round to silence.
static void StepSetting(int row, int direction, bool roundTheTop)
{
    SettingId id = SettingOfRow(row);
    int value = SteppedSetting(id, Setting(id), direction);
    if (roundTheTop && value == Setting(id))
        value = 0;
    ChangeSetting(id, value);
    ApplySettings();
    PlayGameSound(SOUND_KEY);
}

// The keys waiting, one by one; true when the screen is to be left.
static bool ReadSettingsKeys(int *selection)
{
    while (KeyWaiting()) {
        int scancode = ReadKey() >> KEY_SCANCODE_SHIFT;
        if (scancode == KEY_ESC)
            return true;
        if (scancode == KEY_UP || scancode == KEY_DOWN) {
            *selection = MoveSelection(*selection, SETTINGS_BACK, scancode == KEY_UP, scancode == KEY_DOWN);
            PlayGameSound(SOUND_KEY);
        } else if (scancode == KEY_ENTER || scancode == KEY_ENTER_PAD) {
            if (*selection == SETTINGS_BACK)
                return true;
            StepSetting(*selection, +1, true);
        } else if ((scancode == KEY_LEFT || scancode == KEY_RIGHT) && *selection != SETTINGS_BACK) {
            StepSetting(*selection, scancode == KEY_RIGHT ? +1 : -1, false);
        }
    }
    return false;
}

void settingsWnd()
{
    BITMAP *buffer = CreateBackBuffer();
    ALFONT_FONT *font = LoadFontOrDie(MENU_FONT);
    FSOUND_STREAM *preview = nullptr;
    int selection = 1;
    MenuScreen menu = MenuScreenFor(buffer, DrawSettings, font, true, true);
    ClearState();

    Settings shown = {};
    int lastX = -1, lastY = -1;
    while (!CloseRequested()) {
        bool leave = ReadSettingsKeys(&selection);
        int x, y;
        PointerPosition(&x, &y);
        int pointed = SettingsItemAt(x, y);
        // The pointer takes the row it moves onto; resting, it leaves the
        // keys their say.
        bool moved = x != lastX || y != lastY;
        lastX = x;
        lastY = y;
        bool clicked = PointerClicked();
        if (pointed && (moved || clicked))
            selection = pointed;
        if (clicked && pointed) {
            if (pointed == SETTINGS_BACK)
                leave = true;
            else if (x >= SETTINGS_VALUE_X)
                StepSetting(pointed, +1, true);
        }
        if (leave)
            break;
        PreviewMusic(&preview, selection != SETTINGS_BACK && SettingOfRow(selection) == SETTING_MUSIC);
        // A value changed (here, or muted by F9): the selection alone would
        // not tell the step to draw again.
        Settings now;
        for (int i = 0; i < SETTING_COUNT; i++)
            now.value[i] = Setting(SettingId(i));
        if (memcmp(&now, &shown, sizeof now) != 0)
            MenuScreenRedraw(menu);
        shown = now;
        MenuStep(menu, selection);
    }

    PreviewMusic(&preview, false);
    alfont_destroy_font(font);
    destroy_bitmap(buffer);
    ClearState();
}
