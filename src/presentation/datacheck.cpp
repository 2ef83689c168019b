#include "presentation/datacheck.h"

#include <allegro.h>
#include <jpgalleg.h>

#include <cstdarg>
#include <cstdio>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/geometry.h"
#include "presentation/datanames.h"
#include "presentation/jpegobject.h"

// Slots of game.dat --------------------------------------------------------

// Backgrounds and fade-in pictures cover the whole picture.
static const DataSlot SLOT_SCREEN  = {true, false, GAME_W, GAME_H};
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

const uint32_t DATA_CHECKSUM_PROPERTY = DAT_ID('P', 'C', 'R', 'C');
static const size_t DATA_MAX_FILE = 256u << 20;   // far above any set of 33 pictures

// Messages -------------------------------------------------------------------

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
static const char DATA_NEEDS_EXACT[] =
    "Picture %d of %s is a JPEG; the pointer must be a bitmap that keeps its mask colour.";
static const char DATA_NEEDS_32_BITS[] = "Picture %d of %s has %d-bit colour; the game needs 32-bit.";
static const char DATA_TOO_SMALL[] = "Picture %d of %s is %d x %d; the game needs at least %d x %d.";
static const char DATA_TRAILING[] = "%s is damaged: %zu stray bytes follow its last picture.";
static const char JPEG_UNDECODABLE[] = "its picture data does not decode";

static const char BITMAP_CUT[] = "its header is cut short";
static const char BITMAP_DEPTH[] = "an unknown colour depth";
static const char BITMAP_SIZE[] = "its size is out of range";
static const char BITMAP_FILL[] = "its pixels do not fill it";

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
        return BITMAP_SIZE;
    if (size != BITMAP_HEADER + size_t(w) * size_t(h) * size_t(pixelBytes))
        return BITMAP_FILL;
    found.width = w;
    found.height = h;
    return nullptr;
}

// The walk -------------------------------------------------------------------

// What the walk learnt of one object, for the checks after it.
struct ObjectSeen {
    DataFound found;
    bool picture;
    int depth;              // bitmaps only
    bool checksummed;
    const uint8_t *body;    // the object's data within the file
    size_t size;
};

// An object's header as the walk read it, its body skipped.
struct ObjectHeader {
    uint32_t type;
    bool hasChecksum;
    uint32_t checksum;
    const uint8_t *start;   // the type word, where the checksum starts
    const uint8_t *body;
    size_t size;
};

// Properties, type and sizes, up to the next object: all that the walk
// needs to find every object, without a byte of the bodies.
static const char *ReadObjectHeader(Reader &r, int index, ObjectHeader &h)
{
    h.hasChecksum = false;
    h.checksum = 0;
    if (!Read32(r, h.type))
        return Refuse(DATA_ENDS_BEFORE, DATA_FILENAME, index);
    while (h.type == uint32_t(DAT_PROPERTY)) {
        uint32_t id, length;
        if (!Read32(r, id) || !Read32(r, length) || length > Left(r))
            return Refuse(DATA_ENDS_INSIDE, DATA_FILENAME, index);
        const uint8_t *text = r.p + r.at;
        r.at += length;
        if (!FourLetters(id) || !WellFormedText(text, length))
            return Refuse(DATA_BROKEN_HEADER, DATA_FILENAME, index);
        if (id == DATA_CHECKSUM_PROPERTY) {
            if (h.hasChecksum || !ParseChecksum(text, length, h.checksum))
                return Refuse(DATA_BROKEN_CHECKSUM, DATA_FILENAME, index);
            h.hasChecksum = true;
        }
        if (!Read32(r, h.type))
            return Refuse(DATA_ENDS_INSIDE, DATA_FILENAME, index);
    }
    h.start = r.p + r.at - 4;
    uint32_t stored, unpacked;
    if (!Read32(r, stored) || !Read32(r, unpacked))
        return Refuse(DATA_ENDS_INSIDE, DATA_FILENAME, index);
    if (!FourLetters(h.type))
        return Refuse(DATA_BROKEN_HEADER, DATA_FILENAME, index);
    if (int32_t(unpacked) < 0)
        return Refuse(DATA_PACKED_OBJECT, index, DATA_FILENAME);
    if (stored != unpacked)
        return Refuse(DATA_BROKEN_HEADER, DATA_FILENAME, index);
    if (stored > Left(r))
        return Refuse(DATA_ENDS_INSIDE, DATA_FILENAME, index);
    h.body = r.p + r.at;
    h.size = stored;
    r.at += stored;
    return nullptr;
}

static const char *CheckObjectBody(int index, const ObjectHeader &h, ObjectSeen &seen)
{
    // Before anything of the body is read: damage there shows here first.
    if (h.hasChecksum && DataChecksum(h.start, OBJECT_HEADER + h.size) != h.checksum)
        return Refuse(DATA_WRONG_CHECKSUM, DATA_FILENAME, index);

    seen = {{0, 0, false}, false, 0, h.hasChecksum, h.body, h.size};
    if (h.type == uint32_t(DAT_BITMAP)) {
        if (const char *problem = CheckBitmap(h.body, h.size, seen.found, seen.depth))
            return Refuse(DATA_BROKEN_BITMAP, DATA_FILENAME, index, problem);
        seen.picture = true;
    } else if (h.type == uint32_t(DAT_JPEG)) {
        if (const char *problem = CheckJpegStream(h.body, h.size, seen.found.width, seen.found.height))
            return Refuse(DATA_BROKEN_JPEG, DATA_FILENAME, index, problem);
        seen.found.jpeg = true;
        seen.picture = true;
    } else if (LibraryKind(h.type)) {
        return Refuse(DATA_FOREIGN_KIND, index, DATA_FILENAME, KindName(h.type));
    }
    return nullptr;
}

static const char *CheckObject(Reader &r, int index, ObjectSeen &seen)
{
    ObjectHeader h;
    if (const char *problem = ReadObjectHeader(r, index, h))
        return problem;
    return CheckObjectBody(index, h, seen);
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

// The file's own header: its magic numbers and the count of objects.
static const char *ReadFileHeader(Reader &r, uint32_t &count)
{
    uint32_t magic, datMagic;
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
    return nullptr;
}

// What follows the last object, and which objects carry a checksum.
static const char *CheckEnd(const Reader &r, int withChecksum, int firstWithout, int count, int slotCount)
{
    if (Left(r))
        return Refuse(DATA_TRAILING, DATA_FILENAME, Left(r));
    // A file written with checksums has one on every object; an object
    // without one has had its property damaged.
    if (withChecksum && firstWithout >= 0)
        return Refuse(DATA_NO_CHECKSUM, DATA_FILENAME, firstWithout);
    if (count < slotCount)
        return Refuse(DATA_TOO_FEW_OBJECTS, DATA_FILENAME, count, slotCount);
    return nullptr;
}

// Damage is reported first, then too few objects, then an object of the
// wrong kind or size for its slot, and last a JPEG stream that does not
// decode: a cut file is not decoded in vain.
const char *CheckDataBytes(const uint8_t *bytes, size_t size, const DataSlot *slots, int slotCount,
                           DataFound *found, JpegTrial trial, bool trustChecksums,
                           std::vector<std::pair<const uint8_t *, size_t>> *bitmaps)
{
    Reader r = {bytes, size, 0};
    uint32_t count;
    if (const char *problem = ReadFileHeader(r, count))
        return problem;
    std::vector<ObjectSeen> seen(slotCount > 0 ? size_t(slotCount) : 0);
    std::vector<std::pair<int, ObjectSeen>> jpegs;
    int withChecksum = 0;
    int firstWithout = -1;
    for (int i = 0; i < int(count); i++) {
        ObjectSeen object;
        if (const char *problem = CheckObject(r, i, object))
            return problem;
        if (i < slotCount)
            seen[i] = object;
        if (object.found.jpeg)
            jpegs.push_back({i, object});
        else if (object.picture && bitmaps)
            bitmaps->push_back({object.body, object.size});
        if (object.checksummed)
            withChecksum++;
        else if (firstWithout < 0)
            firstWithout = i;
    }
    if (const char *problem = CheckEnd(r, withChecksum, firstWithout, int(count), slotCount))
        return problem;
    for (int i = 0; i < slotCount; i++) {
        if (const char *problem = CheckSlot(i, slots[i], seen[i]))
            return problem;
        if (found)
            found[i] = seen[i].found;
    }
    bool whole = withChecksum == int(count);
    if (trial && !(trustChecksums && whole))
        for (const auto &[index, object] : jpegs)
            if (!trial(object.body, object.size, object.found.width, object.found.height))
                return Refuse(DATA_BROKEN_JPEG, DATA_FILENAME, index, JPEG_UNDECODABLE);
    return nullptr;
}

const char *CheckDataPicture(const uint8_t *bytes, size_t size, const DataSlot *slots, int slotCount, int index,
                             DataPicture &picture)
{
    picture = {{0, 0, false}, nullptr, 0, false};
    Reader r = {bytes, size, 0};
    uint32_t count;
    if (const char *problem = ReadFileHeader(r, count))
        return problem;
    ObjectSeen seen = {{0, 0, false}, false, 0, false, nullptr, 0};
    int withChecksum = 0;
    int firstWithout = -1;
    for (int i = 0; i < int(count); i++) {
        ObjectHeader h;
        if (const char *problem = ReadObjectHeader(r, i, h))
            return problem;
        if (i == index)
            if (const char *problem = CheckObjectBody(i, h, seen))
                return problem;
        if (h.hasChecksum)
            withChecksum++;
        else if (firstWithout < 0)
            firstWithout = i;
    }
    if (const char *problem = CheckEnd(r, withChecksum, firstWithout, int(count), slotCount))
        return problem;
    if (index < 0 || index >= slotCount)
        return Refuse(DATA_NOT_A_BITMAP, index, DATA_FILENAME);
    if (const char *problem = CheckSlot(index, slots[index], seen))
        return problem;
    picture = {seen.found, seen.body, seen.size, withChecksum == int(count)};
    return nullptr;
}

// The file the last check mapped.
static void *checkedMap = nullptr;
static size_t checkedSize = 0;
static std::vector<std::pair<const uint8_t *, size_t>> checkedBitmaps;

const std::vector<std::pair<const uint8_t *, size_t>> &CheckedBitmapBytes()
{
    return checkedBitmaps;
}

void ReleaseCheckedGameData()
{
    checkedBitmaps.clear();
    if (checkedMap)
        munmap(checkedMap, checkedSize);
    checkedMap = nullptr;
    checkedSize = 0;
}

// Maps `path` in place of the file the last check mapped; null when it
// cannot be read. `whole`: every page at once, for a walk of every byte.
static const uint8_t *MapGameData(const char *path, bool whole)
{
    ReleaseCheckedGameData();
    // Mapped, not read: no copy, and no memory to fault in page by page.
    int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    struct stat st;
    bool plain = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size >= 0 && size_t(st.st_size) <= DATA_MAX_FILE;
    size_t size = plain ? size_t(st.st_size) : 0;
    void *mapped = plain && size ? mmap(nullptr, size, PROT_READ, MAP_PRIVATE | (whole ? MAP_POPULATE : 0), fd, 0)
                                 : MAP_FAILED;
    close(fd);
    // An empty file is read, and is no datafile.
    static const uint8_t nothing[1] = {0};
    if (plain && !size)
        return nothing;
    if (mapped == MAP_FAILED)
        return nullptr;
    checkedMap = mapped;
    checkedSize = size;
    return static_cast<const uint8_t *>(mapped);
}

const char *CheckGameDataFile(const char *path)
{
    const uint8_t *bytes = MapGameData(path, true);
    if (!bytes)
        return Refuse(DATA_UNREADABLE, DATA_FILENAME);
    // The pictures the trial decodes are kept for the loader, which then
    // decodes none of them again.
    const char *problem = CheckDataBytes(bytes, checkedSize, GAME_DATA_SLOTS, DATA_PICTURES, nullptr, KeepDecodedJpeg,
                                         true, &checkedBitmaps);
    if (problem) {
        ForgetDecodedJpegs();
        ReleaseCheckedGameData();
    }
    return problem;
}

const char *CheckGameDataPicture(const char *path, int index, DataPicture &picture)
{
    picture = {{0, 0, false}, nullptr, 0, false};
    // Only the pages the walk reads: the headers and the one picture.
    const uint8_t *bytes = MapGameData(path, false);
    if (!bytes)
        return Refuse(DATA_UNREADABLE, DATA_FILENAME);
    const char *problem = CheckDataPicture(bytes, checkedSize, GAME_DATA_SLOTS, DATA_PICTURES, index, picture);
    if (problem)
        ReleaseCheckedGameData();
    return problem;
}
