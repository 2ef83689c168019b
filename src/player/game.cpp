#include "player/game.h"

#include <allegro.h>
#include <cstring>

#include "platform/display.h"
#include "player/clock.h"
#include "player/typing.h"
#include "presentation/datafile.h"
#include "presentation/show.h"
#include "presentation/text.h"
#include "records/dialogs.h"
#include "records/save.h"
#include "shell/globals.h"
#include "story/graph.h"

// Letter box: a translucent white box over the lower part of the picture.
static const int LETTER_BOX_LEFT = 15;
static const int LETTER_BOX_TOP = 300;
static const int LETTER_BOX_RIGHT_MARGIN = 15;
static const int LETTER_BOX_BOTTOM_MARGIN = 10;
static const int LETTER_BOX_ALPHA = 128;
static const int LETTER_BOX_COLOR = 0xFFFFFF;
static const int LETTER_TEXT_X = 20;
static const int LETTER_TEXT_Y = 305;
static const int TEXT_COLOR = 0x000000;

// Choice menu.
static const int CHOICE_QUESTION_Y = 150;
static const int CHOICE_QUESTION_SIZE = 35;
static const int CHOICE_FIRST_Y = 200;
static const int CHOICE_FIRST_Y_AFTER_LETTER = 250;
static const int CHOICE_SELECTED_COLOR = 0x858585;

static const int MUSIC_CHANNEL = 0;
static const int TIMEOUT_HOLD_MS = 2000;

int mistakes = 0;

// State of the play-through under way.
static BITMAP *page = nullptr;        // every display mode composes here
static BITMAP *frame = nullptr;       // the typing page lays its frame over a copy of page
static ALFONT_FONT *sceneFont = nullptr;
static bool timedOut = false;

static bool PressWaiting()
{
    return KeyWaiting() || PointerClicked();
}

void WaitForPress()
{
    while (!PressWaiting() && !CloseRequested())
        DisplayWait(DISPLAY_IDLE_MS);
}

// The window's close button during play is a confirmed quit: the dialog
// saves as "Yes" does and says leave.
static bool LeaveForClose()
{
    return CloseRequested() && quitWnd();
}

static bool IsLine(const char *line, const char *marker)
{
    return strcmp(line, marker) == 0;
}

static void DrawBackground(const Scene *scene)
{
    blit(DataBitmap(scene->background), page, 0, 0, 0, 0, GAME_W, GAME_H);
}

// Waits for a key or click; Escape offers the quit dialog. False: the player left.
static bool WaitForContinue()
{
    while (!PressWaiting() || KeyHit(KEY_ESC) || CloseRequested()) {
        if (KeyHit(KEY_ESC) || CloseRequested()) {
            if (quitWnd())
                return false;
            DisplayPresent(page);   // the dialog drew over it
        } else {
            DisplayWait(DISPLAY_IDLE_MS);
        }
    }
    ClearState();
    return true;
}

static void DrawLetterBox(const Scene *scene, int first, int shown)
{
    DrawBackground(scene);
    drawing_mode(DRAW_MODE_TRANS, nullptr, 0, 0);
    set_trans_blender(0, 0, 0, LETTER_BOX_ALPHA);
    rectfill(page, LETTER_BOX_LEFT, LETTER_BOX_TOP, GAME_W - LETTER_BOX_RIGHT_MARGIN,
             GAME_H - LETTER_BOX_BOTTOM_MARGIN, LETTER_BOX_COLOR);
    solid_mode();
    for (int line = first; line < shown; line++)
        Textout(page, sceneFont, scene->text[line], LETTER_TEXT_X,
                LETTER_TEXT_Y + (line - first) * scene->fontSize, TEXT_COLOR, scene->fontSize, AA);
}

// Reveals the text one line per press; leaves *k on the end marker and
// *first on the last page. False: the player left.
static bool LetterBox(const Scene *scene, int *k, int *first)
{
    DrawBackground(scene);
    char **text = scene->text;
    if (text && !IsLine(text[0], SCENE_END_OF_TEXT)) {
        *first = 0;
        int shown = 1;
        for (;;) {
            // Each new line fades in with the box; the page does not fade
            // again while the player reads it.
            DrawLetterBox(scene, *first, shown);
            show(page);
            if (shown >= SCENE_TEXT_LINES || IsLine(text[shown], SCENE_END_OF_TEXT))
                break;
            WaitForPress();
            if (LeaveForClose())
                return false;
            ClearState();
            if (IsLine(text[shown], SCENE_NEW_PAGE)) {
                *first = shown + 1;   // the new page opens with its first line alone
                shown += 2;
            } else {
                shown++;
            }
        }
        *k = shown;
    }
    show(page);
    return WaitForContinue();
}

static void Pause(const Scene *scene)
{
    show(PAUSE_IMAGE);
    DisplayRest(scene->pauseMs);
}

// Pages of centred text from line k on. False: the player left.
static bool Narration(const Scene *scene, int k, int first)
{
    DrawBackground(scene);
    char **text = scene->text;
    if (!text)
        return true;
    while (k < SCENE_TEXT_LINES && !IsLine(text[k], SCENE_END_OF_TEXT)) {
        if (IsLine(text[k], SCENE_NEW_PAGE)) {
            k++;
            first = k;
            show(page);
            if (!WaitForContinue())
                return false;
            DrawBackground(scene);
            continue;
        }
        // A page of n lines starts (n - 1) / 2 line pitches above the middle.
        int y = GAME_H / 2 - (NumberOfLines(text, first + 1) / 2) * scene->fontSize
                + (k - first) * scene->fontSize;
        Textout_centre(page, sceneFont, text[k], GAME_W / 2, y, TEXT_COLOR, scene->fontSize, AA);
        k++;
    }
    show(page);
    return WaitForContinue();
}

static void DrawChoices(const Scene *scene, int selection, int firstY)
{
    DrawBackground(scene);
    Textout_centre(page, sceneFont, scene->question, GAME_W / 2, CHOICE_QUESTION_Y, TEXT_COLOR,
                   CHOICE_QUESTION_SIZE, AA);
    const char *choices[2] = {scene->choice1, scene->choice2};
    for (int i = 0; i < 2; i++)
        Textout_centre(page, sceneFont, choices[i], GAME_W / 2, firstY + i * scene->choiceFontSize,
                       selection == i + 1 ? CHOICE_SELECTED_COLOR : TEXT_COLOR, scene->choiceFontSize, AA);
    DisplayPresent(page);
}

// The two-way choice; the chosen scene, or null when the player left.
static Scene *ChoiceMenu(const Scene *scene, bool afterLetter)
{
    ClearState();
    int selection = 1;
    int firstY = afterLetter ? CHOICE_FIRST_Y_AFTER_LETTER : CHOICE_FIRST_Y;
    int drawn = 0;   // the selection on screen; 0 when the screen needs drawing
    for (;;) {
        if (LeaveForClose())
            return nullptr;
        if (afterLetter && KeyHit(KEY_ENTER))
            break;
        if (KeyWaiting()) {
            if (KeyHit(KEY_ESC)) {
                FSOUND_PlaySound(FSOUND_FREE, type_sample);
                if (quitWnd())
                    return nullptr;
                drawn = 0;   // the dialog drew over the choices
            }
            if (KeyHit(KEY_UP)) {
                FSOUND_PlaySound(FSOUND_FREE, type_sample);
                if (selection > 1)
                    selection--;
            }
            if (KeyHit(KEY_DOWN)) {
                FSOUND_PlaySound(FSOUND_FREE, type_sample);
                if (selection < 2)
                    selection++;
            }
            if (KeyHit(KEY_ENTER)) {
                ReleaseKey(KEY_ENTER);
                break;
            }
            ClearState();
        }
        if (selection != drawn) {
            DrawChoices(scene, selection, firstY);
            drawn = selection;
        }
        DisplayWait(DISPLAY_IDLE_MS);
    }
    if (afterLetter)
        ClearKeys();
    else
        ClearState();
    return selection == 1 ? scene->next1 : scene->next2;
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

void game(int entry)
{
    Scene *scene = EntryScene(entry);
    if (!scene)
        return;   // a damaged resume value starts nothing and changes nothing

    page = create_bitmap(GAME_W, GAME_H);
    frame = create_bitmap(GAME_W, GAME_H);
    timedOut = false;
    // A continued run keeps the mistakes it made before; "New game" zeroes them first.
    // Negative counts come only from a damaged file and start from 0.
    SaveData.runTime = ResumedCount(SaveData.runTime);
    SaveData.runMistakes = ResumedCount(SaveData.runMistakes);
    mistakes = SaveData.runMistakes;
    InstallClock();
    ClearKeys();

    while (!timedOut) {
        SaveData.resumeId = scene->id;
        // Closed between two scenes (after a finished letter, a pause): saved
        // as "Yes" would save at this scene.
        if (LeaveForClose())
            break;
        StartMusic(scene);
        sceneFont = LoadFontOrDie(scene->font);

        bool afterLetter = false;
        bool stay = true;
        if (scene->typing) {
            LetterOutcome outcome = typeLetter(scene, sceneFont, page, frame, &timedOut);
            if (outcome == LETTER_LEFT)
                break;
            if (outcome == LETTER_TIMED_OUT)
                continue;
            afterLetter = true;
        } else {
            int k = 0, first = 0;
            if (scene->letterView)
                stay = LetterBox(scene, &k, &first);
            if (stay) {
                if (scene->imageOnly)
                    Pause(scene);
                else
                    stay = Narration(scene, k, first);
            }
        }
        if (!stay)
            break;

        if (scene->next1 && scene->next2) {
            Scene *chosen = ChoiceMenu(scene, afterLetter);
            if (!chosen)
                break;
            ClearState();
            ReleaseSceneFont();
            scene = chosen;
        } else if (scene->next1) {
            ClearState();
            ReleaseSceneFont();
            scene = scene->next1;
        } else {
            credits(scene->background);
            ClearState();
            break;
        }
    }

    FSOUND_Stream_Stop(MUSIC_STREAM);
    FSOUND_Stream_Close(MUSIC_STREAM);
    MUSIC_STREAM = nullptr;
    if (timedOut) {
        show(TIMEOUT_IMAGE);
        DisplayRest(TIMEOUT_HOLD_MS);
        ClearState();
        WaitForPress();
        ClearState();
    }
    destroy_bitmap(page);
    destroy_bitmap(frame);
    page = frame = nullptr;
    ReleaseSceneFont();
    // The clock stays installed; every letter starts it from 0.
}
