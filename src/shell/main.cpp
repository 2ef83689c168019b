// Paperlune: start-up, the intro, the main menu and shutdown.
#include <allegro.h>
#include <jpgalleg.h>

#include <cerrno>

#include "platform/datadir.h"
#include "platform/fsound.h"
#include "platform/icon.h"
#include "presentation/alfont.h"
#include "presentation/datafile.h"
#include "presentation/show.h"
#include "records/save.h"
#include "shell/globals.h"
#include "shell/menu.h"
#include "story/graph.h"

static const int APP_SCREEN_W = 640;
static const int APP_SCREEN_H = 480;
static const int APP_COLOR_DEPTH = 32;
static const int APP_MIX_RATE = 44100;
static const int APP_SOUND_CHANNELS = 32;
static const int APP_INTRO_HOLD_MS = 2000;
static const char APP_TYPE_SOUND[] = "Sound\\type.wav";
static const char APP_BELL_SOUND[] = "Sound\\bell.wav";
static const char APP_ALFONT_ERROR[] = "Error while initializing alfont";
static const char APP_GFX_ERROR[] = "Cannot set a 640 x 480 graphics mode.";
static const int APP_LEFT_BUTTON = 1;

static void SetGraphicsMode()
{
    set_color_depth(APP_COLOR_DEPTH);
    // Full screen first; a desktop that does not switch modes gets a window.
    if (set_gfx_mode(GFX_AUTODETECT_FULLSCREEN, APP_SCREEN_W, APP_SCREEN_H, 0, 0) == 0)
        return;
    if (set_gfx_mode(GFX_AUTODETECT_WINDOWED, APP_SCREEN_W, APP_SCREEN_H, 0, 0) == 0)
        return;
    FatalError(APP_GFX_ERROR);
}

// A key waiting or the left button down when a slide is about to start ends
// the intro; the last slide shown stays for the menu to fade in over.
static void PlayIntro()
{
    for (int i = 0; i < INTRO_SLIDES; i++) {
        if (keypressed() || (mouse_b & APP_LEFT_BUTTON))
            break;
        show(INTRO_FIRST_IMAGE + i);
        rest(APP_INTRO_HOLD_MS);
    }
}

int main(int, char **)
{
    PrepareGameWindow();
    if (install_allegro(SYSTEM_AUTODETECT, &errno, atexit) != 0) {
        allegro_message("%s\n", allegro_error);
        return 1;
    }
    // Every file name below is relative to the data directory.
    if (const char *problem = EnterDataDirectory(DATA_FILENAME))
        FatalError(problem);
    jpgalleg_init();
    SetGraphicsMode();
    install_timer();
    install_keyboard();
    if (install_mouse() == -1)
        exit(1);
    set_window_title(APP_TITLE);
    FSOUND_Init(APP_MIX_RATE, APP_SOUND_CHANNELS, 0);

    data = load_datafile(DATA_FILENAME);
    if (const char *problem = CheckGameData(data))
        FatalError(problem);

    if (alfont_init() != 0)
        FatalError(APP_ALFONT_ERROR);
    typerfont = LoadFontOrDie(FONT_TYPEWRITER);

    type_sample = FSOUND_Sample_Load(FSOUND_FREE, APP_TYPE_SOUND, FSOUND_LOOP_OFF, 0, 0);
    bell_sample = FSOUND_Sample_Load(FSOUND_FREE, APP_BELL_SOUND, FSOUND_LOOP_OFF, 0, 0);
    LoadGameData();
    InitScenes();
    QWERTZ = false;

    PlayIntro();
    ClearState();

    BITMAP *menuBuffer = create_bitmap(SCREEN_W, SCREEN_H);
    ALFONT_FONT *menuFont = LoadFontOrDie(MENU_FONT);
    alfont_text_mode(-1);
    MainMenu(menuBuffer, menuFont);

    // Shutdown, in reverse order of acquisition.
    DestroyScenes();
    alfont_destroy_font(menuFont);
    destroy_bitmap(menuBuffer);
    unload_datafile(data);
    data = nullptr;
    FSOUND_Sample_Free(type_sample);
    FSOUND_Sample_Free(bell_sample);
    FSOUND_Close();
    alfont_destroy_font(typerfont);
    alfont_exit();
    allegro_exit();
    return 0;
}
END_OF_MAIN()
