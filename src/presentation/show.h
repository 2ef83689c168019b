// Fades a picture into the screen: 32 retrace-paced steps from what the player
// sees now, then the picture exactly. The steps and their weights are the
// display's (platform/geometry.h).
#ifndef PAPERLUNE_PRESENTATION_SHOW_H
#define PAPERLUNE_PRESENTATION_SHOW_H

#include <allegro.h>

int show(BITMAP *target);
int show(int index);

#endif
