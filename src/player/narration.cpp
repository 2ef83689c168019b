#include "player/narration.h"

#include <cstring>

#include "platform/display.h"
#include "platform/geometry.h"
#include "platform/input.h"
#include "presentation/datafile.h"
#include "presentation/show.h"
#include "presentation/text.h"
#include "records/dialogs.h"

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

int NumberOfLines(char **text, int start)
{
    if (!text)
        return 0;
    int count = 0;
    for (int i = start; i < SCENE_TEXT_LINES && text[i]; i++) {
        if (strcmp(text[i], SCENE_END_OF_TEXT) == 0 || strcmp(text[i], SCENE_NEW_PAGE) == 0)
            break;
        count++;
    }
    return count;
}

int NarrationLineY(char **text, int first, int k, int fontSize, int screenH)
{
    // A page of n lines starts (n - 1) / 2 line pitches above the middle.
    return screenH / 2 - (NumberOfLines(text, first + 1) / 2) * fontSize + (k - first) * fontSize;
}

bool LeaveForClose()
{
    return CloseRequested() && quitWnd();
}

static bool IsLine(const char *line, const char *marker)
{
    return strcmp(line, marker) == 0;
}

static void DrawBackground(const Scene *scene, BITMAP *page)
{
    blit(DataBitmap(scene->background), page, 0, 0, 0, 0, GAME_W, GAME_H);
}

// Waits for a key or click; Escape offers the quit dialog. False: the player left.
static bool WaitForContinue(BITMAP *page)
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

static void DrawLetterBox(const Scene *scene, BITMAP *page, ALFONT_FONT *font, int first, int shown)
{
    DrawBackground(scene, page);
    drawing_mode(DRAW_MODE_TRANS, nullptr, 0, 0);
    set_trans_blender(0, 0, 0, LETTER_BOX_ALPHA);
    rectfill(page, LETTER_BOX_LEFT, LETTER_BOX_TOP, GAME_W - LETTER_BOX_RIGHT_MARGIN,
             GAME_H - LETTER_BOX_BOTTOM_MARGIN, LETTER_BOX_COLOR);
    solid_mode();
    for (int line = first; line < shown; line++)
        Textout(page, font, scene->text[line], LETTER_TEXT_X,
                LETTER_TEXT_Y + (line - first) * scene->fontSize, TEXT_COLOR, scene->fontSize, AA);
}

bool LetterBox(const Scene *scene, BITMAP *page, ALFONT_FONT *font, int *k, int *first)
{
    DrawBackground(scene, page);
    char **text = scene->text;
    if (text && !IsLine(text[0], SCENE_END_OF_TEXT)) {
        *first = 0;
        int shown = 1;
        for (;;) {
            // Each new line fades in with the box; the page does not fade
            // again while the player reads it.
            DrawLetterBox(scene, page, font, *first, shown);
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
    return WaitForContinue(page);
}

void Pause(const Scene *scene)
{
    show(PAUSE_IMAGE);
    DisplayRest(scene->pauseMs);
}

bool Narration(const Scene *scene, BITMAP *page, ALFONT_FONT *font, int k, int first)
{
    DrawBackground(scene, page);
    char **text = scene->text;
    if (!text)
        return true;
    while (k < SCENE_TEXT_LINES && !IsLine(text[k], SCENE_END_OF_TEXT)) {
        if (IsLine(text[k], SCENE_NEW_PAGE)) {
            k++;
            first = k;
            show(page);
            if (!WaitForContinue(page))
                return false;
            DrawBackground(scene, page);
            continue;
        }
        int y = NarrationLineY(text, first, k, scene->fontSize, GAME_H);
        Textout_centre(page, font, text[k], GAME_W / 2, y, TEXT_COLOR, scene->fontSize, AA);
        k++;
    }
    show(page);
    return WaitForContinue(page);
}
