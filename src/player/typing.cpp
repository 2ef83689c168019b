#include "player/typing.h"

#include <cstring>

#include "platform/awake.h"
#include "platform/display.h"
#include "platform/geometry.h"
#include "platform/input.h"
#include "player/clock.h"
#include "player/keyboardhints.h"
#include "player/lettercard.h"
#include "presentation/datafile.h"
#include "presentation/show.h"
#include "presentation/text.h"
#include "records/dialogs.h"
#include "records/save.h"
#include "shell/globals.h"

static const int TYPE_AREA_X = 35;
static const int TYPE_AREA_Y = 45;
static const int TYPE_SIZE = 15;                 // font size and line pitch of the page
static const int TYPE_LAST_LINE = SCENE_TEXT_LINES - 1;
static const int TYPE_UNWRITTEN_COLOR = 0x353535;
static const int TYPE_WRITTEN_COLOR = 0x000000;
static const int TYPE_MISTAKES_COLOR = 0xC4262A;
static const int TYPE_CURSOR_COLOR = 0xFF0000;
static const int TYPE_CURSOR_ALPHA = 100;
static const int TYPE_CURSOR_LEFT = 1;           // the box starts one pixel left of the character
static const int TYPE_CURSOR_RIGHT = 2;          // and ends two right of its half width
static const char TYPE_MISTAKE_MARK = '_';
static const int TIMER_SPRITE_X = 380;
static const int TIMER_SPRITE_Y = 42;
static const double TYPE_FADE_SHARE = 20.0;      // per cent of the limit over which fadeImage goes
static const int TYPE_FULL_OPACITY = 255;
static const int TYPE_PENALTY_BASE = 7;          // seconds of a mistake at difficulty 0..2
static const int TYPE_PENALTY_STEP = 3;          // one more second every three difficulties

static const int PAUSE_VEIL_ALPHA = 170;
static const int PAUSE_VEIL_COLOR = 0x000000;
static const int PAUSE_TEXT_COLOR = 0xFFFFFF;
static const char PAUSE_TITLE[] = "PAUSED";
static const char PAUSE_HINT[] = "press any key to continue";
static const int PAUSE_TITLE_SIZE = 35;
static const int PAUSE_TITLE_DY = -35;
static const int PAUSE_HINT_SIZE = 20;
static const int PAUSE_HINT_DY = 5;

static const int TYPE_DONE_HOLD_MS = 2000;
static const int ASCII_MASK = 0xFF;

char EN2CZ(char c)
{
    switch (c) {
    case '"': return '!';
    case ':': return '"';
    case '<': return '?';
    default: break;
    }
    if (QWERTZ) {
        switch (c) {
        case 'Y': return 'Z';
        case 'Z': return 'Y';
        case 'y': return 'z';
        case 'z': return 'y';
        default: break;
        }
    }
    return c;
}

KeyJudgement JudgeKey(char expected, char typed)
{
    KeyJudgement j;
    if (expected == ' ') {
        j.mistake = typed != ' ';
        j.drawn = j.mistake ? TYPE_MISTAKE_MARK : ' ';
        j.color = TYPE_MISTAKES_COLOR;
        j.advance = ' ';
    } else {
        // A wrong key still shows the letter's own character, in red.
        j.mistake = typed != expected;
        j.drawn = expected;
        j.color = j.mistake ? TYPE_MISTAKES_COLOR : TYPE_WRITTEN_COLOR;
        j.advance = expected;
    }
    return j;
}

int MistakePenalty(int difficulty)
{
    return difficulty / TYPE_PENALTY_STEP + TYPE_PENALTY_BASE;
}

void SpriteOpacities(int count, int limit, int *timeOpacity, int *fadeOpacity)
{
    *timeOpacity = TYPE_NO_SPRITE;
    *fadeOpacity = TYPE_NO_SPRITE;
    if (limit <= 0)
        return;
    double fifth = limit / 100.0 * TYPE_FADE_SHARE;
    int fifthSeconds = int(fifth);
    if (count <= limit) {
        // timeImage stays opaque until fadeImage has gone, then fades to the limit.
        double factor = count >= fifthSeconds ? double(TYPE_FULL_OPACITY) / limit : 0.0;
        int opacity = int(TYPE_FULL_OPACITY - count * factor);
        if (opacity > 0)
            *timeOpacity = opacity;
    }
    if (count <= fifthSeconds && fifth > 0) {
        int opacity = int(TYPE_FULL_OPACITY - count * TYPE_FULL_OPACITY / fifth);
        if (opacity > 0)
            *fadeOpacity = opacity;
    }
}

// Always at the page's own size: the pause overlay draws with the same font
// at other sizes, and a width taken at those would push the rest of the line
// off its preview.
static int CharWidth(ALFONT_FONT *font, char c)
{
    char s[2] = {c, 0};
    alfont_set_font_size(font, TYPE_SIZE);
    return alfont_text_length(font, s);
}

static void DrawChar(BITMAP *bmp, ALFONT_FONT *font, char c, int x, int y, int color)
{
    char s[2] = {c, 0};
    Textout(bmp, font, s, x, y, color, TYPE_SIZE, AA);
}

static void DrawSprites(BITMAP *bmp, const Scene *scene, int limit)
{
    int timeOpacity, fadeOpacity;
    SpriteOpacities(counter.load(), limit, &timeOpacity, &fadeOpacity);
    if (timeOpacity != TYPE_NO_SPRITE) {
        set_trans_blender(0, 0, 0, timeOpacity);
        draw_trans_sprite(bmp, DataBitmap(scene->timeImage), TIMER_SPRITE_X, TIMER_SPRITE_Y);
    }
    if (fadeOpacity != TYPE_NO_SPRITE) {
        set_trans_blender(0, 0, 0, fadeOpacity);
        draw_trans_sprite(bmp, DataBitmap(scene->fadeImage), TIMER_SPRITE_X, TIMER_SPRITE_Y);
    }
}

void TypingPagePreview(const Scene *scene, ALFONT_FONT *font, BITMAP *page)
{
    alfont_text_mode(-1);
    blit(DataBitmap(scene->background), page, 0, 0, 0, 0, GAME_W, GAME_H);
    alfont_set_font_size(font, TYPE_SIZE);
    // One character at a time by its own advance, so that every typed
    // character lands exactly on its preview.
    for (int l = 0; l < SCENE_TEXT_LINES; l++) {
        int x = 0;
        const char *line = scene->text[l];
        for (size_t i = 0; i <= strlen(line); i++) {
            DrawChar(page, font, line[i], TYPE_AREA_X + x, TYPE_AREA_Y + TYPE_SIZE * l, TYPE_UNWRITTEN_COLOR);
            x += CharWidth(font, line[i]);
        }
    }
}

void TypingCursorAndSprites(BITMAP *frame, const Scene *scene, ALFONT_FONT *font, int line, int pos, int x, int limit)
{
    const int y = TYPE_AREA_Y + TYPE_SIZE * line;
    const int w = CharWidth(font, scene->text[line][pos]);
    drawing_mode(DRAW_MODE_TRANS, nullptr, 0, 0);
    set_trans_blender(0, 0, 0, TYPE_CURSOR_ALPHA);
    rectfill(frame, TYPE_AREA_X + x - TYPE_CURSOR_LEFT, y, TYPE_AREA_X + x + w / 2 + TYPE_CURSOR_RIGHT, y + TYPE_SIZE,
             TYPE_CURSOR_COLOR);
    DrawSprites(frame, scene, limit);
    set_trans_blender(0, 0, 0, TYPE_FULL_OPACITY);
    solid_mode();
}

static void DrawPauseOverlay(BITMAP *frame, ALFONT_FONT *font)
{
    drawing_mode(DRAW_MODE_TRANS, nullptr, 0, 0);
    set_trans_blender(0, 0, 0, PAUSE_VEIL_ALPHA);
    rectfill(frame, 0, 0, frame->w - 1, frame->h - 1, PAUSE_VEIL_COLOR);
    solid_mode();
    Textout_centre(frame, font, PAUSE_TITLE, GAME_W / 2, GAME_H / 2 + PAUSE_TITLE_DY,
                   PAUSE_TEXT_COLOR, PAUSE_TITLE_SIZE, AA);
    Textout_centre(frame, font, PAUSE_HINT, GAME_W / 2, GAME_H / 2 + PAUSE_HINT_DY,
                   PAUSE_TEXT_COLOR, PAUSE_HINT_SIZE, AA);
}

// Blank lines are passed over without a key.
static void SkipBlankLines(const Scene *scene, int *line, int *pos, int *x)
{
    while (*line <= TYPE_LAST_LINE && scene->text[*line][0] == '\0') {
        (*line)++;
        *pos = 0;
        *x = 0;
    }
}

static void StartPause(bool *paused, LetterMeter *meter)
{
    if (!*paused) {
        RemoveClock();   // the clock stands still while paused
        MeterPause(*meter, MeterNow());
    }
    *paused = true;
}

LetterOutcome typeLetter(Scene *scene, ALFONT_FONT *font, BITMAP *page, BITMAP *frame, bool *timedOut,
                         int *mistakes, LetterFigures *figures)
{
    TypingPagePreview(scene, font, page);
    const int limit = DifficultyTimeCalculator(scene->text, scene->difficulty);
    int line = 0, pos = 0, x = 0;
    bool paused = false;
    bool firstFrame = true;
    bool dirty = true;     // the frame on screen no longer shows the page's state
    int drawnCount = -1;   // the clock value the sprites on screen show
    KeyboardHints hints;
    KeyboardHintsStart(&hints);
    counter = 0;
    LetterMeter meter;
    MeterStart(meter, MeterNow());
    ClearKeys();
    SkipBlankLines(scene, &line, &pos, &x);

    while (!*timedOut && line <= TYPE_LAST_LINE) {
        // Caps Lock wakes the loop through the keyboard callback, but is no
        // key of the queue: its state is read from the keyboard at each wake.
        if (KeyboardHintsPoll(&hints))
            dirty = true;
        // The window's close button is "Yes" in the quit dialog.
        if (CloseRequested() && quitWnd())
            return LETTER_LEFT;
        // Escape held down: the keys typed before it are judged first (its
        // press waits in the queue behind them), and the dialog opens when
        // the queue comes to it; held on, it opens again after "No".
        if (KeyDown(KEY_ESC) && !KeyWaiting()) {
            if (quitWnd())
                return LETTER_LEFT;
            dirty = true;   // the dialog drew over the page
        }
        // An F12 held from before the page, or one that never reached the
        // queue, still pauses.
        if (KeyDown(KEY_F12) && !paused && !KeyWaiting()) {
            StartPause(&paused, &meter);
            dirty = true;
        }
        if (counter.load() >= limit)
            *timedOut = true;   // this frame is still finished

        // Every key waiting is judged, in the order it was typed; none is
        // dropped because another came within the same frame.
        while (line <= TYPE_LAST_LINE && counter.load() < limit && KeyWaiting()) {
            int pressed = ReadKey();
            int scancode = pressed >> KEY_SCANCODE_SHIFT;
            dirty = true;
            if (scancode == KEY_F12) {
                // Never typed; a held F12 repeats and only keeps the pause.
                StartPause(&paused, &meter);
                continue;
            }
            if (scancode == KEY_ESC) {
                if (quitWnd())
                    return LETTER_LEFT;
                continue;
            }
            if (paused) {
                // The first key after F12 is let go ends the pause and is not typed.
                if (!KeyDown(KEY_F12)) {
                    InstallClock();
                    MeterResume(meter, MeterNow());
                    paused = false;
                }
                continue;
            }
            const char *current = scene->text[line];
            int length = strlen(current);
            if (pos == length - 1) {
                // The line's last character is never typed: any key ends the
                // line, silently.
                pos = 0;
                line++;
                x = 0;
                SkipBlankLines(scene, &line, &pos, &x);
                continue;
            }
            char typed = EN2CZ(char(pressed & ASCII_MASK));
            FSOUND_PlaySound(FSOUND_FREE, type_sample);
            KeyJudgement j = JudgeKey(current[pos], typed);
            KeyboardHintsKey(&hints, typed, j.mistake);
            if (j.drawn != ' ')
                DrawChar(page, font, j.drawn, TYPE_AREA_X + x, TYPE_AREA_Y + TYPE_SIZE * line, j.color);
            x += CharWidth(font, j.advance);
            const int penalty = MistakePenalty(scene->difficulty);
            if (j.mistake) {
                *mistakes = AddToCount(*mistakes, 1);
                counter.fetch_add(penalty);
            }
            MeterKey(meter, current[pos], j.mistake, penalty);
            pos++;
        }

        // No screen saver over a letter being typed; a pause or the last
        // line typed lets it come again.
        KeepAwakeWhileTyping(!paused && line <= TYPE_LAST_LINE);
        if (line > TYPE_LAST_LINE)
            break;
        if (!paused && counter.load() != drawnCount)
            dirty = true;   // the timer sprites follow the whole seconds
        if (dirty) {
            blit(page, frame, 0, 0, 0, 0, GAME_W, GAME_H);
            drawnCount = counter.load();
            if (paused) {
                DrawPauseOverlay(frame, font);
            } else {
                TypingCursorAndSprites(frame, scene, font, line, pos, x, limit);
                DrawKeyboardHints(frame, font, hints);
            }
            if (firstFrame) {
                show(frame);
                firstFrame = false;
            } else {
                DisplayPresent(frame);
            }
            dirty = false;
        }
        if (!*timedOut)
            DisplayWait(DISPLAY_IDLE_MS);
    }

    // A letter whose time ran out in its last frame is not also completed:
    // its time would otherwise count twice once the group is played again.
    if (*timedOut)
        return LETTER_TIMED_OUT;

    *figures = MeterStop(meter, MeterNow());
    figures->finishedAt = time(nullptr);
    // The letter's time and the place after it change together: a save at
    // any moment from here on (a signal, the X server going away) resumes
    // after the letter and counts it once. The next scene sets the same id.
    SaveData.runMistakes = *mistakes;
    SaveData.runTime = AddToCount(SaveData.runTime, counter.load());
    if (scene->next1)
        SaveData.resumeId = scene->next1->id;
    DrawSprites(page, scene, limit);
    set_trans_blender(0, 0, 0, TYPE_FULL_OPACITY);
    solid_mode();
    // Into the page, so that it stands from the first frame of the rest.
    DrawLetterCard(page, font, *figures);
    DisplayPresent(page);
    DisplayRest(TYPE_DONE_HOLD_MS);
    ClearState();
    WaitForPress();
    ClearState();
    return LETTER_COMPLETED;
}
