// What the datafile's loader, its check and its JPEG objects all need to
// know of game.dat: the file's name and size limits, the checksum they
// compare, and the messages more than one of them gives.
#ifndef PAPERLUNE_PRESENTATION_DATANAMES_H
#define PAPERLUNE_PRESENTATION_DATANAMES_H

#include <cstddef>
#include <cstdint>

extern const char DATA_FILENAME[];            // "game.dat"
const int DATA_PICTURES = 33;                 // positions 0..32 must be present
const int DATA_UNUSED_INDEX = 2;              // never drawn; any object may stand there
const int DATA_MAX_SIDE = 4096;               // largest width or height accepted

extern const char DATA_UNREADABLE[];          // format: the file name
extern const char DATA_TOO_FEW_OBJECTS[];     // format: file name, objects held, pictures needed
extern const char DATA_NOT_A_BITMAP[];        // format: position, file name

// CRC-32 (the common polynomial) of bytes, continuing from `crc`.
uint32_t DataChecksum(const uint8_t *bytes, size_t size, uint32_t crc = 0);

#endif
