// The one place that knows the real screen, the real pointer and the
// keyboard's own events. Every screen composes a GAME_W x GAME_H frame in a
// back buffer of its own and hands it over here; the display scales it by a
// whole factor to the desktop, fades between frames, maps the pointer back
// into game coordinates and lets the loops sleep until something happens.
#ifndef PAPERLUNE_PLATFORM_DISPLAY_H
#define PAPERLUNE_PLATFORM_DISPLAY_H

#include <allegro.h>

// The picture every screen composes and every layout value refers to.
const int GAME_W = 640;
const int GAME_H = 480;

// Pure rules, callable without a window ---------------------------------------

// Where the picture stands on the real screen: each game pixel is a
// scale x scale block, the top-left corner of the picture at (x, y).
struct DisplayGeometry {
    int scale;
    int x, y;
};

// Full screen at the desktop's own size: the largest whole factor that fits
// (at least 1), centred; a desktop smaller than the picture cuts its edges.
DisplayGeometry FullScreenGeometry(int screenW, int screenH);
// The largest factor whose window, with room for a title bar and a panel,
// still fits the desktop; at least 1.
int WindowScale(int desktopW, int desktopH);
// A position on the real screen as a game position; one in the border counts
// as the nearest edge of the picture.
void ScreenToGame(const DisplayGeometry &geometry, int sx, int sy, int *gx, int *gy);
// A rectangle of the picture; w or h 0 when it is empty.
struct DisplayRect {
    int x, y, w, h;
};
// The smallest rectangle holding every pixel in which two 32-bit pictures
// differ, over the area both cover.
DisplayRect ChangedArea(BITMAP *was, BITMAP *now);
// Copies a rectangle of a 32-bit picture into one `scale` times its size at
// the same place scaled, each pixel an exact block (no blending).
void ScaleArea(BITMAP *src, BITMAP *dst, int scale, const DisplayRect &area);
// The whole picture; dst must be at least src's size times scale.
void ScaleFrame(BITMAP *src, BITMAP *dst, int scale);

// The fade of `show`: 32 steps of weights 0, 8, ..., 248, each blending the
// target over the result of the step before.
const int SHOW_STEPS = 32;
const int SHOW_WEIGHT_STEP = 8;
int ShowWeight(int step);
void ShowBlendStep(BITMAP *work, BITMAP *target, int weight);

// The screen ------------------------------------------------------------------

// Full screen at the desktop's resolution, else the largest window that fits.
// False when no mode can be set. Needs the keyboard and mouse installed.
bool DisplayOpen(const char *title);
// Leaves the graphics mode (text mode), so that a message box can be seen.
// Harmless when the display is not open.
void DisplayShut();
bool DisplayIsFullScreen();
DisplayGeometry DisplayCurrentGeometry();

// Shows a finished frame. Only what differs from the frame presented last
// goes to the screen, so a moved pointer or a typed letter costs its own
// few pixels. A frame smaller than the picture changes only the part it
// covers; the rest keeps what was presented last.
void DisplayPresent(BITMAP *frame);
// Fades from what was presented last to `target`, in SHOW_STEPS steps paced
// by the display's retrace, then shows the target exactly.
void DisplayFade(BITMAP *target);
// A message box the player can see and answer, even over a full screen; the
// picture comes back afterwards.
void DisplayMessage(const char *text);

// Input and pacing --------------------------------------------------------------

// The keyboard queue. Every key press is kept, in order, until a screen reads
// it or empties the queue; F11 never enters it (it switches between full
// screen and window instead).
bool KeyWaiting();
int ReadKey();            // (scancode << KEY_SCANCODE_SHIFT) | character, as Allegro's readkey
const int KEY_SCANCODE_SHIFT = 8;
void ClearKeys();
// The key is held down now.
bool KeyDown(int scancode);
// Takes a held key as let go, so that it counts again only once pressed
// anew (a held Enter must not act on the next screen too).
void ReleaseKey(int scancode);
// The key is down now, or a press of it waits in the queue: a tap quicker
// than the moment a screen looks still counts.
bool KeyHit(int scancode);

// The pointer in game coordinates.
void PointerPosition(int *x, int *y);
// The left button is held down now.
bool PointerDown();
// The left button is down now, or was pressed since a screen last asked: a
// click quicker than the moment a screen looks still counts, once.
bool PointerClicked();
// Forgets the left button, as a screen does once it has acted on a click.
void ClearClick();

// The window's close button (or the desktop's close shortcut) was used.
bool CloseRequested();

// Sleeps until a key, a pointer event, a wake or the close request arrives,
// or maxMs pass. Never returns sooner than one frame after the last frame
// presented, so that a stream of pointer events costs at most 60 frames a
// second; a request to switch the screen is carried out on the way.
void DisplayWait(int maxMs);
// A pause of ms milliseconds that still answers F11; it ends early when the
// close request comes. Keys and clicks are left for the screen to read.
void DisplayRest(int ms);
// Ends the current DisplayWait from any thread; safe in the clock callback.
void DisplayWake();

// Milliseconds of a frame at 60 frames a second, rounded up.
const int DISPLAY_FRAME_MS = 17;
// Longest sleep of a loop that waits for input only, as a safety net.
const int DISPLAY_IDLE_MS = 250;

#endif
