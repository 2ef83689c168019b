#include "datwriter.h"

#include <png.h>

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

std::vector<uint8_t> EncodeDatafile(const std::vector<DatObject> &objects)
{
    std::vector<uint8_t> out;
    PutBig32(out, PACK_NONE_MAGIC);
    PutBig32(out, DATAFILE_MAGIC);
    PutBig32(out, objects.size());
    for (const DatObject &object : objects) {
        if (!object.name.empty()) {
            PutBig32(out, PROPERTY_MAGIC);
            PutBig32(out, TYPE_NAME);
            PutBig32(out, object.name.size());
            out.insert(out.end(), object.name.begin(), object.name.end());
        }
        const std::vector<uint8_t> body = object.jpeg ? object.bytes : BitmapBody(object);
        PutBig32(out, object.jpeg ? TYPE_JPEG : TYPE_BITMAP);
        PutBig32(out, body.size());   // stored size
        PutBig32(out, body.size());   // positive: not compressed
        out.insert(out.end(), body.begin(), body.end());
    }
    return out;
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
