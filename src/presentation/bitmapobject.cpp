#include "presentation/bitmapobject.h"

#include <allegro/internal/aintern.h>

#include <cstring>
#include <vector>

// What the game's own files hold: 32-bit pictures stored as three bytes a
// pixel, red first. Anything else goes to the library's loader.
static const int BITMAP_OWN_DEPTH = 32;
static const int BITMAP_OWN_PIXEL_BYTES = 3;
static const size_t BITMAP_HEADER = 6;   // depth, width, height

static void *(*libraryLoad)(PACKFILE *f, long size) = nullptr;
static void (*libraryDestroy)(void *picture) = nullptr;

static int Big16(const uint8_t *p)
{
    return p[0] << 8 | p[1];
}

// Bytes held in memory, read as a packfile, for the library's loader.
struct Bytes {
    const uint8_t *p;
    long size, at;
};

static int BytesClose(void *)
{
    return 0;
}

static int BytesGetc(void *user)
{
    Bytes *b = static_cast<Bytes *>(user);
    return b->at < b->size ? b->p[b->at++] : EOF;
}

static int BytesUngetc(int c, void *user)
{
    Bytes *b = static_cast<Bytes *>(user);
    if (b->at == 0)
        return EOF;
    b->at--;
    return c;
}

static long BytesRead(void *out, long n, void *user)
{
    Bytes *b = static_cast<Bytes *>(user);
    long got = n < b->size - b->at ? n : b->size - b->at;
    if (got > 0) {
        memcpy(out, b->p + b->at, size_t(got));
        b->at += got;
    }
    return got > 0 ? got : 0;
}

static int BytesPutc(int, void *)
{
    return EOF;
}

static long BytesWrite(const void *, long, void *)
{
    return 0;
}

static int BytesSeek(void *user, int offset)
{
    Bytes *b = static_cast<Bytes *>(user);
    if (offset < 0 || offset > b->size - b->at)
        return -1;
    b->at += offset;
    return 0;
}

static int BytesEof(void *user)
{
    Bytes *b = static_cast<Bytes *>(user);
    return b->at >= b->size;
}

static int BytesError(void *)
{
    return 0;
}

static const PACKFILE_VTABLE BYTES_VTABLE = {
    BytesClose, BytesGetc, BytesUngetc, BytesRead, BytesPutc, BytesWrite, BytesSeek, BytesEof, BytesError,
};

// The library's loader, on bytes already read.
static BITMAP *LibraryBitmap(const uint8_t *body, size_t size)
{
    if (!libraryLoad)
        return nullptr;
    Bytes bytes = {body, long(size), 0};
    PACKFILE *f = pack_fopen_vtable(&BYTES_VTABLE, &bytes);
    if (!f)
        return nullptr;
    BITMAP *picture = static_cast<BITMAP *>(libraryLoad(f, long(size)));
    pack_fclose(f);
    return picture;
}

// The pixels of a whole 32-bit object into a picture of its size.
static void Fill(BITMAP *picture, const uint8_t *body)
{
    const uint8_t *p = body + BITMAP_HEADER;
    for (int y = 0; y < picture->h; y++) {
        uint32_t *row = reinterpret_cast<uint32_t *>(picture->line[y]);
        for (int x = 0; x < picture->w; x++, p += BITMAP_OWN_PIXEL_BYTES)
            row[x] = makecol32(p[0], p[1], p[2]);
    }
}

BITMAP *BitmapFromObject(const uint8_t *body, size_t size)
{
    if (size < BITMAP_HEADER)
        return nullptr;
    int depth = int16_t(Big16(body));
    int w = Big16(body + 2), h = Big16(body + 4);
    if (depth != BITMAP_OWN_DEPTH || get_color_depth() != BITMAP_OWN_DEPTH)
        return LibraryBitmap(body, size);
    if (w < 1 || h < 1 || size != BITMAP_HEADER + size_t(w) * size_t(h) * BITMAP_OWN_PIXEL_BYTES)
        return nullptr;
    BITMAP *picture = create_bitmap_ex(BITMAP_OWN_DEPTH, w, h);
    if (!picture)
        return nullptr;
    Fill(picture, body);
    return picture;
}

// A stand-in the loader handed out, and the bytes it waits for.
struct WaitingBitmap {
    BITMAP *picture;
    const uint8_t *body;
};

static std::deque<std::pair<const uint8_t *, size_t>> offered;
static std::vector<WaitingBitmap> waiting;

void OfferBitmapBytes(const std::vector<std::pair<const uint8_t *, size_t>> &objects)
{
    offered.assign(objects.begin(), objects.end());
}

bool BitmapWaiting(const void *picture)
{
    for (const WaitingBitmap &w : waiting)
        if (w.picture == picture)
            return true;
    return false;
}

void FinishBitmap(void *picture)
{
    for (size_t i = 0; i < waiting.size(); i++)
        if (waiting[i].picture == picture) {
            Fill(waiting[i].picture, waiting[i].body);
            waiting.erase(waiting.begin() + long(i));
            return;
        }
}

// The next offered object's stand-in, when it is this one: same size, and
// a whole 32-bit picture. The file's own bytes are passed over.
static BITMAP *StandIn(PACKFILE *f, long size)
{
    if (offered.empty())
        return nullptr;
    auto [body, bodySize] = offered.front();
    offered.pop_front();
    if (bodySize != size_t(size) || size_t(size) < BITMAP_HEADER || int16_t(Big16(body)) != BITMAP_OWN_DEPTH ||
        get_color_depth() != BITMAP_OWN_DEPTH)
        return nullptr;
    int w = Big16(body + 2), h = Big16(body + 4);
    if (w < 1 || h < 1 || bodySize != BITMAP_HEADER + size_t(w) * size_t(h) * BITMAP_OWN_PIXEL_BYTES)
        return nullptr;
    BITMAP *picture = create_bitmap_ex(BITMAP_OWN_DEPTH, w, h);
    if (!picture)
        return nullptr;
    if (pack_fseek(f, int(size)) != 0) {
        destroy_bitmap(picture);
        return nullptr;
    }
    waiting.push_back({picture, body});
    return picture;
}

static void *LoadBitmapObject(PACKFILE *f, long size)
{
    if (size <= 0)
        return nullptr;
    if (BITMAP *picture = StandIn(f, size))
        return picture;
    std::vector<uint8_t> body(static_cast<size_t>(size));
    if (pack_fread(body.data(), size, f) != size)
        return nullptr;
    return BitmapFromObject(body.data(), body.size());
}

static void DestroyBitmapObject(void *picture)
{
    for (size_t i = 0; i < waiting.size(); i++)
        if (waiting[i].picture == picture) {
            waiting.erase(waiting.begin() + long(i));
            break;
        }
    if (libraryDestroy)
        libraryDestroy(picture);
}

void RegisterBitmapObjects()
{
    if (libraryLoad)
        return;
    for (int i = 0; i < MAX_DATAFILE_TYPES; i++)
        if (_datafile_type[i].type == DAT_BITMAP) {
            libraryLoad = _datafile_type[i].load;
            libraryDestroy = _datafile_type[i].destroy;
        }
    // Without the library's own entry there is nothing to fall back on.
    if (libraryLoad)
        register_datafile_object(DAT_BITMAP, LoadBitmapObject, DestroyBitmapObject);
}
