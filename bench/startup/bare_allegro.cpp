// The yardstick of the game's start-up: a bare Allegro 4 program that opens
// a 640 x 480 window, shows one picture (the JPEG file it is given) and
// waits to be ended.
#include <allegro.h>
#include <jpgalleg.h>

#include <cerrno>
#include <cstdlib>

static const int BARE_W = 640;
static const int BARE_H = 480;
static const int BARE_DEPTH = 32;
static const int BARE_REST_MS = 1000;

int main(int argc, char **argv)
{
    if (argc < 2 || install_allegro(SYSTEM_AUTODETECT, &errno, atexit) != 0)
        return 1;
    jpgalleg_init();
    set_color_depth(BARE_DEPTH);
    if (set_gfx_mode(GFX_AUTODETECT_WINDOWED, BARE_W, BARE_H, 0, 0) != 0)
        return 1;
    BITMAP *picture = load_jpg(argv[1], nullptr);
    if (!picture)
        return 1;
    blit(picture, screen, 0, 0, 0, 0, picture->w, picture->h);
    for (;;)
        rest(BARE_REST_MS);
}
END_OF_MAIN()
