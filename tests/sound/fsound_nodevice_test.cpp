// Music files handled with no sound device: they open and close, nothing plays.
#include <gtest/gtest.h>

#include <string>

#include "capture.h"
#include "platform/fsound.h"

using namespace capture;

TEST(FsoundStreamWithoutDevice, OpensAndClosesButNeverPlays)
{
    FSOUND_Close();   // whatever ran before in this process, no device now
    std::string ogg = ScratchDir("nodevice") + "/music.ogg";
    ASSERT_TRUE(WriteOgg(ogg, 60, RATE / 10));
    FSOUND_STREAM *s = FSOUND_Stream_Open(ogg.c_str(), FSOUND_LOOP_NORMAL, 0, -1);
    ASSERT_NE(s, nullptr) << "a readable Ogg file should open with or without a device";
    EXPECT_EQ(FSOUND_Stream_Play(0, s), -1);
    EXPECT_EQ(FSOUND_Stream_Stop(s), 1);
    EXPECT_EQ(FSOUND_Stream_Close(s), 1);
    // A handle already closed is only recognised as gone.
    EXPECT_EQ(FSOUND_Stream_Play(0, s), -1);
    EXPECT_EQ(FSOUND_Stream_Stop(s), 0);
    EXPECT_EQ(FSOUND_Stream_Close(s), 0);
}

TEST(FsoundStreamWithoutDevice, UnclosedStreamsDoNotPileUp)
{
    FSOUND_Close();
    std::string ogg = ScratchDir("nodevice") + "/scene.ogg";
    ASSERT_TRUE(WriteOgg(ogg, 61, RATE / 10));
    size_t before = OpenFiles();
    FSOUND_STREAM *last = nullptr;
    for (int scene = 0; scene < 40; scene++) {
        last = FSOUND_Stream_Open(ogg.c_str(), FSOUND_LOOP_NORMAL, 0, -1);
        ASSERT_TRUE(last);
        FSOUND_Stream_Play(0, last);
    }
    EXPECT_EQ(OpenFiles(), before + 1);
    FSOUND_Stream_Stop(last);
    FSOUND_Stream_Close(last);
    EXPECT_EQ(OpenFiles(), before);
}
