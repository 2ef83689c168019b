// Random bytes as the history file, whole or as its last MiB: every letter
// the Hall would show is one the game could have written, reads back the
// same once written again, and nothing counted is more than the lines held.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "records/history.h"
#include "records/typingrun.h"

static void Check(const HistoryEntry &e)
{
    if (e.path < 0 || e.path > 5 || e.characters < 0 || e.mistakes < 0 || e.mistakes > e.characters ||
        e.typingTenths < 0 || e.penaltySeconds < 0 || e.wpmTenths < 0 || e.accuracyTenths < 0 ||
        e.accuracyTenths > 1000)
        abort();
    long missed = 0;
    for (const auto &m : e.missed) {
        if (m.second < 1)
            abort();
        missed += m.second;
    }
    if (missed > e.mistakes)
        abort();
    // Written again, the line is read back as the same entry.
    std::string line = FormatHistoryLine(e);
    HistoryEntry back;
    if (line.back() != '\n' || !ParseHistoryLine(line.data(), line.size() - 1, back))
        abort();
    if (FormatHistoryLine(back) != line)
        abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    long newlines = std::count(data, data + size, '\n');
    for (bool whole : {true, false}) {
        HistorySummary s = SummariseHistory(data, size, whole);
        if (s.letters < 0 || s.skipped < 0 || s.letters + s.skipped > newlines + 1)
            abort();
        if (s.recent.size() > HISTORY_RECENT || long(s.recent.size()) > s.letters)
            abort();
        if (s.hasFastest != (s.letters > 0))
            abort();
        for (const HistoryEntry &e : s.recent) {
            Check(e);
            if (e.wpmTenths > s.fastest.wpmTenths)
                abort();
        }
        for (const auto &m : MostMissed(s.missed, 5))
            if (m.second < 1)
                abort();
    }
    // The same bytes as the typing figures' file: whatever it holds, what
    // it gives is written and read back the same.
    TypingRecord r = DecodeTyping(std::string(reinterpret_cast<const char *>(data), size));
    if (r.run.right > r.run.characters || EncodeTyping(DecodeTyping(EncodeTyping(r))) != EncodeTyping(r))
        abort();
    return 0;
}
