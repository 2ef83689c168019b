// What a player hears: the key sound and the bell in the menu, the music of
// the scenes, and silence once a play-through has ended. The sink that ALSA
// writes runs ahead of real time, so only the order and content of what was
// played are compared, never its timing.
#include "harness.h"

#include <X11/keysym.h>
#include <gtest/gtest.h>

using namespace harness;

namespace {

const int PAGE_MS = 8000;
const int EXIT_MS = 10000;
const double SILENT = 0.003;   // RMS of a quiet stretch
const double AUDIBLE = 0.02;   // RMS of music at the game's level
const size_t HALF_SECOND = 22050;
const int SOUND_MS = 5000;   // what a key sets off is heard within this

size_t Captured(const GameRun &run)
{
    return CapturedSound(run).size();
}

std::string FileText(const std::string &path)
{
    std::vector<uint8_t> bytes = ReadFile(path);
    return std::string(bytes.begin(), bytes.end());
}

}  // namespace

TEST(Sound, ArrowsAtTheEndsOfTheMenuStillSoundTheKey)
{
    GameRun run = Prepare("menusound");
    ASSERT_TRUE(LaunchToMenu(run));
    std::vector<float> key = GameSound("type.wav"), bell = GameSound("bell.wav");
    ASSERT_FALSE(key.empty());
    ASSERT_FALSE(bell.empty());

    size_t before = Captured(run);
    PressKey(XK_Up, 60);   // already on "New game"
    ASSERT_TRUE(WaitForSamples(run, before, key, 1, SOUND_MS)) << "no key sound for Up on the first item";
    EXPECT_EQ(MenuHighlight(), 1);
    std::vector<float> heard = CapturedSince(run, before);
    EXPECT_EQ(FindSample(heard, key).size(), 1u) << "one key sound for Up on the first item";
    EXPECT_TRUE(FindSample(heard, bell).empty());

    // Down to "Quit" and once more: a key sound for each, the highlight stays.
    before = Captured(run);
    for (int i = 0; i < MENU_ITEM_COUNT; i++) {
        PressKey(XK_Down, 60);
        ASSERT_TRUE(WaitForSamples(run, before, key, i + 1, SOUND_MS)) << "Down " << i + 1;
    }
    EXPECT_TRUE(WaitFor([] { return MenuHighlight() == MENU_QUIT; }, 2000));
    EXPECT_EQ(FindSample(CapturedSince(run, before), key).size(), size_t(MENU_ITEM_COUNT));

    // "Hall of Records" rings the bell; each Up's key sound is heard out
    // first, as the Downs' were, so that none of them lies under the bell.
    before = Captured(run);
    for (int item = MENU_QUIT - 1, ups = 1; item >= MENU_RECORDS; item--, ups++) {
        PressKey(XK_Up, 60);
        ASSERT_TRUE(WaitFor([&] { return MenuHighlight() == item; }, 2000));
        ASSERT_TRUE(WaitForSamples(run, before, key, ups, SOUND_MS)) << "Up " << ups;
    }
    before = Captured(run);
    PressKey(XK_Return, 60);
    EXPECT_TRUE(WaitForSamples(run, before, bell, 1, SOUND_MS));
    {
        std::vector<float> h = CapturedSince(run, before);
        std::vector<size_t> at = FindSample(h, bell);
        std::vector<size_t> keys = FindSample(h, key);
        std::string where;
        for (size_t a : at) where += " bell@" + std::to_string(a);
        for (size_t a : keys) where += " key@" + std::to_string(a);
        EXPECT_EQ(at.size(), 1u) << "the bell marks an activated item:" << where << " of " << h.size();
    }
    PressKey(XK_Return, 60);
    ASSERT_TRUE(WaitFor(MenuShown, PAGE_MS));
    ChooseMenuItem(MENU_QUIT);
    ASSERT_TRUE(WaitExit(run, EXIT_MS));
}

TEST(Sound, ScenesPlayMusicThatStopsWhenThePlayThroughEnds)
{
    GameRun run = Prepare("music");
    ASSERT_TRUE(LaunchToMenu(run));
    // The mixer rests while nothing sounds, so the silent menu may add
    // nothing at all; whatever it did add is quiet.
    size_t quietEnd = Captured(run);
    EXPECT_LT(Rms(CapturedSound(run), quietEnd > HALF_SECOND ? quietEnd - HALF_SECOND : 0, quietEnd), SILENT)
        << "the menu has no music";

    ChooseMenuItem(MENU_NEW_GAME);
    const Scene *first = SceneNamed("Scene01");
    ASSERT_TRUE(WaitForScreen(NarrationPage(first, NarrationPages(first)[0]), PAGE_MS));
    std::vector<float> during;
    WaitFor([&] {
        during = CapturedSound(run);
        return during.size() > quietEnd + 4 * HALF_SECOND &&
               Rms(during, during.size() - 4 * HALF_SECOND, during.size()) > AUDIBLE;
    }, SOUND_MS, 100);
    ASSERT_GT(during.size(), quietEnd + 4 * HALF_SECOND);
    EXPECT_GT(Rms(during, during.size() - 4 * HALF_SECOND, during.size()), AUDIBLE) << "the letters music plays";

    ASSERT_TRUE(QuitAndSave());
    // After the last sound the mixer writes a second of silence, then rests.
    size_t quitAt = Captured(run);
    std::vector<float> after;
    WaitFor([&] {
        after = CapturedSound(run);
        return after.size() >= quitAt + HALF_SECOND && Rms(after, after.size() - HALF_SECOND, after.size()) < SILENT;
    }, SOUND_MS, 100);
    ASSERT_GE(after.size(), quitAt + HALF_SECOND);
    EXPECT_LT(Rms(after, after.size() - HALF_SECOND, after.size()), SILENT) << "the music stopped with the game";
    ChooseMenuItem(MENU_QUIT);
    ASSERT_TRUE(WaitExit(run, EXIT_MS));
}

// The player's levels: the music at 0 % and the keys at 100 % give the key
// and no music; F9 then silences the keys too, and is kept.
TEST(Sound, TheMusicAtNothingLeavesTheKeysAndF9SilencesThemToo)
{
    GameRun run = Prepare("levels");
    ASSERT_TRUE(WriteSettings(run, "music = 0\nkey_sounds = 100\n"));
    ASSERT_TRUE(LaunchToMenu(run));
    std::vector<float> key = GameSound("type.wav");
    size_t before = Captured(run);
    PressKey(XK_Down, 60);
    ASSERT_TRUE(WaitForSamples(run, before, key, 1, SOUND_MS)) << "the key sound at 100 %";
    PressKey(XK_Up, 60);

    ChooseMenuItem(MENU_NEW_GAME);
    const Scene *first = SceneNamed("Scene01");
    ASSERT_TRUE(WaitForScreen(NarrationPage(first, NarrationPages(first)[0]), PAGE_MS));
    size_t pageAt = Captured(run);
    std::vector<float> during;
    // The music plays on at nothing: the mixer writes, and once the bell of
    // "New game" has rung out, all of it is quiet.
    ASSERT_TRUE(WaitFor([&] { return (during = CapturedSound(run)).size() > pageAt + 8 * HALF_SECOND; },
                        SOUND_MS, 100));
    EXPECT_LT(Rms(during, during.size() - 4 * HALF_SECOND, during.size()), SILENT) << "music at 0 % was heard";

    PressKey(XK_F9, 60);
    ASSERT_TRUE(WaitFor([&] { return FileText(SettingsFilePath(run)).find("mute = yes\n") != std::string::npos; },
                        SOUND_MS)) << "F9 is kept";
    ASSERT_TRUE(QuitAndSave());
    ASSERT_TRUE(WaitFor(MenuShown, PAGE_MS));
    before = Captured(run);
    PressKey(XK_Down, 60);   // muted: no key sound
    ASSERT_TRUE(WaitFor([] { return MenuHighlight() == 2; }, SOUND_MS));
    PressKey(XK_F9, 60);
    ASSERT_TRUE(WaitFor([&] { return FileText(SettingsFilePath(run)).find("mute = no\n") != std::string::npos; },
                        SOUND_MS));
    PressKey(XK_Up, 60);
    ASSERT_TRUE(WaitForSamples(run, before, key, 1, SOUND_MS));
    EXPECT_EQ(FindSample(CapturedSince(run, before), key).size(), 1u) << "the key sounded while muted";
    ChooseMenuItem(MENU_QUIT);
    ASSERT_TRUE(WaitExit(run, EXIT_MS));
}

// F9 over the music of a page: silence at once, and the music back with
// the next F9.
TEST(Sound, F9SilencesTheMusicAndBringsItBack)
{
    GameRun run = Prepare("mute");
    ASSERT_TRUE(LaunchToMenu(run));
    ChooseMenuItem(MENU_NEW_GAME);
    const Scene *first = SceneNamed("Scene01");
    ASSERT_TRUE(WaitForScreen(NarrationPage(first, NarrationPages(first)[0]), PAGE_MS));
    auto lastSecond = [&](double *rms) {
        std::vector<float> s = CapturedSound(run);
        *rms = s.size() > 2 * HALF_SECOND ? Rms(s, s.size() - 2 * HALF_SECOND, s.size()) : 0;
        return s.size();
    };
    double rms = 0;
    ASSERT_TRUE(WaitFor([&] { lastSecond(&rms); return rms > AUDIBLE; }, SOUND_MS, 100)) << "no music to mute";
    PressKey(XK_F9, 60);
    size_t mutedAt = lastSecond(&rms);
    EXPECT_TRUE(WaitFor([&] { return lastSecond(&rms) > mutedAt + 2 * HALF_SECOND && rms < SILENT; }, SOUND_MS, 100))
        << "the music went on under F9: " << rms;
    PressKey(XK_F9, 60);
    EXPECT_TRUE(WaitFor([&] { lastSecond(&rms); return rms > AUDIBLE; }, SOUND_MS, 100)) << "the music did not come back";
    ASSERT_TRUE(QuitAndSave());
    ChooseMenuItem(MENU_QUIT);
    ASSERT_TRUE(WaitExit(run, EXIT_MS));
}
