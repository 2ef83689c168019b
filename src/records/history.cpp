#include "records/history.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cmath>
#include <cstring>

#include "platform/files.h"
#include "records/save.h"
#include "story/graph.h"
#include "story/letters.h"
#include "story/scene.h"

const char HISTORY_FILENAME[] = "history.tsv";

static const char HISTORY_TAB = '\t';
static const char HISTORY_NEWLINE = '\n';
static const char HISTORY_RETURN = '\r';   // a spreadsheet may save the lines so
static const char HISTORY_TRAILING_SPACE = ' ';
static const char HISTORY_BOM[] = "\xEF\xBB\xBF";   // an editor's mark of UTF-8
// Far more than the lines other copies of the game can add between a save
// and its history line.
static const size_t HISTORY_SAME_LINE_BYTES = 65536;
static const char HISTORY_FAILED_FORMAT[] =
    "A finished letter could not be added to\n"
    "%s\n"
    "(%s).\n"
    "The game goes on; the progress is kept.";
static const char *const HISTORY_FIELDS[] = {
    "date", "scene", "path", "characters", "mistakes", "typing seconds",
    "penalty seconds", "words per minute", "accuracy", "missed", "clock", "mode",
};
static const int HISTORY_FIELD_COUNT = sizeof HISTORY_FIELDS / sizeof HISTORY_FIELDS[0];
// Lines of earlier versions end after "missed", or before it.
static const int HISTORY_MISSED_FIELD = 9;
static const int HISTORY_CLOCK_FIELD = 10;
static const int HISTORY_FIELDS_WITHOUT_MISSED = HISTORY_MISSED_FIELD;
// The clocks' words, in ClockKind order.
static const char *const HISTORY_CLOCKS[] = {"original", "pace", "none"};
static const int HISTORY_CLOCK_COUNT = sizeof HISTORY_CLOCKS / sizeof HISTORY_CLOCKS[0];
static const int HISTORY_MODE_FIELD = 11;
// Where a letter was typed: in the story, or in practice (a drill included).
static const char HISTORY_STORY[] = "story";
static const char HISTORY_PRACTICE[] = "practice";
// A space in the missed field stands for itself as this sign: the
// entries are separated by spaces.
static const char HISTORY_SPACE_SIGN[] = "\xE2\x90\xA3";   // U+2423 OPEN BOX
static const char HISTORY_MISSED_SEPARATOR = ' ';

static const size_t HISTORY_MAX_LINE = 2048;     // far longer than any line the game writes
static const size_t HISTORY_TIME_LENGTH = 25;    // 2026-03-01T18:04:09+01:00
static const size_t HISTORY_MAX_DIGITS = 9;      // no field's number overflows
static const int HISTORY_PATHS = PATH_COUNT;
static const int HISTORY_MAX_CHARACTERS = SCENE_TEXT_LINES * (SCENE_LINE_BYTES - 1);
static const int HISTORY_MAX_TENTHS_OF_TYPING = 864000;   // a day
static const int HISTORY_PENALTY_EACH = 10;      // seconds of a mistake at the hardest difficulty
static const int HISTORY_MAX_WPM_TENTHS = 10000000;
static const int HISTORY_FULL_ACCURACY_TENTHS = 1000;
static const double HISTORY_HALF_TENTH = 0.05;   // what rounding to one decimal moves a value by
static const double HISTORY_SLACK = 1e-6;
static const int HISTORY_MAX_OFFSET_HOURS = 14;
static const char HISTORY_FIRST_PRINTABLE = '!';
static const char HISTORY_LAST_PRINTABLE = '~';

// The fields of a line, tab-separated, with its newline.
template <typename Field>
static std::string TabLine(const Field (&fields)[HISTORY_FIELD_COUNT])
{
    std::string line;
    for (int i = 0; i < HISTORY_FIELD_COUNT; i++) {
        if (i)
            line += HISTORY_TAB;
        line += fields[i];
    }
    return line + HISTORY_NEWLINE;
}

std::string HistoryHeader()
{
    return TabLine(HISTORY_FIELDS);
}

static std::string Tenths(int tenths)
{
    return OneDecimal(tenths / 10.0);
}

// "e2 ␣1 t1": most missed first.
static std::string MissedField(const std::map<char, int> &missed)
{
    std::vector<std::pair<char, int>> order(missed.begin(), missed.end());
    std::stable_sort(order.begin(), order.end(),
                     [](const std::pair<char, int> &a, const std::pair<char, int> &b) { return a.second > b.second; });
    std::string field;
    for (const auto &m : order) {
        if (!field.empty())
            field += HISTORY_MISSED_SEPARATOR;
        if (m.first == ' ')
            field += HISTORY_SPACE_SIGN;
        else
            field += m.first;
        field += std::to_string(m.second);
    }
    return field;
}

std::string FormatHistoryLine(const HistoryEntry &e)
{
    std::string fields[HISTORY_FIELD_COUNT] = {
        e.when, e.scene, std::to_string(e.path), std::to_string(e.characters), std::to_string(e.mistakes),
        Tenths(e.typingTenths), std::to_string(e.penaltySeconds), Tenths(e.wpmTenths), Tenths(e.accuracyTenths),
        MissedField(e.missed), HISTORY_CLOCKS[e.clock >= 0 && e.clock < HISTORY_CLOCK_COUNT ? e.clock : 0],
        e.practice ? HISTORY_PRACTICE : HISTORY_STORY,
    };
    return TabLine(fields);
}

// Parsing ------------------------------------------------------------------

static bool AllDigits(const std::string &s, size_t from, size_t to)
{
    if (from >= to || to > s.size())
        return false;
    for (size_t i = from; i < to; i++)
        if (s[i] < '0' || s[i] > '9')
            return false;
    return true;
}

static int DigitsValue(const std::string &s, size_t from, size_t to)
{
    int value = 0;
    for (size_t i = from; i < to; i++)
        value = value * 10 + (s[i] - '0');
    return value;
}

// A whole number of at most nine digits, no sign.
static bool ParseCount(const std::string &s, int &value)
{
    if (s.size() > HISTORY_MAX_DIGITS || !AllDigits(s, 0, s.size()))
        return false;
    value = DigitsValue(s, 0, s.size());
    return true;
}

// "12.3" or "12" into tenths.
static bool ParseTenths(const std::string &s, int &tenths)
{
    size_t dot = s.find('.');
    if (dot == std::string::npos) {
        int whole;
        if (!ParseCount(s, whole) || whole > INT_MAX / 10)
            return false;
        tenths = whole * 10;
        return true;
    }
    if (dot + 2 != s.size() || dot > HISTORY_MAX_DIGITS - 1 || !AllDigits(s, 0, dot) || !AllDigits(s, dot + 1, s.size()))
        return false;
    tenths = DigitsValue(s, 0, dot) * 10 + (s[dot + 1] - '0');
    return true;
}

static bool InRange(const std::string &s, size_t from, size_t to, int low, int high)
{
    if (!AllDigits(s, from, to))
        return false;
    int v = DigitsValue(s, from, to);
    return v >= low && v <= high;
}

// Exactly the form LocalIsoTime writes.
static bool ValidTime(const std::string &s)
{
    if (s.size() != HISTORY_TIME_LENGTH)
        return false;
    if (s[4] != '-' || s[7] != '-' || s[10] != 'T' || s[13] != ':' || s[16] != ':' || s[22] != ':')
        return false;
    if (s[19] != '+' && s[19] != '-')
        return false;
    return AllDigits(s, 0, 4) && InRange(s, 5, 7, 1, 12) && InRange(s, 8, 10, 1, 31) && InRange(s, 11, 13, 0, 23) &&
           InRange(s, 14, 16, 0, 59) && InRange(s, 17, 19, 0, 60) && InRange(s, 20, 22, 0, HISTORY_MAX_OFFSET_HOURS) &&
           InRange(s, 23, 25, 0, 59);
}

static bool KnownScene(const std::string &name)
{
    return StoryIndexNamed(name.c_str()) >= 0 || name == DRILL_NAME;
}

// Only "story" is the story's: a newer version's way of typing counts
// apart from it, as practice does.
static bool ParseMode(const std::string &field, bool &practice)
{
    if (field.empty())
        return false;
    practice = field != HISTORY_STORY;
    return true;
}

static bool ParseMissed(const std::string &field, std::map<char, int> &missed)
{
    size_t at = 0;
    while (at < field.size()) {
        size_t end = field.find(HISTORY_MISSED_SEPARATOR, at);
        if (end == std::string::npos)
            end = field.size();
        std::string token = field.substr(at, end - at);
        char c;
        size_t sign = strlen(HISTORY_SPACE_SIGN);
        if (token.compare(0, sign, HISTORY_SPACE_SIGN) == 0) {
            c = ' ';
        } else if (!token.empty() && token[0] >= HISTORY_FIRST_PRINTABLE && token[0] <= HISTORY_LAST_PRINTABLE) {
            c = token[0];
            sign = 1;
        } else {
            return false;
        }
        int count;
        if (!ParseCount(token.substr(sign), count) || count < 1 || missed.count(c))
            return false;
        missed[c] = count;
        at = end + 1;
        if (end + 1 == field.size())
            return false;   // a separator with nothing after it
    }
    return true;
}

// A clock's word; one this version does not know (a newer version's
// clock) counts as the gentlest it knows.
static bool ParseClock(const std::string &field, int &clock)
{
    if (field.empty())
        return false;
    clock = HISTORY_CLOCK_COUNT - 1;
    for (int c = 0; c < HISTORY_CLOCK_COUNT; c++)
        if (field == HISTORY_CLOCKS[c])
            clock = c;
    return true;
}

// The words per minute a line may give for its characters and its typing
// time, which was rounded to a tenth before it was written.
static bool WpmFits(int characters, int typingTenths, int wpmTenths)
{
    double seconds = typingTenths / 10.0;
    double slowest = WordsPerMinute(characters, seconds + HISTORY_HALF_TENTH);
    double low = std::floor((slowest - HISTORY_HALF_TENTH) * 10 - HISTORY_SLACK);
    if (wpmTenths < low && !(wpmTenths == 0 && typingTenths == 0))
        return false;
    if (seconds - HISTORY_HALF_TENTH <= 0)
        return true;   // the time may have been nearly nothing: no upper bound
    double fastest = WordsPerMinute(characters, seconds - HISTORY_HALF_TENTH);
    return wpmTenths <= std::ceil((fastest + HISTORY_HALF_TENTH) * 10 + HISTORY_SLACK);
}

static bool AccuracyFits(int characters, int mistakes, int accuracyTenths)
{
    double exact = Accuracy(characters - mistakes, characters) * 10;
    return std::fabs(accuracyTenths - exact) <= HISTORY_HALF_TENTH * 10 + HISTORY_SLACK;
}

bool ParseHistoryLine(const char *line, size_t length, HistoryEntry &entry)
{
    if (length > HISTORY_MAX_LINE || memchr(line, '\0', length))
        return false;
    std::vector<std::string> fields;
    size_t at = 0;
    for (;;) {
        const void *tab = memchr(line + at, HISTORY_TAB, length - at);
        size_t end = tab ? static_cast<const char *>(tab) - line : length;
        fields.emplace_back(line + at, end - at);
        if (!tab)
            break;
        at = end + 1;
    }
    // A newer version adds fields at the end: the ones known here are read,
    // the rest is its business.
    if (fields.size() < size_t(HISTORY_FIELDS_WITHOUT_MISSED))
        return false;
    HistoryEntry e;
    e.when = fields[0];
    e.scene = fields[1];
    if (!ValidTime(e.when) || !KnownScene(e.scene))
        return false;
    if (!ParseCount(fields[2], e.path) || e.path > HISTORY_PATHS)
        return false;
    if (!ParseCount(fields[3], e.characters) || e.characters > HISTORY_MAX_CHARACTERS)
        return false;
    if (!ParseCount(fields[4], e.mistakes) || e.mistakes > e.characters)
        return false;
    if (!ParseTenths(fields[5], e.typingTenths) || e.typingTenths > HISTORY_MAX_TENTHS_OF_TYPING)
        return false;
    if (!ParseCount(fields[6], e.penaltySeconds) || e.penaltySeconds > e.mistakes * HISTORY_PENALTY_EACH)
        return false;
    if (!ParseTenths(fields[7], e.wpmTenths) || e.wpmTenths > HISTORY_MAX_WPM_TENTHS ||
        !WpmFits(e.characters, e.typingTenths, e.wpmTenths))
        return false;
    if (!ParseTenths(fields[8], e.accuracyTenths) || e.accuracyTenths > HISTORY_FULL_ACCURACY_TENTHS ||
        !AccuracyFits(e.characters, e.mistakes, e.accuracyTenths))
        return false;
    if (fields.size() > size_t(HISTORY_CLOCK_FIELD) && !ParseClock(fields[HISTORY_CLOCK_FIELD], e.clock))
        return false;
    if (fields.size() > size_t(HISTORY_MODE_FIELD) && !ParseMode(fields[HISTORY_MODE_FIELD], e.practice))
        return false;
    // A drill is typed only in practice.
    if (e.scene == DRILL_NAME && !e.practice)
        return false;
    if (fields.size() > size_t(HISTORY_MISSED_FIELD)) {
        if (!ParseMissed(fields[HISTORY_MISSED_FIELD], e.missed))
            return false;
        long sum = 0;
        for (const auto &m : e.missed)
            sum += m.second;
        // Every mistake is a wrong key on one expected character; one the
        // field cannot name is left out, and an empty field names none.
        if (sum > e.mistakes)
            return false;
    }
    entry = e;
    return true;
}

// Making entries -----------------------------------------------------------

static int ToTenths(double value)
{
    return static_cast<int>(std::llround(value * 10));
}

HistoryEntry HistoryEntryFor(const LetterFigures &f, const char *scene, int path)
{
    HistoryEntry e;
    e.when = LocalIsoTime(f.finishedAt);
    e.scene = scene ? scene : "";
    e.path = path;
    e.characters = f.characters;
    e.mistakes = f.mistakes;
    e.typingTenths = ToTenths(f.typingSeconds);
    e.penaltySeconds = f.penaltySeconds;
    e.wpmTenths = ToTenths(WordsPerMinute(f.characters, f.typingSeconds));
    e.accuracyTenths = ToTenths(Accuracy(f.characters - f.mistakes, f.characters));
    e.clock = f.clock;
    // The letters hold printable ASCII only; anything else is left out of the count.
    for (const auto &m : f.missed)
        if (m.first == ' ' || (m.first >= HISTORY_FIRST_PRINTABLE && m.first <= HISTORY_LAST_PRINTABLE))
            e.missed[m.first] = m.second;
    return e;
}

std::string LocalIsoTime(time_t when)
{
    struct tm local;
    if (!localtime_r(&when, &local))
        memset(&local, 0, sizeof local);
    char stamp[32];
    strftime(stamp, sizeof stamp, "%Y-%m-%dT%H:%M:%S", &local);
    long offset = local.tm_gmtoff / 60;
    char zone[32];
    snprintf(zone, sizeof zone, "%c%02ld:%02ld", offset < 0 ? '-' : '+', std::labs(offset) / 60, std::labs(offset) % 60);
    return std::string(stamp) + zone;
}

// Reading ------------------------------------------------------------------

// The header line, as this version writes it, as an earlier one did
// without "clock", or as a newer one does with more fields after these.
static bool IsHeader(const char *line, size_t length)
{
    std::string header;
    for (int i = 0; i < HISTORY_CLOCK_FIELD; i++)
        header += std::string(i ? "\t" : "") + HISTORY_FIELDS[i];
    const size_t known = header.size();
    if (length < known || memcmp(line, header.data(), known) != 0)
        return false;
    return length == known || line[known] == HISTORY_TAB;
}

HistorySummary SummariseHistory(const unsigned char *bytes, size_t size, bool whole)
{
    HistorySummary summary;
    const char *text = reinterpret_cast<const char *>(bytes);
    size_t at = 0;
    if (!whole) {
        // The bound cut into the first line: it starts after its newline.
        const void *first = size ? memchr(text, HISTORY_NEWLINE, size) : nullptr;
        at = first ? static_cast<const char *>(first) - text + 1 : size;
    } else if (size >= strlen(HISTORY_BOM) && memcmp(text, HISTORY_BOM, strlen(HISTORY_BOM)) == 0) {
        at = strlen(HISTORY_BOM);
    }
    while (at < size) {
        // A last line without its newline is read as it stands: one cut
        // short does not read whole and is passed over below.
        const void *newline = memchr(text + at, HISTORY_NEWLINE, size - at);
        size_t end = newline ? static_cast<const char *>(newline) - text : size;
        size_t length = end - at;
        while (length && (text[at + length - 1] == HISTORY_RETURN || text[at + length - 1] == HISTORY_TRAILING_SPACE))
            length--;
        const char *line = text + at;
        at = end + 1;
        // Blank lines, and the header a second copy of the game may have
        // written as it made the file at the same moment, are no letters.
        if (length == 0 || IsHeader(line, length))
            continue;
        HistoryEntry e;
        if (!ParseHistoryLine(line, length, e)) {
            summary.skipped++;
            continue;
        }
        summary.letters++;
        summary.characters += e.characters;
        // The story's fastest and practice's are kept apart.
        bool &has = e.practice ? summary.hasPracticeFastest : summary.hasFastest;
        HistoryEntry &fastest = e.practice ? summary.practiceFastest : summary.fastest;
        if (!has || e.wpmTenths > fastest.wpmTenths) {
            fastest = e;
            has = true;
        }
        for (const auto &m : e.missed)
            summary.missed[m.first] += m.second;
        if (!e.practice)
            summary.storyScenes.insert(e.scene);
        summary.recent.push_back(e);
        if (summary.recent.size() > HISTORY_RECENT)
            summary.recent.erase(summary.recent.begin());
    }
    return summary;
}

std::vector<std::pair<char, long>> MostMissed(const std::map<char, long> &missed, size_t n)
{
    std::vector<std::pair<char, long>> order(missed.begin(), missed.end());
    std::stable_sort(order.begin(), order.end(),
                     [](const std::pair<char, long> &a, const std::pair<char, long> &b) { return a.second > b.second; });
    if (order.size() > n)
        order.resize(n);
    return order;
}

// The file -----------------------------------------------------------------

std::string HistoryPath()
{
    return PlayerFilePath(HISTORY_FILENAME);
}

// The bytes hold `line` (with its newline) as a line of their own.
static bool HoldsLine(const std::vector<unsigned char> &bytes, bool whole, const std::string &line)
{
    std::string text(bytes.begin(), bytes.end());
    for (size_t at = text.find(line); at != std::string::npos; at = text.find(line, at + 1))
        if ((at == 0 && whole) || (at > 0 && text[at - 1] == HISTORY_NEWLINE))
            return true;
    return false;
}

bool AppendHistoryLine(const std::string &line, std::string *why)
{
    // A run that may not write its progress writes nothing at all.
    if (SaveFileProblem())
        return false;
    std::string path = HistoryPath();
    // Under the progress file's lock, as every save. One write with
    // O_APPEND cannot tear a line another copy adds, so where the lock
    // cannot be had the line still goes in: losing it would be worse.
    FileLock lock;
    LockProgress(&lock);
    std::vector<unsigned char> tail;
    bool whole = false;
    bool appended = ReadFileTail(path.c_str(), HISTORY_SAME_LINE_BYTES, tail, &whole) == FILE_READ &&
                    HoldsLine(tail, whole, line);
    if (!appended)
        appended = AppendToFile(path.c_str(), line, HistoryHeader(), why);
    UnlockFile(&lock);
    return appended;
}

bool AppendHistory(const HistoryEntry &entry, std::string *why)
{
    return AppendHistoryLine(FormatHistoryLine(entry), why);
}

std::string HistoryProblem(const std::string &why)
{
    std::string path = HistoryPath();
    std::vector<char> text(sizeof HISTORY_FAILED_FORMAT + path.size() + why.size());
    snprintf(text.data(), text.size(), HISTORY_FAILED_FORMAT, path.c_str(), why.c_str());
    return text.data();
}

HistorySummary ReadHistory()
{
    std::vector<unsigned char> bytes;
    bool whole = false;
    FileReadResult read = ReadFileTail(HistoryPath().c_str(), HISTORY_READ_BYTES, bytes, &whole);
    HistorySummary summary = SummariseHistory(bytes.data(), bytes.size(), whole);
    summary.unreadable = read == FILE_UNREADABLE;
    return summary;
}
