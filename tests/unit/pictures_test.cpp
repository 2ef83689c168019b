// game.dat as the game loads it: every position a bitmap of the size its use
// needs, masks that are exactly the mask colour, sprites that fit beside the
// letter and melt into their page, and text that reads where the game writes.
#include <allegro.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <set>
#include <string>

#include "library.h"
#include "player/lettercard.h"
#include "story/graph.h"

namespace {

const int PICTURES = 33;
const int SCREEN_WIDTH = 640;
const int SCREEN_HEIGHT = 480;
const int MASK = 0xFF00FF;
const int UNUSED_POSITION = 2;
const int POINTER = 9;
const int FIRST_SPRITE = 10, LAST_SPRITE = 17;

// Where the game puts things (the typing page and the sprites).
const int TIMER_SPRITE_X = 380, TIMER_SPRITE_Y = 42;
const int LETTER_X = 35, LETTER_Y = 45, LETTER_PITCH = 15, LETTER_LINES = 25;
const int LETTER_COLUMNS = 39, TYPEWRITER_ADVANCE = 7;   // Courier at size 15
const int LETTER_RIGHT = LETTER_X + LETTER_COLUMNS * TYPEWRITER_ADVANCE;
const int LETTER_BOTTOM = LETTER_Y + LETTER_LINES * LETTER_PITCH;

// Text colours the game draws with.
const int BLACK = 0x000000, WHITE = 0xFFFFFF;
const int CHOICE_GREY = 0x858585, MENU_RED = 0xFF0000;
const int PREVIEW_GREY = 0x353535, MISTAKE_RED = 0xC4262A;

// Contrast floors (WCAG ratios): 7 for running text; 4.5 for the small red
// mistake marks and 3 for the large highlight colours, which are fixed hues
// that no light paper can lift much higher.
const double TEXT_CONTRAST = 7.0;
const double MARK_CONTRAST = 4.5;
const double HIGHLIGHT_CONTRAST = 3.0;
const int TILE = 4;   // glyph-stroke sized patch over which the backdrop is averaged

// The half-white box of the letter view and the half-black box of the credits.
struct Overlay {
    int x0, y0, x1, y1;   // inclusive, as rectfill takes them
    int color, alpha;
};
const Overlay NO_OVERLAY = {0, 0, -1, -1, 0, 0};
const Overlay LETTER_BOX = {15, 300, 625, 470, WHITE, 128};
const Overlay CREDITS_BOX = {10, 240, 630, 470, BLACK, 128};

struct TextArea {
    const char *what;
    int picture;
    int x0, y0, x1, y1;   // half-open
    int color;
    Overlay overlay;
    double floor;
};

const TextArea TEXT_AREAS[] = {
    {"narration, choices, quit dialog", 1, 20, 140, 620, 380, BLACK, NO_OVERLAY, TEXT_CONTRAST},
    {"highlighted choice", 1, 105, 200, 535, 270, CHOICE_GREY, NO_OVERLAY, HIGHLIGHT_CONTRAST},
    {"received letters, Hall of Records", 8, 20, 15, 620, 480, BLACK, NO_OVERLAY, TEXT_CONTRAST},
    {"menu credit line", 7, 40, 50, 330, 78, BLACK, NO_OVERLAY, TEXT_CONTRAST},
    {"menu title", 7, 80, 150, 270, 212, BLACK, NO_OVERLAY, TEXT_CONTRAST},
    {"menu items", 7, 80, 250, 290, 382, BLACK, NO_OVERLAY, TEXT_CONTRAST},
    {"highlighted menu item", 7, 80, 250, 290, 382, MENU_RED, NO_OVERLAY, HIGHLIGHT_CONTRAST},
    {"letter preview", 3, LETTER_X, LETTER_Y, LETTER_RIGHT, LETTER_BOTTOM, PREVIEW_GREY, NO_OVERLAY, TEXT_CONTRAST},
    {"letter preview", 4, LETTER_X, LETTER_Y, LETTER_RIGHT, LETTER_BOTTOM, PREVIEW_GREY, NO_OVERLAY, TEXT_CONTRAST},
    {"letter preview", 5, LETTER_X, LETTER_Y, LETTER_RIGHT, LETTER_BOTTOM, PREVIEW_GREY, NO_OVERLAY, TEXT_CONTRAST},
    {"letter preview", 6, LETTER_X, LETTER_Y, LETTER_RIGHT, LETTER_BOTTOM, PREVIEW_GREY, NO_OVERLAY, TEXT_CONTRAST},
    {"mistake marks", 3, LETTER_X, LETTER_Y, LETTER_RIGHT, LETTER_BOTTOM, MISTAKE_RED, NO_OVERLAY, MARK_CONTRAST},
    {"mistake marks", 4, LETTER_X, LETTER_Y, LETTER_RIGHT, LETTER_BOTTOM, MISTAKE_RED, NO_OVERLAY, MARK_CONTRAST},
    {"mistake marks", 5, LETTER_X, LETTER_Y, LETTER_RIGHT, LETTER_BOTTOM, MISTAKE_RED, NO_OVERLAY, MARK_CONTRAST},
    {"mistake marks", 6, LETTER_X, LETTER_Y, LETTER_RIGHT, LETTER_BOTTOM, MISTAKE_RED, NO_OVERLAY, MARK_CONTRAST},
    {"her last letter", 21, 20, 305, 620, 470, BLACK, LETTER_BOX, TEXT_CONTRAST},
    {"her last letter", 22, 20, 305, 620, 470, BLACK, LETTER_BOX, TEXT_CONTRAST},
    {"her last letter", 23, 20, 305, 620, 470, BLACK, LETTER_BOX, TEXT_CONTRAST},
    {"credits", 18, 20, 241, 620, 470, WHITE, CREDITS_BOX, TEXT_CONTRAST},
    {"credits", 19, 20, 241, 620, 470, WHITE, CREDITS_BOX, TEXT_CONTRAST},
    {"credits", 20, 20, 241, 620, 470, WHITE, CREDITS_BOX, TEXT_CONTRAST},
    {"credits", 24, 20, 241, 620, 470, WHITE, CREDITS_BOX, TEXT_CONTRAST},
    {"credits", 25, 20, 241, 620, 470, WHITE, CREDITS_BOX, TEXT_CONTRAST},
};

DATAFILE *Pictures()
{
    static DATAFILE *pictures = nullptr;
    static bool tried = false;
    if (!tried) {
        tried = true;
        StartLibrary(LIBRARY_TRUE_COLOUR | LIBRARY_JPEG);
        std::string path = std::string(PAPERLUNE_DATA_DIR) + "/game.dat";
        pictures = load_datafile(path.c_str());
    }
    return pictures;
}

BITMAP *Picture(int index)
{
    DATAFILE *d = Pictures();
    if (!d)
        return nullptr;
    for (int i = 0; i <= index; i++)
        if (d[i].type == DAT_END)
            return nullptr;
    bool bitmap = d[index].type == DAT_BITMAP || d[index].type == DAT_ID('J', 'P', 'E', 'G');
    return bitmap ? static_cast<BITMAP *>(d[index].dat) : nullptr;
}

int Pixel(BITMAP *b, int x, int y)
{
    return getpixel(b, x, y) & 0xFFFFFF;
}

// The colour as the game shows it, whatever the library's pixel layout.
int Rgb(int pixel)
{
    return (getr32(pixel) << 16) | (getg32(pixel) << 8) | getb32(pixel);
}

double Linear(int channel)
{
    double c = channel / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double Luminance(int rgb)
{
    return 0.2126 * Linear((rgb >> 16) & 0xFF) + 0.7152 * Linear((rgb >> 8) & 0xFF)
           + 0.0722 * Linear(rgb & 0xFF);
}

double Contrast(double a, double b)
{
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

// The library's translucent fill: each channel moves alpha/256 of the way to the colour.
int Blend(int under, int color, int alpha)
{
    int out = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        int d = (under >> shift) & 0xFF, s = (color >> shift) & 0xFF;
        out |= (d + (s - d) * alpha / 256) << shift;
    }
    return out;
}

// Worst contrast of the text colour against the backdrop, averaged per tile.
double WorstContrast(BITMAP *b, const TextArea &area)
{
    double textLum = Luminance(area.color);
    double worst = 1e9;
    const Overlay &o = area.overlay;
    for (int ty = area.y0; ty + TILE <= area.y1; ty += TILE)
        for (int tx = area.x0; tx + TILE <= area.x1; tx += TILE) {
            double sum = 0;
            for (int y = ty; y < ty + TILE; y++)
                for (int x = tx; x < tx + TILE; x++) {
                    int rgb = Rgb(getpixel(b, x, y));
                    if (x >= o.x0 && x <= o.x1 && y >= o.y0 && y <= o.y1)
                        rgb = Blend(rgb, o.color, o.alpha);
                    sum += Luminance(rgb);
                }
            worst = std::min(worst, Contrast(sum / (TILE * TILE), textLum));
        }
    return worst;
}

bool NearMask(int rgb)
{
    int r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, bl = rgb & 0xFF;
    return r > 224 && g < 32 && bl > 224;
}

bool IsFullScreen(int index)
{
    return index != UNUSED_POSITION && (index < POINTER || index > LAST_SPRITE);
}

}  // namespace

TEST(Pictures, EveryPositionLoadsAsABitmapOfItsSize)
{
    ASSERT_NE(Pictures(), nullptr) << PAPERLUNE_DATA_DIR "/game.dat does not load; build pictures_data";
    for (int i = 0; i < PICTURES; i++) {
        BITMAP *b = Picture(i);
        ASSERT_NE(b, nullptr) << "position " << i << " is not a bitmap";
        EXPECT_EQ(bitmap_color_depth(b), 32) << "position " << i;
        if (IsFullScreen(i)) {
            EXPECT_EQ(b->w, SCREEN_WIDTH) << "position " << i;
            EXPECT_EQ(b->h, SCREEN_HEIGHT) << "position " << i;
        }
    }
}

TEST(Pictures, FullScreenPicturesHoldNoMaskColour)
{
    // Fades skip mask-coloured pixels, which would leave holes of old screen.
    for (int i = 0; i < PICTURES; i++) {
        if (!IsFullScreen(i))
            continue;
        BITMAP *b = Picture(i);
        ASSERT_NE(b, nullptr) << "position " << i;
        int holes = 0;
        for (int y = 0; y < b->h; y++)
            for (int x = 0; x < b->w; x++)
                holes += Pixel(b, x, y) == MASK;
        EXPECT_EQ(holes, 0) << "position " << i;
    }
}

TEST(Pictures, SpritesAndPointerAreMaskedExactly)
{
    for (int i = POINTER; i <= LAST_SPRITE; i++) {
        BITMAP *b = Picture(i);
        ASSERT_NE(b, nullptr) << "position " << i;
        ASSERT_EQ(bitmap_mask_color(b) & 0xFFFFFF, MASK);
        long masked = 0, visible = 0, blurred = 0;
        for (int y = 0; y < b->h; y++)
            for (int x = 0; x < b->w; x++) {
                int p = Pixel(b, x, y);
                if (p == MASK)
                    masked++;
                else if (NearMask(Rgb(p)))
                    blurred++;   // what a lossy store makes of the mask
                else
                    visible++;
            }
        long all = long(b->w) * b->h;
        EXPECT_EQ(blurred, 0) << "position " << i << " has pixels close to, but not, the mask colour";
        EXPECT_GT(masked, all / 20) << "position " << i << " is hardly transparent";
        EXPECT_GT(visible, all / 20) << "position " << i << " is hardly visible";
    }
    BITMAP *pointer = Picture(POINTER);
    ASSERT_NE(pointer, nullptr);
    EXPECT_GE(std::min(pointer->w, pointer->h), 12);
    EXPECT_LE(std::max(pointer->w, pointer->h), 24);
    EXPECT_NE(Pixel(pointer, 0, 0), MASK) << "the hot spot is the pointer's top-left pixel";
}

TEST(Pictures, TimerSpritesStandBesideTheLetterAndMeltIntoTheirPage)
{
    InitScenes();
    std::set<int> checked;
    for (int s = 0; s < STORY_SCENES; s++) {
        const Scene *scene = StoryScene(s);
        ASSERT_NE(scene, nullptr);
        if (!scene->typing)
            continue;
        BITMAP *page = Picture(scene->background);
        ASSERT_NE(page, nullptr) << StorySceneName(s);
        int pair[2] = {scene->fadeImage, scene->timeImage};
        for (int index : pair) {
            if (!checked.insert(index * 100 + scene->background).second)
                continue;
            ASSERT_GE(index, FIRST_SPRITE) << StorySceneName(s);
            ASSERT_LE(index, LAST_SPRITE) << StorySceneName(s);
            BITMAP *sprite = Picture(index);
            ASSERT_NE(sprite, nullptr);
            // Whole on screen, and clear of the letter lines.
            EXPECT_LE(TIMER_SPRITE_X + sprite->w, SCREEN_WIDTH) << "sprite " << index;
            EXPECT_LE(TIMER_SPRITE_Y + sprite->h, SCREEN_HEIGHT) << "sprite " << index;
            int seamWorst = 0, seamX = 0, seamY = 0, left = sprite->w;
            for (int y = 0; y < sprite->h; y++)
                for (int x = 0; x < sprite->w; x++) {
                    int p = Pixel(sprite, x, y);
                    if (p == MASK)
                        continue;
                    left = std::min(left, x);
                    bool edge = x == 0 || y == 0 || x == sprite->w - 1 || y == sprite->h - 1
                                || Pixel(sprite, x - 1, y) == MASK || Pixel(sprite, x + 1, y) == MASK
                                || Pixel(sprite, x, y - 1) == MASK || Pixel(sprite, x, y + 1) == MASK;
                    if (!edge)
                        continue;
                    int under = Pixel(page, TIMER_SPRITE_X + x, TIMER_SPRITE_Y + y);
                    for (int shift = 0; shift <= 16; shift += 8) {
                        int d = std::abs(((p >> shift) & 0xFF) - ((under >> shift) & 0xFF));
                        if (d > seamWorst) {
                            seamWorst = d;
                            seamX = x;
                            seamY = y;
                        }
                    }
                }
            EXPECT_GT(TIMER_SPRITE_X + left, LETTER_RIGHT) << "sprite " << index << " covers the letter";
            // The rim of a sprite is its own page's desk, so the fade shows no outline.
            EXPECT_LE(seamWorst, 8) << "sprite " << index << " on page " << scene->background
                                    << ", worst at (" << seamX << ", " << seamY << ")";
        }
        // The pair must show time passing: the two pictures differ.
        BITMAP *a = Picture(scene->fadeImage), *b = Picture(scene->timeImage);
        long differing = 0;
        for (int y = 0; y < std::min(a->h, b->h); y++)
            for (int x = 0; x < std::min(a->w, b->w); x++)
                differing += Pixel(a, x, y) != Pixel(b, x, y);
        EXPECT_GT(differing, long(a->w) * a->h / 20) << StorySceneName(s);
    }
    DestroyScenes();
    EXPECT_FALSE(checked.empty());
}

TEST(Pictures, TextReadsWhereTheGameWrites)
{
    for (const TextArea &area : TEXT_AREAS) {
        BITMAP *b = Picture(area.picture);
        ASSERT_NE(b, nullptr) << area.what;
        double worst = WorstContrast(b, area);
        EXPECT_GE(worst, area.floor) << area.what << " on picture " << area.picture;
        // Kept in the test report (--gtest_output=xml) as the measured figure.
        std::string key = std::string("contrast_") + std::to_string(area.picture) + "_" + area.what;
        std::replace_if(key.begin(), key.end(), [](char c) { return !isalnum(c); }, '_');
        RecordProperty(key, std::to_string(worst));
    }
}

TEST(Pictures, StoryWritesOnlyOnPicturesWhoseTextAreasAreChecked)
{
    // A scene that moved its text to another picture would escape the check above.
    std::set<int> narration = {1, 8}, letterView = {21, 22, 23}, typing = {3, 4, 5, 6},
                  endings = {18, 19, 20, 24, 25};
    InitScenes();
    for (int s = 0; s < STORY_SCENES; s++) {
        const Scene *scene = StoryScene(s);
        ASSERT_NE(scene, nullptr);
        const std::set<int> *allowed = nullptr;
        if (scene->typing)
            allowed = &typing;
        else if (scene->letterView)
            allowed = &letterView;
        else if (scene->imageOnly)
            continue;   // pauses show the pause picture, not their background
        else if (!scene->next1 && !scene->next2)
            allowed = &endings;
        else if (scene->text || scene->next2)
            allowed = &narration;
        if (allowed) {
            EXPECT_EQ(allowed->count(scene->background), 1u) << StorySceneName(s);
        }
    }
    DestroyScenes();
}

TEST(Pictures, PaperAndDeskShowInTheirOwnColours)
{
    // The sheets are warm ivory and the desks walnut in every kind of storage;
    // a red/blue mix-up in packing or decoding turns them blue.
    for (int i : {1, 3, 4, 5, 6, 7, 8}) {
        BITMAP *b = Picture(i);
        ASSERT_NE(b, nullptr) << i;
        long red = 0, blue = 0;
        for (int y = 0; y < b->h; y++)
            for (int x = 0; x < b->w; x++) {
                int rgb = Rgb(getpixel(b, x, y));
                red += (rgb >> 16) & 0xFF;
                blue += rgb & 0xFF;
            }
        EXPECT_GT(red, blue + long(b->w) * b->h * 10) << "picture " << i << " is not warm";
    }
}

TEST(Pictures, FinishedPageCardHidesNeitherTheLetterNorTheSprites)
{
    // Beside or below every line a letter can have.
    EXPECT_TRUE(TYPE_CARD_LEFT > LETTER_RIGHT || TYPE_CARD_TOP >= LETTER_BOTTOM);
    const int shadow = 3;
    EXPECT_LT(TYPE_CARD_RIGHT + shadow, SCREEN_WIDTH);
    EXPECT_LT(TYPE_CARD_BOTTOM + shadow, SCREEN_HEIGHT);
    // Below every pixel the sprites draw, rim of desk included.
    for (int index = FIRST_SPRITE; index <= LAST_SPRITE; index++) {
        BITMAP *sprite = Picture(index);
        ASSERT_NE(sprite, nullptr);
        for (int y = 0; y < sprite->h; y++)
            for (int x = 0; x < sprite->w; x++) {
                if (Pixel(sprite, x, y) == MASK)
                    continue;
                int sx = TIMER_SPRITE_X + x, sy = TIMER_SPRITE_Y + y;
                bool covered = sx >= TYPE_CARD_LEFT && sx <= TYPE_CARD_RIGHT + shadow && sy >= TYPE_CARD_TOP &&
                               sy <= TYPE_CARD_BOTTOM + shadow;
                ASSERT_FALSE(covered) << "sprite " << index << " at " << sx << "," << sy;
            }
    }
}
