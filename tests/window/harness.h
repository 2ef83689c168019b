// Runs the built game for real: its own X server, real key presses and clicks
// through XTEST, screenshots, exit codes, message boxes, files and the sound
// the game sent to ALSA.
#ifndef PAPERLUNE_TESTS_HARNESS_H
#define PAPERLUNE_TESTS_HARNESS_H

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct Scene;

namespace harness {

// What is drawn and run -------------------------------------------------------

const int SHOT_W = 640;
const int SHOT_H = 480;
const char GAME_TITLE[] = "Paperlune";

// How the game's picture stands on the X screen: each game pixel a
// scale x scale block, its top-left corner at (x, y); scale 0: smoothed to
// w x h. Screenshots and pointer positions are in game coordinates through
// it (the screen pixel under a game pixel's centre).
struct View {
    int scale;
    int x, y;
    int w = 0, h = 0;
};

struct Image {
    int w = 0, h = 0;
    std::vector<uint32_t> px;   // 0xRRGGBB
    uint32_t at(int x, int y) const { return px[size_t(y) * w + x]; }
};

struct GameRun {
    std::string dir;        // scratch working directory holding a copy of data/
    std::string home;       // HOME of the game: its ALSA configuration
    std::string dataHome;   // XDG_DATA_HOME of the game: its progress file goes below
    int user = -1;          // uid the game runs as (the run's files become its own); -1: ours
    std::string soundFile;  // raw S16_LE stereo 44.1 kHz written by ALSA
    pid_t pid = -1;
    int exitCode = -1;      // once it has ended; 128 + signal when killed
    bool ended = false;
};

// The X server ----------------------------------------------------------------

// Starts the X server once for the whole test program; false when it fails.
bool StartDisplay();
// Uses a server someone else started, of that screen size, instead.
bool AttachDisplay(const std::string &name, int w, int h);
// The X server's screen size: restarts the server when it differs (640 x 480
// unless a test asks otherwise). The view goes back to unscaled.
bool UseDisplay(int w, int h);
// The X server goes away under the running games, as at the end of a
// session; the next launch starts a new one.
void KillDisplayServer();
void SetView(const View &view);
View CurrentView();

// The game's process ----------------------------------------------------------

// A fresh scratch directory with a copy of the game's data.
GameRun Prepare(const char *name);
// Starts the game in the run's directory, as run.user when set; a game still
// running from an earlier run is ended first.
bool Launch(GameRun &run);
// The same beside the games that run already: a second copy of the game.
bool LaunchAlongside(GameRun &run);
// Starts another program there the same way, with one argument or none.
bool LaunchProgram(GameRun &run, const char *program, const char *argument);
// Waits for the game to end; false on time-out.
bool WaitExit(GameRun &run, int timeoutMs);
void Kill(GameRun &run);
bool Alive(GameRun &run);

// Files -----------------------------------------------------------------------

// Files of the scratch directory.
std::string PathIn(const GameRun &run, const std::string &relative);
// Where the game keeps its progress file, below the run's data home, and the
// file itself.
std::string SaveDirectory(const GameRun &run);
std::string SavePath(const GameRun &run);
// The player's settings file of the run, and the writing of it before a launch.
std::string SettingsFilePath(const GameRun &run);
bool WriteSettings(const GameRun &run, const std::string &text);
// What else is in that directory that neither the data copy nor the harness
// put there: a temporary file a save left behind, whatever its name.
std::vector<std::string> StrayFilesBesideSave(const GameRun &run);
bool FileExists(const std::string &path);
std::vector<uint8_t> ReadFile(const std::string &path);
bool WriteFile(const std::string &path, const std::vector<uint8_t> &bytes);
// Writes the run's progress file, making its directories.
bool WriteSaveBytes(const GameRun &run, const std::vector<uint8_t> &bytes);
// The little-endian words of a progress file.
std::vector<int32_t> SaveWords(const GameRun &run);
void WriteSave(const GameRun &run, const std::vector<int32_t> &words);

// Input, as a person gives it -------------------------------------------------

void KeyDown(unsigned long keysym);
void KeyUp(unsigned long keysym);
void PressKey(unsigned long keysym, int holdMs = 40);   // an X keysym, e.g. XK_Return
void TypeChar(char c, int holdMs = 12);                 // with Shift where the layout needs it
// Down for as long as a person holds it, without the server's repeat.
void HoldKey(unsigned long keysym);
void ReleaseKey(unsigned long keysym);
void MoveMouse(int x, int y);               // game coordinates, through the view
void MoveMouseOnScreen(int x, int y);       // X screen coordinates
// Every character pressed and released with no pause at all, as fast as
// XTEST takes them.
void TypeBurst(const std::string &text);
void Click(int x, int y, int holdMs = 120);
void ButtonDown();
void ButtonUp();
// The pointer parked where no screen draws anything of note.
void ParkPointer();

// The screen and the game's windows -------------------------------------------

Image Screenshot();       // the game's picture (through the view)
Image ScreenshotFull();   // the whole X screen, pixel for pixel
// The window manager's close request (WM_DELETE_WINDOW) to the game's
// windows; false when it has none.
bool SendCloseRequest();
// Where the game's visible window stands on the X screen.
bool GameWindowRect(int *x, int *y, int *w, int *h);
// Resizes the game's visible window, as a player dragging its edge would.
bool ResizeGameWindow(int w, int h);
// The game's visible window, or 0.
unsigned long GameWindowId();
// The game's visible window carries the property (_NET_WM_BYPASS_COMPOSITOR,
// say, which it sets only in full screen).
bool GameWindowHasProperty(const char *name);
bool SavePng(const Image &image, const std::string &path);
// Where screenshots of a test run go for a person to look at.
std::string ShotPath(const std::string &name);
// Mean absolute channel difference over a rectangle.
double Difference(const Image &a, const Image &b, int x, int y, int w, int h);
// Share of pixels in the rectangle within tol of colour on every channel.
double ShareOfColour(const Image &image, int x, int y, int w, int h, uint32_t colour, int tol);

// The text of a message box the game shows, or "" when none is open.
std::string MessageBox(const GameRun &run);
// Closes an open message box as a person would (Enter on it).
void DismissMessageBox(const GameRun &run);

// Waiting ---------------------------------------------------------------------

// Added to a hold of the game's own (a finished letter's page, the time-out
// picture) before a key is pressed: the hold is surely over by then.
const int HOLD_MARGIN_MS = 200;

// Polls until the condition holds; false on time-out.
bool WaitFor(const std::function<bool()> &condition, int timeoutMs, int pollMs = 20);
void Sleep(int ms);
// Waits until the screen stops changing (a fade has ended).
bool WaitStable(int timeoutMs = 5000);
// Polls until the screen is the expected image within tolerance.
bool WaitForScreen(const Image &expected, int timeoutMs, double tolerance = 0.6);

// What a screen must look like ------------------------------------------------

// Picture `index` of the data's game.dat as the game loads it (32-bit).
Image DataPicture(int index);

// Index of the datafile picture among `candidates` that the screen shows
// best (mean difference below `tolerance`), or -1.
int ShownPicture(const Image &screen, const std::vector<int> &candidates, double tolerance = 6.0);

// Text laid out the way a screen draws it, for comparing with a screenshot.
struct TextItem {
    std::string text;
    int x, y;
    uint32_t colour;
    int size;
    bool centred = false;
};

// A translucent rectangle laid over the background before the text.
struct Veil {
    int x1, y1, x2, y2;
    uint32_t colour;
    int alpha;
};

// Datafile picture `background` with the items drawn on it through the game's
// own font layer, in the narration font (or the typewriter font), under the
// veils.
Image Compose(int background, const std::vector<TextItem> &items, bool typewriter = false,
              const std::vector<Veil> &veils = {});
// The width of a text in that font at that size, as the game measures it.
int TextWidth(const std::string &text, int size, bool typewriter = false);

// The menu, the Hall of Records and quitting ----------------------------------

const int MENU_BACKGROUND = 7;
const int HS_BACKGROUND = 8;
const int QUIT_BACKGROUND = 1;

// The menu's background shows where no text stands.
bool MenuShown();
// A key pressed as soon as the game's window stands: one already waiting
// when the intro begins skips all of it. False when no window came.
bool KeyBeforeTheIntro();
// Launches the game, skips the intro with a key and waits for the menu.
bool LaunchToMenu(GameRun &run);
// The words of a progress file that continues at `resumeId`, with no time,
// no mistakes and no path's record yet.
std::vector<int32_t> SaveAt(int32_t resumeId);
// A fresh run named `name` whose progress file holds `words`, launched to
// the menu and continued from there; false when the menu did not come.
bool ContinueFrom(GameRun &run, const char *name, const std::vector<int32_t> &words);
// The menu's items, top to bottom.
const int MENU_NEW_GAME = 1;
const int MENU_CONTINUE = 2;
const int MENU_PRACTICE = 3;
const int MENU_RECORDS = 4;
const int MENU_SETTINGS = 5;
const int MENU_QUIT = 6;
const int MENU_ITEM_COUNT = 6;
// The menu item (1..MENU_ITEM_COUNT) drawn in red, or 0.
int MenuHighlight();
// Picks a menu item with the keys, the pointer parked away from the items.
void ChooseMenuItem(int item);

// The Hall of Records is open (its background shows where no text stands).
bool HallShown();
// "Hall of Records" from the menu: once it is open, its screenshot, also
// saved for a person under `shotName`.
bool OpenHall(const std::string &shotName, Image &shown);
// The texts of the Hall of Records with these time and mistakes cells.
std::vector<TextItem> HallTexts(const std::vector<std::string> &times, const std::vector<std::string> &mistakes);

// "Quit" from the menu; true once the game has ended with exit code 0.
bool QuitFromMenu(GameRun &run);

// The quit dialog as it must look with the given answer highlighted.
Image QuitDialog(int selected);
bool QuitDialogShown(int selected);
// "Start a new story?" with answer 1 (Yes) or 2 (No) highlighted.
bool NewGameDialogShown(int selected);
// "New game" over a saved place, answered "Yes"; false when the question
// did not come.
bool ChooseNewGameOverPlace();

// The story -------------------------------------------------------------------

// The story as the game builds it, for knowing what each page must show.
const Scene *SceneNamed(const std::string &name);

// Line indexes of each page of a narration text.
std::vector<std::vector<int>> NarrationPages(const Scene *scene);
// What a narration page must look like: its lines centred on the picture.
Image NarrationPage(const Scene *scene, const std::vector<int> &lines);
// The letter box with the given lines of a page shown.
Image LetterBoxPage(const Scene *scene, const std::vector<int> &lines);

// Reads every page of a narration scene, one key each.
bool ReadNarration(const std::string &sceneName);
// Reads one letter-box scene line by line, then its bare picture.
bool ReadLetterBox(const std::string &sceneName);
// The choice screen: question and two choices, the selected one grey.
Image ChoiceScreen(const Scene *scene, int selected, bool afterLetter = false);
// Chooses 1 or 2 at a choice screen with the keys.
bool Choose(const std::string &sceneName, int choice);

// Lines of the credits roll as the ending screen draws them, for finding the
// ending lines in a screenshot: the roll offset that matches best, or a
// large difference when none does.
double EndingLinesDifference(const Image &screen, int background, const std::string &line18,
                             const std::string &line19, int *offset);

// Typing ----------------------------------------------------------------------

struct WrongKey {
    int line, pos;
    unsigned long keysym;   // a Latin-1 character, or a key such as XK_Left
};

// A pause after each key that has TypeLetter go key by key, each one waited
// for on the screen: a letter then takes seconds, not a fraction of one.
const int KEY_BY_KEY_GAP_MS = 3;

struct TypingPlan {
    std::vector<WrongKey> wrong;
    int keyGapMs = 0;   // extra pause after each key, to pace a human-like typist
    // F12 before typing this cell, held paused for pauseMs, ended by a key.
    int pauseLine = -1, pausePos = 0, pauseMs = 0;
    bool holdF12 = false;     // F12 held down the whole pause, not tapped
    bool pauseSeen = false;   // out: the veil and "PAUSED" were on screen
    int pauseGaps = 0;        // out: looks during the pause that did not find the veil
    bool pauseKeyTyped = false;   // out: the key that ended the pause moved the cursor
    // F12 and a key, as short as the veil allows, before every so many words
    // of the lines typed key by key (those with wrong keys or the pause);
    // 0: none.
    int pauseEveryWords = 0;
    int pausesMade = 0;           // out
    // The key that ends the last line is left for the test to send, once the
    // cursor stands on that line's last character.
    bool leaveLastKey = false;
    // out: the least the letter's clock can have run, pauses left out: from
    // the page seen to the last key sent, less the pauses as the harness saw
    // them from outside (F12 sent to the veil seen gone).
    double leastTypingSeconds = 0;
};

// Types the letter of a typing scene by real key presses, waiting for the
// cursor to move after each one; false when the game did not follow.
bool TypeLetter(const std::string &sceneName, TypingPlan &plan);
bool TypeLetter(const std::string &sceneName);
// The pause veil with "PAUSED" is on screen.
bool PauseShown();
// Advance of a character on the typing page.
int TypeAdvance(char c);
// The cursor box is over (line, x offset) of the typing page.
bool CursorAt(int line, int x);
// After the last line: the page without cursor stands, then a key moves on.
bool FinishLetter();

// Walks through the story -----------------------------------------------------

// Plays the story from a scene the way a player would, following `choices`
// (1 or 2) at each choice, until its closing scene's record is written.
// `stopAt`: a scene at whose first screen the walk stops, without a key.
struct Walk {
    std::vector<int> choices;
    std::string stopAt;
    TypingPlan typing;
    int lettersTyped = 0;
    std::string failedAt;   // where the game did not do what the walk expected
    std::string closing;    // the closing scene reached
};
bool WalkStory(const std::string &fromScene, Walk &walk);
// Escape, then "Yes": the game saves and returns to the menu.
bool QuitAndSave();
// The fields of the last line of the run's history.tsv, or none.
std::vector<std::string> LastHistoryFields(const GameRun &run);

// Sound -----------------------------------------------------------------------

// Sound the game sent to ALSA, as mono samples in -1..1 at 44.1 kHz.
std::vector<float> CapturedSound(const GameRun &run);
// What was captured after its first `from` samples.
std::vector<float> CapturedSince(const GameRun &run, size_t from);
// A 16-bit PCM WAV file as mono samples; empty when unreadable.
std::vector<float> WavSamples(const std::string &path);
// One of the game's own sounds, e.g. "bell.wav", from the data.
std::vector<float> GameSound(const char *name);
// Places in `sound` where `sample` starts (normalised correlation above
// `threshold` around each onset), in sample offsets.
std::vector<size_t> FindSample(const std::vector<float> &sound, const std::vector<float> &sample,
                               double threshold = 0.8);
// Waits until what was captured after its first `from` samples holds
// `sample` at least `count` times and has gone quiet again, so that the next
// sound stands apart; false on time-out.
bool WaitForSamples(const GameRun &run, size_t from, const std::vector<float> &sample, size_t count, int timeoutMs);
// Root mean square of sound[from, to).
double Rms(const std::vector<float> &sound, size_t from, size_t to);

}  // namespace harness

#endif
