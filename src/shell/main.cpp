// Paperlune: start-up, the intro, the main menu and shutdown.
#include <allegro.h>

#include "platform/datadir.h"
#include "platform/display.h"
#include "platform/fsound.h"
#include "platform/geometry.h"
#include "platform/input.h"
#include "platform/session.h"
#include "platform/system.h"
#include "player/typing.h"
#include "presentation/alfont.h"
#include "presentation/buffer.h"
#include "presentation/datafile.h"
#include "presentation/show.h"
#include "presentation/sounds.h"
#include "presentation/text.h"
#include "records/clockrecords.h"
#include "records/save.h"
#include "records/settings.h"
#include "records/practicerecords.h"
#include "records/typingrun.h"
#include "shell/globals.h"
#include "shell/menu.h"
#include "shell/settingsscreen.h"
#include "story/graph.h"

static const int APP_MIX_RATE = 44100;
static const int APP_SOUND_CHANNELS = 32;
static const int APP_INTRO_HOLD_MS = 2000;
static const char APP_TYPE_SOUND[] = "Sound\\type.wav";
static const char APP_BELL_SOUND[] = "Sound\\bell.wav";
static const char APP_ALFONT_ERROR[] = "Error while initializing alfont";
static const char APP_GFX_ERROR[] = "Cannot set a graphics mode.";

// Loaded at start-up only so that a missing typewriter font stops the game
// at once; the typing scenes load their own.
static ALFONT_FONT *typerfont = nullptr;

// The X server gone while the loop could not answer: saved as the quit
// dialog's "Yes" would (from the menu this only writes what is there).
static void SaveForLostDisplay()
{
    SaveProgress();
}

// A key waiting or the left button down when a slide is about to start ends
// the intro; the last slide shown stays for the menu to fade in over. The
// close button ends it too, and with it the game.
static void PlayIntro()
{
    for (int i = 0; i < INTRO_SLIDES; i++) {
        if (KeyWaiting() || PointerDown() || CloseRequested())
            break;
        show(INTRO_FIRST_IMAGE + i);
        DisplayRest(APP_INTRO_HOLD_MS);
    }
}

static void KeepScreenChoice(bool fullScreen)
{
    ChangeSetting(SETTING_FULLSCREEN, fullScreen);
}

// What the first slide does not need, done once it shows: the check of the
// rest of game.dat first, so that a damaged file is refused before anything
// else starts; then the keyboard (its input method takes longer than all the
// rest), the sound, the fonts, the samples, the player's files and the story.
static void FinishStartUp()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    if (const char *problem = LoadGameDataFile())
        FatalError(problem);
    SystemStartKeyboard();
    FSOUND_Init(APP_MIX_RATE, APP_SOUND_CHANNELS, 0);
    ApplySettings();

    if (StartText() != 0)
        FatalError(APP_ALFONT_ERROR);
    typerfont = LoadFontOrDie(FONT_TYPEWRITER);

    type_sample = FSOUND_Sample_Load(FSOUND_FREE, APP_TYPE_SOUND, FSOUND_LOOP_OFF, 0, 0);
    bell_sample = FSOUND_Sample_Load(FSOUND_FREE, APP_BELL_SOUND, FSOUND_LOOP_OFF, 0, 0);
    SetGameSounds(type_sample, bell_sample);
    LoadGameData();
    LoadTypingData();
    LoadClockRecords();
    // The game plays on; it only never writes a file it could not read.
    if (const char *problem = SaveFileProblem())
        DisplayMessage(problem);
    InitScenes();
    LoadPracticeData();   // its letters are named by the story's scenes
    QWERTZ = false;
}

int main(int, char **)
{
    if (const char *problem = SystemStart())
        FatalError(problem);
    // Every file name below is relative to the data directory.
    if (const char *problem = EnterDataDirectory(DATA_FILENAME))
        FatalError(problem);
    // Earlier versions kept the progress file where the game was started,
    // which was the data directory.
    SetOldSaveDirs({StartDirectory(), DataDirectory()});
    // Before the display opens: the settings say how it starts.
    LoadSettings();
    DisplaySetPicture(Setting(SETTING_PICTURE) == PICTURE_FILL);
    StartPictureLoading();
    // No mouse ends the game without a word, as it always has.
    if (!SystemStartPointer())
        FatalError(nullptr);
    // After the pointer: the display hands keys and pointer events to the
    // game through the keyboard's and the mouse's callbacks.
    if (!DisplayOpen(APP_TITLE, Setting(SETTING_FULLSCREEN) != 0))
        FatalError(APP_GFX_ERROR);
    WatchDisplayLoss(SaveForLostDisplay);
    // F11's choice is the next start's; F9 mutes anywhere.
    DisplaySetModeListener(KeepScreenChoice);
    InputSetMuteKeyHandler(ToggleMute);
    // A damaged game.dat is refused before any of its damaged pictures is
    // shown: what the first slide needs of it now, the rest as it shows.
    if (const char *problem = OpenGameDataFile(INTRO_FIRST_IMAGE))
        FatalError(problem);

    // The rest as soon as the first slide shows; at once when the intro
    // shows none (the button held at start ends it before its first slide).
    DisplayAfterFirstFrame(FinishStartUp);
    PlayIntro();
    DisplayAfterFirstFrame(nullptr);
    FinishStartUp();
    ClearState();

    BITMAP *menuBuffer = CreateBackBuffer();
    ALFONT_FONT *menuFont = LoadFontOrDie(MENU_FONT);
    // The close button during the intro quits before the menu is shown.
    if (!CloseRequested())
        MainMenu(menuBuffer, menuFont);

    // Whatever closed the game has been answered (saved during play); with
    // the X server gone, the teardown below would wait on it forever.
    EndIfDisplayGone();
    // Shutdown, in reverse order of start-up.
    alfont_destroy_font(menuFont);
    destroy_bitmap(menuBuffer);
    DestroyScenes();
    SetGameSounds(nullptr, nullptr);
    FSOUND_Sample_Free(bell_sample);
    FSOUND_Sample_Free(type_sample);
    alfont_destroy_font(typerfont);
    alfont_exit();
    UnloadGameDataFile();
    FSOUND_Close();
    DisplayShut();
    SystemShut();
    return SessionExitCode();
}
END_OF_MAIN()
