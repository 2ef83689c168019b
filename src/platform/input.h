// The player's input as every screen reads it: a keyboard queue that loses
// no key, the pointer in game coordinates, the close button, and the sleep
// of every loop until something happens.
//
// Threads: the library calls the callbacks behind this on its own
// background thread, and the clock's tick wakes the loops from the timer
// thread. They only push keys into a lock-free queue, set atomic flags and
// write to an eventfd under a short lock; everything else happens on the
// main thread.
#ifndef PAPERLUNE_PLATFORM_INPUT_H
#define PAPERLUNE_PLATFORM_INPUT_H

#include "platform/geometry.h"

// Starts and stops taking the library's keyboard and pointer events; the
// display does both as it opens and shuts.
void InputOpen();
void InputShut();
// Where the picture stands on the real screen, for the pointer; the display
// says so at every change of mode.
void InputSetGeometry(const DisplayGeometry &geometry);
// What the display does in every wait of a loop (a switch of mode asked for
// with F11), and when it last presented a frame.
void InputSetFrameService(void (*service)());
void InputFramePresented();
// Work the loops do, one piece at a time, where they would otherwise sleep;
// `work` says whether any is left. Null: none.
void InputSetIdleWork(bool (*work)());
// A switch between full screen and window was asked for (F11) since the last
// call. A held F11 asks once per press.
bool TakeScreenSwitchRequest();
// Called on the main thread, in the wait of whatever loop runs, once for
// each press of F9, the key that mutes and unmutes all sound anywhere. F9
// never enters the keyboard queue. Null: F9 does nothing.
void InputSetMuteKeyHandler(void (*handler)());
// The handler for the window's close button, which the display hands to the
// library at every change of mode.
void InputCloseButton();

// The keyboard queue. Every key press is kept, in order, until a screen reads
// it or empties the queue; F11 and F9 never enter it.
bool KeyWaiting();
int ReadKey();            // (scancode << KEY_SCANCODE_SHIFT) | character, as Allegro's readkey
const int KEY_SCANCODE_SHIFT = 8;
void ClearKeys();
// The keys held down now (the one that turned the last page, say) enter the
// queue again only once let go and pressed anew: their repeats are not keys.
void PassOverHeldKeys();
// The key is held down now.
bool KeyDown(int scancode);
// Takes a held key as let go, so that it counts again only once pressed
// anew (a held Enter must not act on the next screen too).
void ReleaseKey(int scancode);
// The key is down now, or a press of it waits in the queue: a tap quicker
// than the moment a screen looks still counts.
bool KeyHit(int scancode);

// Caps Lock is on, as the keyboard itself shows it; cheap enough to ask at
// every wake of a loop, which a change of it brings.
bool CapsLockOn();

// The pointer in game coordinates.
void PointerPosition(int *x, int *y);
// The left button is held down now.
bool PointerDown();
// The left button is down now, or was pressed since a screen last asked: a
// click quicker than the moment a screen looks still counts, once.
bool PointerClicked();

// Empties the keyboard queue, forgets the left button and the Enter key, so
// that one press is never taken twice.
void ClearState();

// The window's close button (or the desktop's close shortcut) was used, or
// the session is ending from outside (platform/session.h).
bool CloseRequested();
// Everything the X server had from the keyboard and the pointer at this
// moment is taken in: a key typed in the same instant as a close request is
// in the queue when this returns. Nothing is done once the X server is
// gone.
void CatchUpInput();
// The close request from outside the window: a stop signal, the X server
// going away. Safe in a signal handler: it sets a flag and wakes every wait
// through a descriptor that stays open for the life of the process, so that
// no handler can ever write into a closed one.
void CloseFromOutside();
// Opens that descriptor; once, before any handler may call the above.
void InputPrepareOutsideClose();

// Sleeps until a key, a pointer event, a wake, a change of the window or of
// Caps Lock, or the close request arrives, or maxMs pass. Nothing else
// wakes it. Pointer motion sooner than one frame after the last frame
// presented waits for that frame, so that a stream of pointer events costs
// at most 60 frames a second; a key or a click never waits. A request to
// switch the screen is carried out on the way.
void DisplayWait(int maxMs);
// A pause of ms milliseconds that still answers F11; it ends early when the
// close request comes. Keys and clicks are left for the screen to read.
void DisplayRest(int ms);
// Ends the current DisplayWait from any thread; safe in the clock callback.
void DisplayWake();
// A key press is waiting or the left button went down.
bool PressWaiting();
// Waits until a key press is waiting or the left button is down, or the
// close request comes.
void WaitForPress();

// Longest sleep of a loop that waits for input only, as a safety net: every
// event that matters wakes the loop by itself, and a still page costs
// nothing.
const int DISPLAY_IDLE_MS = 10000;

#endif
