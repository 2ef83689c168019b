// The library's background thread reads the X events and mixes the sound in
// rounds of 10 ms, from a loop that wakes every millisecond to see whether a
// round is due: a thousand wake-ups a second, a key seen up to 10 ms late,
// and most of what the game costs while the player only reads. This puts in
// a thread of our own, under the same locking, that reads the X connection
// the moment it has something to read and otherwise sleeps; the sound is
// mixed two of the sound driver's buffers at a time, a little more often
// than they play (every 44 ms for two of 1024 frames), but only while
// something is heard. Call it before
// install_allegro.
#ifndef PAPERLUNE_PLATFORM_BACKGROUND_H
#define PAPERLUNE_PLATFORM_BACKGROUND_H

void QuietBackgroundThread();

// The functions the library has registered so far read its X connection:
// they run when it has something to read, or at BackgroundWake. Those it
// registers later (the sound driver's) mix sound. Once, after install_allegro.
void BackgroundInputRegistered();
// A round that reads the X connection now, for events that the game's own
// thread may have taken into the library's queue while it waited for an
// answer of the server (setting a mode does).
void BackgroundWake();

// Something sounds for `ms` more: the mixing rounds run until then, and a
// little longer, so that the last mixed part reaches the device.
void BackgroundSoundFor(int ms);
// Music that plays until it is stopped: while on, the mixing rounds run.
void BackgroundMusic(bool on);

#endif
