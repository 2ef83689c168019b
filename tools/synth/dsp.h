// Small building blocks shared by the instruments, the effects and the mixer.
// Everything is deterministic: the noise source is a seeded generator, so the
// same sources always render the same samples.
#ifndef PAPERLUNE_SYNTH_DSP_H
#define PAPERLUNE_SYNTH_DSP_H

#include <cstdint>
#include <vector>

const int SYNTH_RATE = 44100;          // every file the game plays runs at this rate
const double SYNTH_PI = 3.14159265358979323846;

// A seeded white-noise source (xorshift), uniform in [-1, 1).
struct Noise {
    uint32_t state;
};
Noise MakeNoise(uint32_t seed);
double NextNoise(Noise &n);

// Mixes a seed from a few integers, so each note gets its own noise.
uint32_t HashSeed(uint32_t a, uint32_t b, uint32_t c = 0);

// Second-order filter with the usual cookbook designs.
struct Biquad {
    double b0, b1, b2, a1, a2;
    double x1, x2, y1, y2;
};
Biquad LowPass(double freq, double q);
Biquad HighPass(double freq, double q);
Biquad BandPass(double freq, double q);   // unity gain at the centre
double Filter(Biquad &f, double x);

// Stereo sample store used by the mixer.
struct Stereo {
    std::vector<float> left, right;
};

double DbToGain(double db);
double GainToDb(double gain);

#endif
