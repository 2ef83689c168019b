// The graphics library brought up and taken down, with what the game puts in
// place of its own parts: the quieter background thread, the window's name
// and icon, the signal handlers.
#ifndef PAPERLUNE_PLATFORM_SYSTEM_H
#define PAPERLUNE_PLATFORM_SYSTEM_H

// Starts the library. Null, or why it could not start.
const char *SystemStart();
// The library's timer, keyboard and mouse; false when there is no mouse.
bool SystemStartInput();
// The same in two parts: the timer and the mouse (false when there is no
// mouse), then the keyboard, whose input method takes a while to open.
bool SystemStartPointer();
void SystemStartKeyboard();
// The library shut down, last of all.
void SystemShut();

#endif
