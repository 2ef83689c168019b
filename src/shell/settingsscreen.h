// The settings screen, reached from the main menu, and the putting of the
// settings into effect.
#ifndef PAPERLUNE_SHELL_SETTINGSSCREEN_H
#define PAPERLUNE_SHELL_SETTINGSSCREEN_H

#include <string>
#include "records/settings.h"

// Puts every setting into effect now: the sound levels (mute over both), the
// picture. Start-up calls it after LoadSettings; every change calls it too.
void ApplySettings();

// F9, anywhere: all sound off or back on, and kept so.
void ToggleMute();

// Runs until Escape or "Back"; every change takes effect and is kept at once.
void settingsWnd();

// Pure rules of the screen, callable without a window.
const int SETTINGS_ROWS = 9;                       // the settings shown, Back not counted
const int SETTINGS_BACK = SETTINGS_ROWS + 1;       // selection of "Back"
// The row 1..SETTINGS_BACK whose band holds (x, y), or 0.
int SettingsItemAt(int x, int y);
// The setting of row 1..SETTINGS_ROWS.
SettingId SettingOfRow(int row);
// What the screen shows as a setting's value: "40%", "Yes", "Fill the screen".
std::string SettingsValueText(SettingId id, int value);

#endif
