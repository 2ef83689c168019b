// The pieces the game stands on: path names, the fade, and game.dat as the
// packer writes it and the library loads it.
#include <allegro.h>
#include <jpgalleg.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "datwriter.h"
#include "library.h"
#include "scratch.h"
#include "platform/path.h"
#include "presentation/datafile.h"
#include "platform/geometry.h"
#include "presentation/show.h"

namespace {

const int LIBRARY_PARTS = LIBRARY_TRUE_COLOUR | LIBRARY_JPEG;

// A pixel as 0xRRGGBB whatever channel order the library chose without a screen.
uint32_t Rgb(int pixel)
{
    return uint32_t(getr32(pixel)) << 16 | uint32_t(getg32(pixel)) << 8 | uint32_t(getb32(pixel));
}

DatObject SolidBitmap(int w, int h, uint32_t color)
{
    DatObject o;
    o.jpeg = false;
    o.width = w;
    o.height = h;
    o.pixels.assign(size_t(w) * h, color);
    return o;
}

}  // namespace

TEST(Foundation, GamePathsUseThePlatformSeparator)
{
    EXPECT_EQ(NativePath("Fonts\\typewriter.ttf"), "Fonts/typewriter.ttf");
    EXPECT_EQ(NativePath("music\\Vantu - letters.ogg"), "music/Vantu - letters.ogg");
    EXPECT_EQ(NativePath("game.dat"), "game.dat");
    EXPECT_EQ(NativePath(nullptr), "");
}

TEST(Foundation, FadeRunsThirtyTwoWeightsFromZeroTo248)
{
    std::vector<int> weights;
    for (int step = 0; step < SHOW_STEPS; step++)
        weights.push_back(ShowWeight(step));
    ASSERT_EQ(weights.size(), 32u);
    EXPECT_EQ(weights.front(), 0);
    EXPECT_EQ(weights.back(), 248);
    for (size_t i = 1; i < weights.size(); i++)
        EXPECT_EQ(weights[i] - weights[i - 1], 8);
}

TEST(Foundation, FadeStepBlendsOnlyTheTargetsOwnOpaqueArea)
{
    StartLibrary(LIBRARY_PARTS);
    BITMAP *work = create_bitmap_ex(32, 64, 48);
    BITMAP *target = create_bitmap_ex(32, 16, 16);   // smaller than the "screen"
    clear_to_color(work, makecol32(0, 0, 0));
    clear_to_color(target, makecol32(200, 100, 50));
    putpixel(target, 3, 3, makecol32(255, 0, 255));   // mask colour

    ShowBlendStep(work, target, 0);
    EXPECT_EQ(getpixel(work, 5, 5), makecol32(0, 0, 0)) << "weight 0 leaves the old picture";

    ShowBlendStep(work, target, 128);
    int blended = getpixel(work, 5, 5);
    EXPECT_NEAR(getr32(blended), 100, 2);
    EXPECT_NEAR(getg32(blended), 50, 2);
    EXPECT_EQ(getpixel(work, 3, 3), makecol32(0, 0, 0)) << "mask pixels are skipped";
    EXPECT_EQ(getpixel(work, 20, 20), makecol32(0, 0, 0)) << "outside the target nothing changes";

    // Steps accumulate: after the full run the picture is close to the target.
    for (int step = 0; step < SHOW_STEPS; step++)
        ShowBlendStep(work, target, ShowWeight(step));
    EXPECT_NEAR(getr32(getpixel(work, 5, 5)), 200, 3);
    destroy_bitmap(target);
    destroy_bitmap(work);
}

// The fade leaves its step of weight 0 out: the next step must make the
// same picture without it, whatever the top bytes and the mask pixels.
TEST(Foundation, FadeStepOfWeightZeroChangesNothingTheNextStepMakes)
{
    StartLibrary(LIBRARY_PARTS);
    BITMAP *before = create_bitmap_ex(32, 37, 23);
    BITMAP *target = create_bitmap_ex(32, 29, 31);   // narrower and taller
    uint32_t x = 2463534242u;
    auto next = [&x] {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        return x;
    };
    for (int yy = 0; yy < before->h; yy++)
        for (int xx = 0; xx < before->w; xx++)
            reinterpret_cast<uint32_t *>(before->line[yy])[xx] = next();
    for (int yy = 0; yy < target->h; yy++)
        for (int xx = 0; xx < target->w; xx++) {
            uint32_t c = next();
            reinterpret_cast<uint32_t *>(target->line[yy])[xx] = c % 5 == 0 ? MASK_COLOR_32 : c;
        }
    BITMAP *withZero = create_bitmap_ex(32, before->w, before->h);
    BITMAP *without = create_bitmap_ex(32, before->w, before->h);
    blit(before, withZero, 0, 0, 0, 0, before->w, before->h);
    blit(before, without, 0, 0, 0, 0, before->w, before->h);
    ShowBlendStep(withZero, target, ShowWeight(0));
    ShowBlendStep(withZero, target, ShowWeight(1));
    ShowBlendStep(without, target, ShowWeight(1));
    int differences = 0;
    for (int yy = 0; yy < before->h; yy++)
        differences += memcmp(withZero->line[yy], without->line[yy], size_t(before->w) * 4) != 0;
    EXPECT_EQ(differences, 0) << "rows that differ";
    destroy_bitmap(without);
    destroy_bitmap(withZero);
    destroy_bitmap(target);
    destroy_bitmap(before);
}

TEST(Foundation, PackedDatafileLoadsBothKindsWithTheMaskKept)
{
    StartLibrary(LIBRARY_PARTS);
    // A JPEG made by the add-on itself, to be stored as it is.
    BITMAP *photo = create_bitmap_ex(32, 40, 30);
    clear_to_color(photo, makecol32(30, 120, 220));
    std::string jpgPath = ScratchFile("photo.jpg");
    ASSERT_EQ(save_jpg(jpgPath.c_str(), photo, nullptr), 0);
    destroy_bitmap(photo);

    DatObject sprite = SolidBitmap(5, 4, 0x123456);
    sprite.pixels[0] = DAT_MASK_COLOR;
    sprite.pixels[19] = 0xFFFFFF;
    DatObject jpeg;
    jpeg.jpeg = true;
    ASSERT_TRUE(LoadFileBytes(jpgPath, jpeg.bytes));
    std::vector<DatObject> objects = {sprite, jpeg};
    objects[0].name = "SPRITE";

    std::string datPath = ScratchFile("two.dat");
    ASSERT_TRUE(WriteBytes(datPath, EncodeDatafile(objects)));
    DATAFILE *file = load_datafile(datPath.c_str());
    ASSERT_NE(file, nullptr);

    ASSERT_EQ(file[0].type, DAT_BITMAP);
    BITMAP *b = static_cast<BITMAP *>(file[0].dat);
    EXPECT_EQ(b->w, 5);
    EXPECT_EQ(b->h, 4);
    EXPECT_EQ(bitmap_color_depth(b), 32);
    EXPECT_EQ(getpixel(b, 0, 0), bitmap_mask_color(b));
    EXPECT_EQ(Rgb(getpixel(b, 0, 0)), 0xFF00FFu);
    EXPECT_EQ(Rgb(getpixel(b, 1, 0)), 0x123456u);
    EXPECT_EQ(Rgb(getpixel(b, 4, 3)), 0xFFFFFFu);

    ASSERT_EQ(file[1].type, DAT_JPEG);
    BITMAP *j = static_cast<BITMAP *>(file[1].dat);
    ASSERT_NE(j, nullptr);
    EXPECT_EQ(j->w, 40);
    EXPECT_EQ(j->h, 30);
    int p = getpixel(j, 20, 15);
    EXPECT_NEAR(getb32(p), 220, 6);
    EXPECT_NEAR(getr32(p), 30, 6);
    EXPECT_EQ(file[2].type, DAT_END);

    unload_datafile(file);
    remove(datPath.c_str());
    remove(jpgPath.c_str());
}

TEST(Foundation, OpaqueMaskColouredPixelsAreNudgedOffTheMask)
{
    // A PNG whose opaque pixel is exactly the mask colour must not turn
    // transparent, and a clear pixel must become exactly the mask.
    StartLibrary(LIBRARY_PARTS);
    BITMAP *img = create_bitmap_ex(32, 2, 1);
    putpixel(img, 0, 0, makecol32(255, 0, 255));
    putpixel(img, 1, 0, makecol32(10, 20, 30));
    std::string bmpPath = ScratchFile("pink.bmp");
    ASSERT_EQ(save_bitmap(bmpPath.c_str(), img, nullptr), 0);
    destroy_bitmap(img);
    std::string pngPath = ScratchFile("pink.png");
    std::string cmd = "convert '" + bmpPath + "' '" + pngPath + "' 2>/dev/null";
    if (system(cmd.c_str()) != 0)
        GTEST_SKIP() << "ImageMagick is needed to make the PNG";
    DatObject o;
    std::string error;
    ASSERT_TRUE(LoadPngObject(pngPath, o, error)) << error;
    EXPECT_EQ(o.pixels[0], DAT_MASK_NUDGED);
    EXPECT_EQ(o.pixels[1], 0x0A141Eu);
    remove(bmpPath.c_str());
    remove(pngPath.c_str());
}

TEST(Foundation, GameDataCheckNamesWhatIsWrong)
{
    StartLibrary(LIBRARY_PARTS);
    EXPECT_NE(CheckGameData(nullptr), nullptr);

    std::vector<DatObject> objects;
    for (int i = 0; i < 20; i++)
        objects.push_back(SolidBitmap(4, 4, 0x808080));
    std::string path = ScratchFile("short.dat");
    ASSERT_TRUE(WriteBytes(path, EncodeDatafile(objects)));
    DATAFILE *file = load_datafile(path.c_str());
    ASSERT_NE(file, nullptr);
    const char *message = CheckGameData(file);
    ASSERT_NE(message, nullptr);
    EXPECT_NE(std::string(message).find("20"), std::string::npos) << message;
    unload_datafile(file);

    while (objects.size() < 33)
        objects.push_back(SolidBitmap(4, 4, 0x808080));
    ASSERT_TRUE(WriteBytes(path, EncodeDatafile(objects)));
    file = load_datafile(path.c_str());
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(CheckGameData(file), nullptr);
    unload_datafile(file);
    remove(path.c_str());
}
