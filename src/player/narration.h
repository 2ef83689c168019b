// The reading scenes of the scene player: narration pages centred on their
// picture, the letter box that reveals a text line by line, and the pause.
#ifndef PAPERLUNE_PLAYER_NARRATION_H
#define PAPERLUNE_PLAYER_NARRATION_H

#include <allegro.h>

#include "presentation/alfont.h"
#include "story/scene.h"

// How many lines, from index `start` on, come before the next marker line
// ("ENDOFTEXT", "NEWPAGE") or the end of the text.
int NumberOfLines(char **text, int start);
// The top of line k of a narration page whose first line is `first`: the
// page's block centred on the screen's middle, one line pitch per line.
int NarrationLineY(char **text, int first, int k, int fontSize, int screenH);

// Each returns false when the player left the game from it (the quit dialog,
// or the window's close button). They compose in `page` with `font`.

// Reveals the text one line per press, then shows the bare picture; leaves
// *k on the end marker and *first on the last page.
bool LetterBox(const Scene *scene, BITMAP *page, ALFONT_FONT *font, int *k, int *first);
// Pages of centred text from line k on, a press for each.
bool Narration(const Scene *scene, BITMAP *page, ALFONT_FONT *font, int k, int first);
// The pause picture for the scene's pauseMs; no key is needed.
void Pause(const Scene *scene);

// The window's close button during play is a confirmed quit: the dialog
// saves as "Yes" does and says leave.
bool LeaveForClose();

#endif
