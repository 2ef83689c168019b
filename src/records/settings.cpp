#include "records/settings.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/display.h"
#include "platform/files.h"
#include "platform/userdirs.h"

const char SETTINGS_FILENAME[] = "settings.conf";

static const char SETTINGS_APP[] = "paperlune";
static const unsigned SETTINGS_DIR_MODE = 0700;
// A file the game writes is a few hundred bytes; one far past that is not
// ours, and is left alone rather than cut and written back shorter.
static const size_t SETTINGS_MAX_BYTES = 64 * 1024;
static const char SETTINGS_HEADER[] =
    "# Paperlune settings, one \"key = value\" a line. The game rewrites this file\n"
    "# when a setting changes in its Settings screen; lines it does not know are kept.\n";
static const char SETTINGS_BOM[] = "\xEF\xBB\xBF";
static const int SETTINGS_PERCENT_STEP = 10;
static const int SETTINGS_PERCENT_MAX = 100;
static const char SETTINGS_CANNOT_KEEP[] =
    "Your settings cannot be kept in %s: %s. They hold until the game is closed.";
static const char SETTINGS_LEFT_ALONE[] =
    "Your settings file %s is not one the game can read (%s), so it is left as it is. "
    "Your changes hold until the game is closed.";

enum SettingKind { KIND_PERCENT, KIND_WORDS };
static const int SETTING_MOST_WORDS = 3;

struct SettingRow {
    const char *key;
    SettingKind kind;
    int defaultValue;
    // KIND_WORDS: the word of value 0, 1 and so on; null after the last.
    const char *words[SETTING_MOST_WORDS];
};

// In the order of SettingId.
static const SettingRow SETTING_ROWS[SETTING_COUNT] = {
    {"music", KIND_PERCENT, SETTINGS_PERCENT_MAX, {}},
    {"key_sounds", KIND_PERCENT, SETTINGS_PERCENT_MAX, {}},
    {"mute", KIND_WORDS, 0, {"no", "yes"}},
    {"pause_on_focus_loss", KIND_WORDS, 1, {"no", "yes"}},
    {"fullscreen", KIND_WORDS, 1, {"no", "yes"}},
    {"picture", KIND_WORDS, PICTURE_WHOLE, {"whole", "fill"}},
    {"mistakes", KIND_WORDS, MISTAKES_RED, {"red", "underlined"}},
    {"time_left", KIND_WORDS, 0, {"no", "yes"}},
    {"clock", KIND_WORDS, 0, {"original", "pace", "none"}},
    {"pace_marker_in_story", KIND_WORDS, 0, {"no", "yes"}},
};

// How many values a choice has.
static int WordCount(const SettingRow &row)
{
    int n = 0;
    while (n < SETTING_MOST_WORDS && row.words[n])
        n++;
    return n;
}

static Settings current = DefaultSettings();
static std::string fileText;          // as last read or written: its unknown lines are kept
static bool leftAlone = false;        // the file there is not ours to write over
static std::string leftAloneWhy;
static bool problemTold = false;
static void (*messageShow)(const char *) = DisplayMessage;

Settings DefaultSettings()
{
    Settings s;
    for (int i = 0; i < SETTING_COUNT; i++)
        s.value[i] = SETTING_ROWS[i].defaultValue;
    return s;
}

const char *SettingKey(SettingId id)
{
    return SETTING_ROWS[id].key;
}

std::string SettingWord(SettingId id, int value)
{
    const SettingRow &row = SETTING_ROWS[id];
    if (row.kind == KIND_PERCENT)
        return std::to_string(value);
    return row.words[value > 0 && value < WordCount(row) ? value : 0];
}

static std::string Trimmed(const std::string &s)
{
    size_t b = s.find_first_not_of(" \t\r");
    if (b == std::string::npos)
        return "";
    size_t e = s.find_last_not_of(" \t\r");
    return s.substr(b, e - b + 1);
}

static std::string Lower(std::string s)
{
    for (char &c : s)
        c = char(tolower((unsigned char)c));
    return s;
}

// The lines of a text, without their ends (LF or CRLF) and without a
// leading byte order mark.
static std::vector<std::string> Lines(const std::string &text)
{
    std::string body = text.compare(0, 3, SETTINGS_BOM) == 0 ? text.substr(3) : text;
    std::vector<std::string> lines;
    size_t at = 0;
    while (at < body.size()) {
        size_t nl = body.find('\n', at);
        std::string line = body.substr(at, nl == std::string::npos ? std::string::npos : nl - at);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
        if (nl == std::string::npos)
            break;
        at = nl + 1;
    }
    return lines;
}

// The setting a line sets, or -1; `word` gets its value's text.
static int KeyOfLine(const std::string &line, std::string *word)
{
    std::string t = Trimmed(line);
    if (t.empty() || t[0] == '#' || t[0] == ';')
        return -1;
    size_t eq = t.find('=');
    if (eq == std::string::npos)
        return -1;
    std::string key = Lower(Trimmed(t.substr(0, eq)));
    for (int i = 0; i < SETTING_COUNT; i++) {
        if (key == SETTING_ROWS[i].key) {
            *word = Lower(Trimmed(t.substr(eq + 1)));
            return i;
        }
    }
    return -1;
}

// The value a word stands for, or -1 when it reads as none.
static int ValueOfWord(const SettingRow &row, const std::string &word)
{
    if (row.kind == KIND_WORDS) {
        for (int v = 0; v < WordCount(row); v++)
            if (word == row.words[v])
                return v;
        return -1;
    }
    std::string digits = word;
    if (!digits.empty() && digits.back() == '%')
        digits = Trimmed(digits.substr(0, digits.size() - 1));
    if (digits.empty() || digits.size() > 3 || digits.find_first_not_of("0123456789") != std::string::npos)
        return -1;
    int v = atoi(digits.c_str());
    return v <= SETTINGS_PERCENT_MAX ? v : -1;
}

Settings DecodeSettings(const std::string &text)
{
    Settings s = DefaultSettings();
    for (const std::string &line : Lines(text)) {
        std::string word;
        int id = KeyOfLine(line, &word);
        if (id < 0)
            continue;
        int v = ValueOfWord(SETTING_ROWS[id], word);
        if (v >= 0)
            s.value[id] = v;
    }
    return s;
}

std::string EncodeSettings(const std::string &old, const Settings &settings)
{
    std::string out = old.empty() ? SETTINGS_HEADER : "";
    bool written[SETTING_COUNT] = {};
    for (const std::string &line : Lines(old)) {
        std::string word;
        int id = KeyOfLine(line, &word);
        if (id < 0) {
            out += line + "\n";
            continue;
        }
        out += std::string(SETTING_ROWS[id].key) + " = " + SettingWord(SettingId(id), settings.value[id]) + "\n";
        written[id] = true;
    }
    for (int i = 0; i < SETTING_COUNT; i++)
        if (!written[i])
            out += std::string(SETTING_ROWS[i].key) + " = " + SettingWord(SettingId(i), settings.value[i]) + "\n";
    return out;
}

int SteppedSetting(SettingId id, int value, int direction)
{
    if (SETTING_ROWS[id].kind == KIND_WORDS) {
        int n = WordCount(SETTING_ROWS[id]);
        return ((value + (direction < 0 ? -1 : 1)) % n + n) % n;
    }
    int stepped = (value / SETTINGS_PERCENT_STEP + (direction > 0 ? 1 : 0)) * SETTINGS_PERCENT_STEP;
    if (direction < 0 && value % SETTINGS_PERCENT_STEP == 0)
        stepped = value - SETTINGS_PERCENT_STEP;
    return std::max(0, std::min(SETTINGS_PERCENT_MAX, stepped));
}

int Setting(SettingId id)
{
    return current.value[id];
}

std::string SettingsPath()
{
    std::string dir = UserConfigDirectory(SETTINGS_APP);
    return dir.empty() ? std::string(SETTINGS_FILENAME) : dir + "/" + SETTINGS_FILENAME;
}

void SetSettingsMessageShow(void (*show)(const char *text))
{
    messageShow = show;
}

void LoadSettings()
{
    current = DefaultSettings();
    fileText.clear();
    leftAlone = false;
    problemTold = false;
    std::vector<unsigned char> bytes;
    std::string why;
    FileReadResult r = ReadFileHead(SettingsPath().c_str(), SETTINGS_MAX_BYTES + 1, bytes, &why);
    if (r == FILE_MISSING)
        return;
    if (r == FILE_READ && bytes.size() > SETTINGS_MAX_BYTES)
        why = "it is far too large";
    else if (r == FILE_READ && std::find(bytes.begin(), bytes.end(), 0) != bytes.end())
        why = "it holds binary data";
    if (r != FILE_READ || !why.empty()) {
        leftAlone = true;
        leftAloneWhy = why;
        return;
    }
    fileText.assign(bytes.begin(), bytes.end());
    current = DecodeSettings(fileText);
}

static void TellOnce(const char *format, const std::string &where, const std::string &why)
{
    if (problemTold)
        return;
    problemTold = true;
    std::vector<char> text(strlen(format) + where.size() + why.size() + 1);
    snprintf(text.data(), text.size(), format, where.c_str(), why.c_str());
    messageShow(text.data());
}

bool ChangeSetting(SettingId id, int value)
{
    current.value[id] = value;
    std::string path = SettingsPath();
    if (leftAlone) {
        TellOnce(SETTINGS_LEFT_ALONE, path, leftAloneWhy);
        return false;
    }
    std::string why;
    std::string text = EncodeSettings(fileText, current);
    if (!MakeDirectories(DirectoryOf(path), SETTINGS_DIR_MODE, &why) ||
        !ReplaceFileContents(path.c_str(), text.data(), text.size(), &why)) {
        TellOnce(SETTINGS_CANNOT_KEEP, DirectoryOf(path), why);
        return false;
    }
    fileText = text;
    return true;
}
