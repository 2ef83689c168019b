#include "presentation/datafile.h"

#include <jpgalleg.h>

#include <cstdio>

#include "presentation/datacheck.h"
#include "presentation/jpegobject.h"

DATAFILE *data = nullptr;

static char checkMessage[160];

BITMAP *DataBitmap(int index)
{
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
}

const char *LoadGameDataFile()
{
    // The loader trusts what it reads: nothing damaged may reach it.
    if (const char *problem = CheckGameDataFile(DATA_FILENAME))
        return problem;
    data = load_datafile(DATA_FILENAME);
    // Pictures the check decoded that the loader did not take.
    ForgetDecodedJpegs();
    return CheckGameData(data);
}

void UnloadGameDataFile()
{
    if (data)
        unload_datafile(data);
    data = nullptr;
}
