// The font layer checked against FreeType itself: sizes, widths and drawn
// pixels are worked out here from a face this file opens on its own.
#include <allegro.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "library.h"
#include "scratch.h"
#include "presentation/alfont.h"
#include "presentation/text.h"

namespace {

const char *const FONT_FILES[] = {"typewriter.ttf", "engeregu.ttf"};
const int GAME_HEIGHTS[] = {8, 15, 20, 22, 23, 24, 25, 30, 35, 40, 60};
const int SWEEP_TOP = 70;
const int PAPER = 0x808080;
const int INK = 0x2040C0;
const int TOLERANCE = 2;   // per channel, for blends rounded by the library

void StartFonts()
{
    StartLibrary(LIBRARY_TRUE_COLOUR);
    ASSERT_EQ(alfont_init(), 0);
}

std::string FontPath(const char *file)
{
    return std::string(PAPERLUNE_DATA_DIR) + "/Fonts/" + file;
}

int RealHeight(FT_Face face, int s)
{
    FT_Set_Pixel_Sizes(face, 0, s);
    return std::abs(int(face->size->metrics.ascender >> 6)) + std::abs(int(face->size->metrics.descender >> 6));
}

// The size that gives exactly h nearest to h, else the largest giving less; -1 if none.
int ExpectedPixelSize(FT_Face face, int h)
{
    int exact = -1, below = -1;
    for (int s = 1; s <= 3 * h + 16; s++) {
        int r = RealHeight(face, s);
        if (r == h && (exact < 0 || std::abs(s - h) < std::abs(exact - h)))
            exact = s;
        if (r < h)
            below = s;
    }
    return exact > 0 ? exact : below;
}

// One glyph as FreeType renders it straight from the face, placed on the line.
struct RefGlyph { int x, y, w, h; std::vector<int> v; };

std::vector<RefGlyph> Reference(FT_Face face, int h, const std::string &text, bool aa, int x, int y)
{
    FT_Set_Pixel_Sizes(face, 0, ExpectedPixelSize(face, h));
    int ascent = int(face->size->metrics.ascender >> 6);
    std::vector<RefGlyph> out;
    for (unsigned char ch : text) {
        FT_Load_Glyph(face, FT_Get_Char_Index(face, ch), FT_LOAD_DEFAULT);
        FT_Render_Glyph(face->glyph, aa ? FT_RENDER_MODE_NORMAL : FT_RENDER_MODE_MONO);
        const FT_Bitmap &b = face->glyph->bitmap;
        RefGlyph g{x + face->glyph->bitmap_left, y + ascent - face->glyph->bitmap_top, int(b.width), int(b.rows), {}};
        for (int r = 0; r < g.h; r++)
            for (int c = 0; c < g.w; c++) {
                unsigned char byte = b.buffer[r * b.pitch + (aa ? c : c / 8)];
                g.v.push_back(aa ? byte : ((byte >> (7 - c % 8)) & 1) * 255);
            }
        out.push_back(g);
        x += int(face->glyph->advance.x >> 6);
    }
    return out;
}

int RefAscent(FT_Face face, int h)
{
    FT_Set_Pixel_Sizes(face, 0, ExpectedPixelSize(face, h));
    return int(face->size->metrics.ascender >> 6);
}

int RefWidth(FT_Face face, int h, const std::string &text)
{
    FT_Set_Pixel_Sizes(face, 0, ExpectedPixelSize(face, h));
    int w = 0;
    for (unsigned char ch : text) {
        FT_Load_Glyph(face, FT_Get_Char_Index(face, ch), FT_LOAD_DEFAULT);
        w += int(face->glyph->advance.x >> 6);
    }
    return w;
}

// Calls paint(pixel, coverage) for every covered pixel, glyph after glyph.
template <class Paint>
void Compose(std::vector<int> &img, int w, int h, const std::vector<RefGlyph> &glyphs, Paint paint)
{
    for (const RefGlyph &g : glyphs)
        for (int r = 0; r < g.h; r++)
            for (int c = 0; c < g.w; c++) {
                int v = g.v[r * g.w + c], px = g.x + c, py = g.y + r;
                if (v && px >= 0 && py >= 0 && px < w && py < h)
                    img[py * w + px] = paint(img[py * w + px], v);
            }
}

int Mix(int under, int over, int v)
{
    int out = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        int b = (under >> shift) & 0xFF, f = (over >> shift) & 0xFF;
        out |= (b + (f - b) * v / 255) << shift;
    }
    return out;
}

// Counts pixels off by more than the tolerance in any channel.
int Mismatches(BITMAP *bmp, const std::vector<int> &want, int tolerance)
{
    int bad = 0;
    for (int y = 0; y < bmp->h; y++)
        for (int x = 0; x < bmp->w; x++) {
            int got = getpixel(bmp, x, y), exp = want[y * bmp->w + x];
            for (int shift = 0; shift <= 16; shift += 8)
                if (std::abs(((got >> shift) & 0xFF) - ((exp >> shift) & 0xFF)) > tolerance) {
                    bad++;
                    break;
                }
        }
    return bad;
}

class AlfontFont : public ::testing::TestWithParam<const char *> {
protected:
    void SetUp() override
    {
        StartFonts();
        ASSERT_EQ(FT_Init_FreeType(&lib), 0);
        ASSERT_EQ(FT_New_Face(lib, FontPath(GetParam()).c_str(), 0, &ref), 0);
        font = alfont_load_font(FontPath(GetParam()).c_str());
        ASSERT_NE(font, nullptr);
        bmp = create_bitmap_ex(32, 480, 120);
        clear_to_color(bmp, PAPER);
        oldMode = alfont_text_mode(-1);
    }
    void TearDown() override
    {
        alfont_text_mode(oldMode);
        solid_mode();
        if (bmp)
            destroy_bitmap(bmp);
        alfont_destroy_font(font);
        FT_Done_Face(ref);
        FT_Done_FreeType(lib);
    }
    std::vector<int> Paper() const { return std::vector<int>(bmp->w * bmp->h, PAPER); }
    ALFONT_GLYPH &Entry(char ch) { return font->glyph_cache[FT_Get_Char_Index(font->face, ch)]; }

    FT_Library lib = nullptr;
    FT_Face ref = nullptr;
    ALFONT_FONT *font = nullptr;
    BITMAP *bmp = nullptr;
    int oldMode = 0;
};

// Walks the game's heights and a sweep; counts the heights met exactly, those
// that fell back to the size below, and those whose search had to run upwards.
struct SearchCounts { int exact = 0, below = 0, upward = 0; };

SearchCounts CheckSizeSearch(ALFONT_FONT *font, FT_Face ref)
{
    SearchCounts n;
    std::vector<int> heights(std::begin(GAME_HEIGHTS), std::end(GAME_HEIGHTS));
    for (int h = 2; h <= SWEEP_TOP; h++)
        heights.push_back(h);
    for (int h : heights) {
        SCOPED_TRACE("height " + std::to_string(h));
        int s = ExpectedPixelSize(ref, h);
        if (s < 0) {   // smaller than any size of the face
            EXPECT_EQ(alfont_set_font_size(font, h), -1);
            EXPECT_NE(font->requested_size, h);
            continue;
        }
        n.upward += RealHeight(ref, h) < h;
        (RealHeight(ref, s) == h ? n.exact : n.below)++;
        EXPECT_EQ(alfont_set_font_size(font, h), 0);
        EXPECT_EQ(font->pixel_size, s);
        EXPECT_EQ(font->requested_size, h);
        EXPECT_EQ(font->face->size->metrics.y_ppem, s);
        EXPECT_EQ(font->ascent, int(ref->size->metrics.ascender >> 6));
    }
    return n;
}

// A copy of the typewriter face with its line squeezed to under half the em,
// so that every search for a height starts below it and runs upwards.
std::string ShortLinedCopy()
{
    std::string path = ScratchFile("short.ttf");
    std::ifstream in(FontPath("typewriter.ttf"), std::ios::binary);
    std::vector<unsigned char> b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    auto u16 = [&](size_t at) { return (b[at] << 8) | b[at + 1]; };
    for (size_t t = 0; b.size() > 12 && t < size_t(u16(4)); t++) {
        size_t rec = 12 + 16 * t;
        if (std::string(b.begin() + rec, b.begin() + rec + 4) != "hhea")
            continue;
        size_t at = (size_t(u16(rec + 8)) << 16 | u16(rec + 10)) + 4;
        for (size_t k : {at, at + 2}) {   // ascender, descender: signed 16-bit font units
            int v = int16_t(u16(k)) * 2 / 5;
            b[k] = static_cast<unsigned char>((v >> 8) & 0xFF);
            b[k + 1] = static_cast<unsigned char>(v & 0xFF);
        }
    }
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char *>(b.data()), b.size());
    return path;
}

}  // namespace

TEST_P(AlfontFont, SizeSearchPicksTheHeightFreeTypeGives)
{
    SearchCounts n = CheckSizeSearch(font, ref);
    EXPECT_GT(n.exact, 0);
    EXPECT_GT(n.below, 0);
}

TEST(AlfontSizeSearch, ShortLinedFaceSearchesUpwards)
{
    StartFonts();
    std::string path = ShortLinedCopy();
    FT_Library lib;
    FT_Face ref;
    ASSERT_EQ(FT_Init_FreeType(&lib), 0);
    ASSERT_EQ(FT_New_Face(lib, path.c_str(), 0, &ref), 0);
    ALFONT_FONT *font = alfont_load_font(path.c_str());
    ASSERT_NE(font, nullptr);
    SearchCounts n = CheckSizeSearch(font, ref);
    EXPECT_GT(n.upward, 20) << "the squeezed copy does not search upwards";
    EXPECT_GT(n.exact, 0);
    EXPECT_GT(n.below, 0);
    alfont_destroy_font(font);
    FT_Done_Face(ref);
    FT_Done_FreeType(lib);
    remove(path.c_str());
}

TEST_P(AlfontFont, RefusedHeightsKeepSizeAndCache)
{
    ASSERT_EQ(alfont_set_font_size(font, 25), 0);
    alfont_text_length(font, "A");
    ALFONT_GLYPH before = Entry('A');
    ASSERT_TRUE(before.cached);
    int pixel = font->pixel_size, ascent = font->ascent;
    // Height 1 is below every size: the search runs down to nothing and fails.
    ASSERT_EQ(ExpectedPixelSize(ref, 1), -1);
    for (int h : {0, -7, 1}) {
        EXPECT_EQ(alfont_set_font_size(font, h), -1) << h;
        EXPECT_EQ(font->requested_size, 25);
        EXPECT_EQ(font->pixel_size, pixel);
        EXPECT_EQ(font->ascent, ascent);
        EXPECT_EQ(font->face->size->metrics.y_ppem, pixel) << "pixel size not restored after " << h;
        EXPECT_TRUE(Entry('A').cached);
        EXPECT_EQ(Entry('A').aa_bits, before.aa_bits);
    }
    EXPECT_EQ(alfont_set_font_size(font, 25), 0);
    EXPECT_EQ(Entry('A').aa_bits, before.aa_bits);
    EXPECT_EQ(Entry('A').mono_bits, before.mono_bits);
    ASSERT_EQ(alfont_set_font_size(font, 26), 0);
    EXPECT_FALSE(Entry('A').cached);
    EXPECT_EQ(Entry('A').aa_bits, nullptr);
    EXPECT_EQ(Entry('A').mono_bits, nullptr);
}

TEST_P(AlfontFont, WidthsAreFreeTypeAdvances)
{
    const std::string texts[] = {"Paperlune", "Hall of Records", "a b  c", "Quit."};
    for (int h : {15, 25, 40}) {
        alfont_set_font_size(font, h);
        for (const std::string &t : texts) {
            font->extra_spacing = 0;
            EXPECT_EQ(alfont_text_length(font, t.c_str()), RefWidth(ref, h, t)) << t << " at " << h;
            font->extra_spacing = 3;
            EXPECT_EQ(alfont_text_length(font, t.c_str()), RefWidth(ref, h, t) + 3 * int(t.size()));
        }
    }
    EXPECT_EQ(alfont_text_length(font, ""), 0);
}

TEST_P(AlfontFont, CharactersWithoutAdvanceOrEntryAddNothing)
{
    alfont_set_font_size(font, 30);
    font->extra_spacing = 2;
    // The first character of the face that does not move the pen (a combining mark, a soft hyphen).
    FT_Set_Pixel_Sizes(ref, 0, font->pixel_size);
    FT_UInt gi = 0;
    FT_ULong code = FT_Get_First_Char(ref, &gi);
    for (; gi; code = FT_Get_Next_Char(ref, code, &gi))
        if (code > 0 && FT_Load_Glyph(ref, gi, FT_LOAD_DEFAULT) == 0 && ref->glyph->advance.x >> 6 == 0)
            break;
    ASSERT_NE(gi, 0u) << "face has no zero-advance character";
    ASSERT_LT(code, 0x800u);
    const char mark[] = {char(0xC0 | (code >> 6)), char(0x80 | (code & 0x3F)), 0};
    EXPECT_EQ(alfont_text_length(font, (std::string("e") + mark + "e" + mark).c_str()),
              2 * alfont_text_length(font, "e"));

    // Without a character map codes are glyph indices; U+FFFD lies past the last one.
    FT_CharMap map = font->face->charmap;
    font->face->charmap = nullptr;
    ASSERT_GE(0xFFFD, font->face->num_glyphs);
    int width = alfont_text_length(font, "\xEF\xBF\xBD");
    alfont_textout_aa(bmp, font, "\xEF\xBF\xBD", 10, 10, INK);
    font->face->charmap = map;
    EXPECT_EQ(width, 0);
    EXPECT_EQ(Mismatches(bmp, Paper(), 0), 0);
}

TEST_P(AlfontFont, TransparentTextBlendsByCoverage)
{
    Textout(bmp, font, "Paperlune Wg", 12, 20, INK, 40, true);
    std::vector<int> want = Paper();
    Compose(want, bmp->w, bmp->h, Reference(ref, 40, "Paperlune Wg", true, 12, 20),
            [](int under, int v) { return Mix(under, INK, v); });
    EXPECT_EQ(Mismatches(bmp, want, TOLERANCE), 0);
    EXPECT_GT(Mismatches(bmp, Paper(), 0), 200) << "hardly anything drawn";
    // The draw leaves the library in solid mode.
    putpixel(bmp, 0, 0, INK);
    EXPECT_EQ(getpixel(bmp, 0, 0), INK);
}

TEST_P(AlfontFont, OpaqueTextFillsItsBoxWithTheRamp)
{
    const int box = 0xF0E0D0, x = 30, y = 30;
    alfont_text_mode(box);
    Textout(bmp, font, "Quit Wg", x, y, INK, 35, true);
    std::vector<int> want = Paper();
    int w = RefWidth(ref, 35, "Quit Wg");
    for (int yy = y; yy < y + 35; yy++)
        for (int xx = x; xx < x + w; xx++)
            want[yy * bmp->w + xx] = box;
    Compose(want, bmp->w, bmp->h, Reference(ref, 35, "Quit Wg", true, x, y),
            [box](int, int v) { return Mix(box, INK, v); });
    EXPECT_EQ(Mismatches(bmp, want, TOLERANCE), 0);
}

TEST_P(AlfontFont, PlainTextWritesSetPixelsInTheCurrentMode)
{
    std::vector<RefGlyph> glyphs = Reference(ref, 24, "Continue Playing", false, 5, 40);
    Textout(bmp, font, "Continue Playing", 5, 40, INK, 24, false);
    std::vector<int> want = Paper();
    Compose(want, bmp->w, bmp->h, glyphs, [](int, int) { return INK; });
    EXPECT_EQ(Mismatches(bmp, want, 0), 0);

    clear_to_color(bmp, PAPER);
    drawing_mode(DRAW_MODE_XOR, nullptr, 0, 0);
    alfont_textout(bmp, font, "Continue Playing", 5, 40, INK);
    want = Paper();
    Compose(want, bmp->w, bmp->h, glyphs, [](int under, int) { return under ^ INK; });
    EXPECT_EQ(Mismatches(bmp, want, 0), 0);
    putpixel(bmp, 0, 0, INK);   // still XOR: the plain draw leaves the mode alone
    EXPECT_EQ(getpixel(bmp, 0, 0), PAPER ^ INK);
}

TEST_P(AlfontFont, TextOutsideTheClipDrawsNothing)
{
    alfont_set_font_size(font, 30);
    set_clip_rect(bmp, 100, 40, 299, 79);   // ct 40, cb and cr one past the edge
    struct { int x, y; bool drawn; } cases[] = {
        {150, 40 - 30 - 1, false}, {150, 81, false}, {301, 50, false}, {150, 40 - 30, true}};
    for (auto c : cases) {
        for (bool aa : {true, false}) {
            alfont_set_font_size(font, 31);
            alfont_set_font_size(font, 30);
            (aa ? alfont_textout_aa : alfont_textout)(bmp, font, "Hjg", c.x, c.y, INK);
            // Skipped lines do no glyph work at all.
            EXPECT_EQ(bool(Entry('H').cached), c.drawn) << c.x << "," << c.y;
            if (!c.drawn) {
                EXPECT_EQ(Mismatches(bmp, Paper(), 0), 0) << c.x << "," << c.y;
            }
        }
    }
    // A line running past the right edge stops at the first pen position beyond it.
    alfont_set_font_size(font, 31);
    alfont_set_font_size(font, 30);
    alfont_textout_aa(bmp, font, "MW", 299, 45, INK);
    EXPECT_TRUE(Entry('M').cached);
    EXPECT_FALSE(Entry('W').cached);
}

TEST_P(AlfontFont, CentredOddWidthShiftsLeftByHalfLess)
{
    std::string text;
    int h = 22;
    for (; h <= 30 && text.empty(); h++)
        for (const char *t : {"Quit", "New game", "Hall of Records", "Continue Playing", "i", "iii"})
            if (RefWidth(ref, h, t) % 2 == 1) {
                text = t;
                break;
            }
    ASSERT_FALSE(text.empty()) << "no odd-width text to centre";
    h--;
    int w = RefWidth(ref, h, text);
    Textout_centre(bmp, font, text.c_str(), 200, 30, INK, h, false);
    std::vector<int> want = Paper();
    Compose(want, bmp->w, bmp->h, Reference(ref, h, text, false, 200 - (w - 1) / 2, 30),
            [](int, int) { return INK; });
    EXPECT_EQ(Mismatches(bmp, want, 0), 0);
}

// What a font loaded afresh draws for the text at height h: the pixels every
// kept height has to reproduce.
std::vector<int> DrawnFresh(const char *file, int h, const std::string &text, int x, int y)
{
    BITMAP *b = create_bitmap_ex(32, 480, 120);
    clear_to_color(b, PAPER);
    ALFONT_FONT *fresh = alfont_load_font(FontPath(file).c_str());
    std::vector<int> px;
    if (fresh) {
        Textout(b, fresh, text.c_str(), x, y, INK, h, true);
        for (int yy = 0; yy < b->h; yy++)
            for (int xx = 0; xx < b->w; xx++)
                px.push_back(getpixel(b, xx, yy));
    }
    alfont_destroy_font(fresh);
    destroy_bitmap(b);
    return px;
}

TEST_P(AlfontFont, AlternatingHeightsDrawAsAFreshFont)
{
    // The menu's heights in its order, each turn with glyphs the height has
    // not rendered yet, so a kept height renders new ones at its own size.
    // Once, refused heights come between the switch and the drawing: their
    // search runs the face through other sizes.
    struct Step { int h; const char *text; bool refusals; } steps[] = {
        {25, "A story in", false}, {60, "Paperlune", false}, {40, "New game", false},
        {25, "letters by", false}, {60, "Wg", false},        {40, "Hall of Records", true},
        {25, "the team", false},   {60, "Paperlune", false}, {40, "Continue Playing", false},
    };
    unsigned char *bitsOfP = nullptr;
    for (const Step &st : steps) {
        SCOPED_TRACE(std::to_string(st.h) + " " + st.text);
        clear_to_color(bmp, PAPER);
        if (st.refusals) {
            ASSERT_EQ(alfont_set_font_size(font, st.h), 0);
            EXPECT_EQ(alfont_set_font_size(font, 1), -1);
            EXPECT_EQ(alfont_set_font_size(font, 0), -1);
            EXPECT_EQ(font->face->size->metrics.y_ppem, font->pixel_size);
        }
        Textout(bmp, font, st.text, 10, 20, INK, st.h, true);
        std::vector<int> want = DrawnFresh(GetParam(), st.h, st.text, 10, 20);
        ASSERT_FALSE(want.empty());
        EXPECT_EQ(Mismatches(bmp, want, 0), 0);
        EXPECT_EQ(alfont_text_length(font, st.text), RefWidth(ref, st.h, st.text));
        EXPECT_EQ(font->requested_size, st.h);
        EXPECT_EQ(font->pixel_size, ExpectedPixelSize(ref, st.h));
        EXPECT_EQ(font->ascent, RefAscent(ref, st.h));
        // Back at 60, the title's renderings are those made the first time.
        if (st.h == 60 && !bitsOfP) {
            bitsOfP = Entry('P').aa_bits;
        } else if (st.h == 60 && std::string(st.text) == "Paperlune") {
            EXPECT_EQ(Entry('P').aa_bits, bitsOfP) << "the title was rendered again";
        }
    }
    ASSERT_NE(bitsOfP, nullptr);
}

TEST_P(AlfontFont, LeastRecentlyUsedHeightIsDroppedAndRendersAgain)
{
    ASSERT_GE(ALFONT_KEPT_SIZES, 2);
    // Heights 20, 21, ... fill every slot; then the first one is used again,
    // so the second is the least recent when one more height arrives.
    std::vector<int> heights;
    for (int i = 0; i < ALFONT_KEPT_SIZES; i++)
        heights.push_back(20 + i);
    for (int h : heights) {
        Textout(bmp, font, "Quit", 10, 20, INK, h, true);
        ASSERT_TRUE(Entry('Q').cached);
    }
    alfont_set_font_size(font, heights[0]);
    EXPECT_TRUE(Entry('Q').cached) << "a kept height lost its renderings";
    Textout(bmp, font, "Quit", 10, 20, INK, 50, true);
    alfont_set_font_size(font, heights[0]);
    EXPECT_TRUE(Entry('Q').cached) << "the height used last but one was dropped";
    for (size_t i = 2; i < heights.size(); i++) {
        alfont_set_font_size(font, heights[i]);
        EXPECT_TRUE(Entry('Q').cached) << heights[i];
    }
    alfont_set_font_size(font, heights[1]);
    EXPECT_FALSE(Entry('Q').cached) << "the least recent height was kept";

    // Dropped and searched again, it draws as it did.
    clear_to_color(bmp, PAPER);
    Textout(bmp, font, "Quit Wg", 10, 20, INK, heights[1], true);
    EXPECT_EQ(Mismatches(bmp, DrawnFresh(GetParam(), heights[1], "Quit Wg", 10, 20), 0), 0);
    EXPECT_EQ(font->pixel_size, ExpectedPixelSize(ref, heights[1]));
    EXPECT_EQ(font->ascent, RefAscent(ref, heights[1]));
}

INSTANTIATE_TEST_SUITE_P(AlfontShipped, AlfontFont, ::testing::ValuesIn(FONT_FILES));

TEST(AlfontLoad, OpensGamePathsAtTheStartHeight)
{
    StartFonts();
    std::string game = std::string(PAPERLUNE_DATA_DIR) + "/Fonts\\typewriter.ttf";
    ALFONT_FONT *f = alfont_load_font(game.c_str());
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->requested_size, 8);
    EXPECT_EQ(f->fixed_count, -1);
    EXPECT_EQ(f->fixed_heights[0], -1);
    EXPECT_EQ(f->extra_spacing, 0);
    alfont_destroy_font(f);
    EXPECT_EQ(alfont_load_font((std::string(PAPERLUNE_DATA_DIR) + "/Fonts/missing.ttf").c_str()), nullptr);
    EXPECT_EQ(alfont_load_font(FontPath("LICENSE-Vollkorn.txt").c_str()), nullptr);
    alfont_destroy_font(nullptr);
    EXPECT_EQ(AA, 1);
}

namespace {

std::vector<unsigned char> FontBytes(const char *file)
{
    std::ifstream in(FontPath(file), std::ios::binary);
    return std::vector<unsigned char>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Every variant goes to a name of its own: a font file already opened once in
// the run is not checked again.
std::string WriteVariant(const std::vector<unsigned char> &bytes)
{
    static int serial = 0;
    std::string path = ScratchFile("damaged-" + std::to_string(serial++) + ".ttf");
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char *>(bytes.data()), bytes.size());
    return path;
}

// Loads the variant; a font it gives must draw ink near its line for every
// printable character its face maps, the space aside. Returns whether it gave
// one.
bool LoadsAndDrawsOrIsRefused(const std::vector<unsigned char> &bytes, const std::string &what)
{
    const int h = 25;
    std::string path = WriteVariant(bytes);
    ALFONT_FONT *f = alfont_load_font(path.c_str());
    remove(path.c_str());
    if (!f)
        return false;
    // A line height of room on every side of the line.
    BITMAP *b = create_bitmap_ex(32, 4 * h, 3 * h);
    int oldMode = alfont_text_mode(-1);
    for (int ch = 33; ch <= 126; ch++) {
        if (FT_Get_Char_Index(f->face, ch) == 0)
            continue;
        clear_to_color(b, PAPER);
        const char text[] = {char(ch), 0};
        Textout(b, f, text, h, h, INK, h, true);
        int inked = 0;
        for (int y = 0; y < b->h; y++)
            for (int x = 0; x < b->w; x++)
                inked += getpixel(b, x, y) != PAPER;
        EXPECT_GT(inked, 0) << what << ": '" << char(ch) << "' draws nothing";
    }
    alfont_text_mode(oldMode);
    destroy_bitmap(b);
    alfont_destroy_font(f);
    return true;
}

void Put16(std::vector<unsigned char> &b, size_t at, unsigned v)
{
    b[at] = static_cast<unsigned char>(v >> 8);
    b[at + 1] = static_cast<unsigned char>(v);
}

// The font with its character map replaced by one that maps a single
// ideograph and nothing of ASCII: a sound face with nothing the game writes.
std::vector<unsigned char> WithoutPrintableCharacters(std::vector<unsigned char> b)
{
    const unsigned ideograph = 0x4E00;
    size_t table = b.size();
    std::vector<unsigned> words = {
        0, 1, 3, 1, 0, 12,                     // header, one Unicode record at 12
        4, 32, 0, 4, 4, 1, 0,                  // format 4, two segments
        ideograph, 0xFFFF, 0,                  // end codes, pad
        ideograph, 0xFFFF,                     // start codes
        (1 - ideograph) & 0xFFFF, 1, 0, 0};    // deltas (the ideograph is glyph 1), no ranges
    b.resize(table + 2 * words.size());
    for (size_t i = 0; i < words.size(); i++)
        Put16(b, table + 2 * i, words[i]);
    for (size_t t = 0; t < size_t((b[4] << 8) | b[5]); t++) {
        size_t rec = 12 + 16 * t;
        if (std::string(b.begin() + rec, b.begin() + rec + 4) != "cmap")
            continue;
        Put16(b, rec + 8, unsigned(table >> 16));
        Put16(b, rec + 10, unsigned(table & 0xFFFF));
        Put16(b, rec + 12, 0);
        Put16(b, rec + 14, unsigned(2 * words.size()));
    }
    return b;
}

}  // namespace

TEST(AlfontDamaged, FaceMappingNoPrintableCharacterIsRefused)
{
    StartFonts();
    std::vector<unsigned char> b = WithoutPrintableCharacters(FontBytes("typewriter.ttf"));
    // The copy must still open in FreeType with that map, or this proves nothing.
    std::string path = WriteVariant(b);
    FT_Library lib;
    FT_Face face;
    ASSERT_EQ(FT_Init_FreeType(&lib), 0);
    ASSERT_EQ(FT_New_Face(lib, path.c_str(), 0, &face), 0);
    EXPECT_EQ(FT_Get_Char_Index(face, 'A'), 0u);
    EXPECT_EQ(FT_Get_Char_Index(face, 0x4E00), 1u);
    FT_Done_Face(face);
    FT_Done_FreeType(lib);
    remove(path.c_str());
    EXPECT_FALSE(LoadsAndDrawsOrIsRefused(b, "a face without ASCII"));
}

TEST(AlfontDamaged, FileDamagedAfterAGoodLoadIsCheckedAgain)
{
    StartFonts();
    std::vector<unsigned char> whole = FontBytes("engeregu.ttf");
    std::string path = ScratchFile("rewritten.ttf");
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char *>(whole.data()), whole.size());
    ALFONT_FONT *good = alfont_load_font(path.c_str());
    EXPECT_NE(good, nullptr);
    alfont_destroy_font(good);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char *>(whole.data()), whole.size() / 2);
    EXPECT_EQ(alfont_load_font(path.c_str()), nullptr) << "the verdict on the sound file was reused";
    remove(path.c_str());
}

TEST(AlfontDamaged, CutFilesAreRefusedOrDrawEveryCharacter)
{
    StartFonts();
    for (const char *file : FONT_FILES) {
        std::vector<unsigned char> whole = FontBytes(file);
        ASSERT_GT(whole.size(), 1000u) << file;
        EXPECT_TRUE(LoadsAndDrawsOrIsRefused(whole, file)) << "the whole file is refused";
        std::vector<size_t> lengths = {0, 1, 4, 12, 100, 1000, whole.size() - 1};
        for (int k = 1; k < 32; k++)
            lengths.push_back(whole.size() * k / 32);
        int refused = 0;
        for (size_t n : lengths) {
            std::vector<unsigned char> cut(whole.begin(), whole.begin() + n);
            refused += !LoadsAndDrawsOrIsRefused(cut, std::string(file) + " cut to " + std::to_string(n));
        }
        EXPECT_GT(refused, 10) << file;
    }
    // The menu font cut in half still opens; the game must not take it.
    std::vector<unsigned char> menu = FontBytes("engeregu.ttf");
    menu.resize(menu.size() / 2);
    EXPECT_FALSE(LoadsAndDrawsOrIsRefused(menu, "engeregu.ttf cut in half"));
}

TEST(AlfontDamaged, GarbageIsRefusedOrDrawsEveryCharacter)
{
    StartFonts();
    std::mt19937 rng(20240611);
    EXPECT_FALSE(LoadsAndDrawsOrIsRefused({}, "an empty file"));
    std::vector<unsigned char> noise(40000);
    for (unsigned char &c : noise)
        c = static_cast<unsigned char>(rng());
    EXPECT_FALSE(LoadsAndDrawsOrIsRefused(noise, "random bytes"));

    for (const char *file : FONT_FILES) {
        std::vector<unsigned char> whole = FontBytes(file);
        int loaded = 0;
        for (int v = 0; v < 60; v++) {
            std::vector<unsigned char> bad = whole;
            // Small runs anywhere, or a wide run over the tables after the
            // directory; a third of the variants hit the directory and
            // the first tables, where single bytes matter most.
            size_t span = v % 2 ? 1 + rng() % 16 : 1 + rng() % 8192;
            size_t at = v % 3 == 0 ? rng() % 512 : rng() % (whole.size() - span);
            for (size_t i = at; i < at + span && i < bad.size(); i++)
                bad[i] = static_cast<unsigned char>(rng());
            loaded += LoadsAndDrawsOrIsRefused(bad, std::string(file) + " variant " + std::to_string(v));
        }
        // Most small damage lands where nothing the game draws is read.
        EXPECT_GT(loaded, 0) << file;
    }
}

// A time or a speed must read as figures: where the face has lining digits
// (the menu font's plain ones are old-style, a "1" like a small "I"), every
// digit stands as tall as a capital; the typewriter's are lining anyway.
TEST(AlfontDigits, FiguresStandAsTallAsCapitals)
{
    StartFonts();
    for (const char *file : FONT_FILES) {
        ALFONT_FONT *font = alfont_load_font(FontPath(file).c_str());
        ASSERT_NE(font, nullptr) << file;
        ASSERT_EQ(alfont_set_font_size(font, 40), 0);
        BITMAP *bmp = create_bitmap(400, 80);
        auto inkTop = [&](const char *text) {
            clear_to_color(bmp, PAPER);
            Textout(bmp, font, text, 10, 10, INK, 40, false);
            for (int y = 0; y < bmp->h; y++)
                for (int x = 0; x < bmp->w; x++)
                    if (getpixel(bmp, x, y) != PAPER)
                        return y;
            return -1;
        };
        int oldMode = alfont_text_mode(-1);   // ink only, no box behind it
        int capital = inkTop("H");
        for (const char *digit : {"0", "1", "2", "5", "9"})
            EXPECT_LE(std::abs(inkTop(digit) - capital), 2) << file << " " << digit;
        alfont_text_mode(oldMode);
        destroy_bitmap(bmp);
        alfont_destroy_font(font);
    }
}

