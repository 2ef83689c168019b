// Native bitmap objects of game.dat, loaded in one read each. The library's
// own loader takes every byte of every pixel through a call of its own,
// which made the typing pages most of what loading cost at start-up.
#ifndef PAPERLUNE_PRESENTATION_BITMAPOBJECT_H
#define PAPERLUNE_PRESENTATION_BITMAPOBJECT_H

#include <cstddef>
#include <cstdint>
#include <deque>
#include <utility>
#include <vector>

#include <allegro.h>

// The picture of a bitmap object's stored bytes (depth, width, height, then
// the pixels) at the current colour depth, exactly as the library's loader
// makes it. Null when a 32-bit one is not whole; other depths go to the
// library's loader as they are.
BITMAP *BitmapFromObject(const uint8_t *body, size_t size);

// Takes over the loading of bitmap objects from the library; the library's
// own loader still reads the kinds the game itself never stores.
void RegisterBitmapObjects();

// The bytes of the file's bitmap objects, in file order, as its check found
// them, still mapped: while these are offered (until the next offer, of
// nothing after the load), the loader reads no pixels.
// It stands in a picture of the right size, unfilled, for each one whose
// size matches, and keeps the bytes to fill it later (FinishBitmap). The
// bytes must stay until every picture is finished or unloaded.
void OfferBitmapBytes(const std::vector<std::pair<const uint8_t *, size_t>> &objects);
// Whether `picture` is such a stand-in, not yet filled.
bool BitmapWaiting(const void *picture);
// Fills the stand-in `picture` from its bytes; harmless for any other.
void FinishBitmap(void *picture);

#endif
