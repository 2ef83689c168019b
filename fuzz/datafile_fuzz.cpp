// The walk over a datafile's bytes, fuzzed. Three promises hold for every
// input: the walk never crashes, whatever it is given; what it accepts,
// with the trial decode of the JPEG objects, the library loads whole, each
// picture of the size the walk reported; and the walk for one picture,
// which start-up runs before its first slide, accepts all that the whole
// walk accepts and finds that picture as it did.
#include <allegro.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "library.h"
#include "presentation/datacheck.h"
#include "presentation/datafile.h"
#include "presentation/jpegobject.h"

// Small slots, so that inputs of a few hundred bytes can pass and go on to
// the loader; the game's own slots need 33 screen-sized pictures.
static const DataSlot FUZZ_SLOTS[] = {
    {true, false, 8, 8},     // a picture: bitmap or JPEG
    {true, true, 1, 1},      // a bitmap of exact colours
    {false, false, 0, 0},    // anything harmless
};
static const int FUZZ_SLOT_COUNT = sizeof FUZZ_SLOTS / sizeof FUZZ_SLOTS[0];
static const int FUZZ_PICTURES = 2;          // the slots that must load as bitmaps
static const char FUZZ_SCRATCH_DIR[] = "/dev/shm";
static const char FUZZ_FALLBACK_DIR[] = "/tmp";

static std::string scratch;

static bool StartFuzzing()
{
    StartLibrary(LIBRARY_TRUE_COLOUR | LIBRARY_JPEG_OBJECTS);
    const char *dir = access(FUZZ_SCRATCH_DIR, W_OK) == 0 ? FUZZ_SCRATCH_DIR : FUZZ_FALLBACK_DIR;
    scratch = std::string(dir) + "/paperlune-fuzz-" + std::to_string(getpid()) + ".dat";
    return true;
}

static void Broken(const char *promise)
{
    fprintf(stderr, "datafile_fuzz: %s\n", promise);
    abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static bool started = StartFuzzing();
    (void)started;

    // The game's own rules: only that the walk survives.
    CheckDataBytes(data, size, GAME_DATA_SLOTS, DATA_PICTURES);

    // The walk for the first slide alone, on the game's own rules: that it survives.
    DataPicture one;
    CheckDataPicture(data, size, GAME_DATA_SLOTS, DATA_PICTURES, INTRO_FIRST_IMAGE, one);

    DataFound found[FUZZ_SLOT_COUNT];
    if (CheckDataBytes(data, size, FUZZ_SLOTS, FUZZ_SLOT_COUNT, found, DataJpegDecodes))
        return 0;
    for (int i = 0; i < FUZZ_SLOT_COUNT; i++) {
        if (CheckDataPicture(data, size, FUZZ_SLOTS, FUZZ_SLOT_COUNT, i, one))
            Broken("the walk for one picture refused what the whole walk accepted");
        if (FUZZ_SLOTS[i].used && (one.found.width != found[i].width || one.found.height != found[i].height))
            Broken("the walk for one picture found it at another size");
    }
    FILE *f = fopen(scratch.c_str(), "wb");
    if (!f || fwrite(data, 1, size, f) != size || fclose(f) != 0)
        Broken("cannot write the scratch file");
    DATAFILE *file = load_datafile(scratch.c_str());
    remove(scratch.c_str());
    if (!file)
        Broken("the walk accepted a datafile the library does not load");
    for (int i = 0; i < FUZZ_PICTURES; i++) {
        BITMAP *picture = static_cast<BITMAP *>(file[i].dat);
        if (!picture || picture->w != found[i].width || picture->h != found[i].height)
            Broken("a picture loaded at another size than the walk found");
    }
    unload_datafile(file);
    return 0;
}
