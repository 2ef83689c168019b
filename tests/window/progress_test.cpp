// The player's progress file as a player meets it: records kept by an older
// version in the game's own directory carry over, and a file the game cannot
// read is reported and left alone.
#include "harness.h"

#include <X11/keysym.h>
#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include "story/scene.h"

using namespace harness;

namespace {

const int START_MS = 20000;
const int PAGE_MS = 8000;
const int NOBODY = 65534;

std::vector<uint8_t> Image52(const std::vector<int32_t> &words)
{
    std::vector<uint8_t> bytes;
    for (int32_t w : words)
        for (int b = 0; b < 4; b++)
            bytes.push_back(uint8_t(uint32_t(w) >> (8 * b)));
    return bytes;
}

struct stat StatOf(const std::string &path)
{
    struct stat st {};
    stat(path.c_str(), &st);
    return st;
}

}  // namespace

TEST(Progress, OldFileInTheWorkingDirectoryIsTakenOverAndLeftThere)
{
    GameRun run = Prepare("takeover");
    // Path 2 holds what a file cut or damaged on disk could hold.
    std::vector<uint8_t> old = Image52({0, -1, -1, 61, 1, -64636, 75, 3599, 12, -1, -1, 600, -5});
    std::string oldPath = PathIn(run, "gmstat.dat");
    ASSERT_TRUE(WriteFile(oldPath, old));
    struct stat before = StatOf(oldPath);
    ASSERT_FALSE(FileExists(SavePath(run)));

    ASSERT_TRUE(LaunchToMenu(run));
    EXPECT_EQ(ReadFile(SavePath(run)), old) << "taken over as it was";
    Image s;
    ASSERT_TRUE(OpenHall("hall-taken-over", s));
    Image expected = Compose(HS_BACKGROUND, HallTexts({"1min+1s", "N/A", "59min+59s", "N/A", "10min+0s"},
                                                      {"1mis", "", "12mis", "", ""}));
    for (int k = 1; k <= 5; k++)
        EXPECT_LT(Difference(s, expected, 190, 150 + 40 * k, 430, 38), 1.5) << "row of path " << k;
    // The damaged row would read "N/A" beside "75mis" if its mistakes showed.
    Image shown75 = Compose(HS_BACKGROUND, HallTexts({"1min+1s", "N/A", "59min+59s", "N/A", "10min+0s"},
                                                     {"1mis", "75mis", "12mis", "", ""}));
    EXPECT_GT(Difference(s, shown75, 390, 230, 200, 38), Difference(s, expected, 390, 230, 200, 38) + 1.0);
    PressKey(XK_Return);
    ASSERT_TRUE(QuitFromMenu(run));

    EXPECT_EQ(ReadFile(oldPath), old) << "the old file is left as it was";
    struct stat after = StatOf(oldPath);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
    EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
    EXPECT_EQ(ReadFile(SavePath(run)), old);
}

TEST(Progress, UnreadableFileIsReportedAndNeverWritten)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root to run the game as a player whom the file's mode binds";
    GameRun run = Prepare("unreadable");
    std::vector<uint8_t> record = Image52({3262, 900, 3, -1, -1, -1, -1, 900, 3, -1, -1, -1, -1});
    ASSERT_TRUE(WriteSaveBytes(run, record));
    run.user = NOBODY;   // Launch hands the run's files, this one included, to that user
    ASSERT_EQ(chmod(SavePath(run).c_str(), 0), 0);

    ParkPointer();
    ASSERT_TRUE(Launch(run));
    std::string text;
    ASSERT_TRUE(WaitFor([&] { return !(text = MessageBox(run)).empty(); }, START_MS)) << "no message box";
    EXPECT_NE(text.find("cannot be read"), std::string::npos) << text;
    EXPECT_NE(text.find("nothing will be saved"), std::string::npos) << text;
    EXPECT_NE(text.find(SavePath(run)), std::string::npos) << text;
    // xmessage's white box over the still black window.
    EXPECT_TRUE(WaitFor([] { return ShareOfColour(Screenshot(), 0, 0, SHOT_W, SHOT_H, 0xFFFFFF, 10) > 0.05; }, 5000));
    SavePng(Screenshot(), ShotPath("progress-unreadable-message"));
    DismissMessageBox(run);

    // The game plays on: the intro, the menu, a new game, "Yes" in the quit dialog.
    ASSERT_TRUE(WaitFor([] { return ShownPicture(Screenshot(), {27}) == 27; }, START_MS));
    PressKey(XK_space);
    ASSERT_TRUE(WaitFor(MenuShown, START_MS) && WaitStable());
    ChooseMenuItem(MENU_NEW_GAME);
    const Scene *first = SceneNamed("Scene01");
    ASSERT_NE(first, nullptr);
    ASSERT_TRUE(WaitForScreen(NarrationPage(first, NarrationPages(first)[0]), PAGE_MS));
    ASSERT_TRUE(QuitAndSave());
    ASSERT_TRUE(QuitFromMenu(run));

    struct stat after = StatOf(SavePath(run));
    EXPECT_EQ(after.st_mode & 07777, 0u);
    EXPECT_EQ(ReadFile(SavePath(run)), record) << "the records in the file are still there";
    std::string dir = SavePath(run).substr(0, SavePath(run).rfind('/'));
    int entries = 0;
    if (DIR *d = opendir(dir.c_str())) {
        while (dirent *e = readdir(d))
            entries += std::string(e->d_name) != "." && std::string(e->d_name) != "..";
        closedir(d);
    }
    EXPECT_EQ(entries, 1) << "nothing was written beside it";
}
