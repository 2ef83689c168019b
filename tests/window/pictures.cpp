// Reference pictures: the test loads game.dat the way the game does, so a
// screenshot can be compared with what a picture should look like.
#include "harness.h"

#include <allegro.h>

#include <map>
#include <string>

#include "library.h"

namespace harness {

static DATAFILE *pictures = nullptr;

// Without a screen the library may order the channels otherwise than X does.
static uint32_t Rgb(int pixel)
{
    return uint32_t(getr32(pixel)) << 16 | uint32_t(getg32(pixel)) << 8 | uint32_t(getb32(pixel));
}

static int Native(uint32_t rgb)
{
    return makecol32((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}
static std::map<int, Image> cache;

static void LoadPictures()
{
    if (pictures)
        return;
    StartLibrary(LIBRARY_TRUE_COLOUR | LIBRARY_JPEG);
    std::string path = std::string(PAPERLUNE_DATA_DIR) + "/game.dat";
    pictures = load_datafile(path.c_str());
}

Image DataPicture(int index)
{
    auto found = cache.find(index);
    if (found != cache.end())
        return found->second;
    LoadPictures();
    Image image;
    if (!pictures)
        return image;
    BITMAP *b = static_cast<BITMAP *>(pictures[index].dat);
    image.w = b->w;
    image.h = b->h;
    image.px.resize(size_t(b->w) * b->h);
    for (int y = 0; y < b->h; y++)
        for (int x = 0; x < b->w; x++)
            image.px[size_t(y) * b->w + x] = Rgb(getpixel(b, x, y));
    cache[index] = image;
    return image;
}

int ShownPicture(const Image &screen, const std::vector<int> &candidates, double tolerance)
{
    int best = -1;
    double bestDifference = tolerance;
    for (int index : candidates) {
        Image picture = DataPicture(index);
        if (picture.w < SHOT_W || picture.h < SHOT_H)
            continue;
        double d = Difference(screen, picture, 0, 0, SHOT_W, SHOT_H);
        if (d < bestDifference) {
            best = index;
            bestDifference = d;
        }
    }
    return best;
}

}  // namespace harness

#include "presentation/alfont.h"
#include "presentation/text.h"

namespace harness {

Image Compose(int background, const std::vector<TextItem> &items, bool typewriter, const std::vector<Veil> &veils)
{
    LoadPictures();
    Image image;
    if (!pictures || alfont_init() != 0)
        return image;
    std::string fontPath = std::string(PAPERLUNE_DATA_DIR) + (typewriter ? "/Fonts/typewriter.ttf" : "/Fonts/engeregu.ttf");
    ALFONT_FONT *font = alfont_load_font(fontPath.c_str());
    if (!font)
        return image;
    BITMAP *b = create_bitmap_ex(32, SHOT_W, SHOT_H);
    blit(static_cast<BITMAP *>(pictures[background].dat), b, 0, 0, 0, 0, SHOT_W, SHOT_H);
    for (const Veil &v : veils) {
        drawing_mode(DRAW_MODE_TRANS, nullptr, 0, 0);
        set_trans_blender(0, 0, 0, v.alpha);
        rectfill(b, v.x1, v.y1, v.x2, v.y2, Native(v.colour));
        solid_mode();
    }
    int oldMode = alfont_text_mode(-1);
    for (const TextItem &t : items) {
        if (t.centred)
            Textout_centre(b, font, t.text.c_str(), t.x, t.y, Native(t.colour), t.size, true);
        else
            Textout(b, font, t.text.c_str(), t.x, t.y, Native(t.colour), t.size, true);
    }
    alfont_text_mode(oldMode);
    image.w = SHOT_W;
    image.h = SHOT_H;
    image.px.resize(size_t(SHOT_W) * SHOT_H);
    for (int y = 0; y < SHOT_H; y++)
        for (int x = 0; x < SHOT_W; x++)
            image.px[size_t(y) * SHOT_W + x] = Rgb(getpixel(b, x, y));
    destroy_bitmap(b);
    alfont_destroy_font(font);
    return image;
}

int TextWidth(const std::string &text, int size, bool typewriter)
{
    if (alfont_init() != 0)
        return 0;
    std::string fontPath = std::string(PAPERLUNE_DATA_DIR) + (typewriter ? "/Fonts/typewriter.ttf" : "/Fonts/engeregu.ttf");
    ALFONT_FONT *font = alfont_load_font(fontPath.c_str());
    if (!font)
        return 0;
    alfont_set_font_size(font, size);
    int width = alfont_text_length(font, text.c_str());
    alfont_destroy_font(font);
    return width;
}

}  // namespace harness
