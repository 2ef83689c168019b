// Turns a score into a seamless stereo loop at a set loudness.
#ifndef PAPERLUNE_SYNTH_RENDER_H
#define PAPERLUNE_SYNTH_RENDER_H

#include <string>

#include "dsp.h"
#include "score.h"

struct RenderReport {
    long samples;        // length of the loop, per channel
    double rmsDb;        // of both channels together, after levelling
    double peak;         // largest sample magnitude
    double tailDb;       // what was left unfolded at the end of the tail, relative to the peak
    double gainDb;       // levelling applied to reach the score's loudness
};

// Length of the loop in samples: the score's beats at its tempo, rounded once.
long LoopSamples(const Score &score);

// Renders the whole piece. The sound that rings past the end (release tails,
// reverb) is folded onto the beginning, so playing the result over and over
// sounds exactly like one endless performance. Fails if the tail did not
// die away within the room allowed for it.
bool RenderScore(const Score &score, Stereo &out, RenderReport &report, std::string &error);

#endif
