// Reading what the game played: the raw file ALSA wrote, and the two
// samples found in it by correlation.
#include "harness.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace harness {

static const double FULL_SCALE = 32768.0;
static const size_t ONSET_WINDOW = 256;     // samples per energy step when looking for onsets
static const double SILENCE_RMS = 0.002;
static const int SEARCH_LAG = 2048;         // how far around an onset the sample may start
// The least of a sample compared before it counts as found: a bell's tail
// rings with the partials of its head, and a few hundred samples of it at
// the end of what was captured so far would pass for a second bell.
static const size_t MIN_MATCH = 8192;
static const size_t QUIET_TAIL = 882;       // 20 ms: what was played last has ended
static const int SOUND_POLL_MS = 50;

std::vector<float> CapturedSound(const GameRun &run)
{
    std::vector<uint8_t> raw = ReadFile(run.soundFile);
    std::vector<float> mono(raw.size() / 4);
    for (size_t i = 0; i < mono.size(); i++) {
        int16_t l = int16_t(raw[i * 4] | raw[i * 4 + 1] << 8);
        int16_t r = int16_t(raw[i * 4 + 2] | raw[i * 4 + 3] << 8);
        mono[i] = float((l + r) / (2.0 * FULL_SCALE));
    }
    return mono;
}

std::vector<float> CapturedSince(const GameRun &run, size_t from)
{
    std::vector<float> all = CapturedSound(run);
    return std::vector<float>(all.begin() + std::min(from, all.size()), all.end());
}

std::vector<float> GameSound(const char *name)
{
    return WavSamples(std::string(PAPERLUNE_DATA_DIR) + "/Sound/" + name);
}

static uint32_t Le32(const uint8_t *p)
{
    return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24;
}

std::vector<float> WavSamples(const std::string &path)
{
    std::vector<uint8_t> f = ReadFile(path);
    std::vector<float> out;
    if (f.size() < 12 || memcmp(f.data(), "RIFF", 4) != 0 || memcmp(f.data() + 8, "WAVE", 4) != 0)
        return out;
    int channels = 1, bits = 16;
    size_t at = 12;
    while (at + 8 <= f.size()) {
        uint32_t size = Le32(&f[at + 4]);
        if (memcmp(&f[at], "fmt ", 4) == 0 && at + 24 <= f.size()) {
            channels = f[at + 10] | f[at + 11] << 8;
            bits = f[at + 22] | f[at + 23] << 8;
        } else if (memcmp(&f[at], "data", 4) == 0 && bits == 16 && channels > 0) {
            size_t frames = std::min<size_t>(size, f.size() - at - 8) / (2 * channels);
            for (size_t i = 0; i < frames; i++) {
                double sum = 0;
                for (int c = 0; c < channels; c++) {
                    size_t p = at + 8 + (i * channels + c) * 2;
                    sum += int16_t(f[p] | f[p + 1] << 8);
                }
                out.push_back(float(sum / channels / FULL_SCALE));
            }
            return out;
        }
        at += 8 + size + (size & 1);
    }
    return out;
}

double Rms(const std::vector<float> &sound, size_t from, size_t to)
{
    to = std::min(to, sound.size());
    if (from >= to)
        return 0;
    double sum = 0;
    for (size_t i = from; i < to; i++)
        sum += double(sound[i]) * sound[i];
    return std::sqrt(sum / (to - from));
}

static double Correlation(const std::vector<float> &sound, size_t at, const std::vector<float> &sample)
{
    double dot = 0, energySound = 0, energySample = 0;
    for (size_t i = 0; i < sample.size() && at + i < sound.size(); i++) {
        dot += double(sound[at + i]) * sample[i];
        energySound += double(sound[at + i]) * sound[at + i];
        energySample += double(sample[i]) * sample[i];
    }
    if (energySound <= 0 || energySample <= 0)
        return 0;
    return dot / std::sqrt(energySound * energySample);
}

std::vector<size_t> FindSample(const std::vector<float> &sound, const std::vector<float> &sample, double threshold)
{
    std::vector<size_t> found;
    if (sample.empty())
        return found;
    bool quiet = true;
    for (size_t w = 0; w + ONSET_WINDOW <= sound.size(); w += ONSET_WINDOW) {
        bool loud = Rms(sound, w, w + ONSET_WINDOW) > SILENCE_RMS;
        if (loud && quiet) {
            // An onset: look for the sample starting near it.
            size_t from = w > size_t(SEARCH_LAG) ? w - SEARCH_LAG : 0;
            double best = 0;
            size_t bestAt = 0;
            size_t least = std::min(sample.size(), MIN_MATCH);
            for (size_t at = from; at < w + ONSET_WINDOW && at + least <= sound.size(); at++) {
                double c = Correlation(sound, at, sample);
                if (c > best) {
                    best = c;
                    bestAt = at;
                }
            }
            if (best >= threshold && (found.empty() || bestAt > found.back() + sample.size() / 2))
                found.push_back(bestAt);
        }
        quiet = !loud;
    }
    return found;
}

bool WaitForSamples(const GameRun &run, size_t from, const std::vector<float> &sample, size_t count, int timeoutMs)
{
    return WaitFor([&] {
        std::vector<float> heard = CapturedSince(run, from);
        return heard.size() > QUIET_TAIL && Rms(heard, heard.size() - QUIET_TAIL, heard.size()) < SILENCE_RMS &&
               FindSample(heard, sample).size() >= count;
    }, timeoutMs, SOUND_POLL_MS);
}

}  // namespace harness
