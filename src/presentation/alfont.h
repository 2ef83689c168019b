// The font layer: TrueType fonts on FreeType 2, drawn onto Allegro bitmaps.
// Glyphs are rasterised once per height into a cache holding a 1-bit and an
// anti-aliased rendering of each. A font keeps the caches of its last few
// heights, because the menus switch between three heights every frame.
#ifndef PAPERLUNE_PRESENTATION_ALFONT_H
#define PAPERLUNE_PRESENTATION_ALFONT_H

#include <allegro.h>
#include <ft2build.h>
#include FT_FREETYPE_H

// Heights whose renderings a font keeps; the least recently used goes first.
const int ALFONT_KEPT_SIZES = 4;

struct ALFONT_GLYPH {
    char cached;                  // the entry holds a rendering at the font's current height
    int mono_w, mono_h;
    int aa_w, aa_h;
    int mono_left, mono_top;      // left of the pen position, top above the baseline
    int aa_left, aa_top;
    int advance_x, advance_y;     // whole pixels
    int has_mono, has_aa;
    unsigned char *mono_bits;     // mono_w * mono_h bytes, non-zero where set; null when empty
    unsigned char *aa_bits;       // aa_w * aa_h coverage bytes 0..255; null when empty
};

// One kept height: what the size search found for it and its renderings.
struct ALFONT_SIZE {
    int requested_size;           // 0 while the slot holds no height
    int pixel_size;
    int ascent;
    unsigned long long last_use;  // the font's use count when last made current
    ALFONT_GLYPH *glyphs;         // one entry per glyph index; null until first used
};

struct ALFONT_FONT {
    FT_Face face;
    int requested_size;           // height last set by alfont_set_font_size; 0 before
    int pixel_size;               // pixel size set on the face to get that height
    int ascent;                   // scaled ascender in whole pixels
    char *mem_data;               // font bytes when opened from memory; null from a file
    int mem_size;
    int extra_spacing;            // pixels added after every advance
    int fixed_count;              // -1 for a scalable face, else its number of fixed sizes
    ALFONT_GLYPH *glyph_cache;    // one entry per glyph index: the current height's
    int *fixed_heights;           // heights of the fixed sizes, closed by -1
    ALFONT_SIZE kept[ALFONT_KEPT_SIZES];
    int current;                  // slot of kept[] that glyph_cache belongs to
    unsigned long long uses;      // counts height changes, to find the least recent
    int digit_glyphs[10];         // the face's lining figures for 0..9; 0 where it has none
};

int          alfont_init();
void         alfont_exit();
// Null when the file cannot be opened, or when the printable ASCII characters
// the face maps cannot all be loaded and drawn.
ALFONT_FONT *alfont_load_font(const char *path);
void         alfont_destroy_font(ALFONT_FONT *f);
// 0 when the height is set (or already was), -1 when refused; a refusal
// keeps the previous height, metrics and renderings.
int          alfont_set_font_size(ALFONT_FONT *f, int h);
// Background colour of text from now on, negative for none; returns the one before.
int          alfont_text_mode(int mode);
int          alfont_text_length(ALFONT_FONT *f, const char *str);
void         alfont_textout_aa(BITMAP *bmp, ALFONT_FONT *f, const char *s, int x, int y, int color);
void         alfont_textout(BITMAP *bmp, ALFONT_FONT *f, const char *s, int x, int y, int color);
void         alfont_textout_centre_aa(BITMAP *bmp, ALFONT_FONT *f, const char *s, int x, int y, int color);
void         alfont_textout_centre(BITMAP *bmp, ALFONT_FONT *f, const char *s, int x, int y, int color);

#endif
