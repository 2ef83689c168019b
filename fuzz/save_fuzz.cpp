// Random bytes as a progress file: whatever a disk holds, the Hall of
// Records never prints a negative number, and a run continued from the
// file and finished records sane values.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "records/rules.h"
#include "records/save.h"

static const int32_t FUZZ_LETTER_SECONDS = 95;   // one letter's clock at its end

static void CheckHall(const SaveRecord &record)
{
    for (const PathRecord &path : record.pathRecords) {
        std::string time = HsTimeText(path.bestTime);
        std::string mistakes = HsMistakesText(path.bestTime, path.bestMistakes);
        if (time.find('-') != std::string::npos || mistakes.find('-') != std::string::npos)
            abort();
        // A path shown as never finished shows no mistakes either.
        if (time == "N/A" && !mistakes.empty())
            abort();
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    SaveRecord record = DecodeSave(data, size);
    CheckHall(record);

    // The whole words of the file come back unchanged when written again;
    // a word it holds only part of keeps its default, as do those after it.
    unsigned char image[SAVE_BYTES], defaults[SAVE_BYTES];
    EncodeSave(record, image);
    EncodeSave(DefaultSave(), defaults);
    size_t whole = size / 4 * 4 < static_cast<size_t>(SAVE_BYTES) ? size / 4 * 4 : SAVE_BYTES;
    // An empty input may come with no buffer at all, which memcmp must not see.
    if ((whole > 0 && memcmp(image, data, whole) != 0) || memcmp(image + whole, defaults + whole, SAVE_BYTES - whole) != 0)
        abort();

    // "Continue Playing" from this file, one letter, then its ending.
    record.runTime = AddToCount(ResumedCount(record.runTime), FUZZ_LETTER_SECONDS);
    record.runMistakes = AddToCount(ResumedCount(record.runMistakes), 1);
    if (record.runTime < FUZZ_LETTER_SECONDS || record.runMistakes < 1)
        abort();
    int path = UpdatePathRecord(record);
    if (path) {
        const PathRecord &best = record.pathRecords[path - 1];
        if (best.bestTime < 0 || best.bestTime > record.runTime)
            abort();
    }
    CheckHall(record);
    return 0;
}
