// A screen's back buffer: a memory bitmap of the picture's size, in which the
// screen composes its frames. Without memory for one the game cannot show
// anything, so it ends through the one fatal path, saying why.
#ifndef PAPERLUNE_PRESENTATION_BUFFER_H
#define PAPERLUNE_PRESENTATION_BUFFER_H

#include <allegro.h>

BITMAP *CreateBackBuffer();

#endif
