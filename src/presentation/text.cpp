#include "presentation/text.h"

#include "platform/fatal.h"

static const char FONT_LOAD_ERROR[] = "Cannot load the font";
static const int TEXT_TRANSPARENT = -1;   // the font layer's mode for no background box

const char MENU_FONT[] = "Fonts\\engeregu.ttf";
char AA = 1;

int StartText()
{
    int problem = alfont_init();
    if (problem == 0)
        alfont_text_mode(TEXT_TRANSPARENT);
    return problem;
}

int Textout(BITMAP *bmp, ALFONT_FONT *f, const char *text, int x, int y, int color, int size, bool aa)
{
    // A refused height leaves the font at its last one, which is still worth drawing.
    alfont_set_font_size(f, size);
    if (aa)
        alfont_textout_aa(bmp, f, text, x, y, color);
    else
        alfont_textout(bmp, f, text, x, y, color);
    return 0;
}

int Textout_centre(BITMAP *bmp, ALFONT_FONT *f, const char *text, int x, int y, int color, int size, bool aa)
{
    alfont_set_font_size(f, size);
    if (aa)
        alfont_textout_centre_aa(bmp, f, text, x, y, color);
    else
        alfont_textout_centre(bmp, f, text, x, y, color);
    return 0;
}

ALFONT_FONT *LoadFontOrDie(const char *gamePath)
{
    ALFONT_FONT *font = alfont_load_font(gamePath);
    if (!font)
        FatalExit(FONT_LOAD_ERROR);
    return font;
}
