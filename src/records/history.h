// The history each player keeps: one line per finished letter in
// history.tsv beside the progress file, tab-separated UTF-8 that a
// spreadsheet opens, appended to and never rewritten; and what the Hall of
// Records makes of it. The file may be anything at all (damaged, foreign,
// huge, not a file): lines that are not the game's own are passed over and
// counted, never shown.
#ifndef PAPERLUNE_RECORDS_HISTORY_H
#define PAPERLUNE_RECORDS_HISTORY_H

#include <cstddef>
#include <ctime>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "player/figures.h"

extern const char HISTORY_FILENAME[];    // "history.tsv"
const size_t HISTORY_READ_BYTES = 1 << 20;   // only the file's last MiB is read
const size_t HISTORY_RECENT = 50;            // letters in the Hall's chart

// One line of the file. Figures with one decimal are kept in tenths, so
// that a line reads back exactly as it was written.
struct HistoryEntry {
    std::string when;        // local time, ISO 8601 with its offset: 2026-03-01T18:04:09+01:00
    std::string scene;       // the story's name of the letter's scene
    int path = 0;            // 1..5, 0 while the scene belongs to no path yet
    int characters = 0;      // keys judged
    int mistakes = 0;
    int typingTenths = 0;    // typing seconds x 10
    int penaltySeconds = 0;
    int wpmTenths = 0;
    int accuracyTenths = 0;  // per cent x 10
    std::map<char, int> missed;   // expected character -> wrong keys on it
    bool practice = false;   // typed in practice, not in the story; a line without a mode was the story's
    int clock = 0;           // the ClockKind it was typed on; a line without one was on the original
};

// The first line of a new file, and one entry as a line; both end in "\n".
std::string HistoryHeader();
std::string FormatHistoryLine(const HistoryEntry &entry);
// One line without its newline; false (entry untouched) for anything the
// game would not have written: too few fields, numbers out of range or at
// odds with each other, an unknown scene, NUL bytes, a line too long. Fields
// after the known ones (a newer version's) are passed over: the line is
// read as the game's own.
bool ParseHistoryLine(const char *line, size_t length, HistoryEntry &entry);

// The entry of a finished letter.
HistoryEntry HistoryEntryFor(const LetterFigures &figures, const char *scene, int path);
// "2026-03-01T18:04:09+01:00" in the local time zone.
std::string LocalIsoTime(time_t when);

struct HistorySummary {
    bool unreadable = false;             // the file is there but could not be read
    long letters = 0;                    // lines taken
    long skipped = 0;                    // lines passed over: damaged, foreign, cut
    std::vector<HistoryEntry> recent;    // the last HISTORY_RECENT letters, oldest first
    long characters = 0;                 // keys judged over every line taken
    bool hasFastest = false;
    HistoryEntry fastest;                // the story's letter typed fastest, the earliest of equals
    bool hasPracticeFastest = false;
    HistoryEntry practiceFastest;        // the same in practice
    std::map<char, long> missed;         // wrong keys per expected character, summed
    std::set<std::string> storyScenes;   // the scenes of the story's lines: letters the player reached
};
// What the bytes of the file hold. `whole`: they start at the file's start;
// otherwise their first line is cut by the bound and not counted. Lines are
// read as an editor may leave them: a byte order mark, carriage returns,
// spaces at their end, and a last line without its newline (taken when it
// reads whole, counted as passed over when it was cut).
HistorySummary SummariseHistory(const unsigned char *bytes, size_t size, bool whole);
// The n characters missed most often, most first; equal counts in
// character order.
std::vector<std::pair<char, long>> MostMissed(const std::map<char, long> &missed, size_t n);

// Where the player's history is: beside the progress file.
std::string HistoryPath();
// Appends a finished letter, unless the progress file could not be read
// this run (false, and `why` left empty) or the file's last lines hold that
// very line already: a line names its letter's moment to the second, so
// the same finish is never written twice. False when it could not be
// added; `why` then says why.
bool AppendHistoryLine(const std::string &line, std::string *why = nullptr);
bool AppendHistory(const HistoryEntry &entry, std::string *why = nullptr);
// The message for the player when a line could not be added for `why`.
std::string HistoryProblem(const std::string &why);
// Reads the file's last HISTORY_READ_BYTES; a missing file is an empty
// history.
HistorySummary ReadHistory();

#endif
