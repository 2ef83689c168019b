// The built sound files, checked as the game will use them.
#include <gtest/gtest.h>

#include <allegro.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "encode.h"
#include "render.h"
#include "score.h"

static const std::string DATA = PAPERLUNE_DATA_DIR;
static const std::string SOURCES = PAPERLUNE_SOURCE_DIR;
static const char *const PIECES[3] = {"letters", "htype", "aonet"};

static const int RATE = 44100;
static const double MIN_SECONDS = 60.0;
static const double CLIP_LEVEL = 0.99;
static const double LOUDNESS_SPREAD_DB = 1.0;
static const double SEAM_WINDOW = 0.1;        // seconds looked at on each side of the loop point
static const double SILENCE_DB = -45.0;       // quieter than this counts as a gap
static const double WINDOW_SECONDS = 4.0;     // for the level over time

struct Decoded {
    long rate = 0;
    int channels = 0;
    std::vector<std::vector<float>> pcm;   // per channel
};

static bool DecodeOgg(const std::string &path, Decoded &out)
{
    OggVorbis_File vf;
    if (ov_fopen(path.c_str(), &vf) != 0) return false;
    vorbis_info *info = ov_info(&vf, -1);
    out.rate = info->rate;
    out.channels = info->channels;
    out.pcm.assign(out.channels, {});
    int section = 0;
    for (;;) {
        float **buffer = nullptr;
        long n = ov_read_float(&vf, &buffer, 4096, &section);
        if (n < 0) {
            ov_clear(&vf);
            return false;
        }
        if (n == 0) break;
        for (int c = 0; c < out.channels; ++c) out.pcm[c].insert(out.pcm[c].end(), buffer[c], buffer[c] + n);
    }
    bool lengthAgrees = ov_pcm_total(&vf, -1) == (ogg_int64_t)out.pcm[0].size();
    ov_clear(&vf);
    return lengthAgrees;
}

static double RmsDb(const Decoded &d, size_t from, size_t to)
{
    double sum = 0.0;
    for (const auto &ch : d.pcm)
        for (size_t i = from; i < to; ++i) sum += (double)ch[i] * ch[i];
    return 10.0 * std::log10(std::max(sum / (d.channels * (double)(to - from)), 1e-20));
}

static std::string MusicPath(const char *piece) { return DATA + "/music/Vantu - " + piece + ".ogg"; }

class MusicFile : public ::testing::TestWithParam<const char *> {};

TEST_P(MusicFile, DecodesAtFullRateForAMinuteWithoutClipping)
{
    Decoded d;
    ASSERT_TRUE(DecodeOgg(MusicPath(GetParam()), d)) << MusicPath(GetParam());
    EXPECT_EQ(d.rate, RATE);
    ASSERT_GE(d.channels, 1);
    double seconds = (double)d.pcm[0].size() / d.rate;
    EXPECT_GE(seconds, MIN_SECONDS);
    float peak = 0.0f;
    for (const auto &ch : d.pcm)
        for (float s : ch) peak = std::max(peak, std::fabs(s));
    EXPECT_LT(peak, CLIP_LEVEL);
    std::printf("%s: %.3f s, %d ch, RMS %.2f dBFS, peak %.3f (%.2f dBFS)\n", GetParam(), seconds, d.channels,
                RmsDb(d, 0, d.pcm[0].size()), peak, 20 * std::log10(peak));
}

TEST_P(MusicFile, LoopsWithoutAClickOrAGap)
{
    Decoded d;
    ASSERT_TRUE(DecodeOgg(MusicPath(GetParam()), d));
    size_t n = d.pcm[0].size(), w = (size_t)(SEAM_WINDOW * RATE);
    ASSERT_GT(n, 4 * w);
    // Sound on both sides of the loop point: no silent lead-in or run-out.
    EXPECT_GT(RmsDb(d, 0, w), SILENCE_DB);
    EXPECT_GT(RmsDb(d, n - w, n), SILENCE_DB);
    std::printf("%s: first and last %.0f ms at %.2f and %.2f dBFS\n", GetParam(), SEAM_WINDOW * 1000,
                RmsDb(d, 0, w), RmsDb(d, n - w, n));
    for (int c = 0; c < d.channels; ++c) {
        const std::vector<float> &x = d.pcm[c];
        // The step from the last sample to the first must look like any other step nearby.
        double largestNearby = 0.0, sumSquares = 0.0;
        for (size_t i = n - w; i + 1 < n; ++i) {
            largestNearby = std::max(largestNearby, (double)std::fabs(x[i + 1] - x[i]));
            sumSquares += (double)(x[i + 1] - x[i]) * (x[i + 1] - x[i]);
        }
        for (size_t i = 0; i + 1 < w; ++i) {
            largestNearby = std::max(largestNearby, (double)std::fabs(x[i + 1] - x[i]));
            sumSquares += (double)(x[i + 1] - x[i]) * (x[i + 1] - x[i]);
        }
        double typical = std::sqrt(sumSquares / (2.0 * w));
        double jump = std::fabs(x[0] - x[n - 1]);
        std::printf("%s ch%d: seam jump %.5f, typical step %.5f, largest nearby %.5f\n", GetParam(), c, jump,
                    typical, largestNearby);
        EXPECT_LE(jump, largestNearby);
        EXPECT_LE(jump, 4.0 * typical + 1e-4);
    }
}

TEST_P(MusicFile, KeepsSoundingAndChangesOverTheMinute)
{
    Decoded d;
    ASSERT_TRUE(DecodeOgg(MusicPath(GetParam()), d));
    size_t window = (size_t)(WINDOW_SECONDS * RATE);
    double quietest = 0.0, loudest = -200.0;
    for (size_t from = 0; from + window <= d.pcm[0].size(); from += window) {
        double db = RmsDb(d, from, from + window);
        quietest = std::min(quietest, db);
        loudest = std::max(loudest, db);
    }
    std::printf("%s: %.0f s windows from %.2f to %.2f dBFS\n", GetParam(), WINDOW_SECONDS, quietest, loudest);
    EXPECT_GT(quietest, SILENCE_DB);
    EXPECT_GT(loudest - quietest, 1.5);   // the pieces have dynamics, not one flat level
}

INSTANTIATE_TEST_SUITE_P(Pieces, MusicFile, ::testing::ValuesIn(PIECES));

TEST(Music, AllPiecesShareOneLoudness)
{
    double lowest = 0.0, highest = -200.0;
    for (const char *piece : PIECES) {
        Decoded d;
        ASSERT_TRUE(DecodeOgg(MusicPath(piece), d)) << piece;
        double db = RmsDb(d, 0, d.pcm[0].size());
        lowest = std::min(lowest, db);
        highest = std::max(highest, db);
    }
    EXPECT_LE(highest - lowest, LOUDNESS_SPREAD_DB);
}

static std::vector<unsigned char> ReadBytes(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(Music, BuildIsRepeatable)
{
    // Rendering and encoding the score again gives the built file byte for byte.
    Score score;
    std::string error;
    ASSERT_TRUE(LoadScore(SOURCES + "/assets/music/htype.score", score, error)) << error;
    std::vector<unsigned char> first, second;
    for (std::vector<unsigned char> *bytes : {&first, &second}) {
        Stereo music;
        RenderReport report;
        ASSERT_TRUE(RenderScore(score, music, report, error)) << error;
        ASSERT_TRUE(EncodeVorbis(music, score.title, *bytes));
    }
    EXPECT_TRUE(first == second);
    EXPECT_TRUE(first == ReadBytes(MusicPath("htype")));
}

// A RIFF WAVE reader of our own, so the check does not lean on the writer.
struct Wav {
    int format = 0, channels = 0, rate = 0, bits = 0;
    std::vector<int16_t> samples;
};

static uint32_t Le(const std::vector<unsigned char> &b, size_t at, int bytes)
{
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | b[at + i];
    return v;
}

static bool ParseWav(const std::vector<unsigned char> &b, Wav &w)
{
    if (b.size() < 12 || std::string(b.begin(), b.begin() + 4) != "RIFF" ||
        std::string(b.begin() + 8, b.begin() + 12) != "WAVE" || Le(b, 4, 4) + 8 != b.size())
        return false;
    bool haveFormat = false, haveData = false;
    for (size_t at = 12; at + 8 <= b.size();) {
        std::string id(b.begin() + at, b.begin() + at + 4);
        uint32_t size = Le(b, at + 4, 4);
        if (at + 8 + size > b.size()) return false;
        if (id == "fmt ") {
            w.format = (int)Le(b, at + 8, 2);
            w.channels = (int)Le(b, at + 10, 2);
            w.rate = (int)Le(b, at + 12, 4);
            w.bits = (int)Le(b, at + 22, 2);
            haveFormat = Le(b, at + 16, 4) == (uint32_t)(w.rate * w.channels * w.bits / 8);
        } else if (id == "data") {
            for (uint32_t i = 0; i + 1 < size; i += 2) w.samples.push_back((int16_t)Le(b, at + 8 + i, 2));
            haveData = true;
        }
        at += 8 + size + (size & 1);
    }
    return haveFormat && haveData;
}

TEST(Samples, KeyAndBellAre16BitPcmOfTheRightLengths)
{
    Wav key, bell;
    ASSERT_TRUE(ParseWav(ReadBytes(DATA + "/Sound/type.wav"), key));
    ASSERT_TRUE(ParseWav(ReadBytes(DATA + "/Sound/bell.wav"), bell));
    for (const Wav *w : {&key, &bell}) {
        EXPECT_EQ(w->format, 1);
        EXPECT_EQ(w->channels, 1);
        EXPECT_EQ(w->rate, RATE);
        EXPECT_EQ(w->bits, 16);
        int peak = 0;
        for (int16_t s : w->samples) peak = std::max(peak, std::abs((int)s));
        EXPECT_LT(peak, 32000);                   // not clipped
        EXPECT_GT(peak, 8000);                    // and clearly audible
        EXPECT_LT(std::abs((int)w->samples.back()), 64);   // ends on silence, no click
    }
    double keySeconds = (double)key.samples.size() / RATE, bellSeconds = (double)bell.samples.size() / RATE;
    std::printf("key %.3f s, bell %.3f s\n", keySeconds, bellSeconds);
    EXPECT_GE(keySeconds, 0.06);
    EXPECT_LE(keySeconds, 0.12);
    EXPECT_GE(bellSeconds, 0.8);
    EXPECT_LE(bellSeconds, 2.0);
    EXPECT_GT(bellSeconds, keySeconds * 5);
}

TEST(Samples, AllegroLoadsThem)
{
    ASSERT_EQ(install_allegro(SYSTEM_NONE, &errno, atexit), 0);
    for (const char *name : {"type.wav", "bell.wav"}) {
        SAMPLE *s = load_sample((DATA + "/Sound/" + name).c_str());
        ASSERT_NE(s, nullptr) << name;
        EXPECT_EQ(s->freq, RATE);
        EXPECT_EQ(s->bits, 16);
        EXPECT_FALSE(s->stereo);
        EXPECT_GT(s->len, (unsigned long)(RATE / 20));
        destroy_sample(s);
    }
    allegro_exit();
}
