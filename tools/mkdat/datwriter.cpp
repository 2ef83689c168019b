#include "datwriter.h"

#include <png.h>

#include "presentation/datacheck.h"

#include <cstdio>
#include <cstring>

static const uint32_t PACK_NONE_MAGIC = 0x736C682E;   // "slh.": not compressed
static const uint32_t DATAFILE_MAGIC  = 0x414C4C2E;   // "ALL."
static const uint32_t PROPERTY_MAGIC  = 0x70726F70;   // "prop"
static const uint32_t TYPE_NAME       = 0x4E414D45;   // "NAME"
static const uint32_t TYPE_BITMAP     = 0x424D5020;   // "BMP "
static const uint32_t TYPE_JPEG       = 0x4A504547;   // "JPEG"
static const int BITMAP_DEPTH = 32;                   // stored as three bytes a pixel
static const int ALPHA_OPAQUE_FROM = 128;

static void PutBig32(std::vector<uint8_t> &out, uint32_t v)
{
    out.push_back(v >> 24);
    out.push_back(v >> 16);
    out.push_back(v >> 8);
    out.push_back(v);
}

static void PutBig16(std::vector<uint8_t> &out, uint16_t v)
{
    out.push_back(v >> 8);
    out.push_back(v);
}

static std::vector<uint8_t> BitmapBody(const DatObject &object)
{
    std::vector<uint8_t> body;
    body.reserve(6 + object.pixels.size() * 3);
    PutBig16(body, BITMAP_DEPTH);
    PutBig16(body, object.width);
    PutBig16(body, object.height);
    for (uint32_t p : object.pixels) {
        body.push_back(p >> 16);
        body.push_back(p >> 8);
        body.push_back(p);
    }
    return body;
}

static void PutProperty(std::vector<uint8_t> &out, uint32_t id, const std::string &text)
{
    PutBig32(out, PROPERTY_MAGIC);
    PutBig32(out, id);
    PutBig32(out, text.size());
    out.insert(out.end(), text.begin(), text.end());
}

std::vector<uint8_t> EncodeDatafile(const std::vector<DatObject> &objects, bool checksums)
{
    std::vector<uint8_t> out;
    PutBig32(out, PACK_NONE_MAGIC);
    PutBig32(out, DATAFILE_MAGIC);
    PutBig32(out, objects.size());
    for (const DatObject &object : objects) {
        if (!object.name.empty())
            PutProperty(out, TYPE_NAME, object.name);
        const std::vector<uint8_t> body = object.jpeg ? object.bytes : BitmapBody(object);
        std::vector<uint8_t> header;
        PutBig32(header, object.jpeg ? TYPE_JPEG : TYPE_BITMAP);
        PutBig32(header, body.size());   // stored size
        PutBig32(header, body.size());   // positive: not compressed
        if (checksums) {
            // The game checks it before the library decodes a byte of the object.
            uint32_t crc = DataChecksum(header.data(), header.size());
            crc = DataChecksum(body.data(), body.size(), crc);
            char text[9];
            DataChecksumText(crc, text);
            PutProperty(out, DATA_CHECKSUM_PROPERTY, text);
        }
        out.insert(out.end(), header.begin(), header.end());
        out.insert(out.end(), body.begin(), body.end());
    }
    return out;
}

static uint32_t GetBig32(const std::vector<uint8_t> &in, size_t at)
{
    return uint32_t(in[at]) << 24 | uint32_t(in[at + 1]) << 16 | uint32_t(in[at + 2]) << 8 | in[at + 3];
}

std::vector<DatSpan> DatafileSpans(const std::vector<uint8_t> &bytes)
{
    std::vector<DatSpan> spans;
    const size_t HEADER = 12;   // magics and object count
    if (bytes.size() < HEADER)
        return spans;
    size_t at = HEADER;
    for (uint32_t i = 0, count = GetBig32(bytes, 8); i < count && at + 12 <= bytes.size(); i++) {
        DatSpan span;
        span.start = at;
        while (at + 12 <= bytes.size() && GetBig32(bytes, at) == PROPERTY_MAGIC)
            at += 12 + GetBig32(bytes, at + 8);
        if (at + 12 > bytes.size())
            break;
        span.header = at;
        span.data = at + 12;
        span.end = span.data + GetBig32(bytes, at + 4);
        if (span.end > bytes.size())
            break;
        spans.push_back(span);
        at = span.end;
    }
    return spans;
}

bool LoadFileBytes(const std::string &path, std::vector<uint8_t> &bytes)
{
    FILE *f = fopen(path.c_str(), "rb");
    if (!f)
        return false;
    bytes.clear();
    uint8_t chunk[65536];
    size_t n;
    while ((n = fread(chunk, 1, sizeof chunk, f)) > 0)
        bytes.insert(bytes.end(), chunk, chunk + n);
    bool ok = !ferror(f);
    fclose(f);
    return ok;
}

bool LoadPngObject(const std::string &path, DatObject &object, std::string &error)
{
    png_image image;
    memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) {
        error = path + ": " + image.message;
        return false;
    }
    image.format = PNG_FORMAT_RGBA;
    std::vector<uint8_t> rgba(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr)) {
        error = path + ": " + image.message;
        png_image_free(&image);
        return false;
    }
    object.jpeg = false;
    object.width = image.width;
    object.height = image.height;
    object.pixels.resize(size_t(image.width) * image.height);
    for (size_t i = 0; i < object.pixels.size(); i++) {
        const uint8_t *p = &rgba[i * 4];
        uint32_t rgb = (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2];
        if (p[3] < ALPHA_OPAQUE_FROM)
            rgb = DAT_MASK_COLOR;
        else if (rgb == DAT_MASK_COLOR)
            rgb = DAT_MASK_NUDGED;
        object.pixels[i] = rgb;
    }
    return true;
}
