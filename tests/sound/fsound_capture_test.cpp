// The sound layer played through Allegro's ALSA driver into a file, and the
// file searched for what should (and should not) be in it. The sink is not
// paced in real time, so every check is about order and content within the
// captured stream, never about how many frames a wait produced.
#include <allegro.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "capture.h"
#include "platform/fsound.h"
#include "scratch.h"

using namespace capture;

namespace {

const size_t WINDOW = 1024;           // frames compared when looking for a sound
const double FOUND = 0.5;             // a sound alone scores near 1, two mixed about 0.7
const double ABSENT = 0.3;            // unrelated noise scores about 0.1
const double WHOLE = 0.98;            // a sound heard whole and alone
const double SILENT = 1e-4;
const size_t SLACK = 2048;            // one mixer buffer either side of a switch

struct DisplayEnvironment : ::testing::Environment {
    void TearDown() override
    {
        StopDisplay();
        if (::testing::UnitTest::GetInstance()->Passed())
            RemoveScratch();
    }
};
::testing::Environment *const display = ::testing::AddGlobalTestEnvironment(new DisplayEnvironment);

class FsoundCapture : public ::testing::Test {
protected:
    std::string dir;

    void SetUp() override
    {
        ASSERT_TRUE(StartAllegro()) << "no X server or Allegro";
        dir = ScratchDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
        ClearSink();
    }
    std::string File(const char *name) const { return dir + "/" + name; }
    // Path as the game writes it, so the layer's mapping is used too.
    std::string GamePath(const char *name) const
    {
        std::string p = File(name);
        for (char &c : p)
            if (c == '/')
                c = '\\';
        return p;
    }
    void Start() { ASSERT_EQ(FSOUND_Init(44100, 32, 0), 1) << "the file sink did not open"; }
    Sound Finish()
    {
        FSOUND_Close();
        return ReadRaw(SinkFile());
    }
    Sound Ogg(const char *name, unsigned seed, size_t frames, float amplitude = 0.4f)
    {
        EXPECT_TRUE(WriteOgg(File(name), seed, frames, amplitude));
        return ReadOgg(File(name));
    }
};

TEST_F(FsoundCapture, SamplesPlayOnceToTheEndAndTogether)
{
    Sound a = WriteWav(File("a.wav"), Noise(1, RATE / 5, 0.5f));
    Sound b = WriteWav(File("b.wav"), Noise(2, RATE / 4, 0.5f));
    Start();
    FSOUND_SAMPLE *sa = FSOUND_Sample_Load(-1, GamePath("a.wav").c_str(), FSOUND_LOOP_OFF, 0, 0);
    FSOUND_SAMPLE *sb = FSOUND_Sample_Load(-1, GamePath("b.wav").c_str(), FSOUND_LOOP_OFF, 0, 0);
    ASSERT_TRUE(sa && sb);
    EXPECT_GE(FSOUND_PlaySound(FSOUND_FREE, sa), 0);
    rest(400);
    EXPECT_GE(FSOUND_PlaySound(FSOUND_FREE, sb), 0);
    rest(400);
    int va = FSOUND_PlaySound(FSOUND_FREE, sa);
    int vb = FSOUND_PlaySound(FSOUND_FREE, sb);
    EXPECT_GE(va, 0);
    EXPECT_GE(vb, 0);
    EXPECT_NE(va, vb);
    rest(400);
    FSOUND_Sample_Free(sa);
    FSOUND_Sample_Free(sb);
    Sound out = Finish();

    std::vector<size_t> at = Find(out, a, WINDOW, FOUND);
    std::vector<size_t> bt = Find(out, b, WINDOW, FOUND);
    ASSERT_EQ(at.size(), 2u) << "sample a should sound twice";
    ASSERT_EQ(bt.size(), 2u) << "sample b should sound twice";
    // Alone, each is heard whole, then nothing: once, to its end.
    EXPECT_LT(at[0], bt[0]);
    EXPECT_GT(Correlation(out, at[0], a, 0, a.frames()), WHOLE);
    EXPECT_LT(Rms(out, at[0] + a.frames() + 1, bt[0]), SILENT);
    EXPECT_GT(Correlation(out, bt[0], b, 0, b.frames()), WHOLE);
    EXPECT_LT(Rms(out, bt[0] + b.frames() + 1, at[1]), SILENT);
    // Played together, they sound at the same time, mixed.
    EXPECT_LT(at[1] > bt[1] ? at[1] - bt[1] : bt[1] - at[1], SLACK);
    EXPECT_GT(Correlation(out, at[1], a, 0, a.frames()), FOUND);
    EXPECT_GT(Correlation(out, bt[1], b, 0, b.frames()), FOUND);
}

TEST_F(FsoundCapture, FreeCutsOffASampleStillSounding)
{
    Sound longOne = WriteWav(File("long.wav"), Noise(3, RATE, 0.5f));
    Sound tail;
    tail.data.assign(longOne.data.end() - WINDOW * 2, longOne.data.end());
    Start();
    FSOUND_SAMPLE *s = FSOUND_Sample_Load(-1, GamePath("long.wav").c_str(), FSOUND_LOOP_OFF, 0, 0);
    ASSERT_TRUE(s);
    FSOUND_PlaySound(FSOUND_FREE, s);
    rest(100);
    FSOUND_Sample_Free(s);
    rest(1500);   // long enough for the whole sample, had it gone on
    EXPECT_EQ(FSOUND_PlaySound(FSOUND_FREE, s), -1);   // already freed: nothing
    Sound out = Finish();

    std::vector<size_t> head = Find(out, longOne, WINDOW, FOUND);
    ASSERT_EQ(head.size(), 1u);
    EXPECT_TRUE(Find(out, tail, WINDOW, FOUND).empty()) << "the sample played on after being freed";
    size_t end = LastSound(out, head[0], out.frames());
    EXPECT_LT(end, head[0] + longOne.frames());
    EXPECT_LT(Rms(out, end + 1, out.frames()), SILENT);
}

TEST_F(FsoundCapture, StreamLoopsWithoutAGap)
{
    Sound music = Ogg("loop.ogg", 10, RATE / 2);
    ASSERT_GT(music.frames(), 0u);
    Start();
    FSOUND_STREAM *s = FSOUND_Stream_Open(GamePath("loop.ogg").c_str(), FSOUND_LOOP_NORMAL, 0, -1);
    ASSERT_TRUE(s);
    EXPECT_EQ(FSOUND_Stream_Play(0, s), 0);
    rest(1500);   // the game's thread blocked: only the decoder thread feeds the music
    EXPECT_EQ(FSOUND_Stream_Stop(s), 1);
    EXPECT_EQ(FSOUND_Stream_Close(s), 1);
    Sound out = Finish();

    std::vector<size_t> at = Find(out, music, WINDOW, FOUND);
    ASSERT_FALSE(at.empty());
    size_t passes = CleanPasses(out, music, at[0], WHOLE);
    size_t end = LastSound(out, at[0], out.frames());
    EXPECT_GE(passes, 2u);
    // Every pass up to the stop is whole, seam to seam; only the one the
    // stop cut short is missing.
    EXPECT_GE(at[0] + (passes + 1) * music.frames(), end) << passes << " clean passes";
}

TEST_F(FsoundCapture, NewStreamReplacesTheOldOne)
{
    Sound first = Ogg("first.ogg", 20, RATE * 2 / 5);
    Sound second = Ogg("second.ogg", 30, RATE * 3 / 10);
    Start();
    FSOUND_STREAM *one = FSOUND_Stream_Open(GamePath("first.ogg").c_str(), FSOUND_LOOP_NORMAL, 0, -1);
    FSOUND_STREAM *two = FSOUND_Stream_Open(GamePath("second.ogg").c_str(), FSOUND_LOOP_NORMAL, 0, -1);
    ASSERT_TRUE(one && two);
    FSOUND_Stream_Play(0, one);
    rest(700);
    FSOUND_Stream_Play(0, two);   // the game never stops the earlier stream
    rest(700);
    // The layer has released the first; the game may still pass it.
    EXPECT_EQ(FSOUND_Stream_Play(0, one), -1);
    EXPECT_EQ(FSOUND_Stream_Stop(one), 0);
    EXPECT_EQ(FSOUND_Stream_Close(one), 0);
    EXPECT_EQ(FSOUND_Stream_Stop(two), 1);
    EXPECT_EQ(FSOUND_Stream_Close(two), 1);
    Sound out = Finish();

    std::vector<size_t> oneAt = Find(out, first, WINDOW, FOUND);
    std::vector<size_t> twoAt = Find(out, second, WINDOW, FOUND);
    ASSERT_FALSE(oneAt.empty());
    ASSERT_FALSE(twoAt.empty());
    EXPECT_LT(oneAt[0], twoAt[0]);
    EXPECT_GE(CleanPasses(out, first, oneAt[0], WHOLE), 1u);
    EXPECT_LT(BestCorrelation(out, first, WINDOW, twoAt[0] + SLACK, out.frames()), ABSENT)
        << "the first stream still sounds after the second took over";
    EXPECT_GE(CleanPasses(out, second, twoAt[0], WHOLE), 2u);
}

TEST_F(FsoundCapture, ReplacedStreamsAreReleased)
{
    Ogg("scene.ogg", 70, RATE / 10);
    Start();
    size_t before = OpenFiles();
    FSOUND_STREAM *last = nullptr;
    for (int scene = 0; scene < 40; scene++) {   // a long play-through: one stream per scene
        last = FSOUND_Stream_Open(GamePath("scene.ogg").c_str(), FSOUND_LOOP_NORMAL, 0, -1);
        ASSERT_TRUE(last);
        EXPECT_EQ(FSOUND_Stream_Play(0, last), 0);
    }
    EXPECT_EQ(OpenFiles(), before + 1);
    FSOUND_Stream_Stop(last);
    FSOUND_Stream_Close(last);
    EXPECT_EQ(OpenFiles(), before);
    Finish();
}

TEST_F(FsoundCapture, StopSilencesTheMusic)
{
    Sound music = Ogg("music.ogg", 40, RATE / 2);
    Sound mark = WriteWav(File("mark.wav"), Noise(41, RATE / 10, 0.5f));
    Start();
    FSOUND_SAMPLE *marker = FSOUND_Sample_Load(-1, GamePath("mark.wav").c_str(), FSOUND_LOOP_OFF, 0, 0);
    FSOUND_STREAM *s = FSOUND_Stream_Open(GamePath("music.ogg").c_str(), FSOUND_LOOP_NORMAL, 0, -1);
    ASSERT_TRUE(marker && s);
    FSOUND_Stream_Play(0, s);
    rest(500);
    EXPECT_EQ(FSOUND_Stream_Stop(s), 1);
    rest(400);
    FSOUND_PlaySound(FSOUND_FREE, marker);   // where the capture must already be quiet
    rest(300);
    EXPECT_EQ(FSOUND_Stream_Close(s), 1);
    FSOUND_Sample_Free(marker);
    Sound out = Finish();

    std::vector<size_t> musicAt = Find(out, music, WINDOW, FOUND);
    std::vector<size_t> markAt = Find(out, mark, WINDOW, FOUND);
    ASSERT_FALSE(musicAt.empty());
    ASSERT_EQ(markAt.size(), 1u);
    size_t end = LastSound(out, musicAt[0], markAt[0]);
    EXPECT_GT(markAt[0] - end, SLACK) << "no quiet between the stop and the marker";
    EXPECT_LT(BestCorrelation(out, music, WINDOW, end, out.frames()), ABSENT);
}

TEST_F(FsoundCapture, PlayOnceStreamEndsAfterOnePass)
{
    Sound music = Ogg("once.ogg", 50, RATE * 3 / 10);
    Start();
    FSOUND_STREAM *s = FSOUND_Stream_Open(GamePath("once.ogg").c_str(), FSOUND_LOOP_OFF, 0, -1);
    ASSERT_TRUE(s);
    FSOUND_Stream_Play(0, s);
    rest(1000);
    FSOUND_Stream_Close(s);
    Sound out = Finish();

    std::vector<size_t> at = Find(out, music, WINDOW, FOUND);
    ASSERT_EQ(at.size(), 1u);
    EXPECT_EQ(CleanPasses(out, music, at[0], WHOLE), 1u);
    EXPECT_LT(Rms(out, at[0] + music.frames() + 1, out.frames()), SILENT);
}

// Damaged copies of a file, as a player's disk or download may leave them.
struct Damaged {
    const char *name;
    std::vector<uint8_t> bytes;
    bool opens;     // still a well-formed file, only with other sound in it
};

std::vector<uint8_t> Bytes(const std::string &path)
{
    std::vector<uint8_t> bytes;
    if (FILE *f = fopen(path.c_str(), "rb")) {
        int c;
        while ((c = fgetc(f)) != EOF)
            bytes.push_back(uint8_t(c));
        fclose(f);
    }
    return bytes;
}

void PutLe32(std::vector<uint8_t> &bytes, size_t at, uint32_t v)
{
    if (bytes.size() < at + 4)
        return;
    for (int i = 0; i < 4; i++)
        bytes[at + i] = uint8_t(v >> (8 * i));
}

const size_t WAV_RATE_AT = 24, WAV_DATA_SIZE_AT = 40, WAV_HEADER = 44;
const size_t OGG_HEADERS = 4096;      // the identification, comment and setup pages of a short file
const size_t FLIP_EVERY = 997;

std::vector<Damaged> DamagedCopies(const std::vector<uint8_t> &good, bool wav)
{
    std::vector<Damaged> copies;
    copies.push_back({"empty", {}, false});
    copies.push_back({"cut in the header", std::vector<uint8_t>(good.begin(), good.begin() + 30), false});
    // A WAV cut short declares more than it holds; an Ogg plays up to the cut.
    copies.push_back({"cut short", std::vector<uint8_t>(good.begin(), good.begin() + good.size() / 2), !wav});
    std::vector<uint8_t> garbage = good;
    for (size_t i = wav ? WAV_HEADER : OGG_HEADERS; i < garbage.size(); i++)
        garbage[i] = uint8_t(i * 2654435761u >> 13);
    copies.push_back({"garbage after the header", garbage, true});
    std::vector<uint8_t> flipped = good;
    for (size_t i = FLIP_EVERY; i < flipped.size(); i += FLIP_EVERY)
        flipped[i] ^= 0x10;
    copies.push_back({"bits flipped", flipped, true});
    if (wav) {
        std::vector<uint8_t> zero = good;
        PutLe32(zero, WAV_DATA_SIZE_AT, 0xFFFFFFFFu);   // the library makes a sample of no frames
        copies.push_back({"data size of -1", zero, false});
        std::vector<uint8_t> stopped = good;
        PutLe32(stopped, WAV_RATE_AT, 0);               // a voice that would never advance nor end
        copies.push_back({"rate 0", stopped, false});
    }
    return copies;
}

}  // namespace

// A damaged WAV gives no sample, or one that plays once and ends like any
// other; nothing lingers, and a good sample after them all sounds whole.
TEST_F(FsoundCapture, DamagedSamplesAreRefusedOrEndAndTheNextOneSoundsWhole)
{
    WriteWav(File("good.wav"), Noise(61, RATE / 5, 0.5f));
    Sound mark = WriteWav(File("mark.wav"), Noise(62, RATE / 10, 0.5f));
    std::vector<Damaged> copies = DamagedCopies(Bytes(File("good.wav")), true);
    Start();
    std::vector<FSOUND_SAMPLE *> loaded;
    for (size_t i = 0; i < copies.size(); i++) {
        std::string name = "damaged" + std::to_string(i) + ".wav";
        ASSERT_TRUE(WriteBytes(File(name.c_str()), copies[i].bytes));
        FSOUND_SAMPLE *s = FSOUND_Sample_Load(-1, GamePath(name.c_str()).c_str(), FSOUND_LOOP_OFF, 0, 0);
        EXPECT_EQ(s != nullptr, copies[i].opens) << copies[i].name;
        FSOUND_PlaySound(FSOUND_FREE, s);
        loaded.push_back(s);
        rest(50);
    }
    rest(300);
    FSOUND_SAMPLE *marker = FSOUND_Sample_Load(-1, GamePath("mark.wav").c_str(), FSOUND_LOOP_OFF, 0, 0);
    ASSERT_TRUE(marker);
    EXPECT_GE(FSOUND_PlaySound(FSOUND_FREE, marker), 0);
    rest(400);
    for (FSOUND_SAMPLE *s : loaded)
        FSOUND_Sample_Free(s);
    FSOUND_Sample_Free(marker);
    Sound out = Finish();

    std::vector<size_t> at = Find(out, mark, WINDOW, FOUND);
    ASSERT_EQ(at.size(), 1u);
    EXPECT_GT(Correlation(out, at[0], mark, 0, mark.frames()), WHOLE);
}

// A damaged Ogg opens to no stream, or to one that plays what it can; the
// decoder thread survives each, and the next good stream loops cleanly.
TEST_F(FsoundCapture, DamagedMusicPlaysWhatItCanAndTheNextStreamLoops)
{
    Ogg("good.ogg", 63, RATE / 2);
    Sound music = Ogg("music.ogg", 64, RATE * 3 / 10);
    std::vector<Damaged> copies = DamagedCopies(Bytes(File("good.ogg")), false);
    Start();
    for (size_t i = 0; i < copies.size(); i++) {
        std::string name = "damaged" + std::to_string(i) + ".ogg";
        ASSERT_TRUE(WriteBytes(File(name.c_str()), copies[i].bytes));
        FSOUND_STREAM *s = FSOUND_Stream_Open(GamePath(name.c_str()).c_str(), FSOUND_LOOP_NORMAL, 0, -1);
        if (!copies[i].opens) {
            EXPECT_EQ(s, nullptr) << copies[i].name;
        }
        FSOUND_Stream_Play(0, s);
        rest(600);   // past the end of the cut copy: its loop goes back to the start
        FSOUND_Stream_Stop(s);
        FSOUND_Stream_Close(s);
    }
    FSOUND_STREAM *s = FSOUND_Stream_Open(GamePath("music.ogg").c_str(), FSOUND_LOOP_NORMAL, 0, -1);
    ASSERT_TRUE(s);
    EXPECT_EQ(FSOUND_Stream_Play(0, s), 0);
    rest(1000);
    FSOUND_Stream_Stop(s);
    FSOUND_Stream_Close(s);
    Sound out = Finish();

    std::vector<size_t> at = Find(out, music, WINDOW, FOUND);
    ASSERT_FALSE(at.empty());
    EXPECT_GE(CleanPasses(out, music, at[0], WHOLE), 2u);
}


// Levels through the mixer: the music exactly as loud as its file, a sample
// at full scale at half of it, as the game's samples always were, and the
// two together never past full scale, however loud the music.
TEST_F(FsoundCapture, MusicAtItsOwnLevelSamplesAtHalfAndBothTogetherNeverClip)
{
    const double TOLERANCE_DB = 0.2;
    const double SAMPLE_DB = 20 * std::log10(128.0 / 255.0);
    const float FULL_SCALE_16 = 32767.0f / 32768.0f;   // where the mixer clips
    Sound music = Ogg("level.ogg", 90, RATE);
    Sound loud = Ogg("loud.ogg", 91, RATE / 2, 0.98f);
    Sound full = WriteWav(File("full.wav"), Noise(92, RATE / 5, 1.0f));
    Start();
    FSOUND_STREAM *s = FSOUND_Stream_Open(GamePath("level.ogg").c_str(), FSOUND_LOOP_OFF, 0, -1);
    ASSERT_TRUE(s);
    FSOUND_Stream_Play(0, s);
    rest(1500);
    FSOUND_Stream_Close(s);
    FSOUND_SAMPLE *key = FSOUND_Sample_Load(-1, GamePath("full.wav").c_str(), FSOUND_LOOP_OFF, 0, 0);
    ASSERT_TRUE(key);
    FSOUND_PlaySound(FSOUND_FREE, key);
    rest(500);
    // A key struck over loud music again and again, each once it has ended.
    FSOUND_STREAM *l = FSOUND_Stream_Open(GamePath("loud.ogg").c_str(), FSOUND_LOOP_NORMAL, 0, -1);
    ASSERT_TRUE(l);
    FSOUND_Stream_Play(0, l);
    for (int i = 0; i < 8; i++) {
        FSOUND_PlaySound(FSOUND_FREE, key);
        rest(250);
    }
    rest(300);
    FSOUND_Stream_Close(l);
    FSOUND_Sample_Free(key);
    Sound out = Finish();

    std::vector<size_t> musicAt = Find(out, music, WINDOW, FOUND);
    std::vector<size_t> keyAt = Find(out, full, WINDOW, FOUND);
    ASSERT_FALSE(musicAt.empty());
    ASSERT_FALSE(keyAt.empty());
    double musicDb = 20 * std::log10(Rms(out, musicAt[0], musicAt[0] + music.frames()) / Rms(music, 0, music.frames()));
    double keyDb = 20 * std::log10(Rms(out, keyAt[0], keyAt[0] + full.frames()) / Rms(full, 0, full.frames()));
    EXPECT_NEAR(musicDb, 0.0, TOLERANCE_DB) << "the music at the level of its file";
    EXPECT_NEAR(keyDb, SAMPLE_DB, TOLERANCE_DB) << "a full-scale sample at half";
    EXPECT_GT(BestCorrelation(out, loud, WINDOW, keyAt[0] + full.frames(), out.frames()), FOUND) << "no loud music";
    EXPECT_LT(Peak(out), FULL_SCALE_16) << "the mix reached full scale: clipped";
}
