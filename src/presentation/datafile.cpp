#include "presentation/datafile.h"

#include <jpgalleg.h>

#include <cstdio>
#include <vector>

#include "platform/fatal.h"
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

// The one picture shown before the rest of game.dat is checked and loaded,
// made from its checked bytes; it stands for its position until shutdown,
// so a fade that began with it keeps it.
static BITMAP *firstPicture = nullptr;
static int firstIndex = -1;

BITMAP *DataBitmap(int index)
{
    if (index == firstIndex)
        return firstPicture;
    // No other picture before the whole file is checked.
    if (!data)
        if (const char *problem = LoadGameDataFile())
            FatalExit(problem);
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

const char *OpenGameDataFile(int first)
{
    DataPicture picture;
    if (const char *problem = CheckGameDataPicture(DATA_FILENAME, first, picture))
        return problem;
    // Without checksums, damage elsewhere shows only when every picture is
    // decoded: the whole file is checked first.
    if (!picture.whole)
        return LoadGameDataFile();
    const DataFound &found = picture.found;
    BITMAP *shown = found.jpeg ? DecodeDataJpeg(picture.body, picture.size, found.width, found.height)
                               : BitmapFromObject(picture.body, picture.size);
    if (!shown)
        return LoadGameDataFile();
    firstPicture = shown;
    firstIndex = first;
    return nullptr;
}

const char *LoadGameDataFile()
{
    if (data)
        return nullptr;
    // The loader trusts what it reads: nothing damaged may reach it.
    if (const char *problem = CheckGameDataFile(DATA_FILENAME))
        return problem;
    // No picture is needed at once; each is decoded or filled as it is
    // first shown or while the intro rests.
    DeferJpegDecoding(true);
    OfferBitmapBytes(CheckedBitmapBytes());
    DATAFILE *loaded = load_datafile(DATA_FILENAME);
    DeferJpegDecoding(false);
    // Pictures the check decoded, and bytes it offered, that the loader did
    // not take.
    ForgetDecodedJpegs();
    OfferBitmapBytes({});
    if (const char *problem = CheckGameData(loaded)) {
        if (loaded)
            unload_datafile(loaded);
        return problem;
    }
    data = loaded;
    // The loader's own picture for the first one is never shown.
    for (int i = 0; data[i].type != DAT_END; i++)
        waiting.push_back(i != firstIndex && (JpegWaiting(data[i].dat) || BitmapWaiting(data[i].dat)));
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
    if (firstPicture)
        destroy_bitmap(firstPicture);
    firstPicture = nullptr;
    firstIndex = -1;
    // Nothing made from the checked file's bytes is left.
    ReleaseCheckedGameData();
}
