#include "presentation/alfont.h"

#include FT_GLYPH_H

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include "platform/fatal.h"
#include "platform/path.h"

// A scalable face starts at this height until the game asks for another.
static const int ALFONT_START_HEIGHT = 8;
// Closes the fixed-heights list.
static const int ALFONT_LIST_END = -1;
// FreeType clamps larger pixel sizes to this one, so searching past it can
// never reach a new height.
static const int ALFONT_MAX_PIXEL_SIZE = 0xFFFF;
// Coverage of a fully covered anti-aliased pixel.
static const int ALFONT_FULL = 255;
static const int ALFONT_RAMP_SIZE = 256;
// The characters every text of the game is made of; a font must draw those
// it maps, and the space is the one among them without ink.
static const int ALFONT_FIRST_PRINTABLE = 32;
static const int ALFONT_LAST_PRINTABLE = 126;
static const int ALFONT_SPACE = 32;
static const char *const ALFONT_DIGIT_NAMES[10] = {"zero", "one", "two", "three", "four",
                                                   "five", "six", "seven", "eight", "nine"};
static const char ALFONT_LINING_SUFFIX[] = ".lf";
// Font files already found to draw their characters, so that the fonts the
// game opens again and again are checked once per run.
static const int ALFONT_CHECKED_FILES = 8;

static FT_Library ft_library = nullptr;
static int alfont_inited = 0;
static int alfont_textmode = 0;

// 26.6 fixed point to whole pixels, rounded towards minus infinity.
static int WholePixels(FT_Pos v)
{
    return static_cast<int>(v >> 6);
}

static int RealHeight(FT_Face face)
{
    return std::abs(WholePixels(face->size->metrics.ascender)) +
           std::abs(WholePixels(face->size->metrics.descender));
}

static void FreeRenderings(ALFONT_GLYPH *g)
{
    free(g->mono_bits);
    free(g->aa_bits);
    g->mono_bits = nullptr;
    g->aa_bits = nullptr;
    g->cached = 0;
}

static void EmptyCache(ALFONT_FONT *f, ALFONT_GLYPH *glyphs)
{
    if (!glyphs)
        return;
    for (FT_Long i = 0; i < f->face->num_glyphs; i++)
        if (glyphs[i].cached)
            FreeRenderings(&glyphs[i]);
}

static size_t CacheEntries(FT_Face face)
{
    return face->num_glyphs > 0 ? size_t(face->num_glyphs) : 1;
}

static void MakeCurrent(ALFONT_FONT *f, int slot)
{
    ALFONT_SIZE &k = f->kept[slot];
    f->current = slot;
    k.last_use = ++f->uses;
    f->glyph_cache = k.glyphs;
    f->requested_size = k.requested_size;
    f->pixel_size = k.pixel_size;
    f->ascent = k.ascent;
    // Cheap next to the search: the face keeps no renderings, only its scale.
    FT_Set_Pixel_Sizes(f->face, 0, k.pixel_size);
}

// The slot a newly searched height goes to: a free one, else the least
// recently used other than the current one.
static int SlotForNewHeight(ALFONT_FONT *f)
{
    int pick = -1;
    for (int i = 0; i < ALFONT_KEPT_SIZES; i++) {
        if (f->kept[i].requested_size == 0)
            return i;
        if (i != f->current && (pick < 0 || f->kept[i].last_use < f->kept[pick].last_use))
            pick = i;
    }
    return pick >= 0 ? pick : f->current;
}

// Glyph index of the next character, or -1 for a character the face has no
// cache entry for.
static int NextGlyph(ALFONT_FONT *f, int ch)
{
    if (ch >= '0' && ch <= '9' && f->digit_glyphs[ch - '0'] > 0)
        return f->digit_glyphs[ch - '0'];
    long g = f->face->charmap ? static_cast<long>(FT_Get_Char_Index(f->face, ch)) : ch;
    if (g < 0 || g >= f->face->num_glyphs)
        return -1;
    return static_cast<int>(g);
}

// True when the bitmap has a pixel with some coverage.
static bool HasInk(const FT_Bitmap &bm)
{
    for (unsigned row = 0; row < bm.rows; row++) {
        const unsigned char *p = bm.buffer + int(row) * bm.pitch;
        unsigned bytes = bm.pixel_mode == FT_PIXEL_MODE_MONO ? (bm.width + 7) / 8 : bm.width;
        for (unsigned c = 0; c < bytes; c++)
            if (p[c])
                return true;
    }
    return false;
}

// True when the rendered glyph lies near its line: it overlaps the square of
// one line height at the pen, widened by a line height on every side. Real
// glyphs may stand out of the line (a face may declare a short one), never
// by that much.
static bool OnTheLine(const ALFONT_FONT *f, FT_GlyphSlot slot)
{
    int h = f->requested_size;
    int top = f->ascent - slot->bitmap_top;
    int left = slot->bitmap_left;
    bool rows = top < 2 * h && top + int(slot->bitmap.rows) > -h;
    bool columns = left < 2 * h && left + int(slot->bitmap.width) > -h;
    return rows && columns;
}

// A file is known by its place, length and time of change; a font rewritten
// in place gets a new time, so it is checked afresh.
struct CheckedFile {
    std::string path;
    std::uintmax_t size;
    std::filesystem::file_time_type changed;
};

static CheckedFile checkedFiles[ALFONT_CHECKED_FILES];
static int nextChecked = 0;

static bool Identify(const std::string &native, CheckedFile *id)
{
    std::error_code err;
    id->path = native;
    id->size = std::filesystem::file_size(native, err);
    if (err)
        return false;
    id->changed = std::filesystem::last_write_time(native, err);
    return !err;
}

static bool AlreadyChecked(const CheckedFile &id)
{
    for (const CheckedFile &c : checkedFiles)
        if (!c.path.empty() && c.path == id.path && c.size == id.size && c.changed == id.changed)
            return true;
    return false;
}

// A file can open (FreeType reads its tables) and still hold no usable glyph
// outlines, as a cut or damaged file does: its glyphs load empty or not at
// all, or their metrics throw them far off the line, and every text would be
// blank. So every printable character the face maps must load, render at the
// current height as the cache would, and show ink on its line, except the
// space. A face that maps none of them is of no use either.
static bool DrawsItsCharacters(ALFONT_FONT *f, const std::string &native)
{
    CheckedFile id;
    bool known = Identify(native, &id);
    if (known && AlreadyChecked(id))
        return true;

    if (f->requested_size <= 0)
        return false;
    FT_Face face = f->face;
    int mapped = 0;
    for (int ch = ALFONT_FIRST_PRINTABLE; ch <= ALFONT_LAST_PRINTABLE; ch++) {
        int g = NextGlyph(f, ch);
        if (g <= 0)   // glyph 0 stands for characters the face lacks
            continue;
        mapped++;
        if (FT_Load_Glyph(face, g, FT_LOAD_DEFAULT) != 0)
            return false;
        if (face->glyph->format != FT_GLYPH_FORMAT_BITMAP &&
            FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL) != 0)
            return false;
        if (ch != ALFONT_SPACE && !(HasInk(face->glyph->bitmap) && OnTheLine(f, face->glyph)))
            return false;
    }
    if (mapped == 0)
        return false;

    if (known) {
        checkedFiles[nextChecked] = id;
        nextChecked = (nextChecked + 1) % ALFONT_CHECKED_FILES;
    }
    return true;
}

int alfont_init()
{
    if (alfont_inited)
        return 0;
    ft_library = nullptr;
    FT_Error err = FT_Init_FreeType(&ft_library);
    if (err) {
        ft_library = nullptr;
        return err;
    }
    alfont_inited = 1;
    AtFatalExit(alfont_exit);
    return 0;
}

void alfont_exit()
{
    if (!alfont_inited)
        return;
    alfont_inited = 0;
    CancelFatalExit(alfont_exit);
    FT_Done_FreeType(ft_library);
    ft_library = nullptr;
}

// A face whose plain digits are old-style (a "1" like a small "I") may also
// hold lining ones, which read as figures at a glance in a time or a speed.
// Without shaping they are found by their glyph names: all ten or none.
static void FindLiningFigures(ALFONT_FONT *f)
{
    for (int &g : f->digit_glyphs)
        g = 0;
    if (!FT_HAS_GLYPH_NAMES(f->face))
        return;
    int found[10];
    for (int d = 0; d < 10; d++) {
        std::string name = std::string(ALFONT_DIGIT_NAMES[d]) + ALFONT_LINING_SUFFIX;
        found[d] = int(FT_Get_Name_Index(f->face, const_cast<char *>(name.c_str())));
        if (found[d] <= 0 || found[d] >= f->face->num_glyphs)
            return;
    }
    for (int d = 0; d < 10; d++)
        f->digit_glyphs[d] = found[d];
}

ALFONT_FONT *alfont_load_font(const char *path)
{
    ALFONT_FONT *f = static_cast<ALFONT_FONT *>(calloc(1, sizeof(ALFONT_FONT)));
    if (!f)
        return nullptr;
    std::string native = NativePath(path);
    if (FT_New_Face(ft_library, native.c_str(), 0, &f->face) != 0) {
        free(f);
        return nullptr;
    }
    FT_Face face = f->face;
    bool scalable = (face->face_flags & FT_FACE_FLAG_SCALABLE) != 0;
    f->fixed_count = scalable ? -1 : face->num_fixed_sizes;
    FindLiningFigures(f);

    // The first slot gets its entries now, so that even a font whose starting
    // height is refused has a cache to look into. calloc leaves every entry
    // not cached with null pixel arrays.
    f->kept[0].glyphs = static_cast<ALFONT_GLYPH *>(calloc(CacheEntries(face), sizeof(ALFONT_GLYPH)));
    f->glyph_cache = f->kept[0].glyphs;
    int listLength = scalable ? 1 : face->num_fixed_sizes + 1;
    f->fixed_heights = static_cast<int *>(malloc(sizeof(int) * listLength));
    if (!f->glyph_cache || !f->fixed_heights) {
        alfont_destroy_font(f);
        return nullptr;
    }

    int start = ALFONT_START_HEIGHT;
    if (scalable) {
        f->fixed_heights[0] = ALFONT_LIST_END;
    } else {
        for (int i = 0; i < face->num_fixed_sizes; i++)
            f->fixed_heights[i] = face->available_sizes[i].height;
        f->fixed_heights[face->num_fixed_sizes] = ALFONT_LIST_END;
        start = f->fixed_heights[0];
    }
    alfont_set_font_size(f, start);
    f->extra_spacing = 0;
    if (!DrawsItsCharacters(f, native)) {
        alfont_destroy_font(f);
        return nullptr;
    }
    return f;
}

void alfont_destroy_font(ALFONT_FONT *f)
{
    if (!f)
        return;
    for (int i = ALFONT_KEPT_SIZES - 1; i >= 0; i--) {
        EmptyCache(f, f->kept[i].glyphs);
        free(f->kept[i].glyphs);
    }
    FT_Done_Face(f->face);
    free(f->fixed_heights);
    free(f->mem_data);
    free(f);
}

int alfont_set_font_size(ALFONT_FONT *f, int h)
{
    if (h == f->requested_size)
        return 0;
    if (h <= 0)
        return -1;
    for (int i = 0; i < ALFONT_KEPT_SIZES; i++)
        if (f->kept[i].requested_size == h) {
            MakeCurrent(f, i);
            return 0;
        }

    FT_Face face = f->face;
    int s = h;
    int d = 0;
    for (;;) {
        if (FT_Set_Pixel_Sizes(face, 0, s) != 0)
            goto fail;
        int r = RealHeight(face);
        if (r == h)
            goto accept;
        if (d == 0) {
            d = r < h ? +1 : -1;
        } else if (d == +1 && r > h) {
            s = s - 1;
            FT_Set_Pixel_Sizes(face, 0, s);
            goto accept;
        } else if (d == -1 && r < h) {
            goto accept;
        }
        s += d;
        if (s <= 0 || s > ALFONT_MAX_PIXEL_SIZE)
            goto fail;
    }

accept: {
    int slot = SlotForNewHeight(f);
    ALFONT_SIZE &k = f->kept[slot];
    if (!k.glyphs)
        k.glyphs = static_cast<ALFONT_GLYPH *>(calloc(CacheEntries(face), sizeof(ALFONT_GLYPH)));
    if (!k.glyphs)
        goto fail;
    EmptyCache(f, k.glyphs);
    k.requested_size = h;
    k.pixel_size = s;
    k.ascent = WholePixels(face->size->metrics.ascender);
    MakeCurrent(f, slot);
    return 0;
}

fail:
    FT_Set_Pixel_Sizes(face, 0, f->pixel_size);
    return -1;
}

int alfont_text_mode(int mode)
{
    int old = alfont_textmode;
    alfont_textmode = mode;
    return old;
}

// Fills one rendering from a glyph image converted to a bitmap of the wanted
// pixel mode; a failed pixel array leaves an empty rendering.
static bool TakeBitmap(FT_Glyph glyph, FT_Render_Mode mode, FT_Pixel_Mode want,
                       int *w, int *h, int *left, int *top, unsigned char **bits)
{
    FT_Glyph copy = nullptr;
    if (FT_Glyph_Copy(glyph, &copy) != 0)
        return false;
    if (copy->format != FT_GLYPH_FORMAT_BITMAP)
        FT_Glyph_To_Bitmap(&copy, mode, nullptr, 1);
    bool got = false;
    if (copy->format == FT_GLYPH_FORMAT_BITMAP) {
        FT_BitmapGlyph bg = reinterpret_cast<FT_BitmapGlyph>(copy);
        const FT_Bitmap &bm = bg->bitmap;
        if (bm.pixel_mode == want) {
            got = true;
            *w = bm.width;
            *h = bm.rows;
            *left = bg->left;
            *top = bg->top;
            *bits = nullptr;
            if (*w * *h >= 1) {
                unsigned char *out = static_cast<unsigned char *>(malloc(size_t(*w) * *h));
                if (!out) {
                    *w = 0;
                    *h = 0;
                } else {
                    for (int row = 0; row < *h; row++) {
                        const unsigned char *src = bm.buffer + row * bm.pitch;
                        unsigned char *dst = out + row * *w;
                        if (want == FT_PIXEL_MODE_MONO) {
                            // Keep the masked bit itself: any non-zero byte is a set pixel.
                            for (int c = 0; c < *w; c++)
                                dst[c] = src[c >> 3] & (0x80 >> (c & 7));
                        } else {
                            memcpy(dst, src, *w);
                        }
                    }
                    if (want == FT_PIXEL_MODE_GRAY && bm.num_grays > 0) {
                        // Fewer grey levels than 256 are stretched to the full range.
                        unsigned k = (ALFONT_RAMP_SIZE / bm.num_grays) % ALFONT_RAMP_SIZE;
                        if (k > 1)
                            for (int i = 0; i < *w * *h; i++)
                                out[i] = static_cast<unsigned char>(out[i] * k);
                    }
                    *bits = out;
                }
            }
        }
    }
    FT_Done_Glyph(copy);
    return got;
}

static void _alfont_cache_glyph(ALFONT_FONT *f, int g)
{
    ALFONT_GLYPH *e = &f->glyph_cache[g];
    if (e->cached)
        return;
    FT_Face face = f->face;
    FT_Load_Glyph(face, g, FT_LOAD_DEFAULT);
    FT_Glyph glyph = nullptr;
    bool haveGlyph = FT_Get_Glyph(face->glyph, &glyph) == 0;
    e->cached = 1;
    e->has_mono = 0;
    e->has_aa = 0;
    if (haveGlyph) {
        e->has_mono = TakeBitmap(glyph, FT_RENDER_MODE_MONO, FT_PIXEL_MODE_MONO, &e->mono_w,
                                 &e->mono_h, &e->mono_left, &e->mono_top, &e->mono_bits);
        e->has_aa = TakeBitmap(glyph, FT_RENDER_MODE_NORMAL, FT_PIXEL_MODE_GRAY, &e->aa_w,
                               &e->aa_h, &e->aa_left, &e->aa_top, &e->aa_bits);
    }
    e->advance_x = WholePixels(face->glyph->advance.x);
    e->advance_y = WholePixels(face->glyph->advance.y);
    if (haveGlyph)
        FT_Done_Glyph(glyph);
}

int alfont_text_length(ALFONT_FONT *f, const char *str)
{
    int w = 0;
    const char *p = str;
    for (int ch = ugetxc(&p); ch != 0; ch = ugetxc(&p)) {
        int g = NextGlyph(f, ch);
        if (g < 0)
            continue;
        _alfont_cache_glyph(f, g);
        if (f->glyph_cache[g].advance_x != 0)
            w += f->glyph_cache[g].advance_x + f->extra_spacing;
    }
    return w;
}

static void DrawText(BITMAP *bmp, ALFONT_FONT *f, const char *s, int x, int y, int color,
                     int bg, bool aa)
{
    if (y + f->requested_size < bmp->ct || y > bmp->cb || x > bmp->cr)
        return;

    int ramp[ALFONT_RAMP_SIZE] = {0};
    if (bg >= 0) {
        int w = alfont_text_length(f, s);
        // rectfill would swap the corners of an empty box and paint a sliver.
        if (w > 0 && f->requested_size > 0)
            rectfill(bmp, x, y, x + w - 1, y + f->requested_size - 1, bg);
        if (aa) {
            int fc[3] = {getr(color), getg(color), getb(color)};
            int bc[3] = {getr(bg), getg(bg), getb(bg)};
            int step[3];
            for (int c = 0; c < 3; c++)
                step[c] = fc[c] != bc[c] ? fc[c] - bc[c] + 1 : 0;
            for (int i = 0; i < ALFONT_RAMP_SIZE; i++)
                ramp[i] = makecol((bc[0] * 256 + i * step[0]) >> 8,
                                  (bc[1] * 256 + i * step[1]) >> 8,
                                  (bc[2] * 256 + i * step[2]) >> 8);
        }
    }

    acquire_bitmap(bmp);
    const char *p = s;
    for (int ch = ugetxc(&p); ch != 0 && x <= bmp->cr; ch = ugetxc(&p)) {
        int g = NextGlyph(f, ch);
        if (g < 0)
            continue;
        _alfont_cache_glyph(f, g);
        const ALFONT_GLYPH &e = f->glyph_cache[g];
        if (aa && e.has_aa && e.aa_bits) {
            int x0 = x + e.aa_left;
            int y0 = y - e.aa_top + f->ascent;
            const unsigned char *v = e.aa_bits;
            for (int yy = y0; yy < y0 + e.aa_h; yy++)
                for (int xx = x0; xx < x0 + e.aa_w; xx++, v++) {
                    if (*v == 0)
                        continue;
                    if (bg >= 0) {
                        putpixel(bmp, xx, yy, ramp[*v]);
                        continue;
                    }
                    if (*v == ALFONT_FULL) {
                        solid_mode();
                    } else {
                        drawing_mode(DRAW_MODE_TRANS, nullptr, 0, 0);
                        set_trans_blender(0, 0, 0, *v);
                    }
                    putpixel(bmp, xx, yy, color);
                }
        } else if (!aa && e.has_mono && e.mono_bits) {
            int x0 = x + e.mono_left;
            int y0 = y - e.mono_top + f->ascent;
            const unsigned char *v = e.mono_bits;
            for (int yy = y0; yy < y0 + e.mono_h; yy++)
                for (int xx = x0; xx < x0 + e.mono_w; xx++, v++)
                    if (*v)
                        putpixel(bmp, xx, yy, color);
        }
        if (e.advance_x != 0)
            x += e.advance_x + f->extra_spacing;
        if (e.advance_y != 0)
            y += e.advance_y + f->extra_spacing;
    }
    release_bitmap(bmp);

    if (aa && bg < 0)
        solid_mode();
}

void alfont_textout_aa(BITMAP *bmp, ALFONT_FONT *f, const char *s, int x, int y, int color)
{
    DrawText(bmp, f, s, x, y, color, alfont_textmode, true);
}

void alfont_textout(BITMAP *bmp, ALFONT_FONT *f, const char *s, int x, int y, int color)
{
    DrawText(bmp, f, s, x, y, color, alfont_textmode, false);
}

void alfont_textout_centre_aa(BITMAP *bmp, ALFONT_FONT *f, const char *s, int x, int y, int color)
{
    int bg = alfont_textmode;
    int w = alfont_text_length(f, s);
    DrawText(bmp, f, s, x - w / 2, y, color, bg, true);
}

void alfont_textout_centre(BITMAP *bmp, ALFONT_FONT *f, const char *s, int x, int y, int color)
{
    int bg = alfont_textmode;
    int w = alfont_text_length(f, s);
    DrawText(bmp, f, s, x - w / 2, y, color, bg, false);
}
