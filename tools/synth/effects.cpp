#include "effects.h"

#include <algorithm>
#include <cmath>

#include "dsp.h"

static const double KEY_SECONDS = 0.105;
static const double KEY_PEAK_DB = -4.0;
static const double BAR_DELAY = 0.004;        // key travel before the type bar lands
static const double ESCAPEMENT_DELAY = 0.046; // the carriage steps on a moment later
// Ringing of the type bar, segment and frame: frequency, Q, weight.
static const double CLACK_MODES[5][3] = {
    {1180.0, 14.0, 0.9}, {2330.0, 18.0, 1.0}, {3560.0, 20.0, 0.7}, {4870.0, 22.0, 0.5}, {7300.0, 16.0, 0.3}};
static const double ESCAPEMENT_MODES[2][3] = {{3200.0, 25.0, 1.0}, {5400.0, 25.0, 0.6}};

static const double BELL_SECONDS = 1.5;
static const double BELL_PEAK_DB = -5.0;
static const double BELL_FUNDAMENTAL = 1568.0;
// Partials of a thin dome: ratio, level, seconds to fall 60 dB. Each is split
// into two close modes, as on a real bell, which makes it shimmer.
static const double BELL_PARTIALS[5][3] = {
    {1.0, 1.0, 2.4}, {2.41, 0.32, 1.3}, {4.18, 0.16, 0.6}, {6.52, 0.07, 0.3}, {0.53, 0.03, 0.9}};
static const double BELL_SPLIT = 0.0027;
static const double KEY_FADE = 0.012;         // both samples end on silence
static const double BELL_FADE = 0.3;

static int Samples(double s) { return (int)std::lround(s * SYNTH_RATE); }

static void NormaliseAndFade(std::vector<float> &v, double peakDb, double fadeSeconds)
{
    // Remove any offset first, then end with a short fade so the sample stops cleanly.
    Biquad dc = HighPass(40.0, 0.7);
    for (float &x : v) x = (float)Filter(dc, x);
    int fade = Samples(fadeSeconds);
    int n = (int)v.size();
    for (int i = 0; i < fade && i < n; ++i)
        v[n - 1 - i] *= (float)(0.5 - 0.5 * std::cos(SYNTH_PI * i / fade));
    float peak = 1e-9f;
    for (float x : v) peak = std::max(peak, std::fabs(x));
    float gain = (float)(DbToGain(peakDb) / peak);
    for (float &x : v) x *= gain;
}

// A noise burst of `tau` seconds rung through a set of resonances.
static void Resonate(std::vector<float> &v, int start, double tau, const double (*modes)[3], int count,
                     double level, uint32_t seed)
{
    Noise noise = MakeNoise(seed);
    std::vector<Biquad> bank;
    for (int m = 0; m < count; ++m) bank.push_back(BandPass(modes[m][0], modes[m][1]));
    double env = 1.0, step = std::exp(-1.0 / (tau * SYNTH_RATE));
    for (int i = start; i < (int)v.size(); ++i) {
        double x = NextNoise(noise) * env;
        env *= step;
        double y = 0.0;
        for (int m = 0; m < count; ++m) y += Filter(bank[m], x) * modes[m][2];
        v[i] += (float)(y * level);
    }
}

std::vector<float> RenderKeyStrike()
{
    std::vector<float> v(Samples(KEY_SECONDS), 0.0f);
    // Fingertip on the key: a bright, very short tick.
    Noise noise = MakeNoise(0x7E11u);
    Biquad hp = HighPass(2500.0, 0.7);
    for (int i = 0; i < Samples(0.006); ++i)
        v[i] += (float)(Filter(hp, NextNoise(noise)) * std::exp(-i / (0.0012 * SYNTH_RATE)) * 0.35);
    int bar = Samples(BAR_DELAY);
    Resonate(v, bar, 0.0035, CLACK_MODES, 5, 3.2, 0xC1ACu);
    // The platen's body: a short low knock, falling in pitch as it is damped.
    double phase = 0.0;
    for (int i = bar; i < (int)v.size(); ++i) {
        double t = (double)(i - bar) / SYNTH_RATE;
        phase += 2.0 * SYNTH_PI * (150.0 + 90.0 * std::exp(-t / 0.006)) / SYNTH_RATE;
        v[i] += (float)(std::sin(phase) * std::exp(-t / 0.008) * 0.22);
    }
    Resonate(v, Samples(ESCAPEMENT_DELAY), 0.0025, ESCAPEMENT_MODES, 2, 1.1, 0xE5CAu);
    NormaliseAndFade(v, KEY_PEAK_DB, KEY_FADE);
    return v;
}

std::vector<float> RenderBell()
{
    std::vector<float> v(Samples(BELL_SECONDS), 0.0f);
    for (const auto &partial : BELL_PARTIALS) {
        for (int split = 0; split < 2; ++split) {
            double f = BELL_FUNDAMENTAL * partial[0] * (1.0 + split * BELL_SPLIT);
            double w = 2.0 * SYNTH_PI * f / SYNTH_RATE;
            double step = std::exp(std::log(0.001) / (partial[2] * SYNTH_RATE));
            double env = partial[1] * (split ? 0.45 : 0.55);
            for (size_t i = 0; i < v.size(); ++i) {
                v[i] += (float)(std::sin(w * i) * env);
                env *= step;
            }
        }
    }
    // The hammer's tap: a quick metallic click over the first moments.
    Noise noise = MakeNoise(0xBE11u);
    Biquad hp = HighPass(4000.0, 0.7);
    for (int i = 0; i < Samples(0.01); ++i)
        v[i] += (float)(Filter(hp, NextNoise(noise)) * std::exp(-i / (0.0008 * SYNTH_RATE)) * 0.6);
    // A strike reaches full level within a millisecond, not instantly.
    int rise = Samples(0.0007);
    for (int i = 0; i < rise; ++i) v[i] *= (float)(0.5 - 0.5 * std::cos(SYNTH_PI * i / rise));
    NormaliseAndFade(v, BELL_PEAK_DB, BELL_FADE);
    return v;
}
