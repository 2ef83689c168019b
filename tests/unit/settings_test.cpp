// The settings file: what it reads from the files editors and players make,
// what it keeps when it writes, and the places it must leave alone.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "player/clock.h"
#include "records/settings.h"

namespace fs = std::filesystem;

namespace {

std::string Read(const fs::path &p)
{
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void Write(const fs::path &p, const std::string &text)
{
    std::ofstream(p, std::ios::binary) << text;
}

std::vector<std::string> told;
void Tell(const char *text) { told.push_back(text); }

// A config home of the test's own, the settings read from it afresh.
struct ConfigHome {
    fs::path dir;
    fs::path file;
    ConfigHome()
    {
        char name[] = "/tmp/paperlune-settings-XXXXXX";
        dir = mkdtemp(name);
        file = dir / "paperlune" / SETTINGS_FILENAME;
        setenv("XDG_CONFIG_HOME", dir.c_str(), 1);
        SetSettingsMessageShow(Tell);
        told.clear();
    }
    ~ConfigHome() { fs::remove_all(dir); }
};

}  // namespace

TEST(Settings, RoundTripKeepsWhatTheGameDoesNotKnowInPlace)
{
    Settings s = DefaultSettings();
    EXPECT_EQ(s.value[SETTING_MUSIC], 100);
    EXPECT_EQ(s.value[SETTING_PAUSE_ON_FOCUS_LOSS], 1);
    EXPECT_EQ(s.value[SETTING_TIME_LEFT], 0);

    std::string fresh = EncodeSettings("", s);
    EXPECT_EQ(fresh[0], '#') << "a new file says what it is";
    s.value[SETTING_MUSIC] = 30;
    s.value[SETTING_PICTURE] = PICTURE_FILL;
    s.value[SETTING_MISTAKES] = MISTAKES_UNDERLINED;
    s.value[SETTING_MUTE] = 1;
    Settings back = DecodeSettings(EncodeSettings(fresh, s));
    for (int i = 0; i < SETTING_COUNT; i++)
        EXPECT_EQ(back.value[i], s.value[i]) << SettingKey(SettingId(i));

    // A newer version's key and a player's comment stay where they were; a
    // known key is rewritten on its own line, not moved.
    std::string old = "# mine\nink = sepia\nmusic = 70\n\n; note\nfuture_thing = 3\n";
    std::string out = EncodeSettings(old, s);
    EXPECT_EQ(out.find("# mine\nink = sepia\nmusic = 30\n\n; note\nfuture_thing = 3\n"), 0u) << out;
    EXPECT_NE(out.find("picture = fill\n"), std::string::npos);
    EXPECT_NE(out.find("mistakes = underlined\n"), std::string::npos);
    EXPECT_EQ(out.find("music", out.find("music") + 1), std::string::npos) << "one music line";
}

TEST(Settings, EditorsWaysAreTakenAndEachBadValueFallsBackAlone)
{
    Settings s = DecodeSettings("\xEF\xBB\xBFmusic=40\r\n  KEY_SOUNDS  =  20 %\t\r\nmute = YES\r\npicture = fill");
    EXPECT_EQ(s.value[SETTING_MUSIC], 40);
    EXPECT_EQ(s.value[SETTING_KEY_SOUNDS], 20);
    EXPECT_EQ(s.value[SETTING_MUTE], 1);
    EXPECT_EQ(s.value[SETTING_PICTURE], PICTURE_FILL) << "a last line without its newline";

    Settings bad = DecodeSettings("music = 150\nkey_sounds = -5\nmute = maybe\npicture = 2\n"
                                  "time_left = yes\nmistakes\n= underlined\nfullscreen = no\n");
    Settings d = DefaultSettings();
    EXPECT_EQ(bad.value[SETTING_MUSIC], d.value[SETTING_MUSIC]);
    EXPECT_EQ(bad.value[SETTING_KEY_SOUNDS], d.value[SETTING_KEY_SOUNDS]);
    EXPECT_EQ(bad.value[SETTING_MUTE], d.value[SETTING_MUTE]);
    EXPECT_EQ(bad.value[SETTING_PICTURE], d.value[SETTING_PICTURE]);
    EXPECT_EQ(bad.value[SETTING_MISTAKES], d.value[SETTING_MISTAKES]);
    EXPECT_EQ(bad.value[SETTING_TIME_LEFT], 1) << "good lines around bad ones still count";
    EXPECT_EQ(bad.value[SETTING_FULLSCREEN], 0);
}

TEST(Settings, StepsHoldVolumesAtTheirEndsAndTurnChoicesRound)
{
    EXPECT_EQ(SteppedSetting(SETTING_MUSIC, 40, +1), 50);
    EXPECT_EQ(SteppedSetting(SETTING_MUSIC, 40, -1), 30);
    EXPECT_EQ(SteppedSetting(SETTING_MUSIC, 45, -1), 40) << "a hand-set level steps to the tens";
    EXPECT_EQ(SteppedSetting(SETTING_MUSIC, 45, +1), 50);
    EXPECT_EQ(SteppedSetting(SETTING_MUSIC, 100, +1), 100);
    EXPECT_EQ(SteppedSetting(SETTING_KEY_SOUNDS, 0, -1), 0);
    EXPECT_EQ(SteppedSetting(SETTING_PICTURE, PICTURE_WHOLE, -1), PICTURE_FILL);
    EXPECT_EQ(SteppedSetting(SETTING_MUTE, 1, +1), 0);
    // The clock has three values, round either way.
    EXPECT_EQ(SteppedSetting(SETTING_CLOCK, CLOCK_ORIGINAL, +1), CLOCK_PACE);
    EXPECT_EQ(SteppedSetting(SETTING_CLOCK, CLOCK_PACE, +1), CLOCK_NONE);
    EXPECT_EQ(SteppedSetting(SETTING_CLOCK, CLOCK_NONE, +1), CLOCK_ORIGINAL);
    EXPECT_EQ(SteppedSetting(SETTING_CLOCK, CLOCK_ORIGINAL, -1), CLOCK_NONE);
    EXPECT_EQ(SteppedSetting(SETTING_CLOCK, CLOCK_NONE, -1), CLOCK_PACE);
}

TEST(Settings, TheClockReadsEachOfItsThreeWordsAndOriginalByDefault)
{
    EXPECT_EQ(DefaultSettings().value[SETTING_CLOCK], CLOCK_ORIGINAL);
    EXPECT_STREQ(SettingKey(SETTING_CLOCK), "clock");
    const char *words[] = {"original", "pace", "none"};
    for (int kind = CLOCK_ORIGINAL; kind < CLOCK_KINDS; kind++) {
        EXPECT_EQ(SettingWord(SETTING_CLOCK, kind), words[kind]);
        Settings s = DecodeSettings(std::string("clock = ") + words[kind] + "\n");
        EXPECT_EQ(s.value[SETTING_CLOCK], kind) << words[kind];
        // Written and read back, the third word too.
        EXPECT_EQ(DecodeSettings(EncodeSettings("", s)).value[SETTING_CLOCK], kind);
    }
    EXPECT_EQ(DecodeSettings("clock = None\n").value[SETTING_CLOCK], CLOCK_NONE) << "any case";
    EXPECT_EQ(DecodeSettings("clock = slow\nmusic = 10\n").value[SETTING_CLOCK], CLOCK_ORIGINAL);
    EXPECT_EQ(DecodeSettings("clock = 2\n").value[SETTING_CLOCK], CLOCK_ORIGINAL) << "words, not numbers";
}

TEST(Settings, ChangesAreKeptAndReadAtTheNextStart)
{
    ConfigHome home;
    LoadSettings();
    EXPECT_EQ(Setting(SETTING_MUSIC), 100);
    ASSERT_TRUE(ChangeSetting(SETTING_MUSIC, 0));
    ASSERT_TRUE(ChangeSetting(SETTING_FULLSCREEN, 0));
    EXPECT_EQ(SettingsPath(), home.file.string());
    struct stat st;
    ASSERT_EQ(stat(home.file.parent_path().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    // A player's own line survives the game's next write.
    Write(home.file, Read(home.file) + "my_note = kept\n");
    LoadSettings();
    EXPECT_EQ(Setting(SETTING_MUSIC), 0);
    EXPECT_EQ(Setting(SETTING_FULLSCREEN), 0);
    ASSERT_TRUE(ChangeSetting(SETTING_TIME_LEFT, 1));
    EXPECT_NE(Read(home.file).find("my_note = kept\n"), std::string::npos);
    EXPECT_TRUE(told.empty());
}

TEST(Settings, HostileFilesGiveDefaultsAndAreLeftAlone)
{
    struct Case {
        const char *what;
        void (*make)(const fs::path &);
    } cases[] = {
        {"fifo", [](const fs::path &p) { mkfifo(p.c_str(), 0600); }},
        {"directory", [](const fs::path &p) { fs::create_directory(p); }},
        {"huge", [](const fs::path &p) { Write(p, "music = 10\n" + std::string(200000, '#')); }},
        {"binary", [](const fs::path &p) { Write(p, std::string("music = 10\n\0\x01\x02", 14)); }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        ConfigHome home;
        fs::create_directories(home.file.parent_path());
        c.make(home.file);
        std::string before = fs::is_regular_file(home.file) ? Read(home.file) : "";
        LoadSettings();   // a FIFO must not be waited on
        EXPECT_EQ(Setting(SETTING_MUSIC), 100);
        EXPECT_FALSE(ChangeSetting(SETTING_MUSIC, 20));
        EXPECT_EQ(Setting(SETTING_MUSIC), 20) << "the change holds for this run";
        if (fs::is_regular_file(home.file))
            EXPECT_EQ(Read(home.file), before);
        else
            EXPECT_FALSE(fs::is_regular_file(home.file));
        EXPECT_EQ(told.size(), 1u);
    }
}

TEST(Settings, AnUnwritablePlaceIsToldOnceAndTheChangeHolds)
{
    // A file where the directory should be stops even root.
    ConfigHome home;
    Write(home.file.parent_path(), "not a directory");
    LoadSettings();
    EXPECT_FALSE(ChangeSetting(SETTING_KEY_SOUNDS, 50));
    EXPECT_FALSE(ChangeSetting(SETTING_KEY_SOUNDS, 60));
    EXPECT_EQ(Setting(SETTING_KEY_SOUNDS), 60);
    ASSERT_EQ(told.size(), 1u);
    EXPECT_NE(told[0].find(home.file.parent_path().string()), std::string::npos) << told[0];
    EXPECT_EQ(Read(home.file.parent_path()), "not a directory");
}
