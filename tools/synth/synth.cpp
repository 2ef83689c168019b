// synth: makes the game's sounds from the sources in this repository.
//   synth type OUT.wav            the typewriter key strike
//   synth bell OUT.wav            the carriage bell
//   synth music SCORE OUT.ogg     a piece of music from its note data
#include <cstdio>
#include <string>

#include "effects.h"
#include "encode.h"
#include "render.h"
#include "score.h"

static int Usage()
{
    std::fprintf(stderr, "usage: synth type|bell OUT.wav\n       synth music SCORE OUT.ogg\n");
    return 2;
}

static int WriteOrFail(const std::string &path, const std::vector<unsigned char> &bytes)
{
    if (WriteFile(path, bytes)) return 0;
    std::fprintf(stderr, "synth: cannot write %s\n", path.c_str());
    return 1;
}

int main(int argc, char **argv)
{
    if (argc < 3) return Usage();
    std::string what = argv[1];
    if ((what == "type" || what == "bell") && argc == 3) {
        std::vector<float> sound = what == "type" ? RenderKeyStrike() : RenderBell();
        return WriteOrFail(argv[2], EncodeWav(sound));
    }
    if (what != "music" || argc != 4) return Usage();
    Score score;
    std::string error;
    if (!LoadScore(argv[2], score, error)) {
        std::fprintf(stderr, "%s: %s\n", argv[2], error.c_str());
        return 1;
    }
    Stereo music;
    RenderReport report;
    if (!RenderScore(score, music, report, error)) {
        std::fprintf(stderr, "%s: %s\n", argv[2], error.c_str());
        return 1;
    }
    std::vector<unsigned char> bytes;
    if (!EncodeVorbis(music, score.title, bytes)) {
        std::fprintf(stderr, "synth: the Vorbis encoder refused the settings\n");
        return 1;
    }
    std::printf("%s: %.2f s, RMS %.2f dBFS, peak %.3f, tail left %.1f dB, levelled by %+.1f dB, %zu notes\n", score.title.c_str(),
                (double)report.samples / SYNTH_RATE, report.rmsDb, report.peak, report.tailDb, report.gainDb, score.notes.size());
    return WriteOrFail(argv[3], bytes);
}
