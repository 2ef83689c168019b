#include "presentation/buffer.h"

#include "platform/fatal.h"
#include "platform/geometry.h"

static const char BUFFER_MEMORY_ERROR[] = "Not enough memory for the game's pictures";

BITMAP *CreateBackBuffer()
{
    BITMAP *buffer = create_bitmap(GAME_W, GAME_H);
    if (!buffer)
        FatalExit(BUFFER_MEMORY_ERROR);
    return buffer;
}
