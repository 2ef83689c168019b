// game.dat as start-up loads it: the bitmaps read in one go must be the
// library's own pictures to the last pixel, and the JPEG pictures left to
// decode later must come out as the decoder makes them, on first use or
// while the game idles.
#include <allegro.h>
#include <allegro/internal/aintern.h>
#include <jpgalleg.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

#include "library.h"
#include "platform/input.h"
#include "presentation/bitmapobject.h"
#include "presentation/datafile.h"
#include "presentation/jpegobject.h"

namespace {

const std::string GAME_DAT = std::string(PAPERLUNE_DATA_DIR) + "/game.dat";

void *BitmapLoader()
{
    for (int i = 0; i < MAX_DATAFILE_TYPES; i++)
        if (_datafile_type[i].type == DAT_BITMAP)
            return reinterpret_cast<void *>(_datafile_type[i].load);
    return nullptr;
}

// Pixels and depth equal, or the first place they differ.
std::string Differs(BITMAP *a, BITMAP *b)
{
    if (!a || !b)
        return "a picture is missing";
    if (a->w != b->w || a->h != b->h || bitmap_color_depth(a) != bitmap_color_depth(b))
        return "size or depth differs";
    for (int y = 0; y < a->h; y++)
        for (int x = 0; x < a->w; x++)
            if (getpixel(a, x, y) != getpixel(b, x, y))
                return "pixel " + std::to_string(x) + "," + std::to_string(y);
    return "";
}

void Put16(std::vector<uint8_t> &out, int v)
{
    out.push_back(uint8_t(v >> 8));
    out.push_back(uint8_t(v));
}

void Put32(std::vector<uint8_t> &out, uint32_t v)
{
    Put16(out, int(v >> 16));
    Put16(out, int(v & 0xFFFF));
}

// A bitmap object's stored bytes: depth, size, then a pattern of pixels of
// `pixelBytes` bytes each.
std::vector<uint8_t> BitmapBody(int depth, int w, int h, int pixelBytes)
{
    std::vector<uint8_t> body;
    Put16(body, depth);
    Put16(body, w);
    Put16(body, h);
    for (int i = 0; i < w * h * pixelBytes; i++)
        body.push_back(uint8_t(i * 37 + 11));
    return body;
}

// An uncompressed datafile holding the given bitmap bodies.
std::vector<uint8_t> Datafile(const std::vector<std::vector<uint8_t>> &bodies)
{
    std::vector<uint8_t> out;
    Put32(out, F_NOPACK_MAGIC);
    Put32(out, DAT_MAGIC);
    Put32(out, uint32_t(bodies.size()));
    for (const auto &body : bodies) {
        Put32(out, DAT_BITMAP);
        Put32(out, uint32_t(body.size()));
        Put32(out, uint32_t(body.size()));
        out.insert(out.end(), body.begin(), body.end());
    }
    return out;
}

std::string WriteScratch(const char *name, const std::vector<uint8_t> &bytes)
{
    std::string path = std::string("/tmp/paperlune-loading-") + std::to_string(getpid()) + "-" + name;
    FILE *f = fopen(path.c_str(), "wb");
    if (f) {
        fwrite(bytes.data(), 1, bytes.size(), f);
        fclose(f);
    }
    return path;
}

}  // namespace

TEST(Loading, BitmapsReadInOneGoAreTheLibrarysOwnPictures)
{
    StartLibrary(LIBRARY_TRUE_COLOUR | LIBRARY_JPEG);
    // Every depth the library knows, not only the game's own 32 bits.
    std::vector<std::vector<uint8_t>> bodies = {
        BitmapBody(32, 13, 7, 3), BitmapBody(24, 5, 9, 3), BitmapBody(16, 6, 4, 2),
        BitmapBody(15, 3, 3, 2),  BitmapBody(-32, 4, 5, 4),
    };
    std::string synthetic = WriteScratch("depths.dat", Datafile(bodies));

    // The library's pictures first, while its own loader is in place.
    void *libraryLoader = BitmapLoader();
    DATAFILE *gameRef = load_datafile(GAME_DAT.c_str());
    DATAFILE *synthRef = load_datafile(synthetic.c_str());
    ASSERT_NE(gameRef, nullptr);
    ASSERT_NE(synthRef, nullptr);
    RegisterBitmapObjects();
    ASSERT_NE(BitmapLoader(), libraryLoader) << "the game's loader did not take over";

    DATAFILE *game = load_datafile(GAME_DAT.c_str());
    DATAFILE *synth = load_datafile(synthetic.c_str());
    ASSERT_NE(game, nullptr);
    ASSERT_NE(synth, nullptr);
    int bitmaps = 0;
    for (int i = 0; gameRef[i].type != DAT_END; i++) {
        ASSERT_EQ(game[i].type, gameRef[i].type) << "position " << i;
        if (gameRef[i].type != DAT_BITMAP)
            continue;
        bitmaps++;
        EXPECT_EQ(Differs(static_cast<BITMAP *>(game[i].dat), static_cast<BITMAP *>(gameRef[i].dat)), "")
            << "position " << i;
    }
    EXPECT_GE(bitmaps, 12) << "the typing pages, the pointer and the sprites are bitmaps";
    for (size_t i = 0; i < bodies.size(); i++)
        EXPECT_EQ(Differs(static_cast<BITMAP *>(synth[i].dat), static_cast<BITMAP *>(synthRef[i].dat)), "")
            << "object " << i;

    // Bytes that hold no picture give none.
    std::vector<uint8_t> cut = BitmapBody(32, 4, 4, 3);
    cut.resize(cut.size() - 1);
    EXPECT_EQ(BitmapFromObject(cut.data(), cut.size()), nullptr);
    EXPECT_EQ(BitmapFromObject(cut.data(), 3), nullptr);

    unload_datafile(game);
    unload_datafile(synth);
    unload_datafile(gameRef);
    unload_datafile(synthRef);
    remove(synthetic.c_str());
}

TEST(Loading, JpegPicturesDecodedLaterAreThoseDecodedAtOnce)
{
    StartLibrary(LIBRARY_TRUE_COLOUR | LIBRARY_JPEG);
    DATAFILE *ref = load_datafile(GAME_DAT.c_str());   // the add-on's own loader
    ASSERT_NE(ref, nullptr);
    char *cwd = get_current_dir_name();   // the caller's to free
    std::string start = cwd;
    free(cwd);
    ASSERT_EQ(chdir(PAPERLUNE_DATA_DIR), 0);
    StartPictureLoading();
    ASSERT_EQ(LoadGameDataFile(), nullptr);
    ASSERT_EQ(chdir(start.c_str()), 0);

    // Nothing is decoded before it is wanted.
    std::vector<int> jpegs;
    for (int i = 0; ref[i].type != DAT_END; i++)
        if (ref[i].type == DAT_JPEG) {
            jpegs.push_back(i);
            EXPECT_TRUE(JpegWaiting(data[i].dat)) << "position " << i;
        }
    ASSERT_GE(jpegs.size(), 15u);

    // The first intro slide on its first use, alone.
    EXPECT_EQ(Differs(DataBitmap(INTRO_FIRST_IMAGE), static_cast<BITMAP *>(ref[INTRO_FIRST_IMAGE].dat)), "");
    EXPECT_FALSE(JpegWaiting(data[INTRO_FIRST_IMAGE].dat));
    EXPECT_TRUE(JpegWaiting(data[INTRO_FIRST_IMAGE + 1].dat));

    // The rest while the game rests; then every picture is the decoder's own.
    DisplayRest(2000);
    for (int i : jpegs) {
        EXPECT_FALSE(JpegWaiting(data[i].dat)) << "position " << i;
        EXPECT_EQ(Differs(static_cast<BITMAP *>(data[i].dat), static_cast<BITMAP *>(ref[i].dat)), "")
            << "position " << i;
    }
    UnloadGameDataFile();
    unload_datafile(ref);
}

// Start-up shows the first slide from the checked bytes of that picture
// alone: it is the decoder's own picture, nothing else is loaded until
// another picture is asked for, and then the first one stays as it was.
TEST(Loading, TheFirstSlideShowsBeforeTheRestIsLoaded)
{
    StartLibrary(LIBRARY_TRUE_COLOUR | LIBRARY_JPEG);
    DATAFILE *ref = load_datafile(GAME_DAT.c_str());   // the add-on's own loader
    ASSERT_NE(ref, nullptr);
    std::string start = get_current_dir_name();
    ASSERT_EQ(chdir(PAPERLUNE_DATA_DIR), 0);
    StartPictureLoading();
    ASSERT_EQ(OpenGameDataFile(INTRO_FIRST_IMAGE), nullptr);
    EXPECT_EQ(data, nullptr) << "the rest waits until the first slide shows";
    BITMAP *first = DataBitmap(INTRO_FIRST_IMAGE);
    EXPECT_EQ(Differs(first, static_cast<BITMAP *>(ref[INTRO_FIRST_IMAGE].dat)), "");

    // Any other picture checks and loads the rest first.
    BITMAP *next = DataBitmap(INTRO_FIRST_IMAGE + 1);
    ASSERT_EQ(chdir(start.c_str()), 0);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(Differs(next, static_cast<BITMAP *>(ref[INTRO_FIRST_IMAGE + 1].dat)), "");
    EXPECT_EQ(Differs(DataBitmap(MENU_BACKGROUND), static_cast<BITMAP *>(ref[MENU_BACKGROUND].dat)), "");
    EXPECT_EQ(DataBitmap(INTRO_FIRST_IMAGE), first) << "a fade begun with the first slide keeps it";
    EXPECT_EQ(LoadGameDataFile(), nullptr);
    EXPECT_EQ(DataBitmap(INTRO_FIRST_IMAGE), first);
    UnloadGameDataFile();
    unload_datafile(ref);
}
