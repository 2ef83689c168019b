// game.dat read as plain bytes before the graphics library loads it. The
// library's loader and its JPEG add-on trust every size and table they read,
// so a cut or damaged file must be refused here, with a message, instead of
// crashing the game inside load_datafile.
#ifndef PAPERLUNE_PRESENTATION_DATACHECK_H
#define PAPERLUNE_PRESENTATION_DATACHECK_H

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "presentation/datanames.h"

// What one position of the datafile must hold.
struct DataSlot {
    bool used;             // false: never drawn; any harmless object may stand there
    bool exactColours;     // a native bitmap only: a JPEG would lose the mask colour
    int minWidth, minHeight;
};

// What the walk found at a position.
struct DataFound {
    int width, height;
    bool jpeg;
};

extern const DataSlot GAME_DATA_SLOTS[];      // one per picture the game uses
extern const uint32_t DATA_CHECKSUM_PROPERTY; // property holding an object's CRC-32
// The checksum property's text for a CRC: eight hex digits.
void DataChecksumText(uint32_t crc, char text[9]);

// A trial decode of one JPEG stream: true when it gives a picture of the size
// its frame header states.
typedef bool (*JpegTrial)(const uint8_t *bytes, size_t size, int width, int height);

// Walks a whole datafile held in memory: header, every object's properties,
// type and sizes, the checksums where the file carries them, each bitmap's
// and JPEG stream's own structure, and the slots' kinds and sizes. Null when
// the library may load it; else a message naming the problem and the
// picture's position. `found`, when given, receives slotCount entries.
// `trial`, when given, is run on every JPEG object, in file order, once all
// the rest has passed; with `trustChecksums`, not when every object carries
// its checksum and matches it, since the file is then whole as it was made.
// `bitmaps`, when given, receives every bitmap object's bytes, in file order.
const char *CheckDataBytes(const uint8_t *bytes, size_t size, const DataSlot *slots, int slotCount,
                           DataFound *found = nullptr, JpegTrial trial = nullptr, bool trustChecksums = false,
                           std::vector<std::pair<const uint8_t *, size_t>> *bitmaps = nullptr);

// What the walk of one picture found of it, and of the file.
struct DataPicture {
    DataFound found;
    const uint8_t *body;    // the object's bytes, within the file
    size_t size;
    bool whole;             // every object of the file carries its checksum
};

// The walk for one picture alone, which may be shown before the rest of the
// file is checked: the file's header, every object's header (properties,
// type, sizes, where it ends) and all of the object at `index`, against its
// slot. Damage elsewhere in a body passes: CheckDataBytes must still pass
// before any other picture of the file is used. `picture` tells whether
// every object carries its checksum; without them, damage elsewhere could be
// told apart only by decoding every picture.
const char *CheckDataPicture(const uint8_t *bytes, size_t size, const DataSlot *slots, int slotCount, int index,
                             DataPicture &picture);

// Reads `path` and walks it against the game's own slots. A file whose every
// object carries its checksum is whole as the build made it, and its JPEG
// objects are left for the loader; any other has them decoded on trial
// (KeepDecodedJpeg, with its needs), and when it passes, the pictures wait
// for the loader. A file that passes stays mapped, for the loader to take
// its bitmaps from the very bytes checked (CheckedBitmapBytes).
const char *CheckGameDataFile(const char *path);
// Maps `path` and walks what its picture at `index` needs of it against the
// game's own slots (CheckDataPicture). A file that passes stays mapped, and
// `picture` points into it, until the next check or the release.
const char *CheckGameDataPicture(const char *path, int index, DataPicture &picture);
// The bitmap objects' bytes of the file the last passing check mapped, in
// file order; empty after a failed one.
const std::vector<std::pair<const uint8_t *, size_t>> &CheckedBitmapBytes();
// Lets go of the file the last check mapped; once nothing made from it is
// left (the datafile unloaded).
void ReleaseCheckedGameData();

#endif
