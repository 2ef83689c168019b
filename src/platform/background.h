// The library's background thread, which reads the X events and mixes the
// sound in rounds of 10 ms, comes with a loop that wakes every millisecond to
// see whether a round is due: a thousand wake-ups a second, and most of what
// the game costs while the player only reads. This puts in a thread of our
// own that runs the same rounds under the same locking and sleeps until each
// is due. Call it before install_allegro.
#ifndef PAPERLUNE_PLATFORM_BACKGROUND_H
#define PAPERLUNE_PLATFORM_BACKGROUND_H

void QuietBackgroundThread();

#endif
