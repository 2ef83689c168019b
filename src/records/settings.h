// The player's settings: sound levels, the picture, the typing page's aids.
// Kept in a small text file of "key = value" lines that a player may also
// edit by hand; lines the game does not know are kept as they were.
#ifndef PAPERLUNE_RECORDS_SETTINGS_H
#define PAPERLUNE_RECORDS_SETTINGS_H
#include <string>

enum SettingId {
    SETTING_MUSIC,                 // music volume, 0..100 %
    SETTING_KEY_SOUNDS,            // key sounds volume, 0..100 %
    SETTING_MUTE,                  // 0/1: every sound off (F9)
    SETTING_PAUSE_ON_FOCUS_LOSS,   // 0/1
    SETTING_FULLSCREEN,            // 0/1: full screen at start (F11 sets it)
    SETTING_PICTURE,               // PICTURE_WHOLE or PICTURE_FILL
    SETTING_MISTAKES,              // MISTAKES_RED or MISTAKES_UNDERLINED
    SETTING_TIME_LEFT,             // 0/1: the seconds left shown while typing
    SETTING_CLOCK,                 // a ClockKind: original, pace or none
    SETTING_PACE_MARKER,           // 0/1: the pace marker in the story too, not only in practice
    SETTING_COUNT
};

enum { PICTURE_WHOLE, PICTURE_FILL };
enum { MISTAKES_RED, MISTAKES_UNDERLINED };

extern const char SETTINGS_FILENAME[];   // "settings.conf"

struct Settings {
    int value[SETTING_COUNT];
};

// The value of a setting now (its default until LoadSettings found better).
int Setting(SettingId id);

// Reads the player's settings file; a missing, unreadable or hostile file
// leaves the defaults (and a hostile one is never written over).
void LoadSettings();

// Sets a setting for this run and writes the file whole. False when it
// could not be kept on disk; the player is told so once, with where and why.
bool ChangeSetting(SettingId id, int value);

// Where the settings are kept: $XDG_CONFIG_HOME/paperlune/settings.conf.
std::string SettingsPath();

// Where the messages go: the display's message box, unless a test says
// otherwise.
void SetSettingsMessageShow(void (*show)(const char *text));

// Pure rules, callable without a window.
Settings DefaultSettings();
// The key's word in the file ("music", "key_sounds", ...).
const char *SettingKey(SettingId id);
// The value's word in the file ("40", "yes", "fill", ...).
std::string SettingWord(SettingId id, int value);
// Settings read from a file's text: each known key whose value reads takes
// it; anything else leaves that setting at its default. Editors' ways (a byte
// order mark, CRLF, spaces, a last line without its newline) are taken.
Settings DecodeSettings(const std::string &text);
// The text to write: `old`'s lines with the known keys' values replaced in
// place, unknown lines and comments kept, missing keys added at the end; a
// new file begins with a comment that says what it is.
std::string EncodeSettings(const std::string &old, const Settings &settings);
// The next value of a setting a step of `direction` (+1, -1) away: volumes
// in tens, held at their ends; choices go round, either way.
int SteppedSetting(SettingId id, int value, int direction);

#endif
