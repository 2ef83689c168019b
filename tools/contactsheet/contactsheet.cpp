// contactsheet GAME.dat OUT.png
// Loads the datafile exactly as the game does (32-bit colour, JPEG objects
// decoded by jpgalleg) and lays every position out with its index and size.
// Masked pictures stand on a checkerboard so that their transparent parts show.
#include <allegro.h>
#include <jpgalleg.h>
#include <png.h>

#include <cerrno>
#include <cstdio>
#include <vector>

static const int PICTURE_COUNT = 33;
static const int COLUMNS = 6;
static const int CELL_W = 320;               // half a screen
static const int CELL_H = 240;
static const int LABEL_H = 14;
static const int GAP = 8;
static const int MAX_ZOOM = 4;               // small pictures are enlarged up to this
static const int CHECKER = 8;
static const int SHEET_COLOR = 0x202020;
static const int LABEL_COLOR = 0xF0E0C0;
static const int ERROR_COLOR = 0xFF6060;
static const int CHECKER_LIGHT = 0x9A9A9A;
static const int CHECKER_DARK = 0x6A6A6A;

static const char USAGE[] = "usage: contactsheet GAME.dat OUT.png\n";

static bool WritePng(const char *path, BITMAP *b)
{
    FILE *f = fopen(path, "wb");
    if (!f)
        return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, info ? &info : nullptr);
        fclose(f);
        return false;
    }
    png_init_io(png, f);
    png_set_IHDR(png, info, b->w, b->h, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<png_byte> row(size_t(b->w) * 3);
    for (int y = 0; y < b->h; y++) {
        for (int x = 0; x < b->w; x++) {
            int c = getpixel(b, x, y);
            row[x * 3] = getr32(c);
            row[x * 3 + 1] = getg32(c);
            row[x * 3 + 2] = getb32(c);
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return fclose(f) == 0;
}

static void Checkerboard(BITMAP *sheet, int x, int y, int w, int h)
{
    for (int cy = 0; cy < h; cy += CHECKER)
        for (int cx = 0; cx < w; cx += CHECKER) {
            int light = ((cx / CHECKER) + (cy / CHECKER)) % 2 == 0;
            rectfill(sheet, x + cx, y + cy, x + MIN(cx + CHECKER, w) - 1, y + MIN(cy + CHECKER, h) - 1,
                     light ? CHECKER_LIGHT : CHECKER_DARK);
        }
}

// True when the picture uses the mask colour anywhere, i.e. is drawn masked.
static bool HasMask(BITMAP *b)
{
    int mask = bitmap_mask_color(b);
    for (int y = 0; y < b->h; y++)
        for (int x = 0; x < b->w; x++)
            if (getpixel(b, x, y) == mask)
                return true;
    return false;
}

static void DrawCell(BITMAP *sheet, const DATAFILE &entry, int index, int x, int y)
{
    bool bitmap = entry.type == DAT_BITMAP || entry.type == DAT_ID('J', 'P', 'E', 'G');
    BITMAP *b = bitmap ? static_cast<BITMAP *>(entry.dat) : nullptr;
    if (!b) {
        textprintf_ex(sheet, font, x, y, ERROR_COLOR, -1, "%d: not a bitmap", index);
        return;
    }
    // Fit into the cell; enlarge small ones by a whole factor so pixels stay sharp.
    int areaH = CELL_H - LABEL_H;
    double scale = MIN(double(CELL_W) / b->w, double(areaH) / b->h);
    if (scale >= 1)
        scale = MIN(int(scale), MAX_ZOOM);
    int w = MAX(1, int(b->w * scale));
    int h = MAX(1, int(b->h * scale));
    int dx = x + (CELL_W - w) / 2;
    int dy = y + LABEL_H + (areaH - h) / 2;
    if (HasMask(b)) {
        Checkerboard(sheet, dx, dy, w, h);
        masked_stretch_blit(b, sheet, 0, 0, b->w, b->h, dx, dy, w, h);
    } else {
        stretch_blit(b, sheet, 0, 0, b->w, b->h, dx, dy, w, h);
    }
    char zoom[16] = "";
    if (scale > 1)
        snprintf(zoom, sizeof zoom, " x%d", int(scale));
    textprintf_ex(sheet, font, x, y + 2, LABEL_COLOR, -1, "%d  %dx%d %s%s", index, b->w, b->h,
                  entry.type == DAT_BITMAP ? "bitmap" : "jpeg", zoom);
}

int main(int argc, char **argv)
{
    if (argc != 3) {
        fputs(USAGE, stderr);
        return 2;
    }
    install_allegro(SYSTEM_NONE, &errno, atexit);
    jpgalleg_init();
    set_color_depth(32);
    DATAFILE *data = load_datafile(argv[1]);
    if (!data) {
        fprintf(stderr, "contactsheet: cannot load %s\n", argv[1]);
        return 1;
    }
    int count = 0;
    while (data[count].type != DAT_END)
        count++;
    int rows = (PICTURE_COUNT + COLUMNS - 1) / COLUMNS;
    BITMAP *sheet = create_bitmap_ex(32, GAP + COLUMNS * (CELL_W + GAP), GAP + rows * (CELL_H + GAP));
    clear_to_color(sheet, SHEET_COLOR);
    for (int i = 0; i < PICTURE_COUNT; i++) {
        int x = GAP + (i % COLUMNS) * (CELL_W + GAP);
        int y = GAP + (i / COLUMNS) * (CELL_H + GAP);
        if (i < count)
            DrawCell(sheet, data[i], i, x, y);
        else
            textprintf_ex(sheet, font, x, y, ERROR_COLOR, -1, "%d: missing", i);
    }
    bool written = WritePng(argv[2], sheet);
    destroy_bitmap(sheet);
    unload_datafile(data);
    if (!written) {
        fprintf(stderr, "contactsheet: cannot write %s\n", argv[2]);
        return 1;
    }
    return count >= PICTURE_COUNT ? 0 : 1;
}
