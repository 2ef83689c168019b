#include "platform/path.h"

static const char GAME_SEPARATOR = '\\';
#ifdef _WIN32
static const char NATIVE_SEPARATOR = '\\';
#else
static const char NATIVE_SEPARATOR = '/';
#endif

std::string NativePath(const char *gamePath)
{
    std::string path = gamePath ? gamePath : "";
    for (char &c : path)
        if (c == GAME_SEPARATOR)
            c = NATIVE_SEPARATOR;
    return path;
}
