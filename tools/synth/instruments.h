// The instruments the scores may name. Each renders one note, on its own,
// into a stereo buffer that starts at the note's onset.
#ifndef PAPERLUNE_SYNTH_INSTRUMENTS_H
#define PAPERLUNE_SYNTH_INSTRUMENTS_H

#include <cstdint>
#include <string>

#include "dsp.h"

enum Instrument {
    INSTRUMENT_PIANO,     // soft felt piano, inharmonic partials, two strings per note
    INSTRUMENT_CELESTA,   // small struck bars, nearly a pure tone
    INSTRUMENT_PAD,       // warm detuned ensemble, slow swell
    INSTRUMENT_STRINGS,   // brighter ensemble with delayed vibrato
    INSTRUMENT_PLUCK,     // plucked string (delay-line model)
    INSTRUMENT_BASS,      // round fingered bass
    INSTRUMENT_KICK,      // soft low thump
    INSTRUMENT_SHAKER,    // filtered noise grain
    INSTRUMENT_TICK,      // small wooden tick
    INSTRUMENT_COUNT
};

// Returns the instrument with that score name, or -1.
int InstrumentByName(const std::string &name);

struct NoteParams {
    double freq;          // Hz
    double seconds;       // how long the key is held
    double velocity;      // 0..1
    double attack;        // seconds; below 0 means the instrument's own
    double release;       // seconds to fall 60 dB after the key is let go; below 0: own
    double bright;        // 0..1 tone colour, 0.5 neutral
    uint32_t seed;        // noise and detune for this note
    int maxSamples;       // the rendering never runs longer than this
};

// Renders the note from sample 0; the buffer ends where the sound has died away.
void RenderNote(int instrument, const NoteParams &p, Stereo &out);

#endif
