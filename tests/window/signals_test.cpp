// Signals end the game: a hang-up at the menu ends it as "Quit" does, and an
// abort raised while the allocator's lock is held, which the graphics
// library's own handler turned into a process that never ended, ends it at
// once.
#include "harness.h"

#include <gtest/gtest.h>

#include <csignal>
#include <string>

using namespace harness;

namespace {

const int END_MS = 10000;
const int HANG_MS = 4000;     // the probe aborts within a second of starting
const char NOTE[] = "Paperlune: ended by a signal";
// A sanitizer brings an allocator of its own, which reports the double free
// itself: the C library's lock, and the hang under it, never come about.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
const bool OWN_ALLOCATOR = true;
#else
const bool OWN_ALLOCATOR = false;
#endif

std::string Log(const GameRun &run)
{
    std::vector<uint8_t> bytes = ReadFile(PathIn(run, ".game.log"));
    return std::string(bytes.begin(), bytes.end());
}

}  // namespace

TEST(Signals, HangUpAtTheMenuEndsTheGameAsQuitDoes)
{
    GameRun run = Prepare("sighup");
    ASSERT_TRUE(LaunchToMenu(run));
    kill(run.pid, SIGHUP);
    ASSERT_TRUE(WaitExit(run, END_MS)) << "SIGHUP did not end the game";
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(Log(run).find(NOTE), std::string::npos) << "ended as a crash";
}

TEST(Signals, AbortWithTheAllocatorLockHeldEndsTheProcess)
{
    if (OWN_ALLOCATOR)
        GTEST_SKIP() << "built with a sanitizer's allocator";
    GameRun run = Prepare("abort");
    ASSERT_TRUE(LaunchProgram(run, PAPERLUNE_ABORT_PROBE, nullptr));
    ASSERT_TRUE(WaitExit(run, END_MS)) << "the abort did not end the process";
    EXPECT_EQ(run.exitCode, 128 + SIGABRT);
    EXPECT_NE(Log(run).find(NOTE), std::string::npos);

    // The same abort under the library's handlers hangs: the probe does hit
    // the fault, so the ending above is the handlers' doing.
    GameRun control = Prepare("abort-library");
    ASSERT_TRUE(LaunchProgram(control, PAPERLUNE_ABORT_PROBE, "library"));
    EXPECT_FALSE(WaitExit(control, HANG_MS)) << "the library's handler no longer hangs; the probe proves nothing";
    Kill(control);
}
