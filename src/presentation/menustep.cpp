#include "presentation/menustep.h"

#include "platform/display.h"
#include "platform/input.h"
#include "presentation/datafile.h"
#include "presentation/show.h"

static const int MENU_NOTHING_DRAWN = -1;

MenuScreen MenuScreenFor(BITMAP *buffer, MenuCompose compose, void *state, bool pointer, bool fadeIn)
{
    return {buffer, compose, state, pointer, fadeIn, 0, MENU_NOTHING_DRAWN, MENU_NOTHING_DRAWN};
}

void MenuScreenRedraw(MenuScreen &menu)
{
    menu.drawnSelection = 0;
    menu.drawnX = menu.drawnY = MENU_NOTHING_DRAWN;
}

void MenuStep(MenuScreen &menu, int selection)
{
    // A frame only when the player can see a difference.
    int x = 0, y = 0;
    if (menu.pointer)
        PointerPosition(&x, &y);
    bool moved = menu.pointer && (x != menu.drawnX || y != menu.drawnY);
    if (menu.fadeIn || selection != menu.drawnSelection || moved) {
        menu.compose(menu.buffer, selection, menu.state);
        if (menu.pointer) {
            BITMAP *pointer = DataBitmap(MOUSE_CURSOR);
            masked_blit(pointer, menu.buffer, 0, 0, x, y, pointer->w, pointer->h);
        }
        menu.drawnSelection = selection;
        menu.drawnX = x;
        menu.drawnY = y;
        if (menu.fadeIn) {
            show(menu.buffer);
            menu.fadeIn = false;
        } else {
            DisplayPresent(menu.buffer);
        }
    }
    DisplayWait(DISPLAY_IDLE_MS);
}

int MoveSelection(int selection, int count, int backs, int forwards)
{
    for (int i = 0; i < backs; i++)
        if (selection > 1)
            selection--;
    for (int i = 0; i < forwards; i++)
        if (selection < count)
            selection++;
    return selection;
}
