#include "library.h"

#include <allegro.h>
#include <jpgalleg.h>

#include <cerrno>
#include <cstdlib>

#include "presentation/jpegobject.h"

static const int LIBRARY_COLOUR_DEPTH = 32;

void StartLibrary(int parts)
{
    static bool jpeg = false, jpegObjects = false;
    if (!system_driver)
        install_allegro(SYSTEM_NONE, &errno, atexit);
    if ((parts & LIBRARY_JPEG) && !jpeg) {
        jpgalleg_init();
        jpeg = true;
    }
    if ((parts & LIBRARY_JPEG_OBJECTS) == LIBRARY_JPEG_OBJECTS && !jpegObjects) {
        RegisterJpegObjects();
        jpegObjects = true;
    }
    if (parts & LIBRARY_TRUE_COLOUR)
        set_color_depth(LIBRARY_COLOUR_DEPTH);
}
