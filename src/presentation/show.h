// Fades a picture into the screen in 32 retrace-paced steps.
#ifndef PAPERLUNE_PRESENTATION_SHOW_H
#define PAPERLUNE_PRESENTATION_SHOW_H

#include <allegro.h>

const int SHOW_STEPS = 32;        // blending steps of one fade
const int SHOW_WEIGHT_STEP = 8;   // weight added per step: 0, 8, ..., 248

// Weight of step i (0-based) of a fade.
int ShowWeight(int step);

// One blending step: target over work at the given weight.
void ShowBlendStep(BITMAP *work, BITMAP *target, int weight);

int show(BITMAP *target);
int show(int index);

#endif
