// What the game's menu screens share: the main menu, the Hall of Records, the
// quit dialog and the choice menu. Each composes its own picture and keeps
// its own rules of what the keys and the pointer do; this is the step around
// them: compose when something the player can see changed, lay the pointer
// over it, fade or present, and sleep until the next input.
#ifndef PAPERLUNE_PRESENTATION_MENUSTEP_H
#define PAPERLUNE_PRESENTATION_MENUSTEP_H

#include <allegro.h>

// Draws a screen's picture for the given selection into the buffer.
typedef void (*MenuCompose)(BITMAP *buffer, int selection, void *state);

struct MenuScreen {
    BITMAP *buffer;          // the screen's back buffer
    MenuCompose compose;
    void *state;             // handed to compose: the screen's own state
    bool pointer;            // the pointer picture is drawn over every frame
    bool fadeIn;             // the next frame fades in, as the screen comes back
    // What the screen shows now; the selection 0 and the pointer at -1 until
    // the first frame.
    int drawnSelection, drawnX, drawnY;
};

// A screen that has shown nothing yet.
MenuScreen MenuScreenFor(BITMAP *buffer, MenuCompose compose, void *state, bool pointer, bool fadeIn);

// The next frame is composed whatever has changed (another screen drew over
// this one).
void MenuScreenRedraw(MenuScreen &menu);

// One pass: a frame when the selection, the pointer (where it is drawn) or a
// due fade asks for one, then a sleep until input comes.
void MenuStep(MenuScreen &menu, int selection);

// The arrow rule of every menu: each key that moves back lowers the
// selection by one, then each that moves forward raises it, never past 1 or
// `count`.
int MoveSelection(int selection, int count, int backs, int forwards);

#endif
