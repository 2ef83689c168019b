#include "presentation/datafile.h"

#include <jpgalleg.h>

#include <cstdio>
#include <vector>

#include "platform/input.h"
#include "presentation/bitmapobject.h"
#include "presentation/datacheck.h"
#include "presentation/jpegobject.h"

DATAFILE *data = nullptr;

static char checkMessage[160];

// Positions whose JPEG picture still waits to be decoded: on its first use,
// or while the game has nothing else to do.
static std::vector<char> waiting;

// A picture the loader stood in: its JPEG decoded, or its pixels filled.
static void Finish(size_t index)
{
    FinishJpeg(data[index].dat);
    FinishBitmap(data[index].dat);
    waiting[index] = 0;
}

static bool DecodeWhileIdle()
{
    for (size_t i = 0; i < waiting.size(); i++)
        if (waiting[i]) {
            Finish(i);
            return true;
        }
    waiting.clear();
    return false;
}

BITMAP *DataBitmap(int index)
{
    if (size_t(index) < waiting.size() && waiting[index])
        Finish(size_t(index));
    return static_cast<BITMAP *>(data[index].dat);
}

const char *CheckGameData(DATAFILE *file)
{
    if (!file) {
        snprintf(checkMessage, sizeof checkMessage, DATA_UNREADABLE, DATA_FILENAME);
        return checkMessage;
    }
    int count = 0;
    while (file[count].type != DAT_END)
        count++;
    if (count < DATA_PICTURES) {
        snprintf(checkMessage, sizeof checkMessage, DATA_TOO_FEW_OBJECTS, DATA_FILENAME, count, DATA_PICTURES);
        return checkMessage;
    }
    for (int i = 0; i < DATA_PICTURES; i++) {
        if (i == DATA_UNUSED_INDEX)
            continue;
        bool bitmap = file[i].type == DAT_BITMAP || file[i].type == DAT_JPEG;
        if (!bitmap || !file[i].dat) {
            snprintf(checkMessage, sizeof checkMessage, DATA_NOT_A_BITMAP, i, DATA_FILENAME);
            return checkMessage;
        }
    }
    return nullptr;
}

void StartPictureLoading()
{
    jpgalleg_init();
    RegisterJpegObjects();
    RegisterBitmapObjects();
}

const char *LoadGameDataFile()
{
    // The loader trusts what it reads: nothing damaged may reach it.
    if (const char *problem = CheckGameDataFile(DATA_FILENAME))
        return problem;
    // Only the first picture is needed at once; the rest are decoded or
    // filled as they are first shown or while the intro rests.
    DeferJpegDecoding(true);
    OfferBitmapBytes(CheckedBitmapBytes());
    data = load_datafile(DATA_FILENAME);
    DeferJpegDecoding(false);
    // Pictures the check decoded, and bytes it offered, that the loader did
    // not take.
    ForgetDecodedJpegs();
    OfferBitmapBytes({});
    if (const char *problem = CheckGameData(data))
        return problem;
    for (int i = 0; data[i].type != DAT_END; i++)
        waiting.push_back(JpegWaiting(data[i].dat) || BitmapWaiting(data[i].dat));
    InputSetIdleWork(DecodeWhileIdle);
    return nullptr;
}

void UnloadGameDataFile()
{
    InputSetIdleWork(nullptr);
    waiting.clear();
    if (data)
        unload_datafile(data);
    data = nullptr;
    // Nothing made from the checked file's bytes is left.
    ReleaseCheckedGameData();
}
