// Writing the finished sounds: 16-bit PCM WAV for the samples, Ogg Vorbis for the music.
#ifndef PAPERLUNE_SYNTH_ENCODE_H
#define PAPERLUNE_SYNTH_ENCODE_H

#include <string>
#include <vector>

#include "dsp.h"

// Mono 16-bit PCM at the synthesiser's rate, as a complete RIFF file image.
std::vector<unsigned char> EncodeWav(const std::vector<float> &samples);

// Stereo Ogg Vorbis (fixed serial number, so the same input gives the same bytes).
bool EncodeVorbis(const Stereo &music, const std::string &title, std::vector<unsigned char> &bytes);

bool WriteFile(const std::string &path, const std::vector<unsigned char> &bytes);

#endif
