#include "presentation/datanames.h"

const char DATA_FILENAME[] = "game.dat";

const char DATA_UNREADABLE[] = "Cannot load the pictures: %s is missing or unreadable.";
const char DATA_TOO_FEW_OBJECTS[] = "%s holds %d objects; the game needs %d pictures.";
const char DATA_NOT_A_BITMAP[] = "Picture %d of %s is not a bitmap.";

uint32_t DataChecksum(const uint8_t *bytes, size_t size, uint32_t crc)
{
    static uint32_t table[256];
    static bool ready = false;
    if (!ready) {
        for (uint32_t n = 0; n < 256; n++) {
            uint32_t c = n;
            for (int k = 0; k < 8; k++)
                c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            table[n] = c;
        }
        ready = true;
    }
    crc = ~crc;
    for (size_t i = 0; i < size; i++)
        crc = table[(crc ^ bytes[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}
