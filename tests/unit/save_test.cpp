// The progress file as bytes on disk, its damaged and missing forms, a
// write that must not destroy the old file, and the path record rule.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

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
    ASSERT_TRUE(ReadSaveFile(file.c_str(), read));
    EXPECT_EQ(Encoded(read), Encoded(Sample()));

    // A second link to the old file shows it was replaced, not rewritten in
    // place: the old content stays whole until the new one is.
    fs::create_hard_link(file, scratch / "witness");
    ASSERT_TRUE(WriteSaveFile(file.c_str(), DefaultSave()));
    EXPECT_EQ(ReadBytes(file), DefaultImage());
    EXPECT_EQ(ReadBytes(scratch / "witness"), Encoded(Sample()));
    EXPECT_EQ(scratch.entries(), 2u) << "a temporary file was left behind";
}

TEST(SaveFile, ShortAndLongFilesLoadOverTheDefaults)
{
    ScratchDir scratch;
    std::string file = scratch / "gmstat.dat";
    for (size_t size : {0, 13, 51, 52, 100}) {
        SCOPED_TRACE(size);
        WriteBytes(file, Counting(size));
        SaveRecord r = Sample();
        ASSERT_TRUE(ReadSaveFile(file.c_str(), r));
        // The file's own bytes as they are, the defaults for the rest.
        Bytes expected = DefaultImage();
        Bytes held = Counting(size < 52 ? size : 52);
        std::copy(held.begin(), held.end(), expected.begin());
        EXPECT_EQ(Encoded(r), expected);
        if (size == 13) {   // the word cut short keeps its one byte from the file
            EXPECT_EQ(r.pathRecords[0].bestTime, static_cast<int32_t>(0xFFFFFF0D));
        }
    }
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
    EXPECT_FALSE(ReadSaveFile(under.c_str(), untouched));
    EXPECT_EQ(Encoded(untouched), Encoded(Sample()));
}

TEST(SaveFile, MissingFileIsCreatedInTheWorkingDirectory)
{
    ScratchDir scratch;
    fs::path before = fs::current_path();
    fs::current_path(scratch.dir);
    SaveData = Sample();
    LoadGameData();
    EXPECT_EQ(Encoded(SaveData), DefaultImage());
    EXPECT_EQ(ReadBytes(SAVE_FILENAME), DefaultImage());

    // A present but empty file is read, not replaced.
    WriteBytes(SAVE_FILENAME, {});
    SaveData = Sample();
    LoadGameData();
    EXPECT_EQ(Encoded(SaveData), DefaultImage());
    EXPECT_TRUE(ReadBytes(SAVE_FILENAME).empty());
    fs::current_path(before);
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
