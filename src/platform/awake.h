// The screen kept from its screen saver while the player looks at it without
// touching a key: a letter being typed (a long page is read between keys)
// and the game filling the screen, as video players do. Released on pause,
// on leaving full screen and at exit; a desktop without the X screen saver
// extension is left as it is.
#ifndef PAPERLUNE_PLATFORM_AWAKE_H
#define PAPERLUNE_PLATFORM_AWAKE_H

// The typing page: a letter is being typed now (false while paused, and once
// the letter is done or left).
void KeepAwakeWhileTyping(bool typing);
// The display: the game fills the screen now, or no longer.
void KeepAwakeWhileFullScreen(bool full);
// Everything released and the connection closed, at the display's shutdown.
void KeepAwakeShut();

#endif
