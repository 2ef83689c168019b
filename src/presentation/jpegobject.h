// JPEG objects of game.dat: their streams' structure, and their decoding by
// the JPEG add-on, which trusts the tables and sizes it reads.
#ifndef PAPERLUNE_PRESENTATION_JPEGOBJECT_H
#define PAPERLUNE_PRESENTATION_JPEGOBJECT_H

#include <cstddef>
#include <cstdint>

#include <allegro.h>

// Walks a JPEG stream's markers and segments: lengths within the stream,
// tables that make sense, one baseline frame the add-on decodes safely, scans
// that use only tables defined before them, and an end marker. Null when it
// holds, with the frame's size; else what is wrong, as a phrase.
const char *CheckJpegStream(const uint8_t *bytes, size_t size, int &width, int &height);

// Decodes a JPEG stream with the add-on, away from the datafile loader: when
// an object fails inside load_datafile, the loader frees memory twice, so no
// stream the add-on would refuse may get there. True when it gives a picture
// of the given size. Needs the library started, the add-on initialised and
// the colour depth set.
bool DataJpegDecodes(const uint8_t *bytes, size_t size, int width, int height);
// The picture itself, as the loader would make it from these bytes, or null
// when it does not decode to that size.
BITMAP *DecodeDataJpeg(const uint8_t *bytes, size_t size, int width, int height);
// The same trial, keeping the picture for the loader: start-up decodes every
// picture on trial, and the loader then takes each one instead of decoding
// its stream a second time.
bool KeepDecodedJpeg(const uint8_t *bytes, size_t size, int width, int height);
// Frees the kept pictures the loader has not taken.
void ForgetDecodedJpegs();

// While on, the loader stands a blank picture of the right size in for each
// JPEG object that no trial decoded, and keeps the stream to decode later:
// start-up then shows its first picture without decoding all the others.
void DeferJpegDecoding(bool on);
// Whether `picture` is such a stand-in whose stream waits.
bool JpegWaiting(const void *picture);
// Decodes the stream of the stand-in `picture` into it; harmless for any
// other picture. A stream that does not decode leaves the picture black.
// Unloading a stand-in drops its stream.
void FinishJpeg(void *picture);

// Takes over the loading of JPEG objects from the add-on's own hook, after
// jpgalleg_init: the object is the picture kept from its trial when its
// bytes are those tried, else decoded from a buffer with zeros after it,
// exactly as DataJpegDecodes does, so a stream that passed the trial loads.
// The add-on's hook decodes from a buffer with whatever follows in memory.
void RegisterJpegObjects();

#endif
