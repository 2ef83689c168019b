// The game names its files with backslashes ("Fonts\typewriter.ttf"); this is
// the one place where such a name becomes a path of the running platform.
#ifndef PAPERLUNE_PLATFORM_PATH_H
#define PAPERLUNE_PLATFORM_PATH_H

#include <string>

std::string NativePath(const char *gamePath);

#endif
