#include "instruments.h"

#include <algorithm>
#include <cmath>

static const char *const INSTRUMENT_NAMES[INSTRUMENT_COUNT] = {
    "piano", "celesta", "pad", "strings", "pluck", "bass", "kick", "shaker", "tick"};

static const double SILENT = 1e-5;                 // -100 dB: a note is over below this
static const double PARTIAL_LIMIT_HZ = 12000.0;    // keeps every tone soft and free of aliasing

// Piano: stretch of the partials and the decay of each.
static const double PIANO_STRETCH = 0.00018;
static const double PIANO_DETUNE = 0.0005;          // the two strings of a note beat slowly
static const double PIANO_RELEASE = 0.35;
static const double PIANO_ATTACK = 0.004;
static const int PIANO_PARTIALS = 12;
static const double PIANO_LEVEL = 0.5;

static const double CELESTA_RELEASE = 0.8;
static const double CELESTA_LEVEL = 0.5;

static const double PAD_ATTACK = 1.2, PAD_RELEASE = 2.0;
static const double STRINGS_ATTACK = 0.45, STRINGS_RELEASE = 1.0;
static const int TABLE_SIZE = 4096;
static const double ENSEMBLE_LEVEL = 0.07;

static const double PLUCK_RELEASE = 0.3;
static const double PLUCK_LEVEL = 0.45;
static const double BASS_RELEASE = 0.18;
static const double BASS_LEVEL = 0.45;

int InstrumentByName(const std::string &name)
{
    for (int i = 0; i < INSTRUMENT_COUNT; ++i)
        if (name == INSTRUMENT_NAMES[i]) return i;
    return -1;
}

static double Pick(double value, double fallback) { return value >= 0.0 ? value : fallback; }

static int Samples(double seconds) { return (int)std::lround(seconds * SYNTH_RATE); }

// A smooth rise from 0 to 1 over `length` samples.
static double Rise(int i, int length)
{
    if (i >= length) return 1.0;
    return 0.5 - 0.5 * std::cos(SYNTH_PI * i / length);
}

// Decay after the key is let go: 60 dB over `release` seconds.
static double ReleaseStep(double release) { return std::exp(std::log(0.001) / (release * SYNTH_RATE)); }

static void MonoToStereo(const std::vector<float> &mono, Stereo &out)
{
    out.left = mono;
    out.right = mono;
}

// Trims trailing silence so the mixer does not add zeros.
static void Trim(Stereo &s)
{
    size_t n = std::min(s.left.size(), s.right.size());
    while (n > 0 && std::fabs(s.left[n - 1]) < SILENT && std::fabs(s.right[n - 1]) < SILENT) --n;
    s.left.resize(n);
    s.right.resize(n);
}

// A decaying sine kept by rotating a complex phasor: exact and cheap.
struct Partial {
    double re, im, c, s;     // state and rotation
    double amp, fast, slow;  // two-stage decay: fast part and slow part
    double fastStep, slowStep;
};

static Partial MakePartial(double freq, double phase, double amp, double fastShare,
                           double fastTau, double slowTau)
{
    Partial p;
    double w = 2.0 * SYNTH_PI * freq / SYNTH_RATE;
    p.re = std::cos(phase);
    p.im = std::sin(phase);
    p.c = std::cos(w);
    p.s = std::sin(w);
    p.amp = amp;
    p.fast = fastShare;
    p.slow = 1.0 - fastShare;
    p.fastStep = std::exp(-1.0 / (fastTau * SYNTH_RATE));
    p.slowStep = std::exp(-1.0 / (slowTau * SYNTH_RATE));
    return p;
}

static double StepPartial(Partial &p)
{
    double out = p.im * p.amp * (p.fast + p.slow);
    double re = p.re * p.c - p.im * p.s;
    p.im = p.re * p.s + p.im * p.c;
    p.re = re;
    p.fast *= p.fastStep;
    p.slow *= p.slowStep;
    return out;
}

// Runs a bank of partials with an attack, a held phase and a damped release.
static void RenderPartials(std::vector<Partial> &bank, const NoteParams &p, double attack,
                           double release, double level, std::vector<float> &mono)
{
    int held = Samples(p.seconds);
    int attackLen = std::max(1, Samples(attack));
    double step = ReleaseStep(release);
    int total = std::min(p.maxSamples, held + Samples(release) + 1);
    mono.assign(std::max(total, 0), 0.0f);
    double damper = 1.0;
    for (int i = 0; i < total; ++i) {
        double sum = 0.0;
        for (Partial &q : bank) sum += StepPartial(q);
        if (i >= held) damper *= step;
        mono[i] = (float)(sum * level * Rise(i, attackLen) * damper);
        if (i > held && (i & 1023) == 0) {
            double alive = 0.0;
            for (const Partial &q : bank) alive += q.amp * (q.fast + q.slow);
            if (alive * damper * level < SILENT) {
                mono.resize(i);
                break;
            }
        }
    }
}

static void RenderPiano(const NoteParams &p, std::vector<float> &mono)
{
    Noise noise = MakeNoise(p.seed);
    double f = p.freq;
    // Loud notes and a bright track bring the upper partials forward.
    double tilt = 2.1 - 1.0 * p.velocity * (0.5 + p.bright);
    double slowBase = std::clamp(3.2 * std::pow(220.0 / f, 0.5), 0.9, 8.0);
    std::vector<Partial> bank;
    for (int n = 1; n <= PIANO_PARTIALS; ++n) {
        double fn = n * f * std::sqrt(1.0 + PIANO_STRETCH * n * n);
        if (fn > PARTIAL_LIMIT_HZ) break;
        double amp = std::pow((double)n, -tilt);
        double slowTau = slowBase / (1.0 + 0.3 * (n - 1));
        double fastTau = 0.3 / (1.0 + 0.35 * (n - 1));
        for (int string = 0; string < 2; ++string) {
            double detune = 1.0 + (string ? 1 : -1) * PIANO_DETUNE * (0.6 + 0.4 * NextNoise(noise));
            double phase = SYNTH_PI * NextNoise(noise);
            bank.push_back(MakePartial(fn * detune, phase, amp * 0.5, 0.55, fastTau, slowTau));
        }
    }
    double level = PIANO_LEVEL * std::pow(p.velocity, 1.3);
    RenderPartials(bank, p, Pick(p.attack, PIANO_ATTACK), Pick(p.release, PIANO_RELEASE), level, mono);
    // The felt hammer: a brief dull knock under the tone.
    Biquad lp = LowPass(900.0, 0.7);
    double env = 0.05 * level;
    for (size_t i = 0; i < mono.size() && env > SILENT; ++i) {
        mono[i] += (float)(Filter(lp, NextNoise(noise)) * env);
        env *= 0.9965;
    }
}

static void RenderCelesta(const NoteParams &p, std::vector<float> &mono)
{
    // Tuned bar: the fundamental, and a faint fourth partial that gives the ring.
    const double ratios[] = {1.0, 2.0, 4.0, 6.27};
    const double amps[] = {1.0, 0.06, 0.12, 0.03};
    const double tauScale[] = {1.0, 0.4, 0.16, 0.08};
    double tau = std::clamp(1.8 * std::pow(523.0 / p.freq, 0.3), 0.6, 3.0);
    Noise noise = MakeNoise(p.seed);
    std::vector<Partial> bank;
    for (int k = 0; k < 4; ++k) {
        double fk = p.freq * ratios[k];
        if (fk > PARTIAL_LIMIT_HZ) continue;
        bank.push_back(MakePartial(fk, SYNTH_PI * NextNoise(noise), amps[k], 0.3,
                                   0.15 * tauScale[k] + 0.01, tau * tauScale[k]));
    }
    RenderPartials(bank, p, Pick(p.attack, 0.002), Pick(p.release, CELESTA_RELEASE),
                   CELESTA_LEVEL * p.velocity, mono);
}

// Ensemble of detuned wavetable voices through a gentle low-pass.
static void RenderEnsemble(const NoteParams &p, bool strings, Stereo &out)
{
    double f = p.freq;
    double slope = strings ? 1.05 : 1.6;
    std::vector<double> table(TABLE_SIZE + 1, 0.0);
    int harmonics = std::max(1, std::min(24, (int)(PARTIAL_LIMIT_HZ / (f * 1.01))));
    for (int n = 1; n <= harmonics; ++n) {
        double amp = std::pow((double)n, -slope);
        if (!strings && n % 2 == 0) amp *= 0.6;   // hollow, softer pad
        for (int i = 0; i < TABLE_SIZE; ++i)
            table[i] += amp * std::sin(2.0 * SYNTH_PI * n * i / TABLE_SIZE);
    }
    double peak = 0.0;
    for (int i = 0; i < TABLE_SIZE; ++i) peak = std::max(peak, std::fabs(table[i]));
    for (int i = 0; i < TABLE_SIZE; ++i) table[i] /= peak;
    table[TABLE_SIZE] = table[0];

    const int voices = strings ? 2 : 3;
    const double detuneCents[3] = {strings ? -4.0 : -7.0, strings ? 4.0 : 0.0, 7.0};
    const double spread[3] = {-0.45, strings ? 0.45 : 0.0, 0.45};
    Noise noise = MakeNoise(p.seed);
    double phase[3], inc[3], vibRate[3];
    for (int v = 0; v < voices; ++v) {
        phase[v] = 0.5 + 0.5 * NextNoise(noise);
        inc[v] = f * std::pow(2.0, detuneCents[v] / 1200.0) / SYNTH_RATE;
        vibRate[v] = (5.0 + 0.4 * v) / SYNTH_RATE;
    }
    double cutoff = std::clamp(f * (strings ? 7.0 : 4.0) + 500.0, 500.0, strings ? 5000.0 : 3200.0);
    cutoff *= 0.7 + 0.6 * p.bright;
    Biquad lpL = LowPass(cutoff, 0.6), lpR = LowPass(cutoff, 0.6);

    double attack = Pick(p.attack, strings ? STRINGS_ATTACK : PAD_ATTACK);
    double release = Pick(p.release, strings ? STRINGS_RELEASE : PAD_RELEASE);
    int held = Samples(p.seconds), attackLen = std::max(1, Samples(attack));
    int total = std::min(p.maxSamples, held + Samples(release) + 1);
    double step = ReleaseStep(release), damper = 1.0;
    double level = ENSEMBLE_LEVEL * p.velocity;
    double heldLevel = Rise(held, attackLen);
    int vibDelay = Samples(0.3), vibFade = Samples(0.6);
    out.left.assign(std::max(total, 0), 0.0f);
    out.right.assign(std::max(total, 0), 0.0f);
    for (int i = 0; i < total; ++i) {
        double l = 0.0, r = 0.0;
        double vibDepth = 0.0;
        if (strings && i > vibDelay) vibDepth = 0.0028 * Rise(i - vibDelay, vibFade);
        for (int v = 0; v < voices; ++v) {
            double pos = phase[v] * TABLE_SIZE;
            int k = (int)pos;
            double frac = pos - k;
            double s = table[k] + (table[k + 1] - table[k]) * frac;
            double vib = 1.0 + vibDepth * std::sin(2.0 * SYNTH_PI * vibRate[v] * i);
            phase[v] += inc[v] * vib;
            phase[v] -= std::floor(phase[v]);
            l += s * (1.0 - spread[v]) * 0.5;
            r += s * (1.0 + spread[v]) * 0.5;
        }
        double env = (i < held ? Rise(i, attackLen) : heldLevel * damper);
        if (i >= held) damper *= step;
        out.left[i] = (float)(Filter(lpL, l) * env * level);
        out.right[i] = (float)(Filter(lpR, r) * env * level);
    }
}

// Plucked string: a noise burst circulating in a tuned, slowly damped delay line.
static void RenderPluck(const NoteParams &p, std::vector<float> &mono)
{
    double delay = (double)SYNTH_RATE / p.freq;
    // The averaging loop filter delays half a sample; an all-pass supplies the fraction.
    int length = (int)std::floor(delay - 0.5 - 0.1);
    double frac = delay - 0.5 - length;
    double a = (1.0 - frac) / (1.0 + frac);
    double t60 = std::clamp(3.0 * std::pow(196.0 / p.freq, 0.6), 0.7, 5.0);
    double loopGain = std::pow(10.0, -3.0 / (t60 * p.freq));

    Noise noise = MakeNoise(p.seed);
    std::vector<double> line(length, 0.0);
    double smooth = 0.0, keep = 0.75 - 0.45 * p.bright * p.velocity;  // softer pluck is duller
    for (int i = 0; i < length; ++i) {
        smooth = smooth * keep + NextNoise(noise) * (1.0 - keep);
        line[i] = smooth;
    }
    // Plucking a fifth of the way along removes every fifth harmonic.
    int pick = std::max(1, length / 5);
    std::vector<double> shaped(line);
    for (int i = 0; i < length; ++i) shaped[i] = line[i] - line[(i + length - pick) % length];
    double mean = 0.0, peak = 1e-9;
    for (double v : shaped) mean += v;
    mean /= length;
    for (double &v : shaped) {
        v -= mean;
        peak = std::max(peak, std::fabs(v));
    }
    for (int i = 0; i < length; ++i) line[i] = shaped[i] / peak;

    int held = Samples(p.seconds);
    double release = Pick(p.release, PLUCK_RELEASE);
    int total = std::min(p.maxSamples, held + Samples(release) + 1);
    double step = ReleaseStep(release), damper = 1.0;
    double level = PLUCK_LEVEL * p.velocity;
    Biquad body = LowPass(5000.0, 0.7);
    mono.assign(std::max(total, 0), 0.0f);
    double prev = 0.0, apIn = 0.0, apOut = 0.0;
    int ptr = 0;
    for (int i = 0; i < total; ++i) {
        double out = line[ptr];
        double avg = 0.5 * (out + prev);
        prev = out;
        double ap = a * avg + apIn - a * apOut;
        apIn = avg;
        apOut = ap;
        line[ptr] = loopGain * ap;
        ptr = (ptr + 1 == length) ? 0 : ptr + 1;
        if (i >= held) damper *= step;
        mono[i] = (float)(Filter(body, out) * level * damper * Rise(i, 24));
    }
}

static void RenderBass(const NoteParams &p, std::vector<float> &mono)
{
    std::vector<Partial> bank;
    bank.push_back(MakePartial(p.freq, 0.0, 1.0, 0.3, 0.5, 2.8));
    bank.push_back(MakePartial(2 * p.freq, 0.0, 0.28 + 0.2 * p.bright, 0.6, 0.15, 0.9));
    bank.push_back(MakePartial(3 * p.freq, 0.0, 0.08 + 0.1 * p.bright, 0.8, 0.06, 0.4));
    RenderPartials(bank, p, Pick(p.attack, 0.008), Pick(p.release, BASS_RELEASE),
                   BASS_LEVEL * p.velocity, mono);
}

static void RenderKick(const NoteParams &p, std::vector<float> &mono)
{
    int total = std::min(p.maxSamples, Samples(0.9));
    mono.assign(total, 0.0f);
    double phase = 0.0;
    for (int i = 0; i < total; ++i) {
        double t = (double)i / SYNTH_RATE;
        double f = 46.0 + 52.0 * std::exp(-t / 0.028);
        phase += 2.0 * SYNTH_PI * f / SYNTH_RATE;
        mono[i] = (float)(std::sin(phase) * std::exp(-t / 0.17) * Rise(i, 40) * 0.55 * p.velocity);
    }
}

static void RenderShaker(const NoteParams &p, std::vector<float> &mono)
{
    int total = std::min(p.maxSamples, Samples(0.3));
    mono.assign(total, 0.0f);
    Noise noise = MakeNoise(p.seed);
    Biquad band = BandPass(5200.0 + 1500.0 * p.bright, 0.9);
    int rise = Samples(0.007);
    for (int i = 0; i < total; ++i) {
        double t = (double)i / SYNTH_RATE;
        double env = Rise(i, rise) * std::exp(-t / 0.032);
        mono[i] = (float)(Filter(band, NextNoise(noise)) * env * 1.2 * p.velocity);
    }
}

static void RenderTick(const NoteParams &p, std::vector<float> &mono)
{
    int total = std::min(p.maxSamples, Samples(0.12));
    mono.assign(total, 0.0f);
    Partial low = MakePartial(1650.0, 0.0, 1.0, 0.0, 1.0, 0.016);
    Partial high = MakePartial(2870.0, 0.0, 0.45, 0.0, 1.0, 0.008);
    for (int i = 0; i < total; ++i)
        mono[i] = (float)((StepPartial(low) + StepPartial(high)) * Rise(i, 30) * 0.8 * p.velocity);
}

void RenderNote(int instrument, const NoteParams &p, Stereo &out)
{
    std::vector<float> mono;
    switch (instrument) {
    case INSTRUMENT_PAD: RenderEnsemble(p, false, out); break;
    case INSTRUMENT_STRINGS: RenderEnsemble(p, true, out); break;
    case INSTRUMENT_PIANO: RenderPiano(p, mono); MonoToStereo(mono, out); break;
    case INSTRUMENT_CELESTA: RenderCelesta(p, mono); MonoToStereo(mono, out); break;
    case INSTRUMENT_PLUCK: RenderPluck(p, mono); MonoToStereo(mono, out); break;
    case INSTRUMENT_BASS: RenderBass(p, mono); MonoToStereo(mono, out); break;
    case INSTRUMENT_KICK: RenderKick(p, mono); MonoToStereo(mono, out); break;
    case INSTRUMENT_SHAKER: RenderShaker(p, mono); MonoToStereo(mono, out); break;
    case INSTRUMENT_TICK: RenderTick(p, mono); MonoToStereo(mono, out); break;
    default: out.left.clear(); out.right.clear(); return;
    }
    Trim(out);
}
