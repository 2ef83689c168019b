// The two helpers through which every screen draws its text (set the height,
// then draw, anti-aliased when the flag is set), and the loading of a font
// that the game cannot do without.
#ifndef PAPERLUNE_PRESENTATION_TEXT_H
#define PAPERLUNE_PRESENTATION_TEXT_H

#include "presentation/alfont.h"

extern char AA;   // 1: every text is drawn anti-aliased; never changed

// The font of the menus, the dialogs, the ending and the narration.
extern const char MENU_FONT[];    // "Fonts\engeregu.ttf"

// Starts the font layer, every text drawn without a background box from
// then on (the one place that sets it); non-zero when the layer cannot start.
int StartText();

int Textout(BITMAP *bmp, ALFONT_FONT *f, const char *text, int x, int y, int color, int size, bool aa);
int Textout_centre(BITMAP *bmp, ALFONT_FONT *f, const char *text, int x, int y, int color, int size, bool aa);

// Loads a font, or ends the program with "Cannot load the font".
ALFONT_FONT *LoadFontOrDie(const char *gamePath);

#endif
