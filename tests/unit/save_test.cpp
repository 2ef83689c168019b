// The progress file as bytes on disk, its damaged and missing forms, a
// write that must not destroy the old file or a link to it, where each
// player's file lives, and the rules for records and counts.
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "records/save.h"

namespace fs = std::filesystem;

namespace {

typedef std::vector<unsigned char> Bytes;

// A fresh directory per test, removed with everything in it.
struct ScratchDir {
    fs::path dir;
    ScratchDir()
    {
        char name[] = "/tmp/paperlune-save-XXXXXX";
        dir = mkdtemp(name);
    }
    ~ScratchDir() { fs::remove_all(dir); }
    std::string operator/(const char *name) const { return (dir / name).string(); }
    size_t entries() const { return std::distance(fs::directory_iterator(dir), fs::directory_iterator()); }
};

void WriteBytes(const std::string &path, const Bytes &bytes)
{
    FILE *f = fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr) << path;
    // An empty vector may have no buffer at all, and fwrite wants one even
    // for no bytes; opening with "wb" has already made the file empty.
    bool whole = bytes.empty() || fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    EXPECT_EQ(fclose(f), 0) << path;
    ASSERT_TRUE(whole) << path;
}

Bytes ReadBytes(const std::string &path)
{
    Bytes bytes;
    if (FILE *f = fopen(path.c_str(), "rb")) {
        for (int c; (c = fgetc(f)) != EOF;)
            bytes.push_back(static_cast<unsigned char>(c));
        fclose(f);
    }
    return bytes;
}

Bytes DefaultImage()
{
    Bytes image(4, 0x00);
    image.resize(SAVE_BYTES, 0xFF);
    return image;
}

// Bytes 1, 2, 3, ... so that every word shows where its bytes came from.
Bytes Counting(size_t count)
{
    Bytes bytes(count);
    for (size_t i = 0; i < count; i++)
        bytes[i] = static_cast<unsigned char>(i + 1);
    return bytes;
}

Bytes Encoded(const SaveRecord &r)
{
    Bytes image(SAVE_BYTES);
    EncodeSave(r, image.data());
    return image;
}

struct stat Stat(const std::string &path)
{
    struct stat st {};
    stat(path.c_str(), &st);
    return st;
}

bool IsLink(const std::string &path)
{
    struct stat st;
    return lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

const uid_t NOBODY = 65534;

// Runs `body` in a child process as the unprivileged `uid`, where file
// modes bind as they do for a player; its exit code (0 = all held), or -1.
int AsUser(uid_t uid, const std::function<int()> &body)
{
    fflush(nullptr);
    pid_t pid = fork();
    if (pid == 0) {
        if (setgroups(0, nullptr) != 0 || setgid(uid) != 0 || setuid(uid) != 0)
            _exit(100);
        _exit(body());
    }
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

void GiveTo(const fs::path &path, uid_t uid)
{
    ASSERT_EQ(chown(path.c_str(), uid, uid), 0) << path;
}

// XDG_DATA_HOME and HOME for one test, and the old places it names.
struct PlacesScope {
    std::string xdg, home;
    bool hadXdg, hadHome;
    PlacesScope(const std::string &xdgDataHome, const std::vector<std::string> &oldDirs)
    {
        const char *x = getenv("XDG_DATA_HOME"), *h = getenv("HOME");
        hadXdg = x != nullptr;
        hadHome = h != nullptr;
        xdg = x ? x : "";
        home = h ? h : "";
        setenv("XDG_DATA_HOME", xdgDataHome.c_str(), 1);
        SetOldSaveDirs(oldDirs);
    }
    ~PlacesScope()
    {
        if (hadXdg)
            setenv("XDG_DATA_HOME", xdg.c_str(), 1);
        else
            unsetenv("XDG_DATA_HOME");
        if (hadHome)
            setenv("HOME", home.c_str(), 1);
        else
            unsetenv("HOME");
        SetOldSaveDirs({});
    }
};

SaveRecord Sample()
{
    SaveRecord r = DefaultSave();
    r.resumeId = 3262;
    r.runTime = 899;
    r.runMistakes = 14;
    r.pathRecords[0] = {125, 7};
    r.pathRecords[4] = {INT32_MIN, 3};
    return r;
}

}  // namespace

TEST(SaveImage, DefaultsAndRecordsAreLittleEndianWords)
{
    EXPECT_EQ(Encoded(DefaultSave()), DefaultImage());
    Bytes image = Encoded(Sample());
    EXPECT_EQ(Bytes(image.begin(), image.begin() + 4), (Bytes{0xBE, 0x0C, 0x00, 0x00}));      // 3262
    EXPECT_EQ(Bytes(image.begin() + 12, image.begin() + 20), (Bytes{125, 0, 0, 0, 7, 0, 0, 0}));
    EXPECT_EQ(Bytes(image.begin() + 44, image.end()), (Bytes{0, 0, 0, 0x80, 3, 0, 0, 0}));   // path 5
    EXPECT_EQ(Encoded(DecodeSave(image.data(), image.size())), image);
}

TEST(SaveFile, WriteReplacesTheFileWhole)
{
    ScratchDir scratch;
    std::string file = scratch / "gmstat.dat";
    ASSERT_TRUE(WriteSaveFile(file.c_str(), Sample()));
    EXPECT_EQ(ReadBytes(file), Encoded(Sample()));
    SaveRecord read = DefaultSave();
    ASSERT_EQ(ReadSaveFile(file.c_str(), read), SAVE_READ);
    EXPECT_EQ(Encoded(read), Encoded(Sample()));

    // A second link to the old file shows it was replaced, not rewritten in
    // place: the old content stays whole until the new one is.
    fs::create_hard_link(file, scratch / "witness");
    ASSERT_TRUE(WriteSaveFile(file.c_str(), DefaultSave()));
    EXPECT_EQ(ReadBytes(file), DefaultImage());
    EXPECT_EQ(ReadBytes(scratch / "witness"), Encoded(Sample()));
    EXPECT_EQ(scratch.entries(), 2u) << "a temporary file was left behind";
}

TEST(SaveImage, OnlyWholeWordsAreTaken)
{
    // Every cut, from none of the file to more than all of it.
    for (size_t size = 0; size <= 60; size++) {
        SCOPED_TRACE(size);
        Bytes file = Counting(size);
        Bytes expected = DefaultImage();
        size_t whole = std::min<size_t>(size / 4 * 4, SAVE_BYTES);
        std::copy(file.begin(), file.begin() + whole, expected.begin());
        EXPECT_EQ(Encoded(DecodeSave(file.data(), file.size())), expected);
    }

    // A cut one byte into path 1's time once mixed it with the defaults'
    // bytes into -124 seconds, a record no run could beat.
    Bytes cut = Encoded(Sample());
    cut.resize(13);
    cut[12] = 0x84;
    SaveRecord r = DecodeSave(cut.data(), cut.size());
    EXPECT_EQ(r.runMistakes, 14);
    EXPECT_EQ(r.pathRecords[0].bestTime, -1);
    EXPECT_EQ(r.pathRecords[0].bestMistakes, -1);
}

TEST(SaveFile, ShortAndLongFilesLoadOverTheDefaults)
{
    ScratchDir scratch;
    std::string file = scratch / "gmstat.dat";
    for (size_t size : {0, 13, 51, 52, 100}) {
        SCOPED_TRACE(size);
        WriteBytes(file, Counting(size));
        SaveRecord r = Sample();
        ASSERT_EQ(ReadSaveFile(file.c_str(), r), SAVE_READ);
        Bytes expected = DefaultImage();
        Bytes held = Counting(std::min<size_t>(size / 4 * 4, SAVE_BYTES));
        std::copy(held.begin(), held.end(), expected.begin());
        EXPECT_EQ(Encoded(r), expected);
    }
}

TEST(SaveFile, WhatIsThereButCannotBeReadIsNotMissing)
{
    ScratchDir scratch;
    SaveRecord r = Sample();
    std::string why;
    EXPECT_EQ(ReadSaveFile((scratch / "none").c_str(), r, &why), SAVE_MISSING);
    std::string dangling = scratch / "dangling";
    fs::create_symlink(scratch / "nowhere", dangling);
    EXPECT_EQ(ReadSaveFile(dangling.c_str(), r), SAVE_MISSING);

    std::string dir = scratch / "dir";
    fs::create_directory(dir);
    why.clear();
    EXPECT_EQ(ReadSaveFile(dir.c_str(), r, &why), SAVE_UNREADABLE);
    EXPECT_FALSE(why.empty());
    // A pipe by that name is refused at once instead of waiting for a writer.
    std::string pipe = scratch / "pipe";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0644), 0);
    EXPECT_EQ(ReadSaveFile(pipe.c_str(), r), SAVE_UNREADABLE);
    std::string plain = scratch / "plain";
    WriteBytes(plain, {9});
    EXPECT_EQ(ReadSaveFile((plain + "/gmstat.dat").c_str(), r), SAVE_UNREADABLE);
    EXPECT_EQ(Encoded(r), Encoded(Sample())) << "a failed read changed the record";
}

TEST(SaveFile, FailedWriteKeepsWhatWasThere)
{
    ScratchDir scratch;
    // A directory where the file should be: nothing of it is lost.
    std::string inTheWay = scratch / "gmstat.dat";
    fs::create_directory(inTheWay);
    WriteBytes(inTheWay + "/keep", {1, 2, 3});
    EXPECT_FALSE(WriteSaveFile(inTheWay.c_str(), Sample()));
    EXPECT_EQ(ReadBytes(inTheWay + "/keep"), (Bytes{1, 2, 3}));
    EXPECT_EQ(scratch.entries(), 1u);

    // A file where the directory should be: refused even for root.
    std::string plain = scratch / "plain";
    WriteBytes(plain, {9});
    std::string under = plain + "/gmstat.dat";
    EXPECT_FALSE(WriteSaveFile(under.c_str(), Sample()));
    EXPECT_EQ(ReadBytes(plain), Bytes{9});
    SaveRecord untouched = Sample();
    EXPECT_NE(ReadSaveFile(under.c_str(), untouched), SAVE_READ);
    EXPECT_EQ(Encoded(untouched), Encoded(Sample()));
}

TEST(SaveFile, WritesFollowLinksToTheRealFile)
{
    ScratchDir scratch;
    fs::create_directory(scratch.dir / "real");
    fs::create_directory(scratch.dir / "home");
    std::string target = scratch / "real/progress";
    WriteBytes(target, DefaultImage());
    std::string link = scratch / "home/gmstat.dat";
    fs::create_symlink("../real/progress", link);

    ASSERT_TRUE(WriteSaveFile(link.c_str(), Sample()));
    EXPECT_TRUE(IsLink(link)) << "the link was replaced by a plain file";
    EXPECT_EQ(fs::read_symlink(link), "../real/progress");
    EXPECT_EQ(ReadBytes(target), Encoded(Sample()));
    EXPECT_EQ(std::distance(fs::directory_iterator(scratch.dir / "real"), fs::directory_iterator()), 1);
    EXPECT_EQ(std::distance(fs::directory_iterator(scratch.dir / "home"), fs::directory_iterator()), 1);

    // A link to a link to nothing yet: the file at the end is made.
    std::string last = scratch / "real/made-later";
    fs::create_symlink(last, scratch / "real/hop");
    std::string dangling = scratch / "home/dangling";
    fs::create_symlink(scratch / "real/hop", dangling);
    ASSERT_TRUE(WriteSaveFile(dangling.c_str(), Sample()));
    EXPECT_TRUE(IsLink(dangling) && IsLink(scratch / "real/hop"));
    EXPECT_EQ(ReadBytes(last), Encoded(Sample()));

    // Links in a loop lead nowhere: nothing is written, nothing replaced.
    std::string a = scratch / "home/a", b = scratch / "home/b";
    fs::create_symlink(b, a);
    fs::create_symlink(a, b);
    EXPECT_FALSE(WriteSaveFile(a.c_str(), Sample()));
    EXPECT_TRUE(IsLink(a) && IsLink(b));
}

TEST(SaveFile, ReplacedFileKeepsItsMode)
{
    ScratchDir scratch;
    std::string file = scratch / "gmstat.dat";
    mode_t mask = umask(022);
    for (mode_t mode : {0600, 0640, 0664, 0604}) {
        SCOPED_TRACE(mode);
        WriteBytes(file, DefaultImage());
        ASSERT_EQ(chmod(file.c_str(), mode), 0);
        ino_t before = Stat(file).st_ino;
        ASSERT_TRUE(WriteSaveFile(file.c_str(), Sample()));
        EXPECT_NE(Stat(file).st_ino, before) << "not replaced by a new file";
        EXPECT_EQ(Stat(file).st_mode & 07777, mode);
    }
    // A new file gets the mode any new file would.
    remove(file.c_str());
    ASSERT_TRUE(WriteSaveFile(file.c_str(), Sample()));
    EXPECT_EQ(Stat(file).st_mode & 07777, 0644u);
    umask(mask);
}

TEST(SaveFile, ReadOnlyDirectoryGetsTheRecordWrittenInPlace)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root to stand in for a player";
    ScratchDir scratch;
    fs::path dir = scratch.dir / "ro";
    fs::create_directory(dir);
    std::string file = (dir / "gmstat.dat").string();
    std::string locked = (dir / "locked").string();
    Bytes longer = Counting(60);
    WriteBytes(file, longer);
    WriteBytes(locked, longer);
    ASSERT_EQ(chmod(file.c_str(), 0640), 0);
    ASSERT_EQ(chmod(locked.c_str(), 0444), 0);
    GiveTo(file, NOBODY);
    GiveTo(locked, NOBODY);
    GiveTo(dir, NOBODY);
    ASSERT_EQ(chmod(dir.c_str(), 0555), 0);
    ASSERT_EQ(chmod(scratch.dir.c_str(), 0755), 0);
    ino_t before = Stat(file).st_ino;

    EXPECT_EQ(AsUser(NOBODY, [&] {
        if (!WriteSaveFile(file.c_str(), Sample()))
            return 1;
        // Neither a new file nor the old bytes can be had here.
        return WriteSaveFile(locked.c_str(), Sample()) ? 2 : 0;
    }), 0);
    EXPECT_EQ(ReadBytes(file), Encoded(Sample()));
    EXPECT_EQ(Stat(file).st_ino, before);
    EXPECT_EQ(Stat(file).st_mode & 07777, 0640u);
    EXPECT_EQ(ReadBytes(locked), longer);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2);
}

TEST(SaveLoad, ProgressLivesInTheDataHome)
{
    ScratchDir scratch;
    std::string xdg = scratch / "xdg/deeper";
    PlacesScope places(xdg, {});
    mode_t mask = umask(022);
    SaveData = Sample();
    LoadGameData();
    umask(mask);
    std::string file = xdg + "/paperlune/gmstat.dat";
    EXPECT_EQ(SaveFilePath(), file);
    EXPECT_EQ(SaveFileProblem(), nullptr);
    EXPECT_EQ(Encoded(SaveData), DefaultImage());
    EXPECT_EQ(ReadBytes(file), DefaultImage());
    for (const std::string &made : {scratch / "xdg", xdg, xdg + "/paperlune"})
        EXPECT_EQ(Stat(made).st_mode & 07777, 0700u) << made;

    SaveData = Sample();
    SaveGameData();
    EXPECT_EQ(ReadBytes(file), Encoded(Sample()));
    SaveData = DefaultSave();
    LoadGameData();
    EXPECT_EQ(Encoded(SaveData), Encoded(Sample()));

    // A present but empty file is read, not replaced.
    WriteBytes(file, {});
    LoadGameData();
    EXPECT_EQ(Encoded(SaveData), DefaultImage());
    EXPECT_TRUE(ReadBytes(file).empty());
}

TEST(SaveLoad, FirstStartTakesOverTheOldFile)
{
    ScratchDir scratch;
    fs::create_directory(scratch.dir / "started-in");
    fs::create_directory(scratch.dir / "data");
    std::string first = scratch / "started-in/gmstat.dat";
    std::string second = scratch / "data/gmstat.dat";
    SaveRecord other = DefaultSave();
    other.pathRecords[1] = {400, 2};
    WriteBytes(first, Encoded(Sample()));
    WriteBytes(second, Encoded(other));
    struct stat before = Stat(first);

    std::string xdg = scratch / "xdg";
    PlacesScope places(xdg, {(scratch.dir / "nothing-here").string(), (scratch.dir / "started-in").string(),
                             (scratch.dir / "data").string()});
    LoadGameData();
    std::string file = xdg + "/paperlune/gmstat.dat";
    EXPECT_EQ(Encoded(SaveData), Encoded(Sample()));
    EXPECT_EQ(ReadBytes(file), Encoded(Sample()));
    // The old file stays where it was, as it was.
    EXPECT_EQ(ReadBytes(first), Encoded(Sample()));
    EXPECT_EQ(Stat(first).st_ino, before.st_ino);
    EXPECT_EQ(Stat(first).st_mtim.tv_nsec, before.st_mtim.tv_nsec);
    EXPECT_EQ(ReadBytes(second), Encoded(other));

    // Once the new place has a file, the old ones are left alone.
    WriteBytes(first, Encoded(other));
    SaveData = DefaultSave();
    LoadGameData();
    EXPECT_EQ(Encoded(SaveData), Encoded(Sample()));
    EXPECT_EQ(ReadBytes(file), Encoded(Sample()));
}

TEST(SaveLoad, UnreadableFileIsNeverOverwritten)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root to stand in for a player";
    ScratchDir scratch;
    fs::path dir = scratch.dir / "paperlune";
    fs::create_directory(dir);
    std::string file = (dir / "gmstat.dat").string();
    SaveRecord record = DefaultSave();
    record.pathRecords[2] = {900, 3};
    WriteBytes(file, Encoded(record));
    ASSERT_EQ(chmod(file.c_str(), 0), 0);
    GiveTo(file, NOBODY);
    GiveTo(dir, NOBODY);   // the player could replace it: the game must not
    ASSERT_EQ(chmod(scratch.dir.c_str(), 0755), 0);
    // An old file to take over must not be taken either.
    std::string old = scratch / "gmstat.dat";
    WriteBytes(old, Encoded(Sample()));

    PlacesScope places(scratch.dir.string(), {scratch.dir.string()});
    EXPECT_EQ(AsUser(NOBODY, [&] {
        LoadGameData();
        const char *problem = SaveFileProblem();
        if (!problem || std::string(problem).find(file) == std::string::npos)
            return 1;
        if (Encoded(SaveData) != DefaultImage())
            return 2;
        // An ending, then "Yes" in the quit dialog: both would save.
        SaveData.resumeId = 3262;
        SaveData.runTime = 100;
        UpdatePathRecord(SaveData);
        SaveGameData();
        SaveGameData();
        return 0;
    }), 0);
    EXPECT_EQ(ReadBytes(file), Encoded(record));
    EXPECT_EQ(Stat(file).st_mode & 07777, 0u);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);

    // The same file readable again: it loads, and saving is back.
    ASSERT_EQ(chmod(file.c_str(), 0600), 0);
    EXPECT_EQ(AsUser(NOBODY, [&] {
        LoadGameData();
        if (SaveFileProblem() || SaveData.pathRecords[2].bestTime != 900)
            return 1;
        SaveData.resumeId = 3262;
        SaveData.runTime = 100;
        UpdatePathRecord(SaveData);
        SaveGameData();
        return 0;
    }), 0);
    EXPECT_EQ(DecodeSave(ReadBytes(file).data(), SAVE_BYTES).pathRecords[2].bestTime, 100);
}

TEST(SaveLoad, WithoutAHomeTheWorkingDirectoryKeepsIt)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root to stand in for a user without a home";
    uid_t homeless = 54321;
    while (getpwuid(homeless))
        homeless++;
    ScratchDir scratch;
    GiveTo(scratch.dir, homeless);
    PlacesScope places("", {});
    unsetenv("HOME");
    EXPECT_EQ(AsUser(homeless, [&] {
        if (chdir(scratch.dir.c_str()) != 0)
            return 1;
        LoadGameData();
        return SaveFilePath() == SAVE_FILENAME && !SaveFileProblem() ? 0 : 2;
    }), 0);
    EXPECT_EQ(ReadBytes(scratch / "gmstat.dat"), DefaultImage());
    EXPECT_EQ(scratch.entries(), 1u);
}

TEST(SavePath, IdRangesIncludeBothEnds)
{
    const int32_t ids[] = {-30000, 0, 100, 101, 142, 199, 200, 1001, 1500, 1999, 2000, 2001, 2999,
                           3000, 3001, 3999, 4000, 4001, 4999, 5000, 5001, 5999, 6000};
    const int paths[] = {0, 0, 0, 1, 1, 1, 0, 0, 0, 0, 0, 2, 2,
                         0, 3, 3, 0, 4, 4, 0, 5, 5, 0};
    for (size_t i = 0; i < sizeof ids / sizeof ids[0]; i++) {
        EXPECT_EQ(PathOfId(ids[i]), paths[i]) << "id " << ids[i];
        if (paths[i] == 0) {
            SaveRecord r = Sample();
            r.resumeId = ids[i];
            r.runTime = 1;
            Bytes before = Encoded(r);
            EXPECT_EQ(UpdatePathRecord(r), 0);
            EXPECT_EQ(Encoded(r), before) << "id " << ids[i] << " changed a record";
        }
    }
}

TEST(SavePath, OnlyAStrictlyFasterRunReplacesTheRecord)
{
    SaveRecord r = DefaultSave();
    r.resumeId = 3262;
    r.runTime = 900;
    r.runMistakes = 4;
    EXPECT_EQ(UpdatePathRecord(r), 3);                 // first finish records
    r.runMistakes = 1;
    UpdatePathRecord(r);                               // same time, fewer mistakes: kept
    EXPECT_EQ(r.pathRecords[2].bestTime, 900);
    EXPECT_EQ(r.pathRecords[2].bestMistakes, 4);

    r.runTime = 899;
    r.runMistakes = 30;
    UpdatePathRecord(r);                               // faster with more mistakes: replaced
    SaveRecord expected = DefaultSave();
    expected.resumeId = 3262;
    expected.runTime = 899;
    expected.runMistakes = 30;
    expected.pathRecords[2] = {899, 30};
    EXPECT_EQ(Encoded(r), Encoded(expected));          // the run and other paths untouched
}

TEST(SavePath, AnyNegativeTimeIsNotYetFinished)
{
    for (int32_t damaged : {INT32_MIN, -64636, -124, -2}) {
        SaveRecord r = DefaultSave();
        r.pathRecords[1] = {damaged, 75};
        r.resumeId = 2132;
        r.runTime = 5000;
        r.runMistakes = 9;
        EXPECT_EQ(UpdatePathRecord(r), 2);
        EXPECT_EQ(r.pathRecords[1].bestTime, 5000) << damaged;
        EXPECT_EQ(r.pathRecords[1].bestMistakes, 9) << damaged;
    }
}

TEST(SaveCounts, ContinuedCountsStaySane)
{
    EXPECT_EQ(ResumedCount(-65536), 0);
    EXPECT_EQ(ResumedCount(-1), 0);
    EXPECT_EQ(ResumedCount(INT32_MIN), 0);
    EXPECT_EQ(ResumedCount(0), 0);
    EXPECT_EQ(ResumedCount(1234), 1234);

    EXPECT_EQ(AddToCount(100, 25), 125);
    EXPECT_EQ(AddToCount(0, 0), 0);
    EXPECT_EQ(AddToCount(INT32_MAX - 5, 5), INT32_MAX);
    EXPECT_EQ(AddToCount(INT32_MAX - 5, 6), INT32_MAX);
    EXPECT_EQ(AddToCount(INT32_MAX, 1), INT32_MAX);
    EXPECT_EQ(AddToCount(INT32_MAX, INT32_MAX), INT32_MAX);
    EXPECT_EQ(AddToCount(7, -3), 7) << "counts never go down";
}
