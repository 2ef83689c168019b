// How the game's window presents itself to the desktop: the paper-moon icon
// the desktop entry shows, and a window class the entry can match.
#ifndef PAPERLUNE_PLATFORM_ICON_H
#define PAPERLUNE_PLATFORM_ICON_H

// Call before install_allegro: on X11 the library makes its window there and
// takes the class then; the icon is read when the graphics mode is set.
void PrepareGameWindow();
// Tells the desktop the window's name, its process and its icon at the sizes
// taskbars and switchers ask for; after every change of mode.
void DescribeGameWindow(unsigned long window, const char *name);

#endif
