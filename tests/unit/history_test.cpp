// The player's history file: its lines written and read back, every kind of
// damage a line or the file can come with, the bounded read, appends that
// never change what is there, and nothing written while the progress file
// could not be read; the typing figures kept beside it; the totals of the
// ending; the chart's rules.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/files.h"
#include "player/clock.h"
#include "records/history.h"
#include "records/rules.h"
#include "records/save.h"
#include "records/typinghall.h"
#include "records/typingrun.h"

namespace fs = std::filesystem;

namespace {

const char GOOD[] = "2026-03-01T18:04:09+01:00\tScene04e1\t1\t412\t2\t95.3\t14\t51.9\t99.5\t\xE2\x90\xA3" "1 e1";

struct Scratch {
    fs::path dir;
    Scratch()
    {
        char name[] = "/tmp/paperlune-history-XXXXXX";
        dir = mkdtemp(name);
    }
    ~Scratch() { fs::remove_all(dir); }
    std::string operator/(const char *name) const { return (dir / name).string(); }
};

std::string Slurp(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Spill(const std::string &path, const std::string &bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

HistoryEntry Sample()
{
    HistoryEntry e;
    e.when = "2026-03-01T18:04:09+01:00";
    e.scene = "Scene04e1";
    e.path = 1;
    e.characters = 412;
    e.mistakes = 2;
    e.typingTenths = 953;
    e.penaltySeconds = 14;
    e.wpmTenths = 519;
    e.accuracyTenths = 995;
    e.missed = {{'e', 1}, {' ', 1}};
    return e;
}

LetterFigures Letter(int characters, int mistakes, int penaltySeconds, double typingSeconds)
{
    LetterFigures f;
    f.characters = characters;
    f.mistakes = mistakes;
    f.penaltySeconds = penaltySeconds;
    f.typingSeconds = typingSeconds;
    return f;
}

bool Same(const HistoryEntry &a, const HistoryEntry &b)
{
    return a.when == b.when && a.scene == b.scene && a.path == b.path && a.characters == b.characters &&
           a.mistakes == b.mistakes && a.typingTenths == b.typingTenths && a.penaltySeconds == b.penaltySeconds &&
           a.wpmTenths == b.wpmTenths && a.accuracyTenths == b.accuracyTenths && a.missed == b.missed;
}

HistorySummary Summarise(const std::string &bytes, bool whole = true)
{
    return SummariseHistory(reinterpret_cast<const unsigned char *>(bytes.data()), bytes.size(), whole);
}

bool Parses(const std::string &line)
{
    HistoryEntry e;
    return ParseHistoryLine(line.data(), line.size(), e);
}

std::vector<std::string> Fields(const std::string &line)
{
    std::vector<std::string> fields;
    for (size_t at = 0;;) {
        size_t tab = line.find('\t', at);
        fields.push_back(line.substr(at, tab == std::string::npos ? std::string::npos : tab - at));
        if (tab == std::string::npos)
            return fields;
        at = tab + 1;
    }
}

std::string Joined(const std::vector<std::string> &fields)
{
    std::string out;
    for (size_t k = 0; k < fields.size(); k++)
        out += (k ? "\t" : "") + fields[k];
    return out;
}

// GOOD with field `i` replaced, or with field `j` too.
std::string WithField(int i, const std::string &value, int j = -1, const std::string &other = "")
{
    std::vector<std::string> fields = Fields(GOOD);
    fields[i] = value;
    if (j >= 0)
        fields[j] = other;
    return Joined(fields);
}

// The first n fields of GOOD.
std::string FirstFields(size_t n)
{
    std::vector<std::string> fields = Fields(GOOD);
    fields.resize(n);
    return Joined(fields);
}

// XDG_DATA_HOME pointed at a scratch directory while a test runs.
struct DataHome {
    std::string old;
    bool had;
    explicit DataHome(const fs::path &dir)
    {
        const char *x = getenv("XDG_DATA_HOME");
        had = x != nullptr;
        old = x ? x : "";
        setenv("XDG_DATA_HOME", dir.c_str(), 1);
        SetOldSaveDirs({});
    }
    ~DataHome()
    {
        if (had)
            setenv("XDG_DATA_HOME", old.c_str(), 1);
        else
            unsetenv("XDG_DATA_HOME");
    }
};

}  // namespace

TEST(HistoryLine, WrittenInTheFieldsOrderAndReadBackExactly)
{
    // GOOD is a line as earlier versions wrote it; this one adds the clock.
    std::string line = FormatHistoryLine(Sample());
    EXPECT_EQ(line, std::string(GOOD) + "\toriginal\tstory\n");
    HistoryEntry back;
    ASSERT_TRUE(ParseHistoryLine(line.data(), line.size() - 1, back));
    EXPECT_TRUE(Same(back, Sample()));
    EXPECT_EQ(FormatHistoryLine(back), line);
    EXPECT_EQ(HistoryHeader(), "date\tscene\tpath\tcharacters\tmistakes\ttyping seconds\tpenalty seconds\t"
                               "words per minute\taccuracy\tmissed\tclock\tmode\n");
    // A letter without mistakes has an empty tenth field; a spreadsheet
    // may drop it, and whole numbers may lose their ".0".
    HistoryEntry clean = Sample();
    clean.mistakes = 0;
    clean.penaltySeconds = 0;
    clean.missed.clear();
    clean.accuracyTenths = 1000;
    clean.typingTenths = 950;
    clean.wpmTenths = 520;
    std::string cleanLine = FormatHistoryLine(clean);
    EXPECT_EQ(cleanLine.substr(cleanLine.size() - 23), "\t100.0\t\toriginal\tstory\n");
    // Such a line of an earlier version, without the clock and the mode.
    cleanLine = cleanLine.substr(0, cleanLine.size() - 15) + "\n";
    EXPECT_TRUE(Parses(cleanLine.substr(0, cleanLine.size() - 2)));
    EXPECT_TRUE(Parses(WithField(5, "95")));
    // Mistakes whose characters the field does not name: it names fewer, or none.
    HistoryEntry unnamed;
    std::string partly = WithField(9, "e1"), none = FirstFields(9);
    ASSERT_TRUE(ParseHistoryLine(partly.data(), partly.size(), unnamed));
    EXPECT_EQ(unnamed.missed.size(), 1u);
    ASSERT_TRUE(ParseHistoryLine(none.data(), none.size(), unnamed));
    EXPECT_TRUE(unnamed.missed.empty());
    // Written again with its empty tenth field, such a line still reads.
    std::string again = FormatHistoryLine(unnamed);
    EXPECT_TRUE(Parses(again.substr(0, again.size() - 1))) << again;
}

TEST(HistoryLine, AFinishedLetterBecomesItsEntry)
{
    LetterFigures f = Letter(412, 2, 14, 95.26);
    f.missed = {{'e', 1}, {' ', 1}, {'\x01', 0}};
    f.finishedAt = 1772384649;   // 2026-03-01 17:04:09 UTC
    const char *tz = getenv("TZ");
    std::string oldTz = tz ? tz : "";
    setenv("TZ", "CET-1", 1);
    tzset();
    HistoryEntry e = HistoryEntryFor(f, "Scene04e1", 1);
    setenv("TZ", "XST+5:30", 1);
    tzset();
    EXPECT_EQ(LocalIsoTime(f.finishedAt), "2026-03-01T11:34:09-05:30");
    if (tz)
        setenv("TZ", oldTz.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
    e.missed.erase('\x01');
    EXPECT_TRUE(Same(e, Sample())) << FormatHistoryLine(e);
    // What the game writes, it reads back.
    std::string line = FormatHistoryLine(e);
    EXPECT_TRUE(Parses(line.substr(0, line.size() - 1)));
}

TEST(HistoryLine, DamagedAndForeignLinesAreRefused)
{
    ASSERT_TRUE(Parses(GOOD));
    std::string withNul = GOOD;
    withNul[30] = '\0';
    const std::string refused[] = {
        "",
        "garbage",
        "\xff\xfe\x00\x01 binary",
        withNul,
        FirstFields(8),
        FirstFields(1),
        WithField(0, "yesterday"),
        WithField(0, "2026-13-01T18:04:09+01:00"),            // no such month
        WithField(0, "2026-03-01T25:04:09+01:00"),
        WithField(0, "2026-03-01 18:04:09+01:00"),
        WithField(0, "2026-03-01T18:04:09+99:00"),
        WithField(1, "Scene99"),                              // not a scene of the story
        WithField(1, ""),
        WithField(2, "6"),                                    // five paths
        WithField(2, "-1"),
        WithField(3, "-412"),
        WithField(3, "99999999"),                             // more keys than a letter holds
        WithField(3, "4e2"),
        WithField(3, " 412"),
        WithField(3, "+412"),
        WithField(4, "413"),                                  // more mistakes than keys
        WithField(5, "-95.3"),
        WithField(5, "95,3"),
        WithField(5, "95.25"),
        WithField(5, "nan"),
        WithField(5, "9999999.9"),                            // more than a day
        WithField(6, "21"),                                   // more than ten seconds a mistake
        WithField(7, "519.0"),                                // a speed the time does not give
        WithField(7, "inf"),
        WithField(8, "250.0"),
        WithField(8, "95.0"),                                 // not what 2 of 412 give
        WithField(9, "e2 \xE2\x90\xA3" "1"),                    // three misses for two mistakes
        WithField(9, "e1  \xE2\x90\xA3" "1"),
        WithField(9, "e1 e1"),
        WithField(9, "e0 \xE2\x90\xA3" "2"),
        WithField(9, "\xC3\xA9" "1 e1"),
        WithField(9, "e1 "),
        WithField(9, "e1 ") + "\toriginal",                   // a newer line still has the known fields right
        std::string(GOOD) + std::string(3000, 'x'),          // a very long line
    };
    int i = 0;
    for (const std::string &line : refused) {
        HistoryEntry e = Sample();
        e.scene = "untouched";
        EXPECT_FALSE(ParseHistoryLine(line.data(), line.size(), e)) << "case " << i << ": " << line;
        EXPECT_EQ(e.scene, "untouched") << "case " << i;
        i++;
    }
}

TEST(HistoryFile, SkippedLinesAreCountedAndNeverShown)
{
    std::string good = std::string(GOOD) + "\n";
    // 412 characters, 82.4 words, in 82.4 seconds.
    std::string faster = WithField(5, "82.4", 7, "60.0") + "\n";
    ASSERT_TRUE(Parses(faster.substr(0, faster.size() - 1))) << faster;
    std::string file = HistoryHeader() + good + "\n" + "garbage\n" + WithField(3, "-1") + "\n" +
                       std::string(GOOD) + "\r\n" + HistoryHeader() + faster + std::string(5000, 'y') + "\n" +
                       "2026-03-01T18:04:09+01:00\tScene04e1\t1\t4";   // cut: no newline
    HistorySummary s = Summarise(file);
    EXPECT_EQ(s.letters, 3);
    EXPECT_EQ(s.skipped, 4) << "garbage, a negative count, a very long line, the cut last line";
    ASSERT_EQ(s.recent.size(), 3u);
    ASSERT_TRUE(s.hasFastest);
    EXPECT_EQ(s.fastest.wpmTenths, 600);
    EXPECT_EQ(s.missed[' '], 3);
    EXPECT_EQ(s.missed['e'], 3);
    // Cut by the bound: the first line is a piece, neither taken nor counted.
    HistorySummary cut = Summarise(good.substr(20) + good, false);
    EXPECT_EQ(cut.letters, 1);
    EXPECT_EQ(cut.skipped, 0);
    EXPECT_EQ(Summarise("", true).letters, 0);
    EXPECT_EQ(Summarise(std::string(100, '\0'), false).skipped, 0);

    // Only the last fifty go to the chart, oldest first.
    std::string many = HistoryHeader();
    for (int k = 0; k < 60; k++)
        many += WithField(2, std::to_string(k % 6)) + "\n";
    HistorySummary m = Summarise(many);
    EXPECT_EQ(m.letters, 60);
    ASSERT_EQ(m.recent.size(), HISTORY_RECENT);
    EXPECT_EQ(m.recent.front().path, 10 % 6);
    EXPECT_EQ(m.recent.back().path, 59 % 6);

    std::map<char, long> missed = {{'a', 3}, {'e', 7}, {' ', 3}, {'x', 1}, {'q', 9}, {'z', 2}};
    std::vector<std::pair<char, long>> most = MostMissed(missed, 5);
    std::vector<std::pair<char, long>> expected = {{'q', 9}, {'e', 7}, {' ', 3}, {'a', 3}, {'z', 2}};
    EXPECT_EQ(most, expected);
}

TEST(HistoryFile, AppendsAddWholeLinesAndChangeNothingThatIsThere)
{
    Scratch scratch;
    std::string path = scratch / "history.tsv";
    std::string line = std::string(GOOD) + "\n";
    ASSERT_TRUE(AppendToFile(path.c_str(), line, HistoryHeader()));
    EXPECT_EQ(Slurp(path), HistoryHeader() + line);
    ASSERT_TRUE(AppendToFile(path.c_str(), line, HistoryHeader()));
    EXPECT_EQ(Slurp(path), HistoryHeader() + line + line);

    // A line cut short by a crash stays as it was; the next starts anew.
    std::string damaged = std::string("garbage\x01\tmore\n") + std::string(3, '\0') + "2026-03-01T18:04";
    Spill(path, damaged);
    ASSERT_TRUE(AppendToFile(path.c_str(), line, HistoryHeader()));
    EXPECT_EQ(Slurp(path), damaged + "\n" + line);
    EXPECT_EQ(Summarise(Slurp(path)).letters, 1);

    // A directory or a pipe by that name is refused at once and left be.
    std::string dir = scratch / "dir.tsv";
    fs::create_directory(dir);
    std::string why;
    EXPECT_FALSE(AppendToFile(dir.c_str(), line, HistoryHeader(), &why));
    EXPECT_FALSE(why.empty());
    EXPECT_TRUE(fs::is_directory(dir));
    std::string fifo = scratch / "fifo.tsv";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(AppendToFile(fifo.c_str(), line, HistoryHeader()));
    std::vector<unsigned char> bytes;
    bool whole = true;
    EXPECT_EQ(ReadFileTail(fifo.c_str(), HISTORY_READ_BYTES, bytes, &whole), FILE_UNREADABLE);
    EXPECT_EQ(ReadFileTail(dir.c_str(), HISTORY_READ_BYTES, bytes, &whole), FILE_UNREADABLE);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2)) << "waited on the pipe";
    EXPECT_EQ(ReadFileTail((scratch / "none").c_str(), HISTORY_READ_BYTES, bytes, &whole), FILE_MISSING);
}

TEST(HistoryFile, CopiesAppendingAtOnceEachAddWholeLines)
{
    Scratch scratch;
    std::string path = scratch / "history.tsv";
    const int copies = 4, lines = 150;
    std::vector<pid_t> children;
    for (int c = 0; c < copies; c++) {
        pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            std::string line = WithField(2, std::to_string(c + 1)) + "\n";
            for (int i = 0; i < lines; i++)
                if (!AppendToFile(path.c_str(), line, HistoryHeader()))
                    _exit(1);
            _exit(0);
        }
        children.push_back(pid);
    }
    for (pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    HistorySummary s = Summarise(Slurp(path));
    EXPECT_EQ(s.letters, copies * lines);
    EXPECT_EQ(s.skipped, 0) << "a line of one copy landed inside another's";
    EXPECT_EQ(Slurp(path).compare(0, HistoryHeader().size(), HistoryHeader()), 0);
}

TEST(HistoryFile, OnlyTheLastMebibyteIsRead)
{
    Scratch scratch;
    std::string path = scratch / "history.tsv";
    // Three MiB of letters, each line numbered by its path field cycling.
    std::string line = std::string(GOOD) + "\n";
    std::string file = HistoryHeader();
    while (file.size() < 3 * HISTORY_READ_BYTES)
        file += line;
    file += WithField(2, "3") + "\n";
    Spill(path, file);
    std::vector<unsigned char> bytes;
    bool whole = true;
    ASSERT_EQ(ReadFileTail(path.c_str(), HISTORY_READ_BYTES, bytes, &whole), FILE_READ);
    EXPECT_FALSE(whole);
    ASSERT_EQ(bytes.size(), HISTORY_READ_BYTES);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), file.substr(file.size() - HISTORY_READ_BYTES));
    HistorySummary s = SummariseHistory(bytes.data(), bytes.size(), whole);
    EXPECT_EQ(s.skipped, 0) << "the line the bound cut is no damage";
    EXPECT_EQ(s.letters, long(HISTORY_READ_BYTES / line.size()));
    EXPECT_EQ(s.recent.back().path, 3);

    Spill(path, line);
    ASSERT_EQ(ReadFileTail(path.c_str(), HISTORY_READ_BYTES, bytes, &whole), FILE_READ);
    EXPECT_TRUE(whole);
    EXPECT_EQ(bytes.size(), line.size());
}

TEST(HistoryFile, NothingIsWrittenWhileTheProgressFileCannotBeRead)
{
    Scratch scratch;
    DataHome home(scratch.dir);
    fs::path dir = scratch.dir / "paperlune";
    fs::create_directories(dir / "gmstat.dat");   // there, but no file to read
    std::string history = (dir / "history.tsv").string();
    std::string typing = (dir / "typing.dat").string();
    Spill(history, "damaged\tline");
    Spill(typing, "paperlune typing 1\npath\t2\t455\t970\n");
    LoadGameData();
    LoadTypingData();
    ASSERT_NE(SaveFileProblem(), nullptr);
    EXPECT_EQ(TypingData.best[1].wpmTenths, 455) << "read, though not written";
    EXPECT_FALSE(AppendHistory(Sample()));
    StartTypingRun();
    SaveProgress();
    EXPECT_EQ(Slurp(history), "damaged\tline");
    EXPECT_EQ(Slurp(typing), "paperlune typing 1\npath\t2\t455\t970\n");

    // Readable again: the appended line follows the damaged one, on a line of its own.
    fs::remove(dir / "gmstat.dat");
    LoadGameData();
    ASSERT_EQ(SaveFileProblem(), nullptr);
    EXPECT_EQ(HistoryPath(), history);
    ASSERT_TRUE(AppendHistory(Sample()));
    EXPECT_EQ(Slurp(history), "damaged\tline\n" + FormatHistoryLine(Sample()));
    HistorySummary s = ReadHistory();
    EXPECT_EQ(s.letters, 1);
    EXPECT_EQ(s.skipped, 1);
    EXPECT_FALSE(s.unreadable);
    // A directory where the history belongs: unreadable, and no line added.
    fs::remove(history);
    fs::create_directory(history);
    EXPECT_TRUE(ReadHistory().unreadable);
    EXPECT_FALSE(AppendHistory(Sample()));
    EXPECT_TRUE(fs::is_directory(history));
}

// A newer version adds fields to the history's lines and kinds of lines to
// typing.dat: this one reads what it knows, counts the lines as its own,
// and its saves leave the rest where it stood.
TEST(NewerFiles, HistoryLinesAndTypingLinesAreReadSavedAndStillThere)
{
    Scratch scratch;
    DataHome home(scratch.dir);
    LoadGameData();
    ASSERT_EQ(SaveFileProblem(), nullptr);
    std::string history = HistoryPath(), typing = (scratch.dir / "paperlune" / "typing.dat").string();

    std::string newerHeader = HistoryHeader().substr(0, HistoryHeader().size() - 1) + "\tmode\n";
    std::string newer = std::string(GOOD) + "\toriginal\tpractice\n";
    std::string newerClean = FirstFields(9) + "\t\tpace\n";   // no mistakes: an empty tenth field
    Spill(history, newerHeader + newer + newerClean);
    HistoryEntry e;
    ASSERT_TRUE(ParseHistoryLine(newer.data(), newer.size() - 1, e));
    EXPECT_TRUE(Same(e, Sample())) << "the known fields, exactly";
    ASSERT_TRUE(AppendHistory(Sample()));
    EXPECT_EQ(Slurp(history), newerHeader + newer + newerClean + FormatHistoryLine(Sample()));
    HistorySummary read = ReadHistory();
    EXPECT_EQ(read.letters, 3);
    EXPECT_EQ(read.skipped, 0) << "the newer header and lines are the game's own";

    std::string newerTyping = "paperlune typing 1\n"
                              "clock\tpace\t38\n"
                              "run\t1\t100\t5\t500\t495\t75000\tpace\n"
                              "path\t1\t455\t970\n"
                              "path\t2\t300\t990\t1\n"
                              "\n"
                              "best run\tScene04e1\t0.4 0.9 1.3\n"
                              "path\t3\t-1\t-1\n"
                              "path\t4\t-1\t-1\n"
                              "path\t5\t-1\t-1\n";
    Spill(typing, newerTyping);
    SaveData.runTime = 100;
    SaveData.runMistakes = 5;
    LoadTypingData();
    EXPECT_TRUE(TypingData.run.known) << "a run line with a word more is still read";
    EXPECT_EQ(TypingData.run.characters, 500);
    EXPECT_EQ(TypingData.best[0].wpmTenths, 455);
    EXPECT_EQ(TypingData.best[1].accuracyTenths, 990);
    // A faster path 2 and a saved run: the known values change in their
    // lines, everything else stays as it was, where it was.
    TypingData.best[1].wpmTenths = 512;
    AddLetterToRun(TypingData, Letter(100, 1, 7, 15.0));
    SaveProgress();
    std::string saved = Slurp(typing);
    std::string expected = newerTyping;
    expected.replace(expected.find("500\t495\t75000"), 13, "600\t594\t90000");
    expected.replace(expected.find("2\t300\t990"), 9, "2\t512\t990");
    EXPECT_EQ(saved, expected);
    EXPECT_EQ(EncodeTyping(DecodeTyping(saved)), saved) << "read and written again, nothing moves";
    // The game's own file is written as before: no line of another kind.
    EXPECT_EQ(EncodeTyping(TypingRecord()), "paperlune typing 1\nrun\t0\t-1\t-1\t0\t0\t0\npath\t1\t-1\t-1\n"
                                            "path\t2\t-1\t-1\npath\t3\t-1\t-1\npath\t4\t-1\t-1\npath\t5\t-1\t-1\n");
}

TEST(TypingFigures, TheRunCountsOnlyWithTheProgressItWasSavedWith)
{
    Scratch scratch;
    DataHome home(scratch.dir);
    LoadGameData();
    ASSERT_EQ(SaveFileProblem(), nullptr);
    LoadTypingData();
    EXPECT_FALSE(TypingData.run.known) << "nothing saved yet";

    // "New game", two letters, then "Yes" in the quit dialog.
    SaveData.runTime = 0;
    SaveData.runMistakes = 0;
    StartTypingRun();
    LetterFigures a = Letter(300, 3, 21, 50.0), b = Letter(200, 2, 14, 25.0);
    AddLetterToRun(TypingData, a);
    AddLetterToRun(TypingData, b);
    SaveData.runTime = 100;
    SaveData.runMistakes = 5;
    SaveProgress();
    double wpm, accuracy;
    ASSERT_TRUE(RunTotals(TypingData, &wpm, &accuracy));
    EXPECT_DOUBLE_EQ(wpm, 80.0);        // 100 words in 75 s
    EXPECT_DOUBLE_EQ(accuracy, 99.0);

    // The next session continues the same run.
    TypingData = TypingRecord();
    LoadGameData();
    LoadTypingData();
    ASSERT_TRUE(RunTotals(TypingData, &wpm, &accuracy));
    EXPECT_DOUBLE_EQ(wpm, 80.0);

    // An ending: the path's best, which only a better run replaces.
    RecordTypingBest(TypingData, 3);
    EXPECT_EQ(TypingData.best[2].wpmTenths, 800);
    EXPECT_EQ(TypingData.best[2].accuracyTenths, 990);
    TypingRecord slower = TypingData;
    slower.run.typingMs *= 2;
    slower.run.right = slower.run.characters;
    RecordTypingBest(slower, 3);
    EXPECT_EQ(slower.best[2].wpmTenths, 800);
    EXPECT_EQ(slower.best[2].accuracyTenths, 1000);
    RecordTypingBest(slower, 0);   // an id of no path changes nothing
    SaveProgress();

    // Progress saved since by a game that kept no typing figures: the
    // counts belong to another run and are dropped, the bests stay.
    SaveData.runTime = 250;
    SaveGameData();
    TypingData = TypingRecord();
    LoadGameData();
    LoadTypingData();
    EXPECT_FALSE(TypingData.run.known);
    EXPECT_FALSE(RunTotals(TypingData, &wpm, &accuracy));
    EXPECT_EQ(TypingData.best[2].wpmTenths, 800);
    AddLetterToRun(TypingData, a);
    EXPECT_EQ(TypingData.run.characters, 0) << "an unknown run stays unknown";

    // The text, and damaged forms of it.
    TypingRecord r = TypingData;
    r.run = {true, 500, 495, 75000};
    TypingRecord back = DecodeTyping(EncodeTyping(r));
    EXPECT_EQ(EncodeTyping(back), EncodeTyping(r));
    EXPECT_TRUE(back.run.known);
    EXPECT_EQ(back.run.right, 495);
    // A first line that is not the file's name is a line passed over, not the whole file.
    EXPECT_TRUE(DecodeTyping("garbage\nrun\t1\t0\t0\t5\t5\t5\n").run.known);
    EXPECT_FALSE(DecodeTyping("paperlune typing 1\nrun\t1\t0\t0\t5\t6\t5\n").run.known) << "more right than keys";
    EXPECT_EQ(DecodeTyping("paperlune typing 1\npath\t6\t500\t990\npath\t1\t-7\t990\n").best[0].wpmTenths, -1);
    EXPECT_EQ(DecodeTyping("paperlune typing 1\npath\t1\t500\t1001\n").best[0].accuracyTenths, -1);
}

// Two copies of the game: each save keeps the better bests of both, and
// the run's counts of the copy that saves.
TEST(TypingFigures, SavesKeepTheBetterBestsAnotherCopySaved)
{
    Scratch scratch;
    DataHome home(scratch.dir);
    LoadGameData();
    LoadTypingData();
    SaveData.runTime = 0;
    SaveData.runMistakes = 0;
    StartTypingRun();
    TypingData.best[0] = {700, 950};    // this copy: faster on path 1
    TypingData.best[1] = {300, 1000};   // and more accurate on path 2
    SaveProgress();

    // The other copy, loaded before: slower on path 1, faster on path 2,
    // and the only one to have finished path 4.
    TypingRecord other;
    other.run = {true, 40, 39, 10000};
    other.best[0] = {600, 990};
    other.best[1] = {450, 900};
    other.best[3] = {200, 800};
    TypingData = other;
    SaveData.runTime = 30;
    SaveProgress();

    TypingData = TypingRecord();
    LoadGameData();
    LoadTypingData();
    EXPECT_EQ(TypingData.best[0].wpmTenths, 700);
    EXPECT_EQ(TypingData.best[0].accuracyTenths, 990);
    EXPECT_EQ(TypingData.best[1].wpmTenths, 450);
    EXPECT_EQ(TypingData.best[1].accuracyTenths, 1000);
    EXPECT_EQ(TypingData.best[3].wpmTenths, 200);
    EXPECT_EQ(TypingData.best[2].wpmTenths, -1) << "never finished by either";
    ASSERT_TRUE(TypingData.run.known);
    EXPECT_EQ(TypingData.run.characters, 40) << "the run is the saving copy's";
}

TEST(EndingTotals, TheClosingLinesGiveThePlayThroughsFigures)
{
    std::string speed, count;
    CreditsTotals(true, 42.34, 97.46, 3, 725, &speed, &count);
    EXPECT_EQ(speed, "Your typing: 42.3 wpm, 97.5 % right");
    EXPECT_EQ(count, "3 mistakes in 12min+5s");
    CreditsTotals(false, 42.34, 97.46, 1, 59, &speed, &count);
    EXPECT_EQ(speed, "");
    EXPECT_EQ(count, "1 mistake in 0min+59s");
    CreditsTotals(true, 0, 0, -1, -1, &speed, &count);
    EXPECT_EQ(count, "0 mistakes in 0min+0s");
    // The clock is named when it is not the original.
    CreditsTotals(true, 42.34, 97.46, 3, 725, &speed, &count, CLOCK_PACE);
    EXPECT_EQ(count, "3 mistakes in 12min+5s, Your pace");
    CreditsTotals(true, 42.34, 97.46, 3, 725, &speed, &count, CLOCK_NONE);
    EXPECT_EQ(count, "3 mistakes in 12min+5s, No clock");
    CreditsTotals(true, 42.34, 97.46, 3, 725, &speed, &count, CLOCK_ORIGINAL);
    EXPECT_EQ(count, "3 mistakes in 12min+5s");
    // They fit the roll's width.
    CreditsTotals(true, 9999.9, 100.0, 99999, 359999, &speed, &count, CLOCK_PACE);
    EXPECT_LE(speed.size(), 40u);
    EXPECT_LE(count.size(), 40u);
}

TEST(TypingChart, AxesAreRoundAndPointsStayInside)
{
    struct Row {
        double fastest, top, step;
    };
    for (Row r : {Row{63, 80, 20}, Row{0, 20, 5}, Row{20, 20, 5}, Row{45, 50, 10}, Row{9600, 10000, 2000},
                  Row{101, 150, 50}}) {
        ChartAxis a = WpmAxis(r.fastest);
        EXPECT_EQ(a.low, 0) << r.fastest;
        EXPECT_DOUBLE_EQ(a.top, r.top) << r.fastest;
        EXPECT_DOUBLE_EQ(a.step, r.step) << r.fastest;
    }
    ChartAxis acc = AccuracyAxis(96.4);
    EXPECT_EQ(acc.low, 90);
    EXPECT_EQ(acc.top, 100);
    EXPECT_EQ(AccuracyAxis(71.2).low, 70);
    EXPECT_EQ(AccuracyAxis(100).low, 90);
    EXPECT_EQ(AccuracyAxis(0).low, 0);

    EXPECT_EQ(ChartX(0, 50), HS_CHART_LEFT);
    EXPECT_EQ(ChartX(49, 50), HS_CHART_RIGHT);
    EXPECT_EQ(ChartX(0, 1), (HS_CHART_LEFT + HS_CHART_RIGHT) / 2);
    EXPECT_LT(ChartX(24, 50), ChartX(25, 50));
    ChartAxis w = WpmAxis(63);
    EXPECT_EQ(ChartY(0, w), HS_CHART_BOTTOM);
    EXPECT_EQ(ChartY(80, w), HS_CHART_TOP);
    EXPECT_EQ(ChartY(40, w), (HS_CHART_TOP + HS_CHART_BOTTOM) / 2);
    EXPECT_EQ(ChartY(500, w), HS_CHART_TOP) << "held inside";
    EXPECT_EQ(ChartY(-5, w), HS_CHART_BOTTOM);
    EXPECT_EQ(ChartLetterStep(5), 1);
    EXPECT_EQ(ChartLetterStep(12), 5);
    EXPECT_EQ(ChartLetterStep(50), 10);
    EXPECT_EQ(CharacterName(' '), "space");
    EXPECT_EQ(CharacterName('e'), "e");
}
