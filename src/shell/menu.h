// The main menu: New game, Continue Playing, Practice, Hall of Records,
// Settings, Quit.
#ifndef PAPERLUNE_SHELL_MENU_H
#define PAPERLUNE_SHELL_MENU_H

#include <allegro.h>
#include "presentation/alfont.h"

// What one pass of the menu reads.
struct MenuInput {
    bool keyWaiting;
    bool up, down, enter;
    int pointerX, pointerY;
    bool click;
};

// Item 1..6 whose pointer band holds (x, y), or 0.
int MenuItemAt(int x, int y);

// The keyboard, pointer and click steps of one pass: the new selection (an
// action code when an item was activated), and how many key sounds to play.
int MenuNextSelection(int selection, const MenuInput &input, int *keySounds);

// Runs until "Quit" is activated.
void MainMenu(BITMAP *buffer, ALFONT_FONT *font);

#endif
