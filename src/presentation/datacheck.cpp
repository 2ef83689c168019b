#include "presentation/datacheck.h"

#include <allegro.h>
#include <jpgalleg.h>

#include <cstdarg>
#include <cstdio>
#include <vector>

#include "presentation/datafile.h"

// Slots of game.dat --------------------------------------------------------

static const int DATA_SCREEN_W = 640;   // backgrounds and fade-in pictures cover the screen
static const int DATA_SCREEN_H = 480;

static const DataSlot SLOT_SCREEN  = {true, false, DATA_SCREEN_W, DATA_SCREEN_H};
static const DataSlot SLOT_SPRITE  = {true, false, 1, 1};
static const DataSlot SLOT_POINTER = {true, true, 1, 1};
static const DataSlot SLOT_UNUSED  = {false, false, 0, 0};

const DataSlot GAME_DATA_SLOTS[DATA_PICTURES] = {
    SLOT_SCREEN,                                             // 0 pause picture
    SLOT_SCREEN,                                             // 1 quit dialog, scenes
    SLOT_UNUSED,                                             // 2
    SLOT_SCREEN, SLOT_SCREEN, SLOT_SCREEN, SLOT_SCREEN,      // 3-6 typing pages
    SLOT_SCREEN, SLOT_SCREEN,                                // 7 menu, 8 records
    SLOT_POINTER,                                            // 9
    SLOT_SPRITE, SLOT_SPRITE, SLOT_SPRITE, SLOT_SPRITE,      // 10-17 timer sprites
    SLOT_SPRITE, SLOT_SPRITE, SLOT_SPRITE, SLOT_SPRITE,
    SLOT_SCREEN, SLOT_SCREEN, SLOT_SCREEN, SLOT_SCREEN,      // 18-25 endings, letters
    SLOT_SCREEN, SLOT_SCREEN, SLOT_SCREEN, SLOT_SCREEN,
    SLOT_SCREEN,                                             // 26 time-out
    SLOT_SCREEN, SLOT_SCREEN, SLOT_SCREEN,                   // 27-32 intro slides
    SLOT_SCREEN, SLOT_SCREEN, SLOT_SCREEN,
};

const int DATA_MAX_SIDE = 4096;
const uint32_t DATA_CHECKSUM_PROPERTY = DAT_ID('P', 'C', 'R', 'C');
static const size_t DATA_MAX_FILE = 256u << 20;   // far above any set of 33 pictures

// Messages -------------------------------------------------------------------

const char DATA_UNREADABLE[] = "Cannot load the pictures: %s is missing or unreadable.";
const char DATA_TOO_FEW_OBJECTS[] = "%s holds %d objects; the game needs %d pictures.";
static const char DATA_NOT_A_DATAFILE[] = "%s is not a datafile of pictures.";
static const char DATA_PACKED_FILE[] =
    "%s is a compressed datafile; the game reads only uncompressed ones.";
static const char DATA_SHORT_HEADER[] = "%s is damaged: its header is cut short.";
static const char DATA_BAD_COUNT[] = "%s is damaged: its header gives %d objects.";
static const char DATA_ENDS_BEFORE[] = "%s is damaged or cut short: it ends where picture %d should begin.";
static const char DATA_ENDS_INSIDE[] = "%s is damaged or cut short: picture %d runs past the end of the file.";
static const char DATA_BROKEN_HEADER[] = "%s is damaged: picture %d has a broken header.";
static const char DATA_BROKEN_CHECKSUM[] = "%s is damaged: picture %d has a broken checksum.";
static const char DATA_WRONG_CHECKSUM[] = "%s is damaged: picture %d does not match its checksum.";
static const char DATA_NO_CHECKSUM[] = "%s is damaged: picture %d has lost its checksum.";
static const char DATA_PACKED_OBJECT[] =
    "Picture %d of %s is compressed; the game reads only uncompressed pictures.";
static const char DATA_FOREIGN_KIND[] = "Picture %d of %s is a %s object; the game cannot use it.";
static const char DATA_BROKEN_BITMAP[] = "%s is damaged: picture %d is a broken bitmap (%s).";
static const char DATA_BROKEN_JPEG[] = "%s is damaged: picture %d is a broken JPEG (%s).";
const char DATA_NOT_A_BITMAP[] = "Picture %d of %s is not a bitmap.";
static const char DATA_NEEDS_EXACT[] =
    "Picture %d of %s is a JPEG; the pointer must be a bitmap that keeps its mask colour.";
static const char DATA_NEEDS_32_BITS[] = "Picture %d of %s has %d-bit colour; the game needs 32-bit.";
static const char DATA_TOO_SMALL[] = "Picture %d of %s is %d x %d; the game needs at least %d x %d.";
static const char DATA_TRAILING[] = "%s is damaged: %zu stray bytes follow its last picture.";

static const char PICTURE_SIZE[] = "its size is out of range";
static const char BITMAP_CUT[] = "its header is cut short";
static const char BITMAP_DEPTH[] = "an unknown colour depth";
static const char BITMAP_FILL[] = "its pixels do not fill it";

static const char JPEG_NOT_JPEG[] = "it does not start as a JPEG";
static const char JPEG_STRAY[] = "stray bytes between its segments";
static const char JPEG_OVERRUN[] = "a segment runs past its end";
static const char JPEG_NO_END[] = "it has no end marker";
static const char JPEG_CODING[] = "a coding the game cannot read";
static const char JPEG_BAD_TABLE[] = "a broken table";
static const char JPEG_BAD_FRAME[] = "a broken frame header";
static const char JPEG_BAD_SCAN[] = "a broken scan header";
static const char JPEG_MISSING_TABLE[] = "a scan uses a table it never defines";
static const char JPEG_NO_FRAME[] = "it has no frame header";
static const char JPEG_NO_SCAN[] = "it holds no picture data";
static const char JPEG_UNDECODABLE[] = "its picture data does not decode";

// Object kinds the library parses with loaders of its own; the game checks
// only bitmaps and JPEGs, so these are refused wherever they stand. Any other
// kind is copied as plain bytes, which is harmless.
static const uint32_t LIBRARY_KINDS[] = {
    DAT_FILE, DAT_FONT, DAT_SAMPLE, DAT_MIDI, DAT_PATCH, DAT_FLI,
    DAT_RLE_SPRITE, DAT_C_SPRITE, DAT_XC_SPRITE, DAT_PALETTE,
};

static const size_t OBJECT_HEADER = 12;      // type, stored size, unpacked size
static const size_t BITMAP_HEADER = 6;       // depth, width, height
static const int CHECKSUM_DIGITS = 8;

// JPEG markers and limits of the streams the JPEG add-on decodes safely.
// Baseline only: fuzzing showed the add-on writing past a block's
// coefficients in progressive refinement scans whose data is damaged.
static const uint8_t JPEG_SOF0 = 0xC0;       // baseline
static const uint8_t JPEG_DHT  = 0xC4;
static const uint8_t JPEG_RST0 = 0xD0;
static const uint8_t JPEG_RST7 = 0xD7;
static const uint8_t JPEG_SOI  = 0xD8;
static const uint8_t JPEG_EOI  = 0xD9;
static const uint8_t JPEG_SOS  = 0xDA;
static const uint8_t JPEG_DQT  = 0xDB;
static const uint8_t JPEG_DRI  = 0xDD;
static const uint8_t JPEG_APP0 = 0xE0;
static const uint8_t JPEG_APP15 = 0xEF;
static const uint8_t JPEG_COM  = 0xFE;
static const int JPEG_TABLES = 4;
static const int JPEG_MAX_COMPONENTS = 3;
static const int JPEG_MAX_SAMPLING = 2;      // 4x1 luma overruns the add-on's buffers
static const int JPEG_MAX_DC_CATEGORY = 11;
static const int JPEG_MAX_AC_SIZE = 10;
static const int JPEG_MAX_CODES = 256;
static const int JPEG_CODE_LENGTHS = 16;
static const int JPEG_COEFFICIENTS = 64;
static const size_t JPEG_READ_SLACK = 4096;    // zeros after a stream; see DecodeJpeg

static char checkMessage[256];

static const char *Refuse(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    vsnprintf(checkMessage, sizeof checkMessage, format, args);
    va_end(args);
    return checkMessage;
}

static uint32_t Big32(const uint8_t *p)
{
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

static int Big16(const uint8_t *p)
{
    return p[0] << 8 | p[1];
}

// The bytes still to read, consumed from the front.
struct Reader {
    const uint8_t *p;
    size_t size, at;
};

static size_t Left(const Reader &r)
{
    return r.size - r.at;
}

static bool Read32(Reader &r, uint32_t &value)
{
    if (Left(r) < 4)
        return false;
    value = Big32(r.p + r.at);
    r.at += 4;
    return true;
}

// Checksums ------------------------------------------------------------------

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

void DataChecksumText(uint32_t crc, char text[9])
{
    snprintf(text, CHECKSUM_DIGITS + 1, "%08x", crc);
}

static bool ParseChecksum(const uint8_t *text, size_t size, uint32_t &crc)
{
    if (size != size_t(CHECKSUM_DIGITS))
        return false;
    crc = 0;
    for (size_t i = 0; i < size; i++) {
        uint8_t c = text[i];
        int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10
                  : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
        if (digit < 0)
            return false;
        crc = crc << 4 | uint32_t(digit);
    }
    return true;
}

// Object headers -------------------------------------------------------------

// Type and property ids are four printable letters; a bit flipped into one
// would otherwise turn a picture into some other kind, or into the end marker.
static bool FourLetters(uint32_t id)
{
    for (int shift = 0; shift < 32; shift += 8) {
        uint8_t c = (id >> shift) & 0xFF;
        if (c < 0x20 || c > 0x7E)
            return false;
    }
    return true;
}

// Property strings are UTF-8; the library may convert them to another encoding
// and would then follow broken sequences past the end.
static bool WellFormedText(const uint8_t *s, size_t size)
{
    size_t i = 0;
    while (i < size) {
        uint8_t c = s[i];
        int follow = c < 0x80 ? 0 : (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2
                   : (c & 0xF8) == 0xF0 ? 3 : -1;
        if (follow < 0 || size - i - 1 < size_t(follow))
            return false;
        for (int k = 1; k <= follow; k++)
            if ((s[i + k] & 0xC0) != 0x80)
                return false;
        i += 1 + follow;
    }
    return true;
}

static bool LibraryKind(uint32_t type)
{
    for (uint32_t kind : LIBRARY_KINDS)
        if (type == kind)
            return true;
    return false;
}

static const char *KindName(uint32_t type)
{
    static char name[5];
    for (int i = 0; i < 4; i++)
        name[i] = char(type >> (24 - 8 * i));
    name[4] = 0;
    return name;
}

// Bitmaps --------------------------------------------------------------------

// Bytes per stored pixel for the library's depths: 15 and 16 as 5.6.5, 24 and
// 32 as three bytes, -32 as RGBA. Zero for a depth the library does not know.
static int StoredPixelBytes(int depth)
{
    switch (depth) {
    case 8: return 1;
    case 15:
    case 16: return 2;
    case 24:
    case 32: return 3;
    case -32: return 4;
    default: return 0;
    }
}

static const char *CheckBitmap(const uint8_t *body, size_t size, DataFound &found, int &depth)
{
    if (size < BITMAP_HEADER)
        return BITMAP_CUT;
    depth = int16_t(Big16(body));
    int w = Big16(body + 2);
    int h = Big16(body + 4);
    int pixelBytes = StoredPixelBytes(depth);
    if (!pixelBytes)
        return BITMAP_DEPTH;
    if (w < 1 || h < 1 || w > DATA_MAX_SIDE || h > DATA_MAX_SIDE)
        return PICTURE_SIZE;
    if (size != BITMAP_HEADER + size_t(w) * size_t(h) * size_t(pixelBytes))
        return BITMAP_FILL;
    found.width = w;
    found.height = h;
    return nullptr;
}

// JPEG streams ---------------------------------------------------------------

struct JpegComponent {
    int id, h, v, table;
};

struct JpegState {
    bool frame;
    int width, height, components;
    JpegComponent component[JPEG_MAX_COMPONENTS];
    bool quant[JPEG_TABLES], dc[JPEG_TABLES], ac[JPEG_TABLES];
    int scans;
};

static const char *JpegQuantTables(const uint8_t *seg, size_t size, JpegState &s)
{
    if (size == 0)
        return JPEG_BAD_TABLE;
    size_t i = 0;
    while (i < size) {
        int precision = seg[i] >> 4;
        int id = seg[i] & 15;
        if (precision != 0)
            return JPEG_CODING;   // 16-bit tables: not written by common encoders, not tried
        if (id >= JPEG_TABLES || size - i - 1 < size_t(JPEG_COEFFICIENTS))
            return JPEG_BAD_TABLE;
        s.quant[id] = true;
        i += 1 + JPEG_COEFFICIENTS;
    }
    return nullptr;
}

// A Huffman table must describe a real prefix code: a decoder that builds
// its lookup from an over-full code writes past its tables.
static const char *JpegHuffmanTables(const uint8_t *seg, size_t size, JpegState &s)
{
    if (size == 0)
        return JPEG_BAD_TABLE;
    size_t i = 0;
    while (i < size) {
        if (size - i < size_t(1 + JPEG_CODE_LENGTHS))
            return JPEG_BAD_TABLE;
        int tableClass = seg[i] >> 4;
        int id = seg[i] & 15;
        if (tableClass > 1 || id >= JPEG_TABLES)
            return JPEG_BAD_TABLE;
        const uint8_t *counts = seg + i + 1;
        uint32_t code = 0;
        int total = 0;
        for (int length = 1; length <= JPEG_CODE_LENGTHS; length++) {
            code += counts[length - 1];
            total += counts[length - 1];
            if (code >= (1u << length))   // the all-ones code is reserved
                return JPEG_BAD_TABLE;
            code <<= 1;
        }
        if (total == 0 || total > JPEG_MAX_CODES || size - i - 1 - JPEG_CODE_LENGTHS < size_t(total))
            return JPEG_BAD_TABLE;
        const uint8_t *symbols = counts + JPEG_CODE_LENGTHS;
        for (int k = 0; k < total; k++) {
            // An AC symbol of size 0 is the end of a block (run 0) or a run
            // of 16 zeros (run 15); baseline has no others.
            int run = symbols[k] >> 4, bits = symbols[k] & 15;
            bool fits = tableClass == 0 ? symbols[k] <= JPEG_MAX_DC_CATEGORY
                                        : bits <= JPEG_MAX_AC_SIZE && (bits != 0 || run == 0 || run == 15);
            if (!fits)
                return JPEG_BAD_TABLE;
        }
        (tableClass == 0 ? s.dc : s.ac)[id] = true;
        i += 1 + JPEG_CODE_LENGTHS + total;
    }
    return nullptr;
}

static const char *JpegFrame(const uint8_t *seg, size_t size, JpegState &s)
{
    if (s.frame || size < 6)
        return JPEG_BAD_FRAME;
    int precision = seg[0];
    s.height = Big16(seg + 1);
    s.width = Big16(seg + 3);
    s.components = seg[5];
    if (precision != 8 || (s.components != 1 && s.components != JPEG_MAX_COMPONENTS))
        return JPEG_CODING;
    if (size != 6 + 3 * size_t(s.components))
        return JPEG_BAD_FRAME;
    if (s.width < 1 || s.height < 1 || s.width > DATA_MAX_SIDE || s.height > DATA_MAX_SIDE)
        return PICTURE_SIZE;
    for (int c = 0; c < s.components; c++) {
        const uint8_t *p = seg + 6 + 3 * c;
        JpegComponent &comp = s.component[c];
        comp = {p[0], p[1] >> 4, p[1] & 15, p[2]};
        if (comp.table >= JPEG_TABLES)
            return JPEG_BAD_FRAME;
        for (int other = 0; other < c; other++)
            if (s.component[other].id == comp.id)
                return JPEG_BAD_FRAME;
        // Luma may be subsampled 2:1 either way; chroma is full size.
        int most = c == 0 ? JPEG_MAX_SAMPLING : 1;
        if (comp.h < 1 || comp.v < 1 || comp.h > most || comp.v > most)
            return JPEG_CODING;
    }
    s.frame = true;
    return nullptr;
}

static const char *JpegScan(const uint8_t *seg, size_t size, JpegState &s)
{
    if (!s.frame)
        return JPEG_NO_FRAME;
    if (size < 1)
        return JPEG_BAD_SCAN;
    int count = seg[0];
    if (count < 1 || count > s.components || size != 1 + 2 * size_t(count) + 3)
        return JPEG_BAD_SCAN;
    // A baseline scan covers all 64 coefficients in one go.
    int start = seg[1 + 2 * count];
    int end = seg[2 + 2 * count];
    int approximation = seg[3 + 2 * count];
    if (start != 0 || end != JPEG_COEFFICIENTS - 1 || approximation != 0)
        return JPEG_BAD_SCAN;
    bool inScan[JPEG_MAX_COMPONENTS] = {};
    for (int k = 0; k < count; k++) {
        int id = seg[1 + 2 * k];
        int dcTable = seg[2 + 2 * k] >> 4;
        int acTable = seg[2 + 2 * k] & 15;
        int c = 0;
        while (c < s.components && s.component[c].id != id)
            c++;
        if (c == s.components || inScan[c] || dcTable >= JPEG_TABLES || acTable >= JPEG_TABLES)
            return JPEG_BAD_SCAN;
        inScan[c] = true;
        if (!s.quant[s.component[c].table] || !s.dc[dcTable] || !s.ac[acTable])
            return JPEG_MISSING_TABLE;
    }
    s.scans++;
    return nullptr;
}

// Position of the marker that ends the entropy-coded data from `at`, or the
// end of the stream when there is none.
static size_t SkipScanData(const uint8_t *p, size_t size, size_t at)
{
    while (at < size) {
        if (p[at] != 0xFF) {
            at++;
            continue;
        }
        if (at + 1 >= size)
            return size;
        uint8_t next = p[at + 1];
        if (next != 0 && (next < JPEG_RST0 || next > JPEG_RST7))
            return at;
        at += 2;
    }
    return size;
}

static bool KnownSegment(uint8_t marker)
{
    return (marker >= JPEG_APP0 && marker <= JPEG_APP15) || marker == JPEG_COM || marker == JPEG_DQT
        || marker == JPEG_DHT || marker == JPEG_SOF0 || marker == JPEG_DRI || marker == JPEG_SOS;
}

static const char *CheckJpeg(const uint8_t *p, size_t size, DataFound &found)
{
    if (size < 4 || p[0] != 0xFF || p[1] != JPEG_SOI)
        return JPEG_NOT_JPEG;
    JpegState s = {};
    size_t at = 2;
    for (;;) {
        if (size - at < 2)
            return JPEG_NO_END;
        if (p[at] != 0xFF)
            return JPEG_STRAY;
        uint8_t marker = p[at + 1];
        at += 2;
        if (marker == JPEG_EOI)
            break;
        if (!KnownSegment(marker))
            return JPEG_CODING;
        if (size - at < 2)
            return JPEG_OVERRUN;
        size_t length = size_t(Big16(p + at));
        if (length < 2 || length > size - at)
            return JPEG_OVERRUN;
        const uint8_t *seg = p + at + 2;
        size_t segSize = length - 2;
        at += length;
        const char *problem = nullptr;
        if (marker == JPEG_DQT)
            problem = JpegQuantTables(seg, segSize, s);
        else if (marker == JPEG_DHT)
            problem = JpegHuffmanTables(seg, segSize, s);
        else if (marker == JPEG_SOF0)
            problem = JpegFrame(seg, segSize, s);
        else if (marker == JPEG_DRI)
            problem = segSize == 2 ? nullptr : JPEG_BAD_FRAME;
        else if (marker == JPEG_SOS) {
            problem = JpegScan(seg, segSize, s);
            at = SkipScanData(p, size, at);
        }
        if (problem)
            return problem;
    }
    if (!s.frame)
        return JPEG_NO_FRAME;
    if (!s.scans)
        return JPEG_NO_SCAN;
    found.width = s.width;
    found.height = s.height;
    return nullptr;
}

// The walk -------------------------------------------------------------------

// What the walk learnt of one object, for the slot checks after it.
struct ObjectSeen {
    DataFound found;
    bool picture;
    int depth;              // bitmaps only
    bool checksummed;
};

static const char *CheckObject(Reader &r, int index, JpegTrial trial, ObjectSeen &seen)
{
    uint32_t type;
    bool hasChecksum = false;
    uint32_t checksum = 0;
    if (!Read32(r, type))
        return Refuse(DATA_ENDS_BEFORE, DATA_FILENAME, index);
    while (type == uint32_t(DAT_PROPERTY)) {
        uint32_t id, length;
        if (!Read32(r, id) || !Read32(r, length) || length > Left(r))
            return Refuse(DATA_ENDS_INSIDE, DATA_FILENAME, index);
        const uint8_t *text = r.p + r.at;
        r.at += length;
        if (!FourLetters(id) || !WellFormedText(text, length))
            return Refuse(DATA_BROKEN_HEADER, DATA_FILENAME, index);
        if (id == DATA_CHECKSUM_PROPERTY) {
            if (hasChecksum || !ParseChecksum(text, length, checksum))
                return Refuse(DATA_BROKEN_CHECKSUM, DATA_FILENAME, index);
            hasChecksum = true;
        }
        if (!Read32(r, type))
            return Refuse(DATA_ENDS_INSIDE, DATA_FILENAME, index);
    }
    size_t start = r.at - 4;
    uint32_t stored, unpacked;
    if (!Read32(r, stored) || !Read32(r, unpacked))
        return Refuse(DATA_ENDS_INSIDE, DATA_FILENAME, index);
    if (!FourLetters(type))
        return Refuse(DATA_BROKEN_HEADER, DATA_FILENAME, index);
    if (int32_t(unpacked) < 0)
        return Refuse(DATA_PACKED_OBJECT, index, DATA_FILENAME);
    if (stored != unpacked)
        return Refuse(DATA_BROKEN_HEADER, DATA_FILENAME, index);
    if (stored > Left(r))
        return Refuse(DATA_ENDS_INSIDE, DATA_FILENAME, index);
    const uint8_t *body = r.p + r.at;
    r.at += stored;
    // Before anything of the body is read: damage there shows here first.
    if (hasChecksum && DataChecksum(r.p + start, OBJECT_HEADER + stored) != checksum)
        return Refuse(DATA_WRONG_CHECKSUM, DATA_FILENAME, index);

    seen = {{0, 0, false}, false, 0, hasChecksum};
    if (type == uint32_t(DAT_BITMAP)) {
        if (const char *problem = CheckBitmap(body, stored, seen.found, seen.depth))
            return Refuse(DATA_BROKEN_BITMAP, DATA_FILENAME, index, problem);
        seen.picture = true;
    } else if (type == uint32_t(DAT_JPEG)) {
        if (const char *problem = CheckJpeg(body, stored, seen.found))
            return Refuse(DATA_BROKEN_JPEG, DATA_FILENAME, index, problem);
        if (trial && !trial(body, stored, seen.found.width, seen.found.height))
            return Refuse(DATA_BROKEN_JPEG, DATA_FILENAME, index, JPEG_UNDECODABLE);
        seen.found.jpeg = true;
        seen.picture = true;
    } else if (LibraryKind(type)) {
        return Refuse(DATA_FOREIGN_KIND, index, DATA_FILENAME, KindName(type));
    }
    return nullptr;
}

static const char *CheckSlot(int index, const DataSlot &slot, const ObjectSeen &seen)
{
    if (!slot.used)
        return nullptr;
    if (!seen.picture)
        return Refuse(DATA_NOT_A_BITMAP, index, DATA_FILENAME);
    if (slot.exactColours && seen.found.jpeg)
        return Refuse(DATA_NEEDS_EXACT, index, DATA_FILENAME);
    if (!seen.found.jpeg && seen.depth != 32 && seen.depth != -32)
        return Refuse(DATA_NEEDS_32_BITS, index, DATA_FILENAME, seen.depth < 0 ? -seen.depth : seen.depth);
    if (seen.found.width < slot.minWidth || seen.found.height < slot.minHeight)
        return Refuse(DATA_TOO_SMALL, index, DATA_FILENAME, seen.found.width, seen.found.height, slot.minWidth,
                      slot.minHeight);
    return nullptr;
}

// Damage is reported first, then too few objects, then an object of the
// wrong kind or size for its slot.
const char *CheckDataBytes(const uint8_t *bytes, size_t size, const DataSlot *slots, int slotCount,
                           DataFound *found, JpegTrial trial)
{
    Reader r = {bytes, size, 0};
    uint32_t magic, datMagic, count;
    if (!Read32(r, magic))
        return Refuse(DATA_NOT_A_DATAFILE, DATA_FILENAME);
    if (magic == uint32_t(F_PACK_MAGIC))
        return Refuse(DATA_PACKED_FILE, DATA_FILENAME);
    if (magic != uint32_t(F_NOPACK_MAGIC))
        return Refuse(DATA_NOT_A_DATAFILE, DATA_FILENAME);
    if (!Read32(r, datMagic) || !Read32(r, count))
        return Refuse(DATA_SHORT_HEADER, DATA_FILENAME);
    if (datMagic != uint32_t(DAT_MAGIC))
        return Refuse(DATA_NOT_A_DATAFILE, DATA_FILENAME);
    if (int32_t(count) < 0)
        return Refuse(DATA_BAD_COUNT, DATA_FILENAME, int32_t(count));

    std::vector<ObjectSeen> seen(slotCount > 0 ? size_t(slotCount) : 0);
    int withChecksum = 0;
    int firstWithout = -1;
    for (int i = 0; i < int(count); i++) {
        ObjectSeen object;
        if (const char *problem = CheckObject(r, i, trial, object))
            return problem;
        if (i < slotCount)
            seen[i] = object;
        if (object.checksummed)
            withChecksum++;
        else if (firstWithout < 0)
            firstWithout = i;
    }
    if (Left(r))
        return Refuse(DATA_TRAILING, DATA_FILENAME, Left(r));
    // A file written with checksums has one on every object; an object
    // without one has had its property damaged.
    if (withChecksum && firstWithout >= 0)
        return Refuse(DATA_NO_CHECKSUM, DATA_FILENAME, firstWithout);
    if (int(count) < slotCount)
        return Refuse(DATA_TOO_FEW_OBJECTS, DATA_FILENAME, int(count), slotCount);
    for (int i = 0; i < slotCount; i++) {
        if (const char *problem = CheckSlot(i, slots[i], seen[i]))
            return problem;
        if (found)
            found[i] = seen[i].found;
    }
    return nullptr;
}

const char *CheckGameDataFile(const char *path)
{
    FILE *f = fopen(path, "rb");
    if (!f)
        return Refuse(DATA_UNREADABLE, DATA_FILENAME);
    std::vector<uint8_t> bytes;
    uint8_t chunk[65536];
    size_t n;
    while ((n = fread(chunk, 1, sizeof chunk, f)) > 0 && bytes.size() <= DATA_MAX_FILE)
        bytes.insert(bytes.end(), chunk, chunk + n);
    bool failed = ferror(f) != 0;
    fclose(f);
    if (failed || bytes.size() > DATA_MAX_FILE)
        return Refuse(DATA_UNREADABLE, DATA_FILENAME);
    // The whole structure first, so that a cut file is not decoded in vain.
    if (const char *problem = CheckDataBytes(bytes.data(), bytes.size(), GAME_DATA_SLOTS, DATA_PICTURES))
        return problem;
    return CheckDataBytes(bytes.data(), bytes.size(), GAME_DATA_SLOTS, DATA_PICTURES, nullptr, DataJpegDecodes);
}

// The add-on reads a little past the end of its input when the picture data
// runs short (some 25 bytes seen); zeros there keep what it makes of a stream
// from depending on whatever lies next in memory, so that the trial and the
// loader decode the same bytes the same way.
static BITMAP *DecodeJpeg(std::vector<uint8_t> &padded, size_t size)
{
    padded.resize(size + JPEG_READ_SLACK, 0);
    return load_memory_jpg(padded.data(), int(size), nullptr);
}

bool DataJpegDecodes(const uint8_t *bytes, size_t size, int width, int height)
{
    std::vector<uint8_t> padded(bytes, bytes + size);
    BITMAP *picture = DecodeJpeg(padded, size);
    if (!picture)
        return false;
    bool whole = picture->w == width && picture->h == height;
    destroy_bitmap(picture);
    return whole;
}

static void *LoadJpegObject(PACKFILE *f, long size)
{
    if (size <= 0)
        return nullptr;
    std::vector<uint8_t> padded(static_cast<size_t>(size));
    if (pack_fread(padded.data(), size, f) != size)
        return nullptr;
    return DecodeJpeg(padded, size_t(size));
}

static void DestroyJpegObject(void *picture)
{
    if (picture)
        destroy_bitmap(static_cast<BITMAP *>(picture));
}

void RegisterJpegObjects()
{
    register_datafile_object(DAT_JPEG, LoadJpegObject, DestroyJpegObject);
}
