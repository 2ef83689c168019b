// A request to stop from outside: each stop signal closes the game as its
// close button does and wakes a sleeping loop; one the loop never answers
// still ends the process, the default way.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <thread>

#include <pthread.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/input.h"
#include "platform/session.h"

namespace {

const int LONG_WAIT_MS = 8000;
const int WOKEN_MS = 2000;        // far below the wait it cuts short
const int SIGNAL_AFTER_MS = 100;

// Runs `body` in a child; its wait status.
int InChild(int (*body)(int), int signal)
{
    fflush(nullptr);
    pid_t pid = fork();
    if (pid == 0)
        _exit(body(signal));
    int status = 0;
    waitpid(pid, &status, 0);
    return status;
}

// The loop sleeps in a long wait; the signal comes from another thread, as
// from outside, while this one blocks it, so only the descriptor can wake it.
int SleepThroughASignal(int signal)
{
    InstallStopHandlers();
    if (CloseRequested() || SessionEnding())
        return 20;
    std::thread sender([signal] {
        std::this_thread::sleep_for(std::chrono::milliseconds(SIGNAL_AFTER_MS));
        kill(getpid(), signal);
    });
    // After the thread starts, which takes the mask it is started with.
    sigset_t stops;
    sigemptyset(&stops);
    sigaddset(&stops, signal);
    pthread_sigmask(SIG_BLOCK, &stops, nullptr);
    auto start = std::chrono::steady_clock::now();
    DisplayWait(LONG_WAIT_MS);
    auto slept = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    sender.join();
    alarm(0);   // answered: the bound is not needed
    if (slept.count() > WOKEN_MS)
        return 21;
    if (!CloseRequested() || !SessionEnding())
        return 22;
    return SessionExitCode();
}

// Never answers: the bound must end it.
int IgnoreASignal(int signal)
{
    InstallStopHandlers();
    kill(getpid(), signal);
    for (int i = 0; i < 100; i++)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    return 23;
}

}  // namespace

TEST(StopSignals, EachClosesTheGameAndWakesItsLoop)
{
    for (int signal : {SIGTERM, SIGHUP, SIGINT}) {
        SCOPED_TRACE(signal);
        int status = InChild(SleepThroughASignal, signal);
        ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
        // Ctrl-C is told apart from a hang-up or a termination.
        EXPECT_EQ(WEXITSTATUS(status), signal == SIGINT ? 128 + SIGINT : 0);
    }
}

TEST(StopSignals, ALoopThatNeverAnswersIsEndedTheDefaultWay)
{
    auto start = std::chrono::steady_clock::now();
    int status = InChild(IgnoreASignal, SIGHUP);
    auto took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    ASSERT_TRUE(WIFSIGNALED(status)) << "exited with " << WEXITSTATUS(status);
    EXPECT_EQ(WTERMSIG(status), SIGHUP);
    EXPECT_LT(took.count(), 5000) << "the child would have slept ten seconds";
}
