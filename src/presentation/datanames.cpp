#include "presentation/datanames.h"

const char DATA_FILENAME[] = "game.dat";

const char DATA_UNREADABLE[] = "Cannot load the pictures: %s is missing or unreadable.";
const char DATA_TOO_FEW_OBJECTS[] = "%s holds %d objects; the game needs %d pictures.";
const char DATA_NOT_A_BITMAP[] = "Picture %d of %s is not a bitmap.";

// Eight tables, so that eight bytes are taken at a time: start-up checks
// every byte of game.dat before its first picture.
static const int CRC_SLICES = 8;
static const uint32_t CRC_POLYNOMIAL = 0xEDB88320u;

uint32_t DataChecksum(const uint8_t *bytes, size_t size, uint32_t crc)
{
    static uint32_t table[CRC_SLICES][256];
    static bool ready = false;
    if (!ready) {
        for (uint32_t n = 0; n < 256; n++) {
            uint32_t c = n;
            for (int k = 0; k < 8; k++)
                c = c & 1 ? CRC_POLYNOMIAL ^ (c >> 1) : c >> 1;
            table[0][n] = c;
        }
        for (int t = 1; t < CRC_SLICES; t++)
            for (uint32_t n = 0; n < 256; n++)
                table[t][n] = (table[t - 1][n] >> 8) ^ table[0][table[t - 1][n] & 0xFF];
        ready = true;
    }
    crc = ~crc;
    size_t i = 0;
    for (; i + CRC_SLICES <= size; i += CRC_SLICES) {
        const uint8_t *p = bytes + i;
        uint32_t low = crc ^ (uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24);
        crc = table[7][low & 0xFF] ^ table[6][(low >> 8) & 0xFF] ^ table[5][(low >> 16) & 0xFF] ^ table[4][low >> 24] ^
              table[3][p[4]] ^ table[2][p[5]] ^ table[1][p[6]] ^ table[0][p[7]];
    }
    for (; i < size; i++)
        crc = table[0][(crc ^ bytes[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}
