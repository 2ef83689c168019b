#include "player/game.h"

int mistakes = 0;

void game(int)
{
}
