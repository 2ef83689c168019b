// A record once earned stays: two copies of the game at once, a data home
// that takes nothing, a full disk, and a session ended by a signal or by the
// X server going away right after a finished letter.
#include "harness.h"

#include <X11/keysym.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include "story/scene.h"

using namespace harness;

namespace {

const int START_MS = 20000;
const int PAGE_MS = 8000;
const int END_MS = 5000;       // two seconds of bound, and slack
const int NOBODY = 65534;
const int NO = -1;

// Resumes at Scene05's letter with 100 seconds and 2 mistakes behind it.
const std::vector<int32_t> BEFORE_LETTER = {5, 100, 2, NO, NO, NO, NO, NO, NO, NO, NO, NO, NO};
const int32_t AFTER_LETTER_ID = 51;   // Scene05e1, the scene after it

std::vector<int32_t> WordsOf(const std::string &path)
{
    std::vector<uint8_t> bytes = ReadFile(path);
    std::vector<int32_t> words;
    for (size_t i = 0; i + 4 <= bytes.size(); i += 4)
        words.push_back(int32_t(uint32_t(bytes[i]) | uint32_t(bytes[i + 1]) << 8 | uint32_t(bytes[i + 2]) << 16 |
                                uint32_t(bytes[i + 3]) << 24));
    return words;
}

bool FirstPageOf(const char *sceneName)
{
    const Scene *scene = SceneNamed(sceneName);
    return scene && WaitForScreen(NarrationPage(scene, NarrationPages(scene)[0]), PAGE_MS);
}

// Past the intro to a settled menu, once the game's first picture shows.
bool IntroToMenu()
{
    if (!WaitFor([] { return ShownPicture(Screenshot(), {27}) == 27; }, START_MS))
        return false;
    PressKey(XK_space);
    return WaitFor(MenuShown, START_MS) && WaitStable();
}

// "Continue Playing" at Scene05 with the letter typed; its finished page
// stands, waiting for a key.
bool FinishScene05Letter(GameRun &run)
{
    WriteSave(run, BEFORE_LETTER);
    if (!LaunchToMenu(run))
        return false;
    ChooseMenuItem(MENU_CONTINUE);
    // Key by key, so that the clock runs for seconds: a letter typed within
    // its clock's first second adds no time.
    TypingPlan plan;
    plan.keyGapMs = KEY_BY_KEY_GAP_MS;
    return TypeLetter("Scene05", plan);
}

// The letter is in the file, once, with the scene after it to continue at.
void ExpectLetterKept(const GameRun &run)
{
    std::vector<int32_t> words = SaveWords(run);
    ASSERT_EQ(words.size(), 13u);
    EXPECT_EQ(words[0], AFTER_LETTER_ID) << "continues after the letter";
    EXPECT_GT(words[1], BEFORE_LETTER[1]) << "the letter's time was added";
    EXPECT_EQ(words[2], BEFORE_LETTER[2]) << "typed without a mistake";
}

GameRun Again(const GameRun &run)
{
    GameRun next = run;
    next.pid = -1;
    next.ended = false;
    next.exitCode = -1;
    return next;
}

std::string MakeTempDir(const char *name)
{
    std::string pattern = std::string("/tmp/paperlune-") + name + "-XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back(0);
    if (!mkdtemp(buf.data()))
        return "";
    chmod(buf.data(), 0755);
    return buf.data();
}

std::vector<std::string> Entries(const std::string &dir)
{
    std::vector<std::string> names;
    if (DIR *d = opendir(dir.c_str())) {
        while (dirent *e = readdir(d))
            if (std::string(e->d_name) != "." && std::string(e->d_name) != "..")
                names.push_back(e->d_name);
        closedir(d);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// xmessage's white box on the screen, kept for a person to look at.
bool BoxSeen(const char *shotName)
{
    bool seen = WaitFor([] { return ShareOfColour(Screenshot(), 0, 0, SHOT_W, SHOT_H, 0xFFFFFF, 10) > 0.05; }, 5000);
    SavePng(Screenshot(), ShotPath(shotName));
    return seen;
}

// A small file system of its own, gone again with the test, passed or not.
struct SmallDisk {
    std::string dir;
    bool mounted = false;
    explicit SmallDisk(const char *options) : dir(MakeTempDir("disk"))
    {
        mounted = !dir.empty() && mount("tmpfs", dir.c_str(), "tmpfs", 0, options) == 0;
    }
    ~SmallDisk()
    {
        if (mounted)
            umount2(dir.c_str(), MNT_DETACH);
        if (!dir.empty())
            rmdir(dir.c_str());
    }
};

}  // namespace

TEST(Keeping, OneCopysRecordSurvivesAnotherCopysSave)
{
    // B starts first and loads the file while path 1 is still unfinished.
    GameRun b = Prepare("copy-b");
    WriteSave(b, {142, 300, 4, NO, NO, NO, NO, NO, NO, NO, NO, NO, NO});
    ASSERT_TRUE(LaunchToMenu(b));
    ASSERT_TRUE(ChooseNewGameOverPlace());
    ASSERT_TRUE(FirstPageOf("Scene01"));

    // A, started by a second click, plays on over B's window to ending 1.
    GameRun a = Prepare("copy-a");
    a.dataHome = b.dataHome;
    ParkPointer();
    ASSERT_TRUE(LaunchAlongside(a));
    ASSERT_TRUE(IntroToMenu());
    ChooseMenuItem(MENU_CONTINUE);
    ASSERT_TRUE(ReadNarration("Scene04e2"));
    ASSERT_TRUE(WaitFor([&] { return SaveWords(a).size() == 13 && SaveWords(a)[3] == 300; }, PAGE_MS))
        << "A's ending did not record path 1";
    PressKey(XK_space);
    ASSERT_TRUE(WaitFor(MenuShown, PAGE_MS));
    ASSERT_TRUE(QuitFromMenu(a));

    // B, back in front, quits its game with "Yes".
    ASSERT_TRUE(QuitAndSave());
    std::vector<int32_t> words = SaveWords(b);
    ASSERT_EQ(words.size(), 13u);
    EXPECT_EQ(words[3], 300) << "A's record was lost to B's save";
    EXPECT_EQ(words[4], 4);
    EXPECT_EQ(words[0], 0) << "where to continue is the last saver's";
    EXPECT_EQ(words[1], 0);
    ASSERT_TRUE(QuitFromMenu(b));
}

TEST(Keeping, ReadOnlyDataHomeSendsTheRecordToTheStartDirectory)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root to run the game as a player whom the directory's mode binds";
    GameRun run = Prepare("ro-home");
    run.user = NOBODY;
    // Outside the run's files, which Launch hands to the player.
    std::string dataHome = MakeTempDir("ro-xdg");
    ASSERT_FALSE(dataHome.empty());
    run.dataHome = dataHome;
    std::string startFile = PathIn(run, "gmstat.dat");

    ParkPointer();
    ASSERT_TRUE(Launch(run));
    std::string text;
    ASSERT_TRUE(WaitFor([&] { return !(text = MessageBox(run)).empty(); }, START_MS)) << "no message box";
    EXPECT_NE(text.find(dataHome + "/paperlune/gmstat.dat"), std::string::npos) << text;
    EXPECT_NE(text.find("Permission denied"), std::string::npos) << text;
    EXPECT_NE(text.find(startFile), std::string::npos) << text;
    EXPECT_TRUE(BoxSeen("keeping-moved-message"));
    DismissMessageBox(run);

    ASSERT_TRUE(IntroToMenu());
    ChooseMenuItem(MENU_NEW_GAME);
    ASSERT_TRUE(FirstPageOf("Scene01"));
    ASSERT_TRUE(QuitAndSave());
    EXPECT_EQ(MessageBox(run), "") << "the same cause is told once";
    ASSERT_TRUE(QuitFromMenu(run));

    // "New game" zeroed the run, and that is what the start directory holds.
    std::vector<int32_t> words = WordsOf(startFile);
    ASSERT_EQ(words.size(), 13u);
    EXPECT_EQ(words[0], 0);
    EXPECT_EQ(words[1], 0);
    EXPECT_EQ(words[2], 0);
    EXPECT_EQ(Entries(dataHome), std::vector<std::string>{});
    rmdir(dataHome.c_str());
}

TEST(Keeping, FullDiskKeepsTheOldFileWholeAndSaysSo)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root to mount a small file system to fill";
    SmallDisk small("size=64k,mode=0755");
    if (!small.mounted)
        GTEST_SKIP() << "no tmpfs could be mounted here: " << strerror(errno);
    const std::string &disk = small.dir;
    GameRun run = Prepare("full-disk");
    run.dataHome = disk;
    std::vector<int32_t> kept = {3262, 900, 3, NO, NO, NO, NO, 900, 3, NO, NO, NO, NO};
    WriteSave(run, kept);
    std::vector<uint8_t> before = ReadFile(SavePath(run));
    // Filled to the last page.
    int fill = open((disk + "/filler").c_str(), O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(fill, 0);
    std::vector<char> block(4096, 'x');
    while (write(fill, block.data(), block.size()) > 0) {
    }
    close(fill);

    ASSERT_TRUE(LaunchToMenu(run));
    ASSERT_TRUE(ChooseNewGameOverPlace());
    ASSERT_TRUE(FirstPageOf("Scene01"));
    ParkPointer();
    WaitStable(1500);
    PressKey(XK_Escape, 150);
    ASSERT_TRUE(WaitFor([] { return QuitDialogShown(1); }, PAGE_MS));
    PressKey(XK_Return);
    std::string text;
    ASSERT_TRUE(WaitFor([&] { return !(text = MessageBox(run)).empty(); }, PAGE_MS)) << "no message box";
    EXPECT_NE(text.find(SavePath(run)), std::string::npos) << text;
    EXPECT_NE(text.find("No space left on device"), std::string::npos) << text;
    EXPECT_TRUE(BoxSeen("keeping-full-disk-message"));
    DismissMessageBox(run);
    ASSERT_TRUE(WaitFor(MenuShown, PAGE_MS));
    ASSERT_TRUE(QuitFromMenu(run));

    EXPECT_EQ(ReadFile(SavePath(run)), before) << "the old file is not whole";
    EXPECT_EQ(StrayFilesBesideSave(run), std::vector<std::string>{});
    std::vector<int32_t> moved = WordsOf(PathIn(run, "gmstat.dat"));
    ASSERT_EQ(moved.size(), 13u) << "the record went nowhere";
    EXPECT_EQ(moved[0], 0);
    EXPECT_EQ(moved[7], 900) << "path 3's record went with it";
}

TEST(Keeping, FinishedLetterSurvivesTermination)
{
    GameRun run = Prepare("term-letter");
    ASSERT_TRUE(FinishScene05Letter(run));
    // The page after the letter waits for a key: the scene after it has not
    // begun, so only the answer to the signal can save the letter.
    kill(run.pid, SIGTERM);
    ASSERT_TRUE(WaitExit(run, END_MS)) << "SIGTERM did not end the game in time";
    EXPECT_EQ(run.exitCode, 0);
    ExpectLetterKept(run);
    std::vector<int32_t> saved = SaveWords(run);

    // The next start continues after the letter and counts it once.
    GameRun next = Again(run);
    ASSERT_TRUE(LaunchToMenu(next));
    ChooseMenuItem(MENU_CONTINUE);
    ASSERT_TRUE(FirstPageOf("Scene05e1"));
    ASSERT_TRUE(QuitAndSave());
    EXPECT_EQ(SaveWords(next), saved);
    ASSERT_TRUE(QuitFromMenu(next));
}

// SIGTERM in the same instant as the key that ends the letter: the key is
// judged before the close is answered, and the letter is kept, with its one
// line of history. Twenty times, as the two race.
TEST(Keeping, TerminationWithTheLastKeyKeepsTheLetter)
{
    const int ROUNDS = 20;
    for (int round = 0; round < ROUNDS; round++) {
        SCOPED_TRACE("round " + std::to_string(round));
        GameRun run = Prepare("term-last-key");
        WriteSave(run, BEFORE_LETTER);
        ASSERT_TRUE(LaunchToMenu(run));
        ChooseMenuItem(MENU_CONTINUE);
        TypingPlan plan;
        plan.leaveLastKey = true;
        ASSERT_TRUE(TypeLetter("Scene05", plan));
        // Pressed, and known to the X server, when the signal goes.
        KeyDown(XK_space);
        kill(run.pid, SIGTERM);
        KeyUp(XK_space);
        ASSERT_TRUE(WaitExit(run, END_MS)) << "SIGTERM did not end the game in time";
        EXPECT_EQ(run.exitCode, 0);
        std::vector<int32_t> words = SaveWords(run);
        ASSERT_EQ(words.size(), 13u);
        EXPECT_EQ(words[0], AFTER_LETTER_ID) << "the letter's last key was lost to the close";
        EXPECT_EQ(words[2], BEFORE_LETTER[2]);
        std::vector<uint8_t> history = ReadFile(SaveDirectory(run) + "/history.tsv");
        std::string text(history.begin(), history.end());
        size_t lines = 0;
        for (size_t at = text.find("\tScene05\t"); at != std::string::npos; at = text.find("\tScene05\t", at + 1))
            lines++;
        EXPECT_EQ(lines, 1u) << text;
        if (HasFailure())
            break;
    }
}

TEST(Keeping, FinishedLetterIsOnDiskAtOnceAndTheXServerGoingEndsTheGame)
{
    GameRun run = Prepare("x-gone-letter");
    ASSERT_TRUE(FinishScene05Letter(run));
    // The letter is written while its finished page stands, before anything
    // could end the game (a kill, a power cut).
    EXPECT_TRUE(WaitFor([&] { return SaveWords(run).size() == 13 && SaveWords(run)[0] == AFTER_LETTER_ID; }, PAGE_MS))
        << "the finished letter is not on disk while its page rests";
    ExpectLetterKept(run);
    ASSERT_TRUE(FinishLetter());
    ASSERT_TRUE(FirstPageOf("Scene05e1"));
    ExpectLetterKept(run);
    std::vector<int32_t> saved = SaveWords(run);

    KillDisplayServer();
    ASSERT_TRUE(WaitExit(run, END_MS)) << "the game outlived its X server";
    EXPECT_EQ(run.exitCode, 0) << "ended as if by an error";
    EXPECT_EQ(SaveWords(run), saved);
}
