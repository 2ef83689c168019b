#include "render.h"

#include <algorithm>
#include <cmath>

#include "instruments.h"

static const double TAIL_SECONDS = 14.0;        // room for the longest release plus the reverb
static const double TAIL_LIMIT_DB = -90.0;      // what may be cut off at the end of that room
static const double PREDELAY_SECONDS = 0.022;   // keeps the attacks clear of the reverb
static const double LIMIT_KNEE = 0.85;          // above this the level bends softly towards 1
static const double REVERB_INPUT = 0.015;

// Comb and all-pass lengths at 44.1 kHz; the right channel is a little longer for width.
static const int COMB_LENGTHS[8] = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
static const int ALLPASS_LENGTHS[4] = {556, 441, 341, 225};
static const int STEREO_SPREAD = 23;

long LoopSamples(const Score &score)
{
    return std::lround(score.totalBeats * 60.0 / score.tempo * SYNTH_RATE);
}

struct Comb {
    std::vector<float> line;
    size_t pos;
    float store;
};

struct AllPass {
    std::vector<float> line;
    size_t pos;
};

// A plain comb and all-pass room: linear and time-invariant, so folding its
// tail onto the start is exact.
static void Reverberate(const std::vector<float> &send, double roomSize, double damping,
                        std::vector<float> &outL, std::vector<float> &outR)
{
    float feedback = (float)(0.7 + 0.28 * roomSize);
    float damp = (float)(0.4 * damping), keep = 1.0f - damp;
    for (int channel = 0; channel < 2; ++channel) {
        std::vector<float> &out = channel ? outR : outL;
        int extra = channel ? STEREO_SPREAD : 0;
        std::vector<Comb> combs(8);
        std::vector<AllPass> passes(4);
        for (int i = 0; i < 8; ++i) combs[i] = {std::vector<float>(COMB_LENGTHS[i] + extra, 0.0f), 0, 0.0f};
        for (int i = 0; i < 4; ++i) passes[i] = {std::vector<float>(ALLPASS_LENGTHS[i] + extra, 0.0f), 0};
        for (size_t n = 0; n < send.size(); ++n) {
            float in = send[n] * (float)REVERB_INPUT;
            float acc = 0.0f;
            for (Comb &c : combs) {
                float y = c.line[c.pos];
                c.store = y * keep + c.store * damp;
                c.line[c.pos] = in + c.store * feedback;
                if (++c.pos == c.line.size()) c.pos = 0;
                acc += y;
            }
            for (AllPass &a : passes) {
                float b = a.line[a.pos];
                a.line[a.pos] = acc + b * 0.5f;
                if (++a.pos == a.line.size()) a.pos = 0;
                acc = b - acc;
            }
            out[n] += acc;
        }
    }
}

// Small deterministic offsets that keep a part from sounding mechanical.
static double Jitter(int track, size_t note, int which)
{
    return (double)HashSeed((uint32_t)track, (uint32_t)note, (uint32_t)which) / 2147483648.0 - 1.0;
}

static double SoftLimit(double x)
{
    double a = std::fabs(x);
    if (a <= LIMIT_KNEE) return x;
    double bent = LIMIT_KNEE + (1.0 - LIMIT_KNEE) * std::tanh((a - LIMIT_KNEE) / (1.0 - LIMIT_KNEE));
    return x < 0 ? -bent : bent;
}

bool RenderScore(const Score &score, Stereo &out, RenderReport &report, std::string &error)
{
    long loop = LoopSamples(score);
    if (loop <= 0) {
        error = "the score is empty";
        return false;
    }
    long tail = std::lround(TAIL_SECONDS * SYNTH_RATE);
    long predelay = std::lround(PREDELAY_SECONDS * SYNTH_RATE);
    size_t total = (size_t)(loop + tail);
    std::vector<float> dryL(total, 0.0f), dryR(total, 0.0f), send(total, 0.0f);
    double samplesPerBeat = 60.0 / score.tempo * SYNTH_RATE;

    Stereo note;
    for (size_t i = 0; i < score.notes.size(); ++i) {
        const NoteEvent &e = score.notes[i];
        const TrackDef &t = score.tracks[e.track];
        double onset = e.beat * samplesPerBeat + e.chordIndex * t.strum * SYNTH_RATE;
        double velocity = e.velocity;
        if (t.human > 0) {
            onset += Jitter(e.track, i, 1) * t.human * SYNTH_RATE;
            velocity *= 1.0 + 0.07 * Jitter(e.track, i, 2);
        }
        long start = std::lround(onset);
        // A note pushed before the start belongs to the end of the previous pass.
        if (start < 0) start += loop;
        NoteParams p;
        p.freq = 440.0 * std::pow(2.0, (e.midi - 69) / 12.0);
        p.seconds = e.beats * samplesPerBeat / SYNTH_RATE;
        p.velocity = std::clamp(velocity, 0.0, 1.0);
        p.attack = t.attack;
        p.release = t.release;
        p.bright = t.bright;
        p.seed = HashSeed(0x5EEDu, (uint32_t)i, (uint32_t)e.midi);
        p.maxSamples = (int)(total - start - predelay);
        RenderNote(t.instrument, p, note);
        // Constant-power pan, unity in the middle.
        double angle = (t.pan + 1.0) * SYNTH_PI / 4.0;
        float gl = (float)(t.gain * std::cos(angle) * std::sqrt(2.0));
        float gr = (float)(t.gain * std::sin(angle) * std::sqrt(2.0));
        float gs = (float)(t.gain * t.send);
        for (size_t k = 0; k < note.left.size(); ++k) {
            size_t at = (size_t)start + k;
            dryL[at] += note.left[k] * gl;
            dryR[at] += note.right[k] * gr;
            send[at + predelay] += (note.left[k] + note.right[k]) * 0.5f * gs;
        }
    }
    Reverberate(send, score.roomSize, score.damping, dryL, dryR);

    double peakAll = 1e-12, tailPeak = 0.0;
    for (size_t n = 0; n < total; ++n) {
        double m = std::max(std::fabs(dryL[n]), std::fabs(dryR[n]));
        peakAll = std::max(peakAll, m);
        if (n + SYNTH_RATE / 4 >= total) tailPeak = std::max(tailPeak, m);
    }
    report.tailDb = GainToDb(tailPeak / peakAll);
    if (report.tailDb > TAIL_LIMIT_DB) {
        error = "the sound has not died away at the end of the tail (" + std::to_string(report.tailDb) + " dB)";
        return false;
    }

    out.left.assign(loop, 0.0f);
    out.right.assign(loop, 0.0f);
    for (size_t n = 0; n < total; ++n) {
        out.left[n % loop] += dryL[n];
        out.right[n % loop] += dryR[n];
    }

    double energy = 0.0;
    for (long n = 0; n < loop; ++n) energy += (double)out.left[n] * out.left[n] + (double)out.right[n] * out.right[n];
    double rms = std::sqrt(energy / (2.0 * loop));
    if (rms <= 0.0) {
        error = "the score makes no sound";
        return false;
    }
    double gain = DbToGain(score.loudnessDb) / rms;
    report.gainDb = GainToDb(gain);
    energy = 0.0;
    report.peak = 0.0;
    for (long n = 0; n < loop; ++n) {
        out.left[n] = (float)SoftLimit(out.left[n] * gain);
        out.right[n] = (float)SoftLimit(out.right[n] * gain);
        energy += (double)out.left[n] * out.left[n] + (double)out.right[n] * out.right[n];
        report.peak = std::max(report.peak, (double)std::max(std::fabs(out.left[n]), std::fabs(out.right[n])));
    }
    report.samples = loop;
    report.rmsDb = GainToDb(std::sqrt(energy / (2.0 * loop)));
    return true;
}
