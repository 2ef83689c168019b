// datafile_seeds OUTDIR
// Writes the seed datafiles of the datafile fuzz target: small files of the
// shapes the walk knows, with and without checksums, each a few KB. Progressive
// and restart-marked JPEGs come from ImageMagick's convert when it is there.
#include <allegro.h>
#include <jpgalleg.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "datwriter.h"
#include "library.h"

static const char USAGE[] = "usage: datafile_seeds OUTDIR\n";
static const int JPEG_QUALITY = 75;
static const int SPRITE_W = 9, SPRITE_H = 8;
static const int GAME_OBJECTS = 33;

static std::string outDir;

static std::vector<uint8_t> Jpeg(int w, int h, int flags)
{
    BITMAP *picture = create_bitmap_ex(32, w, h);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++)
            putpixel(picture, x, y, makecol32(x * 255 / w, y * 255 / h, (x ^ y) * 16));
    std::vector<uint8_t> bytes(size_t(w) * h * 4 + 4096);
    int size = int(bytes.size());
    int result = save_memory_jpg_ex(bytes.data(), &size, picture, nullptr, JPEG_QUALITY, flags, nullptr);
    destroy_bitmap(picture);
    bytes.resize(result == 0 ? size_t(size) : 0);
    return bytes;
}

// A JPEG of ImageMagick's with extra options; empty when convert is missing.
static std::vector<uint8_t> ConvertedJpeg(const std::string &options)
{
    std::string path = "/tmp/datafile-seed-" + std::to_string(getpid()) + ".jpg";
    std::string command = "convert -size 16x16 gradient:red-blue -quality 70 " + options + " '" + path
                        + "' 2>/dev/null";
    std::vector<uint8_t> bytes;
    if (system(command.c_str()) == 0)
        LoadFileBytes(path, bytes);
    remove(path.c_str());
    return bytes;
}

static DatObject JpegObject(const std::vector<uint8_t> &bytes)
{
    DatObject o;
    o.jpeg = true;
    o.bytes = bytes;
    return o;
}

static DatObject Bitmap(int w, int h, bool masked)
{
    DatObject o;
    o.jpeg = false;
    o.width = w;
    o.height = h;
    for (int i = 0; i < w * h; i++)
        o.pixels.push_back(masked && i % 3 == 0 ? DAT_MASK_COLOR : uint32_t(0x102030 * (i + 1)) & 0xFFFFFF);
    return o;
}

static bool Write(const char *name, const std::vector<DatObject> &objects, bool checksums)
{
    for (const DatObject &o : objects)
        if (o.jpeg && o.bytes.empty()) {
            fprintf(stderr, "datafile_seeds: skipped %s (no JPEG)\n", name);
            return true;
        }
    std::vector<uint8_t> bytes = EncodeDatafile(objects, checksums);
    std::string path = outDir + "/" + name;
    FILE *f = fopen(path.c_str(), "wb");
    bool ok = f && fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    if (f && fclose(f) != 0)
        ok = false;
    if (!ok)
        fprintf(stderr, "datafile_seeds: cannot write %s\n", path.c_str());
    return ok;
}

int main(int argc, char **argv)
{
    if (argc != 2) {
        fputs(USAGE, stderr);
        return 2;
    }
    outDir = argv[1];
    StartLibrary(LIBRARY_TRUE_COLOUR | LIBRARY_JPEG);

    DatObject pointer = Bitmap(3, 2, true);
    DatObject sprite = Bitmap(SPRITE_W, SPRITE_H, false);
    DatObject named = sprite;
    named.name = "PICTURE_0";
    DatObject small = Bitmap(2, 2, false);
    std::vector<DatObject> game = {sprite};
    while (game.size() < size_t(GAME_OBJECTS))
        game.push_back(small);

    // The target's slots: a picture of at least 8 x 8, a bitmap, anything.
    bool ok = Write("bitmaps.dat", {named, pointer, sprite}, true)
           && Write("bitmaps-plain.dat", {sprite, pointer, small}, false)
           && Write("jpeg444.dat", {JpegObject(Jpeg(16, 12, JPG_SAMPLING_444)), pointer, small}, true)
           && Write("jpeg420-plain.dat", {JpegObject(Jpeg(17, 9, JPG_SAMPLING_411)), pointer, sprite}, false)
           && Write("jpeg422-plain.dat", {JpegObject(Jpeg(16, 8, JPG_SAMPLING_422)), pointer,
                                          JpegObject(Jpeg(8, 8, JPG_GREYSCALE))}, false)
           && Write("jpeg-grey-optimised.dat", {JpegObject(Jpeg(12, 12, JPG_GREYSCALE | JPG_OPTIMIZE)), pointer,
                                                small}, true)
           && Write("jpeg-progressive-plain.dat", {JpegObject(ConvertedJpeg("-interlace Plane")), pointer, small},
                    false)
           && Write("jpeg-restarts-plain.dat", {JpegObject(ConvertedJpeg("-define jpeg:restart-interval=1")),
                                                pointer, small}, false)
           && Write("thirty-three.dat", game, true);
    return ok ? 0 : 1;
}
