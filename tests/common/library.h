// The library started for code that runs without the game around it: unit
// tests, benchmarks, fuzz targets and the reference pictures of the window
// tests. No screen and no sound device (SYSTEM_NONE).
#ifndef PAPERLUNE_TESTS_LIBRARY_H
#define PAPERLUNE_TESTS_LIBRARY_H

// What a caller needs besides the bare library; combine them with |.
const int LIBRARY_BARE = 0;
const int LIBRARY_TRUE_COLOUR = 1;   // bitmaps made and loaded at 32 bits
const int LIBRARY_JPEG = 2;          // the JPEG add-on's loaders
// The game's own loader of the JPEG objects in game.dat, which takes over
// from the add-on's hook and so brings the add-on first, as start-up does.
const int LIBRARY_JPEG_OBJECTS = 4 | LIBRARY_JPEG;

// Installs the library and each asked-for loader once per process, however
// often it is called; the colour depth, when asked for, is set on every call.
void StartLibrary(int parts);

#endif
