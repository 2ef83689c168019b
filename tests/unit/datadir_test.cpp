// Finding the run-time files from wherever the game is started.
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/datadir.h"

namespace {

const char PROBE[] = "game.dat";

std::string ScratchDir(const char *name)
{
    std::string pattern = std::string("/tmp/paperlune-unit-") + name + "-XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back(0);
    return mkdtemp(buf.data()) ? std::string(buf.data()) : std::string();
}

void Touch(const std::string &path)
{
    FILE *f = fopen(path.c_str(), "w");
    if (f)
        fclose(f);
}

std::string RealPath(const std::string &path)
{
    char buf[PATH_MAX];
    return realpath(path.c_str(), buf) ? std::string(buf) : path;
}

// Runs `body` with the working directory restored afterwards, whatever the
// code under test changed it to.
template <typename F>
void KeepingWorkingDirectory(F body)
{
    char here[PATH_MAX];
    ASSERT_NE(getcwd(here, sizeof here), nullptr);
    body();
    ASSERT_EQ(chdir(here), 0);
}

}  // namespace

TEST(DataDirectory, TheFirstPlaceHoldingTheFilesWins)
{
    std::vector<std::string> places = {"start", "build", "installed"};
    auto holding = [](std::vector<std::string> yes) {
        return [yes](const std::string &dir) {
            for (const std::string &y : yes)
                if (y == dir)
                    return true;
            return false;
        };
    };
    EXPECT_EQ(FindDataDirectory(places, holding({"start", "build", "installed"})), 0);
    EXPECT_EQ(FindDataDirectory(places, holding({"build", "installed"})), 1);
    EXPECT_EQ(FindDataDirectory(places, holding({"installed"})), 2);
    EXPECT_EQ(FindDataDirectory(places, holding({})), -1);
    EXPECT_EQ(FindDataDirectory({}, holding({"start"})), -1);
}

TEST(DataDirectory, PlacesRunFromTheStartDirectoryToTheInstalledOne)
{
    std::vector<std::string> places = DataDirectoryCandidates("/somewhere/else");
    ASSERT_FALSE(places.empty());
    EXPECT_EQ(places.front(), "/somewhere/else");
    EXPECT_EQ(places.back(), PAPERLUNE_EXPECTED_INSTALLED);
#if PAPERLUNE_EXPECT_BUILD_TREE
    ASSERT_EQ(places.size(), 3u);
    EXPECT_EQ(places[1], PAPERLUNE_DATA_DIR);
    // Started inside the build tree's data, that place is looked at once.
    std::vector<std::string> fromData = DataDirectoryCandidates(PAPERLUNE_DATA_DIR);
    EXPECT_EQ(fromData, (std::vector<std::string>{PAPERLUNE_DATA_DIR, PAPERLUNE_EXPECTED_INSTALLED}));
#else
    // A packaged build never looks into the tree it was built in.
    EXPECT_EQ(places.size(), 2u);
#endif
}

TEST(DataDirectory, OnlyAReadableFileCountsAsTheProbe)
{
    std::string dir = ScratchDir("probe");
    ASSERT_FALSE(dir.empty());
    EXPECT_FALSE(HoldsFile(dir, PROBE)) << "no file";
    ASSERT_EQ(mkdir((dir + "/" + PROBE).c_str(), 0755), 0);
    EXPECT_FALSE(HoldsFile(dir, PROBE)) << "a directory of that name";
    rmdir((dir + "/" + PROBE).c_str());
    Touch(dir + "/" + PROBE);
    EXPECT_TRUE(HoldsFile(dir, PROBE));
    EXPECT_FALSE(HoldsFile(dir + "/missing", PROBE));
    unlink((dir + "/" + PROBE).c_str());
    rmdir(dir.c_str());
}

TEST(DataDirectory, TheMessageNamesTheFileAndEveryPlace)
{
    std::string text = DataDirectoryMissing({"/home/ann/games", "/usr/share/games/paperlune"}, PROBE);
    EXPECT_NE(text.find(PROBE), std::string::npos) << text;
    EXPECT_NE(text.find("\n/home/ann/games\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\n/usr/share/games/paperlune"), std::string::npos) << text;
}

TEST(DataDirectory, EnteringKeepsAStartDirectoryThatHoldsTheFiles)
{
    std::string dir = RealPath(ScratchDir("start"));
    Touch(dir + "/" + PROBE);
    KeepingWorkingDirectory([&] {
        ASSERT_EQ(chdir(dir.c_str()), 0);
        EXPECT_EQ(EnterDataDirectory(PROBE), nullptr);
        EXPECT_EQ(StartDirectory(), dir);
        EXPECT_EQ(DataDirectory(), dir);
        char now[PATH_MAX];
        ASSERT_NE(getcwd(now, sizeof now), nullptr);
        EXPECT_EQ(std::string(now), dir);
    });
    unlink((dir + "/" + PROBE).c_str());
    rmdir(dir.c_str());
}

TEST(DataDirectory, EnteringFromElsewhereMovesAndRemembersWhereItStarted)
{
    std::string dir = RealPath(ScratchDir("elsewhere"));
    KeepingWorkingDirectory([&] {
        ASSERT_EQ(chdir(dir.c_str()), 0);
        const char *problem = EnterDataDirectory(PROBE);
        EXPECT_EQ(StartDirectory(), dir);
        char now[PATH_MAX];
        ASSERT_NE(getcwd(now, sizeof now), nullptr);
#if PAPERLUNE_EXPECT_BUILD_TREE
        // The build has made data/ by the time the tests run.
        EXPECT_EQ(problem, nullptr) << problem;
        EXPECT_EQ(DataDirectory(), RealPath(PAPERLUNE_DATA_DIR));
        EXPECT_EQ(std::string(now), RealPath(PAPERLUNE_DATA_DIR));
#else
        // A packaged build skips its build tree: it goes to an installed
        // copy if this machine has one, else nowhere.
        if (HoldsFile(PAPERLUNE_EXPECTED_INSTALLED, PROBE)) {
            EXPECT_EQ(problem, nullptr) << problem;
            EXPECT_EQ(std::string(now), RealPath(PAPERLUNE_EXPECTED_INSTALLED));
        } else {
            ASSERT_NE(problem, nullptr);
            EXPECT_NE(std::string(problem).find(dir), std::string::npos) << problem;
            EXPECT_EQ(std::string(now), dir) << "no place found, no move";
        }
#endif
    });
    rmdir(dir.c_str());
}
