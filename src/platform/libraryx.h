// The graphics library's own connection to the X server: its descriptor, for
// the background round to wait on, and work done on it under the library's
// own lock. The library reads that connection only in its background round,
// and sends what it draws only when something flushes it.
#ifndef PAPERLUNE_PLATFORM_LIBRARYX_H
#define PAPERLUNE_PLATFORM_LIBRARYX_H

// The descriptor of the library's X connection; -1 while it has none.
int LibraryXDescriptor();
// From now on the library's input round reads until no event is left queued
// (its own stops after 50), and LibraryXFlush works. Once the library runs.
void LibraryXTakeOver();
// Sends what the library has drawn to the X server at once, without waiting
// for an answer. True when doing so read events into the library's queue
// (a server slow to take the bytes): they want a round (BackgroundWake).
bool LibraryXFlush();
// Asks the X server for an answer and takes every event it sent before it
// into the library's input round now, on this thread: whatever the server
// had from the keyboard at this moment has reached the game's callbacks
// when this returns. False when the library has no connection.
bool LibraryXCatchUp();

#endif
