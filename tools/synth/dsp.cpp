#include "dsp.h"

#include <cmath>

Noise MakeNoise(uint32_t seed)
{
    Noise n;
    n.state = seed ? seed : 0x9E3779B9u;   // xorshift must never hold zero
    return n;
}

double NextNoise(Noise &n)
{
    uint32_t x = n.state;
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    n.state = x;
    return (double)x / 2147483648.0 - 1.0;
}

uint32_t HashSeed(uint32_t a, uint32_t b, uint32_t c)
{
    uint32_t h = 2166136261u;
    const uint32_t parts[3] = {a, b, c};
    for (uint32_t p : parts) {
        for (int i = 0; i < 4; ++i) {
            h ^= (p >> (8 * i)) & 0xFFu;
            h *= 16777619u;
        }
    }
    return h ? h : 1u;
}

static Biquad Normalised(double b0, double b1, double b2, double a0, double a1, double a2)
{
    Biquad f;
    f.b0 = b0 / a0;
    f.b1 = b1 / a0;
    f.b2 = b2 / a0;
    f.a1 = a1 / a0;
    f.a2 = a2 / a0;
    f.x1 = f.x2 = f.y1 = f.y2 = 0.0;
    return f;
}

Biquad LowPass(double freq, double q)
{
    double w = 2.0 * SYNTH_PI * freq / SYNTH_RATE;
    double alpha = std::sin(w) / (2.0 * q), c = std::cos(w);
    return Normalised((1 - c) / 2, 1 - c, (1 - c) / 2, 1 + alpha, -2 * c, 1 - alpha);
}

Biquad HighPass(double freq, double q)
{
    double w = 2.0 * SYNTH_PI * freq / SYNTH_RATE;
    double alpha = std::sin(w) / (2.0 * q), c = std::cos(w);
    return Normalised((1 + c) / 2, -(1 + c), (1 + c) / 2, 1 + alpha, -2 * c, 1 - alpha);
}

Biquad BandPass(double freq, double q)
{
    double w = 2.0 * SYNTH_PI * freq / SYNTH_RATE;
    double alpha = std::sin(w) / (2.0 * q), c = std::cos(w);
    return Normalised(alpha, 0, -alpha, 1 + alpha, -2 * c, 1 - alpha);
}

double Filter(Biquad &f, double x)
{
    double y = f.b0 * x + f.b1 * f.x1 + f.b2 * f.x2 - f.a1 * f.y1 - f.a2 * f.y2;
    f.x2 = f.x1;
    f.x1 = x;
    f.y2 = f.y1;
    f.y1 = y;
    return y;
}

double DbToGain(double db) { return std::pow(10.0, db / 20.0); }

double GainToDb(double gain) { return 20.0 * std::log10(gain > 1e-12 ? gain : 1e-12); }
