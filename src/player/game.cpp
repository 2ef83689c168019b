#include "player/game.h"

#include <allegro.h>
#include <cstdlib>

#include "platform/awake.h"
#include "platform/display.h"
#include "platform/geometry.h"
#include "platform/input.h"
#include "player/narration.h"
#include "player/typing.h"
#include "presentation/buffer.h"
#include "presentation/datafile.h"
#include "presentation/menustep.h"
#include "presentation/show.h"
#include "presentation/sounds.h"
#include "presentation/text.h"
#include "records/clockrecords.h"
#include "records/dialogs.h"
#include "records/practicerecords.h"
#include "records/progress.h"
#include "records/settings.h"
#include "story/graph.h"

// Choice menu.
static const int CHOICE_QUESTION_Y = 150;
static const int CHOICE_QUESTION_SIZE = 35;
static const int CHOICE_FIRST_Y = 200;
static const int CHOICE_FIRST_Y_AFTER_LETTER = 250;
static const int CHOICE_SELECTED_COLOR = 0x858585;
static const int CHOICE_TEXT_COLOR = 0x000000;
static const int CHOICE_COUNT = 2;

static const int MUSIC_CHANNEL = 0;

// After the time-out picture: the letter again, or the menu, in the dark
// above the candle, clear of the picture's own words below it ("press a
// key": any key takes the answer highlighted).
static const char TIMEOUT_RETRY[] = "Try again";
static const char TIMEOUT_MENU[] = "Back to the menu";
static const char TIMEOUT_GENTLER[] = "A gentler clock can be chosen in Settings.";
static const int TIMEOUT_CHOICES = 2;
static const int TIMEOUT_RETRY_CHOICE = 1;
static const int TIMEOUT_FIRST_Y = 30;
static const int TIMEOUT_CHOICE_SIZE = 35;
static const int TIMEOUT_SELECTED_COLOR = 0xF4F0E6;
static const int TIMEOUT_OTHER_COLOR = 0x8A8070;
static const int TIMEOUT_GENTLER_Y = 112;
static const int TIMEOUT_GENTLER_SIZE = 20;
static const int TIMEOUT_GENTLER_COLOR = 0xD89A8C;

// The music stream the scene player opened last.
static FSOUND_STREAM *MUSIC_STREAM = nullptr;

// State of the play-through under way.
static BITMAP *page = nullptr;        // every display mode composes here
static BITMAP *frame = nullptr;       // the typing page lays its frame over a copy of page
static ALFONT_FONT *sceneFont = nullptr;

// How a scene ended.
enum SceneEnd {
    SCENE_READ,          // read to its end: the story goes on
    SCENE_LETTER_DONE,   // its letter typed to the end and recorded
    SCENE_TIMED_OUT,     // its letter ran out of time: the play-through ends
    SCENE_LEFT,          // the player left the game from it
};

// What the choice screen draws besides the selection.
struct ChoiceScreen {
    const Scene *scene;
    int firstY;
};

static void DrawChoices(BITMAP *buffer, int selection, void *state)
{
    const ChoiceScreen *choice = static_cast<const ChoiceScreen *>(state);
    const Scene *scene = choice->scene;
    blit(DataBitmap(scene->background), buffer, 0, 0, 0, 0, GAME_W, GAME_H);
    Textout_centre(buffer, sceneFont, scene->question, GAME_W / 2, CHOICE_QUESTION_Y, CHOICE_TEXT_COLOR,
                   CHOICE_QUESTION_SIZE, AA);
    const char *choices[CHOICE_COUNT] = {scene->choice1, scene->choice2};
    for (int i = 0; i < CHOICE_COUNT; i++)
        Textout_centre(buffer, sceneFont, choices[i], GAME_W / 2, choice->firstY + i * scene->choiceFontSize,
                       selection == i + 1 ? CHOICE_SELECTED_COLOR : CHOICE_TEXT_COLOR, scene->choiceFontSize, AA);
}

int ChoiceAt(int x, int y, int firstY, int lineHeight, const int widths[2])
{
    for (int i = 0; i < CHOICE_COUNT; i++) {
        int top = firstY + i * lineHeight;
        if (y >= top && y < top + lineHeight && 2 * std::abs(x - GAME_W / 2) <= widths[i])
            return i + 1;
    }
    return 0;
}

static int PointedChoice(const ChoiceScreen &choice, int x, int y)
{
    const Scene *scene = choice.scene;
    alfont_set_font_size(sceneFont, scene->choiceFontSize);
    int widths[CHOICE_COUNT] = {alfont_text_length(sceneFont, scene->choice1),
                                alfont_text_length(sceneFont, scene->choice2)};
    return ChoiceAt(x, y, choice.firstY, scene->choiceFontSize, widths);
}

// The two-way choice; the chosen scene, or null when the player left.
static Scene *ChoiceMenu(const Scene *scene, bool afterLetter)
{
    ClearState();
    int selection = 1;
    ChoiceScreen choice = {scene, afterLetter ? CHOICE_FIRST_Y_AFTER_LETTER : CHOICE_FIRST_Y};
    MenuScreen menu = MenuScreenFor(page, DrawChoices, &choice, true, false);
    for (;;) {
        if (LeaveForClose())
            return nullptr;
        if (afterLetter && KeyHit(KEY_ENTER))
            break;
        if (KeyWaiting()) {
            if (KeyHit(KEY_ESC)) {
                PlayGameSound(SOUND_KEY);
                if (quitWnd())
                    return nullptr;
                MenuScreenRedraw(menu);   // the dialog drew over the choices
            }
            bool up = KeyHit(KEY_UP), down = KeyHit(KEY_DOWN);
            if (up)
                PlayGameSound(SOUND_KEY);
            if (down)
                PlayGameSound(SOUND_KEY);
            selection = MoveSelection(selection, CHOICE_COUNT, up, down);
            if (KeyHit(KEY_ENTER)) {
                ReleaseKey(KEY_ENTER);
                break;
            }
            ClearState();
        }
        // The answer under the pointer is highlighted as it moves there, and
        // a click on it takes it.
        int x, y;
        PointerPosition(&x, &y);
        int pointed = PointedChoice(choice, x, y);
        if (pointed && (x != menu.drawnX || y != menu.drawnY))
            selection = pointed;
        if (PointerClicked() && pointed) {
            selection = pointed;
            break;
        }
        MenuStep(menu, selection);
    }
    if (afterLetter)
        ClearKeys();
    else
        ClearState();
    return selection == 1 ? scene->next1 : scene->next2;
}

TypingAids ChosenTypingAids()
{
    TypingAids aids;
    aids.underlineMistakes = Setting(SETTING_MISTAKES) == MISTAKES_UNDERLINED;
    aids.timeLeft = Setting(SETTING_TIME_LEFT) != 0;
    aids.pauseOnFocusLoss = Setting(SETTING_PAUSE_ON_FOCUS_LOSS) != 0;
    return aids;
}

static void StartMusic(const Scene *scene)
{
    // Only a stream that opened replaces the handle, so that the music that
    // sounds is always the one stopped at the end of the play-through.
    FSOUND_STREAM *stream = FSOUND_Stream_Open(scene->musicFile, FSOUND_LOOP_NORMAL, 0, -1);
    if (!stream)
        return;
    MUSIC_STREAM = stream;
    FSOUND_Stream_Play(MUSIC_CHANNEL, MUSIC_STREAM);
}

static void ReleaseSceneFont()
{
    alfont_destroy_font(sceneFont);
    sceneFont = nullptr;
}

ClockRules ChosenClock()
{
    ClockKind kind = ClockKind(Setting(SETTING_CLOCK));
    double wpm = PACE_DEFAULT_WPM, accuracy = PACE_DEFAULT_ACCURACY;
    if (kind == CLOCK_PACE)
        PlayerPace(&wpm, &accuracy);
    return ClockOfKind(kind, wpm, accuracy);
}

// A typing scene. The letter's result goes to the records the moment it is
// complete, and is written there at once, before its finished page rests:
// "Continue Playing" neither types it again nor counts it twice.
static SceneEnd PlayLetter(Scene *scene)
{
    // From its page on, practice offers the letter.
    LetterReached(scene);
    const int letter = LetterOfScene(scene);
    TypingAids aids = ChosenTypingAids();
    if (Setting(SETTING_PACE_MARKER) && letter >= 0 && PracticeData.best[letter].kept)
        aids.pace = &PracticeData.best[letter].keyMs;
    const ClockRules rules = ChosenClock();
    LetterResult result = typeLetter(scene, sceneFont, page, frame, rules, aids);
    KeepAwakeWhileTyping(false);   // however the page ended
    if (result.outcome == LETTER_LEFT)
        return SCENE_LEFT;
    if (result.outcome == LETTER_TIMED_OUT)
        return SCENE_TIMED_OUT;
    LetterFinished(scene, result.counted, result.figures);
    LetterRunFinished(letter, result.figures, result.keyMs, false);
    FinishedLetterPage(scene, sceneFont, page, rules, result);
    return SCENE_LETTER_DONE;
}

// What the time-out screen draws over its picture.
struct TimeOutScreen {
    ALFONT_FONT *font;
    bool gentler;   // the line about the Settings' clocks
};

static void DrawTimeOut(BITMAP *buffer, int selection, void *state)
{
    const TimeOutScreen *timeOut = static_cast<const TimeOutScreen *>(state);
    blit(DataBitmap(TIMEOUT_IMAGE), buffer, 0, 0, 0, 0, GAME_W, GAME_H);
    const char *choices[TIMEOUT_CHOICES] = {TIMEOUT_RETRY, TIMEOUT_MENU};
    for (int i = 0; i < TIMEOUT_CHOICES; i++)
        Textout_centre(buffer, timeOut->font, choices[i], GAME_W / 2, TIMEOUT_FIRST_Y + i * TIMEOUT_CHOICE_SIZE,
                       selection == i + 1 ? TIMEOUT_SELECTED_COLOR : TIMEOUT_OTHER_COLOR, TIMEOUT_CHOICE_SIZE, AA);
    if (timeOut->gentler)
        Textout_centre(buffer, timeOut->font, TIMEOUT_GENTLER, GAME_W / 2, TIMEOUT_GENTLER_Y, TIMEOUT_GENTLER_COLOR,
                       TIMEOUT_GENTLER_SIZE, AA);
}

static int PointedTimeOutChoice(ALFONT_FONT *font, int x, int y)
{
    alfont_set_font_size(font, TIMEOUT_CHOICE_SIZE);
    int widths[TIMEOUT_CHOICES] = {alfont_text_length(font, TIMEOUT_RETRY), alfont_text_length(font, TIMEOUT_MENU)};
    return ChoiceAt(x, y, TIMEOUT_FIRST_Y, TIMEOUT_CHOICE_SIZE, widths);
}

// The time-out picture, then its choice: true for "Try again". Escape and
// the window's close button go back to the menu; Up and Down, the pointer,
// then any key, Enter or a click choose.
static bool TimeOutChoice()
{
    show(TIMEOUT_IMAGE);
    DisplayRest(TIMEOUT_HOLD_MS);
    ClearState();
    // Said on the first time-out of a run only: a reminder, not a nag.
    static bool gentlerTold = false;
    TimeOutScreen timeOut = {LoadFontOrDie(MENU_FONT), !gentlerTold};
    gentlerTold = true;
    MenuScreen menu = MenuScreenFor(page, DrawTimeOut, &timeOut, true, false);
    int selection = TIMEOUT_RETRY_CHOICE;
    bool chosen = false;
    while (!chosen && !CloseRequested()) {
        while (KeyWaiting()) {
            int scancode = ReadKey() >> KEY_SCANCODE_SHIFT;
            if (scancode == KEY_ESC)
                selection = TIMEOUT_CHOICES;
            if (scancode == KEY_UP || scancode == KEY_DOWN) {
                PlayGameSound(SOUND_KEY);
                selection = MoveSelection(selection, TIMEOUT_CHOICES, scancode == KEY_UP, scancode == KEY_DOWN);
                continue;
            }
            // Escape is the menu; any other key takes the answer highlighted.
            chosen = true;
            break;
        }
        int x, y;
        PointerPosition(&x, &y);
        int pointed = PointedTimeOutChoice(timeOut.font, x, y);
        if (pointed && (x != menu.drawnX || y != menu.drawnY))
            selection = pointed;
        if (!chosen && PointerClicked() && pointed) {
            selection = pointed;
            chosen = true;
        }
        if (!chosen)
            MenuStep(menu, selection);
    }
    alfont_destroy_font(timeOut.font);
    ClearState();
    return chosen && selection == TIMEOUT_RETRY_CHOICE;
}

// A letter that ran out of time, until it is finished, left, or given up.
static SceneEnd RetryLetter(Scene *scene)
{
    SceneEnd end = SCENE_TIMED_OUT;
    while (end == SCENE_TIMED_OUT) {
        // The music stops for the picture, as at the end of a play-through.
        FSOUND_Stream_Stop(MUSIC_STREAM);
        if (!TimeOutChoice())
            return SCENE_TIMED_OUT;
        // Straight onto the letter's page again, its clock from 0; the
        // records after a time-out are what they were.
        FSOUND_Stream_Play(MUSIC_CHANNEL, MUSIC_STREAM);
        end = PlayLetter(scene);
    }
    return end;
}

// The letter box, the pause picture or the narration pages.
static SceneEnd PlayReading(const Scene *scene)
{
    int k = 0, first = 0;
    bool stay = true;
    if (scene->letterView)
        stay = LetterBox(scene, page, sceneFont, &k, &first);
    if (stay) {
        if (scene->imageOnly)
            Pause(scene);
        else
            stay = Narration(scene, page, sceneFont, k, first);
    }
    return stay ? SCENE_READ : SCENE_LEFT;
}

// The scene the story goes on with, or null when the play-through ends
// here: the player left at the choice, or the scene closes a path.
static Scene *NextScene(Scene *scene, bool afterLetter)
{
    if (scene->next1 && scene->next2) {
        Scene *chosen = ChoiceMenu(scene, afterLetter);
        if (!chosen)
            return nullptr;
        ClearState();
        ReleaseSceneFont();
        return chosen;
    }
    if (scene->next1) {
        ClearState();
        ReleaseSceneFont();
        return scene->next1;
    }
    credits(scene->background);
    ClearState();
    return nullptr;
}

static void EndPlayThrough()
{
    FSOUND_Stream_Stop(MUSIC_STREAM);
    FSOUND_Stream_Close(MUSIC_STREAM);
    MUSIC_STREAM = nullptr;
    ReleaseSceneFont();
    destroy_bitmap(frame);
    destroy_bitmap(page);
    page = frame = nullptr;
}

void game(int entry)
{
    Scene *scene = EntryScene(entry);
    if (!scene)
        return;   // a damaged resume value starts nothing and changes nothing

    page = CreateBackBuffer();
    frame = CreateBackBuffer();
    // "New game" has zeroed the run's counts before; a continued run keeps them.
    PlayThroughBegun();
    ClearKeys();

    while (scene) {
        SceneBegun(scene);
        // Closed between two scenes (after a finished letter, a pause): saved
        // as "Yes" would save at this scene.
        if (LeaveForClose())
            break;
        StartMusic(scene);
        sceneFont = LoadFontOrDie(scene->font);

        SceneEnd end = scene->typing ? PlayLetter(scene) : PlayReading(scene);
        if (end == SCENE_TIMED_OUT)
            end = RetryLetter(scene);
        if (end == SCENE_LEFT || end == SCENE_TIMED_OUT)
            break;
        scene = NextScene(scene, end == SCENE_LETTER_DONE);
    }
    EndPlayThrough();
}
