#include "presentation/jpegobject.h"

#include <allegro.h>
#include <jpgalleg.h>

#include <deque>
#include <vector>

#include "presentation/datanames.h"

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

static const char JPEG_SIZE[] = "its size is out of range";

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

static int Big16(const uint8_t *p)
{
    return p[0] << 8 | p[1];
}

// Stream structure ---------------------------------------------------------

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
        return JPEG_SIZE;
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

const char *CheckJpegStream(const uint8_t *p, size_t size, int &width, int &height)
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
    width = s.width;
    height = s.height;
    return nullptr;
}

// Decoding -------------------------------------------------------------------

// The add-on reads a little past the end of its input when the picture data
// runs short (some 25 bytes seen); zeros there keep what it makes of a stream
// from depending on whatever lies next in memory, so that the trial and the
// loader decode the same bytes the same way.
static BITMAP *DecodeJpeg(std::vector<uint8_t> &padded, size_t size)
{
    padded.resize(size + JPEG_READ_SLACK, 0);
    return load_memory_jpg(padded.data(), int(size), nullptr);
}

// A picture from a trial, waiting for the loader, and the stream it came from.
struct KeptJpeg {
    size_t size;
    uint32_t checksum;
    BITMAP *picture;
};

// In file order, the order the loader asks for them.
static std::deque<KeptJpeg> kept;

// A stand-in the loader handed out, and the stream it waits for.
struct WaitingJpeg {
    BITMAP *picture;
    std::vector<uint8_t> stream;
};

static bool deferring = false;
static std::vector<WaitingJpeg> waiting;

// The picture of a stream, or null when it does not decode to the size its
// frame header states.
static BITMAP *TrialDecode(const uint8_t *bytes, size_t size, int width, int height)
{
    std::vector<uint8_t> padded(bytes, bytes + size);
    BITMAP *picture = DecodeJpeg(padded, size);
    if (picture && (picture->w != width || picture->h != height)) {
        destroy_bitmap(picture);
        picture = nullptr;
    }
    return picture;
}

BITMAP *DecodeDataJpeg(const uint8_t *bytes, size_t size, int width, int height)
{
    return TrialDecode(bytes, size, width, height);
}

bool DataJpegDecodes(const uint8_t *bytes, size_t size, int width, int height)
{
    BITMAP *picture = TrialDecode(bytes, size, width, height);
    if (!picture)
        return false;
    destroy_bitmap(picture);
    return true;
}

bool KeepDecodedJpeg(const uint8_t *bytes, size_t size, int width, int height)
{
    BITMAP *picture = TrialDecode(bytes, size, width, height);
    if (picture)
        kept.push_back({size, DataChecksum(bytes, size), picture});
    return picture != nullptr;
}

void ForgetDecodedJpegs()
{
    for (const KeptJpeg &k : kept)
        destroy_bitmap(k.picture);
    kept.clear();
}

void DeferJpegDecoding(bool on)
{
    deferring = on;
}

bool JpegWaiting(const void *picture)
{
    for (const WaitingJpeg &w : waiting)
        if (w.picture == picture)
            return true;
    return false;
}

void FinishJpeg(void *picture)
{
    for (size_t i = 0; i < waiting.size(); i++) {
        if (waiting[i].picture != picture)
            continue;
        WaitingJpeg w = std::move(waiting[i]);
        waiting.erase(waiting.begin() + i);
        size_t size = w.stream.size();
        BITMAP *decoded = DecodeJpeg(w.stream, size);
        if (decoded && decoded->w == w.picture->w && decoded->h == w.picture->h)
            blit(decoded, w.picture, 0, 0, 0, 0, decoded->w, decoded->h);
        else
            clear_to_color(w.picture, 0);
        if (decoded)
            destroy_bitmap(decoded);
        return;
    }
}

// A blank picture of the stream's size, its stream kept to decode later;
// null when the stream's frame cannot be read.
static BITMAP *StandIn(std::vector<uint8_t> &stream)
{
    int width = 0, height = 0;
    if (CheckJpegStream(stream.data(), stream.size(), width, height))
        return nullptr;
    // Not cleared: no one sees it before it is decoded or found black, and
    // clearing twenty pictures at once is most of what they cost at start-up.
    BITMAP *picture = create_bitmap(width, height);
    if (!picture)
        return nullptr;
    waiting.push_back({picture, std::move(stream)});
    return picture;
}

static void *LoadJpegObject(PACKFILE *f, long size)
{
    if (size <= 0)
        return nullptr;
    std::vector<uint8_t> padded(static_cast<size_t>(size));
    if (pack_fread(padded.data(), size, f) != size)
        return nullptr;
    // The next kept picture is this object's when the bytes are those tried;
    // a file changed since the trial is decoded afresh.
    if (!kept.empty()) {
        KeptJpeg next = kept.front();
        kept.pop_front();
        if (next.size == size_t(size) && next.checksum == DataChecksum(padded.data(), padded.size()))
            return next.picture;
        destroy_bitmap(next.picture);
    }
    if (deferring)
        if (BITMAP *picture = StandIn(padded))
            return picture;
    return DecodeJpeg(padded, size_t(size));
}

static void DestroyJpegObject(void *picture)
{
    if (!picture)
        return;
    for (size_t i = 0; i < waiting.size(); i++)
        if (waiting[i].picture == picture) {
            waiting.erase(waiting.begin() + i);
            break;
        }
    destroy_bitmap(static_cast<BITMAP *>(picture));
}

void RegisterJpegObjects()
{
    register_datafile_object(DAT_JPEG, LoadJpegObject, DestroyJpegObject);
}
