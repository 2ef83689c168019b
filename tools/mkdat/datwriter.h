// Writes Allegro 4 datafiles: native bitmap objects and JPEG objects that the
// JPEG add-on decodes at load time.
#ifndef PAPERLUNE_TOOLS_DATWRITER_H
#define PAPERLUNE_TOOLS_DATWRITER_H

#include <cstdint>
#include <string>
#include <vector>

const uint32_t DAT_MASK_COLOR = 0xFF00FF;     // Allegro's transparent colour at 32 bits
const uint32_t DAT_MASK_NUDGED = 0xFE00FE;    // an opaque pixel that happened to be the mask

struct DatObject {
    std::string name;              // stored as the NAME property; the game never reads it
    bool jpeg;                     // JPEG file bytes, else a 32-bit bitmap
    int width, height;             // bitmap only
    std::vector<uint32_t> pixels;  // bitmap only: 0xRRGGBB, row by row
    std::vector<uint8_t> bytes;    // JPEG only: the file as it is
};

// Serialises the objects, in order, as an uncompressed datafile; with
// checksums, each object carries the CRC-32 the game verifies before loading.
std::vector<uint8_t> EncodeDatafile(const std::vector<DatObject> &objects, bool checksums = true);

// Where each object of an intact uncompressed datafile lies: its first
// property, its type word, its data and its end, as byte offsets.
struct DatSpan {
    size_t start, header, data, end;
};
std::vector<DatSpan> DatafileSpans(const std::vector<uint8_t> &bytes);

// Reads a PNG into a bitmap object: pixels with alpha below half become the
// mask colour; opaque pixels equal to the mask colour are nudged off it.
bool LoadPngObject(const std::string &path, DatObject &object, std::string &error);

bool LoadFileBytes(const std::string &path, std::vector<uint8_t> &bytes);

#endif
