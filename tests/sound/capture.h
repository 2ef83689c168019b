// What the sound tests stand on: an X server and Allegro for the process, a
// scratch HOME whose ALSA default device is a raw file, test sounds written
// from scratch, and the signal measures that find them in the capture.
#ifndef PAPERLUNE_TESTS_SOUND_CAPTURE_H
#define PAPERLUNE_TESTS_SOUND_CAPTURE_H

#include <cstddef>
#include <string>
#include <vector>

namespace capture {

const int RATE = 44100;

// Interleaved stereo frames, -1..1.
struct Sound {
    std::vector<float> data;
    size_t frames() const { return data.size() / 2; }
    const float *at(size_t frame) const { return data.data() + frame * 2; }
};

// Starts Xvfb and Allegro once per process, with HOME at a scratch
// directory whose .asoundrc sends ALSA's default device to SinkFile();
// false when anything fails.
bool StartAllegro();
void StopDisplay();
// ALSA reads its configuration once per process, so every test writes to
// this one file; it is removed before each sound start-up and so holds what
// was played since.
std::string SinkFile();
void ClearSink();

// Descriptors the process holds: every open stream keeps its file open.
size_t OpenFiles();

// A fresh directory for one test.
std::string ScratchDir(const char *name);
// Removes every directory ScratchDir made (kept when a test failed, to look at).
void RemoveScratch();
Sound ReadRaw(const std::string &rawFile);

// Deterministic noise bursts: easy to find by correlation, never mistaken
// for each other.
std::vector<float> Noise(unsigned seed, size_t frames, float amplitude);
// Mono 16-bit PCM WAV; the returned Sound is what it holds, as stereo.
Sound WriteWav(const std::string &path, const std::vector<float> &mono);
// Stereo Ogg Vorbis of two independent noise channels of the given peak
// amplitude; returns false on failure.
bool WriteOgg(const std::string &path, unsigned seed, size_t frames, float amplitude = 0.4f);
// Decoded with libvorbisfile, as the layer hears it.
Sound ReadOgg(const std::string &path);

// Normalised correlation of `frames` frames of a at `atA` with b at `atB`;
// 0 where either is silent or out of range.
double Correlation(const Sound &a, size_t atA, const Sound &b, size_t atB, size_t frames);
// Frame offsets in `in`, from `from` on, where the first `window` frames of
// `what` start (correlation at least `threshold`; one hit per occurrence).
std::vector<size_t> Find(const Sound &in, const Sound &what, size_t window, double threshold, size_t from = 0);
// Largest correlation of what's first `window` frames anywhere in in[from, to).
double BestCorrelation(const Sound &in, const Sound &what, size_t window, size_t from, size_t to);
// Root mean square over in[from, to).
double Rms(const Sound &in, size_t from, size_t to);
// The largest magnitude of any sample.
float Peak(const Sound &in);
// Last frame before `to` that is not silent, or `from` when there is none.
size_t LastSound(const Sound &in, size_t from, size_t to);
// Complete loop passes of `loop` in `in` starting at `at`, each matching
// `loop` whole at its exact offset (so a gap or a repeat ends the count).
size_t CleanPasses(const Sound &in, const Sound &loop, size_t at, double threshold);

}  // namespace capture

#endif
