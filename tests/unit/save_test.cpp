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

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/display.h"
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

// One environment variable for one test.
struct EnvScope {
    std::string name, value;
    bool had;
    EnvScope(const char *variable, const std::string &now) : name(variable)
    {
        const char *v = getenv(variable);
        had = v != nullptr;
        value = v ? v : "";
        setenv(variable, now.c_str(), 1);
    }
    ~EnvScope()
    {
        if (had)
            setenv(name.c_str(), value.c_str(), 1);
        else
            unsetenv(name.c_str());
    }
};

// XDG_DATA_HOME, XDG_STATE_HOME and HOME for one test, and the old places it
// names (the first: where the game was started). The state home is kept
// beside the data home unless the test names one, never the real one.
struct PlacesScope {
    EnvScope xdg, state, home;
    PlacesScope(const std::string &xdgDataHome, const std::vector<std::string> &oldDirs,
                const std::string &xdgStateHome = "")
        : xdg("XDG_DATA_HOME", xdgDataHome),
          state("XDG_STATE_HOME", xdgStateHome.empty() ? xdgDataHome + "-state" : xdgStateHome),
          home("HOME", getenv("HOME") ? getenv("HOME") : "")
    {
        SetOldSaveDirs(oldDirs);
    }
    ~PlacesScope() { SetOldSaveDirs({}); }
};

// What the save told the player, in a test.
std::vector<std::string> told;
void Collect(const char *text)
{
    told.push_back(text);
}

// Sets a file's time of change, for telling the newer of two files.
void SetModified(const std::string &path, time_t seconds)
{
    struct timespec times[2] = {{seconds, 0}, {seconds, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0) << path;
}

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
    PlacesScope places(xdg, {scratch / "started-in"});
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
    EXPECT_TRUE(SaveGameData());
    // Path 5 was never finished on either side: the file's own words stay.
    SaveRecord saved = Sample();
    saved.pathRecords[4] = {-1, -1};
    EXPECT_EQ(ReadBytes(file), Encoded(saved));
    EXPECT_EQ(Encoded(SaveData), Encoded(saved));
    SaveData = DefaultSave();
    LoadGameData();
    EXPECT_EQ(Encoded(SaveData), Encoded(saved));
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
    SetModified(second, 1000);
    SetModified(first, 2000);
    struct stat before = Stat(first);

    std::string xdg = scratch / "xdg";
    PlacesScope places(xdg, {(scratch.dir / "started-in").string(), (scratch.dir / "data").string()});
    LoadGameData();
    std::string file = xdg + "/paperlune/gmstat.dat";
    // The newer file's place to continue, the better record of each path.
    SaveRecord both = Sample();
    both.pathRecords[1] = {400, 2};
    EXPECT_EQ(Encoded(SaveData), Encoded(both));
    EXPECT_EQ(ReadBytes(file), Encoded(both));
    // The old files stay where they were, as they were.
    EXPECT_EQ(ReadBytes(first), Encoded(Sample()));
    EXPECT_EQ(Stat(first).st_ino, before.st_ino);
    EXPECT_EQ(Stat(first).st_mtim.tv_nsec, before.st_mtim.tv_nsec);
    EXPECT_EQ(ReadBytes(second), Encoded(other));

    // Once the new place has a file, an older one elsewhere adds only what
    // it holds better; where to continue stays the newer file's.
    SaveRecord older = DefaultSave();
    older.resumeId = 51;
    older.pathRecords[0] = {126, 0};
    older.pathRecords[3] = {700, 5};
    WriteBytes(first, Encoded(older));
    SetModified(first, 3000);
    SetModified(file, 4000);
    SaveData = DefaultSave();
    LoadGameData();
    both.pathRecords[3] = {700, 5};
    EXPECT_EQ(Encoded(SaveData), Encoded(both));
}

TEST(SaveLoad, EmptyOrCutFileInTheDataHomeCountsAsMissing)
{
    ScratchDir scratch;
    fs::create_directory(scratch.dir / "started-in");
    std::string old = scratch / "started-in/gmstat.dat";
    WriteBytes(old, Encoded(Sample()));
    std::string xdg = scratch / "xdg";
    std::string file = xdg + "/paperlune/gmstat.dat";
    fs::create_directories(xdg + "/paperlune");
    PlacesScope places(xdg, {(scratch.dir / "started-in").string()});

    // Newer, but empty or cut: the old records are taken over all the same.
    Bytes defaults = DefaultImage();
    for (size_t size : {0, 20}) {
        SCOPED_TRACE(size);
        WriteBytes(file, Bytes(defaults.begin(), defaults.begin() + size));
        LoadGameData();
        EXPECT_EQ(Encoded(SaveData), Encoded(Sample()));
        EXPECT_EQ(ReadBytes(file), Encoded(Sample()));
    }

    // With nothing older, an empty file is a missing one: the defaults,
    // written over it.
    remove(old.c_str());
    WriteBytes(file, {});
    SaveData = Sample();
    LoadGameData();
    EXPECT_EQ(Encoded(SaveData), DefaultImage());
    EXPECT_EQ(ReadBytes(file), DefaultImage());
}

TEST(SaveTakeOver, NewestWholeFileGivesThePlaceAndEveryFileItsBest)
{
    SaveRecord newer = DefaultSave();
    newer.resumeId = 51;
    newer.runTime = 40;
    newer.pathRecords[0] = {200, 1};
    newer.pathRecords[1] = {400, 2};
    Bytes cutBytes = Encoded(newer);
    cutBytes.resize(22);   // cut inside path 1's mistakes
    FoundSave old = {Sample(), true, 1000};
    FoundSave recent = {newer, true, 5000};
    FoundSave empty = {DecodeSave(nullptr, 0), false, 9000};
    FoundSave cut = {DecodeSave(cutBytes.data(), cutBytes.size()), false, 8000};

    EXPECT_EQ(Encoded(CombineFoundSaves({})), DefaultImage());
    EXPECT_EQ(Encoded(CombineFoundSaves({empty, old})), Encoded(Sample()));
    EXPECT_EQ(Encoded(CombineFoundSaves({cut, empty})), Encoded(cut.record));

    // In either order: the newer file's run, the better record of each path.
    SaveRecord expected = newer;
    expected.pathRecords[0] = {125, 7};
    for (const std::vector<FoundSave> &found : {std::vector<FoundSave>{old, recent, empty},
                                                std::vector<FoundSave>{recent, cut, old}})
        EXPECT_EQ(Encoded(CombineFoundSaves(found)), Encoded(expected));
    // Of two as new, the first place's.
    recent.modifiedNs = old.modifiedNs;
    EXPECT_EQ(CombineFoundSaves({old, recent}).resumeId, Sample().resumeId);
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

TEST(SaveLoad, WithoutAHomeTheStartDirectoryKeepsIt)
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
        return SaveFilePath() == scratch / "gmstat.dat" && !SaveFileProblem() ? 0 : 2;
    }), 0);
    EXPECT_EQ(ReadBytes(scratch / "gmstat.dat"), DefaultImage());
    EXPECT_EQ(scratch.entries(), 2u) << "the file and its lock file, nothing else";
    EXPECT_TRUE(fs::exists(scratch / "gmstat.dat.lock"));
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

TEST(SaveMerge, EachPathKeepsTheBetterRecordAndTheSaverItsRun)
{
    SaveRecord stored = DefaultSave();
    stored.resumeId = 71;
    stored.runTime = 50;
    stored.runMistakes = 2;
    stored.pathRecords[0] = {300, 9};    // better in the file
    stored.pathRecords[1] = {500, 1};    // better in the copy that saves
    stored.pathRecords[2] = {400, 8};    // the same time
    stored.pathRecords[3] = {-1, -1};    // never finished in the file
    stored.pathRecords[4] = {-7, 75};    // never finished on either side
    SaveRecord saving = DefaultSave();
    saving.resumeId = 3262;
    saving.runTime = 899;
    saving.runMistakes = 14;
    saving.pathRecords[0] = {301, 0};
    saving.pathRecords[1] = {499, 30};
    saving.pathRecords[2] = {400, 0};
    saving.pathRecords[3] = {0, 5};      // no time at all is still a finish
    saving.pathRecords[4] = {-1, -1};

    SaveRecord expected = saving;
    expected.pathRecords[0] = {300, 9};
    expected.pathRecords[2] = {400, 8};
    expected.pathRecords[4] = {-7, 75};
    EXPECT_EQ(Encoded(MergeSave(stored, saving)), Encoded(expected));

    // The other way round: every path that was better stays better, ties
    // and unfinished pairs keep the file's side, the run is the saver's.
    SaveRecord back = stored;
    back.pathRecords[1] = {499, 30};
    back.pathRecords[2] = {400, 0};
    back.pathRecords[3] = {0, 5};
    back.pathRecords[4] = {-1, -1};
    EXPECT_EQ(Encoded(MergeSave(saving, stored)), Encoded(back));

    EXPECT_FALSE(BetterRecord({-1, -1}, {900, 3}));
    EXPECT_TRUE(BetterRecord({900, 3}, {INT32_MIN, 0}));
    EXPECT_FALSE(BetterRecord({900, 0}, {900, 3}));
}

TEST(SavePlaces, DataHomeThenStartDirectoryThenStateHome)
{
    const std::string data = "/home/ann/.local/share/paperlune", start = "/home/ann/games",
                      state = "/home/ann/.local/state/paperlune";
    EXPECT_EQ(SavePlaces(data, start, state), (std::vector<std::string>{data, start, state}));
    EXPECT_EQ(SavePlaces("", start, ""), (std::vector<std::string>{start}));
    EXPECT_EQ(SavePlaces(start, start, state), (std::vector<std::string>{start, state}));
    EXPECT_EQ(SavePlaces(data, "", data), (std::vector<std::string>{data}));
}

// A player's saves in a scratch directory the player may enter, with what
// they are told collected.
class SaveFallback : public ::testing::Test {
protected:
    ScratchDir scratch;
    void SetUp() override
    {
        if (geteuid() != 0)
            GTEST_SKIP() << "needs root to stand in for a player";
        ASSERT_EQ(chmod(scratch.dir.c_str(), 0755), 0);
        told.clear();
        SetSaveMessageShow(Collect);
    }
    void TearDown() override { SetSaveMessageShow(DisplayMessage); }
    // A directory of the player's own.
    fs::path PlayersDir(const char *name)
    {
        fs::path dir = scratch.dir / name;
        fs::create_directories(dir);
        GiveTo(dir, NOBODY);
        return dir;
    }
};

TEST_F(SaveFallback, ProgressGoesToTheStartDirectoryAndIsFoundThere)
{
    // The player may read the data home's file but write nothing there.
    std::string xdg = scratch / "xdg";
    fs::create_directories(xdg + "/paperlune");
    std::string home = xdg + "/paperlune/gmstat.dat";
    SaveRecord kept = DefaultSave();
    kept.resumeId = 21;
    kept.pathRecords[2] = {900, 3};
    WriteBytes(home, Encoded(kept));
    SetModified(home, 1000);
    fs::path start = PlayersDir("start");

    PlacesScope places(xdg, {start.string()}, scratch / "state");
    EXPECT_EQ(AsUser(NOBODY, [&] {
        LoadGameData();
        if (!told.empty() || SaveData.pathRecords[2].bestTime != 900)
            return 1;
        SaveData.resumeId = 3262;
        SaveData.runTime = 800;
        SaveData.runMistakes = 4;
        UpdatePathRecord(SaveData);
        if (!SaveGameData() || SaveFilePath() != (start / "gmstat.dat").string())
            return 2;
        // Where it went and why, once.
        if (told.size() != 1 || told[0].find(home) == std::string::npos ||
            told[0].find("Permission denied") == std::string::npos ||
            told[0].find((start / "gmstat.dat").string()) == std::string::npos)
            return 3;
        if (!SaveGameData() || told.size() != 1)
            return 4;
        // The next start finds it there, newer than the data home's file.
        SaveData = DefaultSave();
        LoadGameData();
        if (SaveData.resumeId != 3262 || SaveData.pathRecords[2].bestTime != 800)
            return 5;
        return 0;
    }), 0);
    EXPECT_EQ(ReadBytes(home), Encoded(kept)) << "the data home's file is left as it was";
    SaveRecord moved = DecodeSave(ReadBytes((start / "gmstat.dat").string()).data(), SAVE_BYTES);
    EXPECT_EQ(moved.resumeId, 3262);
    EXPECT_EQ(moved.pathRecords[2].bestTime, 800);
    EXPECT_FALSE(fs::exists(scratch / "state")) << "the state home was not needed";
}

TEST_F(SaveFallback, WhenNoPlaceTakesItTheRecordStaysForTheNextSave)
{
    // The player's own directory, closed to new entries: nothing can be made
    // in it until the player opens it again.
    fs::path closed = PlayersDir("closed");
    ASSERT_EQ(chmod(closed.c_str(), 0555), 0);
    std::string xdg = (closed / "xdg").string();
    PlacesScope places(xdg, {closed.string()}, (closed / "state").string());
    EXPECT_EQ(AsUser(NOBODY, [&] {
        LoadGameData();   // the first start's write fails everywhere
        if (told.size() != 1)
            return 1;
        for (const std::string &place : {xdg + "/paperlune/gmstat.dat", (closed / "gmstat.dat").string(),
                                         (closed / "state/paperlune/gmstat.dat").string()})
            if (told[0].find(place) == std::string::npos)
                return 2;
        if (told[0].find("could not be saved") == std::string::npos ||
            told[0].find("Permission denied") == std::string::npos)
            return 3;
        SaveData.resumeId = 3262;
        SaveData.runTime = 800;
        UpdatePathRecord(SaveData);
        if (SaveGameData() || told.size() != 1)
            return 4;   // failed again, for the same causes: told once
        if (chmod(closed.c_str(), 0755) != 0)
            return 5;
        if (!SaveGameData())
            return 6;
        return 0;
    }), 0);
    SaveRecord landed = DecodeSave(ReadBytes(xdg + "/paperlune/gmstat.dat").data(), SAVE_BYTES);
    EXPECT_EQ(landed.resumeId, 3262);
    EXPECT_EQ(landed.pathRecords[2].bestTime, 800) << "what could not be written was kept";
}

TEST_F(SaveFallback, ReadOnlyDirectoryHoldingAWritableFileStaysThePlace)
{
    fs::path dir = PlayersDir("xdg/paperlune");
    std::string file = (dir / "gmstat.dat").string();
    WriteBytes(file, DefaultImage());
    GiveTo(file, NOBODY);
    ASSERT_EQ(chmod(dir.c_str(), 0555), 0);
    fs::path start = PlayersDir("start");
    PlacesScope places(scratch / "xdg", {start.string()});
    // No lock file can be made there: the file itself carries the lock, and
    // its bytes are rewritten in place.
    EXPECT_EQ(AsUser(NOBODY, [&] {
        LoadGameData();
        SaveData = Sample();
        return SaveGameData() && told.empty() && SaveFilePath() == file ? 0 : 1;
    }), 0);
    SaveRecord saved = Sample();
    saved.pathRecords[4] = {-1, -1};
    EXPECT_EQ(ReadBytes(file), Encoded(saved));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
    EXPECT_TRUE(fs::is_empty(start)) << "nothing went elsewhere";
}

namespace {

// A record whose mistakes follow from its time, so that a word from one save
// beside a word from another would show.
PathRecord Marked(int32_t time)
{
    return {time, time % 97};
}

bool Consistent(const PathRecord &r)
{
    return r.bestTime < 0 ? r.bestMistakes < 0 : r.bestMistakes == r.bestTime % 97;
}

}  // namespace

TEST(SaveLock, TwoCopiesSavingAtOnceKeepTheBestOfBoth)
{
    const int ROUNDS = 150;
    const int32_t START = 5000;
    ScratchDir scratch;
    std::string xdg = scratch / "xdg";
    std::string file = xdg + "/paperlune/gmstat.dat";
    PlacesScope places(xdg, {scratch / "started-in"});
    LoadGameData();

    // Each copy betters a path of its own every round, and both race for
    // path 3, where copy 1 is always a second ahead of copy 0.
    pid_t copies[2];
    for (int c = 0; c < 2; c++) {
        fflush(nullptr);
        copies[c] = fork();
        if (copies[c] == 0) {
            SetSaveMessageShow(nullptr);
            LoadGameData();
            for (int i = 1; i <= ROUNDS; i++) {
                SaveData.pathRecords[c] = Marked(START - i);
                PathRecord shared = Marked(START - 2 * i - c);
                if (BetterRecord(shared, SaveData.pathRecords[2]))
                    SaveData.pathRecords[2] = shared;
                SaveData.resumeId = c + 1;
                SaveData.runTime = i;
                if (!SaveGameData())
                    _exit(1);
            }
            _exit(0);
        }
        ASSERT_GT(copies[c], 0);
    }

    // Watched from outside all the while: always whole, never a record lost.
    int32_t best[3] = {INT32_MAX, INT32_MAX, INT32_MAX};
    int looks = 0, status[2] = {-1, -1};
    bool ended[2] = {false, false};
    std::string fault;
    while (!(ended[0] && ended[1])) {
        for (int c = 0; c < 2; c++)
            ended[c] = ended[c] || waitpid(copies[c], &status[c], WNOHANG) == copies[c];
        Bytes bytes = ReadBytes(file);
        looks++;
        std::string seen;   // the first fault is the one told
        if (bytes.size() != size_t(SAVE_BYTES))
            seen = "the file held " + std::to_string(bytes.size()) + " bytes";
        SaveRecord r = DecodeSave(bytes.data(), bytes.size());
        for (int k = 0; k < 3 && seen.empty(); k++) {
            const PathRecord &p = r.pathRecords[k];
            std::string path = "path " + std::to_string(k + 1);
            if (!Consistent(p))
                seen = path + " mixes two saves";
            else if (p.bestTime >= 0 && p.bestTime > best[k])
                seen = path + " lost " + std::to_string(best[k]);
            else if (p.bestTime < 0 && best[k] != INT32_MAX)
                seen = path + " forgot it was finished";
            else if (p.bestTime >= 0)
                best[k] = p.bestTime;
        }
        if (fault.empty())
            fault = seen;
    }
    for (int c = 0; c < 2; c++)
        EXPECT_TRUE(WIFEXITED(status[c]) && WEXITSTATUS(status[c]) == 0) << "a save failed";
    EXPECT_EQ(fault, "") << "after " << looks << " looks";
    SaveRecord last = DecodeSave(ReadBytes(file).data(), SAVE_BYTES);
    EXPECT_EQ(last.pathRecords[0].bestTime, START - ROUNDS);
    EXPECT_EQ(last.pathRecords[1].bestTime, START - ROUNDS);
    EXPECT_EQ(last.pathRecords[2].bestTime, START - 2 * ROUNDS - 1);
    EXPECT_TRUE(fs::exists(file + ".lock"));
}
