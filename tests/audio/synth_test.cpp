// The synthesiser's parts: the note-data reader, the instruments' tuning and
// the folding of the tail that makes a piece loop.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "effects.h"
#include "instruments.h"
#include "render.h"
#include "score.h"

static const std::string HEADER =
    "tempo 120\nmeter 4\ntrack a piano\ntrack b pad\n";

static Score MustParse(const std::string &text)
{
    Score s;
    std::string error;
    EXPECT_TRUE(ParseScore(text, s, error)) << error;
    return s;
}

static std::string ErrorOf(const std::string &text)
{
    Score s;
    std::string error;
    EXPECT_FALSE(ParseScore(text, s, error));
    return error;
}

TEST(Score, PitchNames)
{
    EXPECT_EQ(ParsePitch("A4"), 69);
    EXPECT_EQ(ParsePitch("C4"), 60);
    EXPECT_EQ(ParsePitch("F#3"), 54);
    EXPECT_EQ(ParsePitch("Bb1"), 34);
    EXPECT_EQ(ParsePitch("Cb4"), 59);
    EXPECT_EQ(ParsePitch("H4"), -1);
    EXPECT_EQ(ParsePitch("C"), -1);
    EXPECT_EQ(ParsePitch("C4x"), -1);
    EXPECT_EQ(ParsePitch("c4"), -1);
}

TEST(Score, NotesChordsRestsAndSections)
{
    Score s = MustParse(HEADER +
                        "section X 1\n"
                        "a: C4:1 D4 r:1/2 [E4 G4]:3/2@0.9   # a comment; F#4 in it is ignored\n"
                        "end\n"
                        "section Y 1\n"
                        "b: v=0.4 [C3 G3]:4\n"
                        "end\n"
                        "order X Y X\n");
    EXPECT_DOUBLE_EQ(s.totalBeats, 12.0);
    ASSERT_EQ(s.notes.size(), 10u);
    // Durations carry over, the rest only moves time, the chord shares one onset.
    EXPECT_EQ(s.notes[1].midi, 62);
    EXPECT_DOUBLE_EQ(s.notes[1].beats, 1.0);
    EXPECT_DOUBLE_EQ(s.notes[2].beat, 2.5);
    EXPECT_DOUBLE_EQ(s.notes[3].beat, 2.5);
    EXPECT_DOUBLE_EQ(s.notes[3].velocity, 0.9);
    EXPECT_EQ(s.notes[2].chordIndex, 0);
    EXPECT_EQ(s.notes[3].chordIndex, 1);
    EXPECT_EQ(s.notes[4].track, 1);
    EXPECT_DOUBLE_EQ(s.notes[4].beat, 4.0);
    EXPECT_DOUBLE_EQ(s.notes[4].velocity, 0.4);
    EXPECT_DOUBLE_EQ(s.notes[6].beat, 8.0);   // the second X
    EXPECT_EQ(LoopSamples(s), 6 * 44100);     // 12 beats at 120
}

TEST(Score, TiesHoldCommonTonesAcrossBarsAndSections)
{
    Score s = MustParse(HEADER +
                        "section X 2\n"
                        "b: [C4 E4 G4]:4~ | [C4 E4 A4]:4~\n"
                        "end\n"
                        "section Y 1\n"
                        "b: [C4 F4 A4]:4\n"
                        "end\n"
                        "order X Y\n");
    // C4 sounds once for all three bars; E4 for two; G4 one bar; A4 from bar 2 on.
    ASSERT_EQ(s.notes.size(), 5u);
    auto find = [&](int midi, double beat) -> const NoteEvent * {
        for (const NoteEvent &e : s.notes)
            if (e.midi == midi && e.beat == beat) return &e;
        return nullptr;
    };
    ASSERT_NE(find(60, 0), nullptr);
    EXPECT_DOUBLE_EQ(find(60, 0)->beats, 12.0);
    EXPECT_DOUBLE_EQ(find(64, 0)->beats, 8.0);
    EXPECT_DOUBLE_EQ(find(67, 0)->beats, 4.0);
    ASSERT_NE(find(69, 4), nullptr);
    EXPECT_DOUBLE_EQ(find(69, 4)->beats, 8.0);
    EXPECT_NE(find(65, 8), nullptr);
}

TEST(Score, MistakesAreReportedWithTheirLine)
{
    EXPECT_NE(ErrorOf(HEADER + "section X 1\na: C4:3 | D4:1\nend\norder X\n").find("line 6"), std::string::npos);
    EXPECT_NE(ErrorOf(HEADER + "section X 2\na: C4:4\nend\norder X\n").find("lasts 4"), std::string::npos);
    EXPECT_NE(ErrorOf(HEADER + "section X 1\nz: C4:4\nend\norder X\n").find("line 6"), std::string::npos);
    EXPECT_NE(ErrorOf("track a kazoo\n").find("unknown instrument"), std::string::npos);
    EXPECT_NE(ErrorOf(HEADER + "section X 1\na: Q4:4\nend\norder X\n").find("not a pitch"), std::string::npos);
    EXPECT_NE(ErrorOf(HEADER + "section X 1\na: C4:4@2\nend\norder X\n").find("cannot read"), std::string::npos);
    EXPECT_NE(ErrorOf(HEADER + "section X 1\na: r:4~\nend\norder X\n").find("tied"), std::string::npos);
    EXPECT_NE(ErrorOf(HEADER + "section X 1\na: C4:4\n").find("no end"), std::string::npos);
    EXPECT_NE(ErrorOf(HEADER + "section X 1\na: C4:4\nend\norder X Z\n").find("unknown section"),
              std::string::npos);
    EXPECT_NE(ErrorOf(HEADER + "section X 1\na: C4:4\nend\n").find("no order"), std::string::npos);
}

// Pitch as the power-weighted centre of the spectrum around the expected
// fundamental: detuned ensemble voices and vibrato average out, as to the ear.
static double MeasureFrequency(const std::vector<float> &x, size_t from, size_t length, double expected)
{
    double weighted = 0.0, total = 0.0;
    for (int step = -80; step <= 80; ++step) {
        double f = expected * std::pow(2.0, step * 0.5 / 1200.0);
        double w = 2.0 * M_PI * f / 44100.0, c = std::cos(w), s = std::sin(w);
        double re = 1.0, im = 0.0, sumRe = 0.0, sumIm = 0.0;
        for (size_t i = 0; i < length; ++i) {
            double hann = 0.5 - 0.5 * std::cos(2.0 * M_PI * i / length);
            sumRe += x[from + i] * hann * re;
            sumIm -= x[from + i] * hann * im;
            double r = re * c - im * s;
            im = re * s + im * c;
            re = r;
        }
        double power = sumRe * sumRe + sumIm * sumIm;
        weighted += power * f;
        total += power;
    }
    return weighted / total;
}

TEST(Instruments, PlayInTune)
{
    // Out-of-tune parts would sour every chord, so each pitched voice is measured.
    const int pitched[] = {INSTRUMENT_PIANO, INSTRUMENT_CELESTA, INSTRUMENT_PAD, INSTRUMENT_STRINGS,
                           INSTRUMENT_PLUCK, INSTRUMENT_BASS};
    const double freqs[] = {110.0, 261.63, 466.16};
    for (int instrument : pitched) {
        for (double f : freqs) {
            NoteParams p{f, 2.5, 0.7, -1.0, -1.0, 0.5, 1234u, 44100 * 6};
            Stereo out;
            RenderNote(instrument, p, out);
            ASSERT_GT(out.left.size(), 44100u * 3 / 10 + 65536) << instrument << " at " << f << " Hz";
            std::vector<float> mono(out.left.size());
            for (size_t i = 0; i < mono.size(); ++i) mono[i] = out.left[i] + out.right[i];
            double measured = MeasureFrequency(mono, 44100 * 3 / 10, 65536, f);
            double cents = 1200.0 * std::log2(measured / f);
            EXPECT_LT(std::fabs(cents), 2.0) << "instrument " << instrument << " at " << f << " Hz";
        }
    }
}

TEST(Instruments, ReleaseEndsTheNoteAndLimitsAreKept)
{
    NoteParams p{220.0, 0.5, 0.8, -1.0, 0.4, 0.5, 7u, 44100 * 10};
    for (int i = 0; i < INSTRUMENT_COUNT; ++i) {
        Stereo out;
        RenderNote(i, p, out);
        EXPECT_GT(out.left.size(), 1000u) << i;
        EXPECT_EQ(out.left.size(), out.right.size()) << i;
        EXPECT_LE(out.left.size(), (size_t)(44100 * (0.5 + 0.4) + 2)) << i;   // held + release
        Stereo capped;
        NoteParams q = p;
        q.maxSamples = 500;
        RenderNote(i, q, capped);
        EXPECT_LE(capped.left.size(), 500u) << i;
    }
    EXPECT_EQ(InstrumentByName("pluck"), INSTRUMENT_PLUCK);
    EXPECT_EQ(InstrumentByName("organ"), -1);
}

TEST(Render, TailIsFoldedOntoTheStart)
{
    // A chord struck on the last beat rings on past the end of the loop: it
    // must be heard at the start, and the seam must be continuous.
    Score s = MustParse(HEADER +
                        "section X 1\n"
                        "b: r:3 [C4 G4]:1\n"
                        "end\n"
                        "order X\n");
    Stereo out;
    RenderReport report;
    std::string error;
    ASSERT_TRUE(RenderScore(s, out, report, error)) << error;
    long n = LoopSamples(s);
    ASSERT_EQ((long)out.left.size(), n);
    EXPECT_NEAR(report.rmsDb, -20.0, 0.05);
    double start = 0.0, before = 0.0;
    for (long i = 0; i < 2205; ++i) {
        start += std::fabs(out.left[i]);
        before += std::fabs(out.left[n - 2205 + i]);
    }
    EXPECT_GT(start, 0.2 * before);
    double biggestStep = 0.0;
    for (long i = n - 2205; i + 1 < n; ++i)
        biggestStep = std::max(biggestStep, (double)std::fabs(out.left[i + 1] - out.left[i]));
    EXPECT_LE(std::fabs(out.left[0] - out.left[n - 1]), biggestStep);
    EXPECT_LT(report.tailDb, -90.0);
}

TEST(Render, SameScoreSameSamples)
{
    Score s = MustParse(HEADER + "track c pluck human 0.01\n"
                                 "section X 1\nc: C4:1 E4 G4 C5\nb: [C3 G3]:4\nend\norder X\n");
    Stereo a, b;
    RenderReport ra, rb;
    std::string error;
    ASSERT_TRUE(RenderScore(s, a, ra, error));
    ASSERT_TRUE(RenderScore(s, b, rb, error));
    EXPECT_TRUE(a.left == b.left && a.right == b.right);
}

TEST(Effects, KeyIsShortAndSharpBellRingsOn)
{
    std::vector<float> key = RenderKeyStrike(), bell = RenderBell();
    // Where each sample's energy lies in time: the key is over at once, the bell lingers.
    auto energyAfter = [](const std::vector<float> &v, double seconds) {
        double total = 0.0, late = 0.0;
        for (size_t i = 0; i < v.size(); ++i) {
            total += (double)v[i] * v[i];
            if (i >= (size_t)(seconds * 44100)) late += (double)v[i] * v[i];
        }
        return late / total;
    };
    EXPECT_LT(energyAfter(key, 0.04), 0.25);
    EXPECT_GT(energyAfter(bell, 0.3), 0.1);
    EXPECT_TRUE(key == RenderKeyStrike());
}
