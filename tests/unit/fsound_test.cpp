// The sound layer without a sound device: the game must run silent, whatever
// files and handles it passes.
#include <allegro.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "library.h"
#include "scratch.h"
#include "platform/fsound.h"

namespace {

const int WAV_RATE = 22050;
const int WAV_FRAMES = 2205;

std::string GameStyle(std::string path)
{
    for (char &c : path)
        if (c == '/')
            c = '\\';
    return path;
}

void Put(FILE *f, uint32_t v, int bytes)
{
    for (int i = 0; i < bytes; i++)
        fputc((v >> (8 * i)) & 0xFF, f);
}

// A mono 16-bit PCM WAV of a square wave.
bool WriteWav(const std::string &path)
{
    FILE *f = fopen(path.c_str(), "wb");
    if (!f)
        return false;
    fwrite("RIFF", 1, 4, f);
    Put(f, 36 + WAV_FRAMES * 2, 4);
    fwrite("WAVEfmt ", 1, 8, f);
    Put(f, 16, 4);
    Put(f, 1, 2);
    Put(f, 1, 2);
    Put(f, WAV_RATE, 4);
    Put(f, WAV_RATE * 2, 4);
    Put(f, 2, 2);
    Put(f, 16, 2);
    fwrite("data", 1, 4, f);
    Put(f, WAV_FRAMES * 2, 4);
    for (int i = 0; i < WAV_FRAMES; i++)
        Put(f, uint16_t((i / 50) % 2 ? 8000 : -8000), 2);
    return fclose(f) == 0;
}

bool WriteText(const std::string &path, const char *text)
{
    FILE *f = fopen(path.c_str(), "wb");
    if (!f)
        return false;
    fputs(text, f);
    return fclose(f) == 0;
}

// Allegro running with no system driver has no digital voices at all, so
// FSOUND_Init fails exactly as it does on a machine without a sound card.
class FsoundWithoutDevice : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        StartLibrary(LIBRARY_BARE);
    }
    void SetUp() override { ASSERT_EQ(FSOUND_Init(44100, 32, 0), 0); }
    void TearDown() override { FSOUND_Close(); }
};

TEST_F(FsoundWithoutDevice, SamplesLoadButPlayNothing)
{
    std::string wav = ScratchFile("key.wav");
    ASSERT_TRUE(WriteWav(wav));
    FSOUND_SAMPLE *key = FSOUND_Sample_Load(-1, GameStyle(wav).c_str(), FSOUND_LOOP_OFF, 0, 0);
    EXPECT_NE(key, nullptr) << "a readable WAV should load with or without a device";
    EXPECT_EQ(FSOUND_PlaySound(FSOUND_FREE, key), -1);
    EXPECT_EQ(FSOUND_PlaySound(FSOUND_FREE, key), -1);
    FSOUND_Sample_Free(key);
    // The game never passes a freed sample again, but nothing may break if it does.
    FSOUND_Sample_Free(key);
    EXPECT_EQ(FSOUND_PlaySound(FSOUND_FREE, key), -1);
    remove(wav.c_str());
}

TEST_F(FsoundWithoutDevice, MissingOrBrokenFilesGiveNoHandle)
{
    std::string junk = ScratchFile("junk.wav");
    std::string junkOgg = ScratchFile("junk.ogg");
    ASSERT_TRUE(WriteText(junk, "not a wave file at all"));
    ASSERT_TRUE(WriteText(junkOgg, "OggS but not really"));
    EXPECT_EQ(FSOUND_Sample_Load(-1, "Sound\\no such file.wav", FSOUND_LOOP_OFF, 0, 0), nullptr);
    EXPECT_EQ(FSOUND_Sample_Load(-1, nullptr, FSOUND_LOOP_OFF, 0, 0), nullptr);
    EXPECT_EQ(FSOUND_Sample_Load(-1, junk.c_str(), FSOUND_LOOP_OFF, 0, 0), nullptr);
    EXPECT_EQ(FSOUND_Stream_Open("music\\no such file.ogg", FSOUND_LOOP_NORMAL, 0, -1), nullptr);
    EXPECT_EQ(FSOUND_Stream_Open(nullptr, FSOUND_LOOP_NORMAL, 0, -1), nullptr);
    EXPECT_EQ(FSOUND_Stream_Open(junkOgg.c_str(), FSOUND_LOOP_NORMAL, 0, -1), nullptr);
    EXPECT_EQ(FSOUND_Stream_Open(junk.c_str(), FSOUND_LOOP_NORMAL, 0, -1), nullptr);
    remove(junk.c_str());
    remove(junkOgg.c_str());
}

// Headers the library believes: no frames at all, or a rate of 0, whose
// voice would never advance nor end. Both are damage, and give no sample.
TEST_F(FsoundWithoutDevice, WavHeadersOfNoFramesOrNoRateGiveNoHandle)
{
    const long RATE_AT = 24, DATA_SIZE_AT = 40;
    struct Patch {
        long at;
        uint32_t value;
    };
    for (Patch patch : {Patch{RATE_AT, 0}, Patch{DATA_SIZE_AT, 0xFFFFFFFFu}}) {
        std::string wav = ScratchFile("patched.wav");
        ASSERT_TRUE(WriteWav(wav));
        FILE *f = fopen(wav.c_str(), "r+b");
        ASSERT_NE(f, nullptr);
        fseek(f, patch.at, SEEK_SET);
        Put(f, patch.value, 4);
        fclose(f);
        EXPECT_EQ(FSOUND_Sample_Load(-1, wav.c_str(), FSOUND_LOOP_OFF, 0, 0), nullptr) << "offset " << patch.at;
        remove(wav.c_str());
    }
}

TEST_F(FsoundWithoutDevice, NullHandlesAreHarmless)
{
    EXPECT_EQ(FSOUND_PlaySound(FSOUND_FREE, nullptr), -1);
    FSOUND_Sample_Free(nullptr);
    EXPECT_EQ(FSOUND_Stream_Play(0, nullptr), -1);
    EXPECT_EQ(FSOUND_Stream_Stop(nullptr), 0);
    EXPECT_EQ(FSOUND_Stream_Close(nullptr), 0);
    // Shutting down twice, then calling on, as a failure exit might.
    FSOUND_Close();
    FSOUND_Close();
    EXPECT_EQ(FSOUND_PlaySound(FSOUND_FREE, nullptr), -1);
    EXPECT_EQ(FSOUND_Stream_Play(0, nullptr), -1);
}

}  // namespace

namespace {

// The bend of the music's peaks: nothing changes below four fifths of the
// ceiling, above it the curve rises without a step or a turn and never
// passes the ceiling, whatever comes in (a decoder may overshoot 1).
TEST(MusicLimit, LeavesTheBodyAloneAndBendsPeaksSmoothlyBelowTheCeiling)
{
    for (float ceiling : {0.99f, 0.67f, 0.49f}) {
        const float knee = ceiling * 0.8f;
        for (float v = 0.0f; v <= knee; v += knee / 64) {
            EXPECT_FLOAT_EQ(MusicLimit(v, ceiling), v);
            EXPECT_FLOAT_EQ(MusicLimit(-v, ceiling), -v);
        }
        float before = MusicLimit(knee, ceiling);
        for (float v = knee + 0.001f; v <= 2.0f; v += 0.001f) {
            float out = MusicLimit(v, ceiling);
            EXPECT_GE(out, before) << "the bend turns back at " << v;
            EXPECT_LT(out - before, 0.0011f) << "a step at " << v;
            EXPECT_LE(out, ceiling) << v << " came out past the ceiling " << ceiling;
            EXPECT_FLOAT_EQ(MusicLimit(-v, ceiling), -out);
            before = out;
        }
    }
}

}  // namespace
