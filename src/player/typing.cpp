#include "player/typing.h"

#include <cstdio>
#include <cstring>
#include <ctime>

#include "platform/awake.h"
#include "platform/display.h"
#include "platform/geometry.h"
#include "platform/input.h"
#include "platform/session.h"
#include "player/keyboardhints.h"
#include "player/lettercard.h"
#include "presentation/datafile.h"
#include "presentation/show.h"
#include "presentation/sounds.h"
#include "presentation/text.h"
#include "records/dialogs.h"

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
// The pace marker: the cursor's box, fainter, in ink blue, so that it is
// never taken for the cursor or for a mistake.
static const int TYPE_PACE_COLOR = 0x2A5DB0;
static const int TYPE_PACE_ALPHA = 80;
static const char TYPE_MISTAKE_MARK = '_';
static const int TIMER_SPRITE_X = 380;
static const int TIMER_SPRITE_Y = 42;
static const double TYPE_FADE_SHARE = 20.0;      // per cent of the limit over which fadeImage goes
static const int TYPE_FULL_OPACITY = 255;

// A wrong key's underline, under the baseline of the page's text.
static const int TYPE_UNDERLINE_DROP = 13;
// The time left, on a slip of its own above the hourglass: away from the
// letter's lines, the sprites and the keyboard hints.
static const int TYPE_TIME_LEFT_LEFT = 450;
static const int TYPE_TIME_LEFT_TOP = 62;
static const int TYPE_TIME_LEFT_RIGHT = 530;
static const int TYPE_TIME_LEFT_BOTTOM = 90;
static const int TYPE_TIME_LEFT_SIZE = 20;
static const int TYPE_TIME_LEFT_TEXT_DY = 4;
static const int TYPE_TIME_LEFT_PAPER = 0xF4F0E6;
static const int TYPE_TIME_LEFT_EDGE = 0x5A5046;
static const char TYPE_TIME_LEFT_FORMAT[] = "%d:%02d";
static const int TYPE_SECONDS_PER_MINUTE = 60;
static const int PAUSE_VEIL_ALPHA = 170;
static const int PAUSE_VEIL_COLOR = 0x000000;
static const int PAUSE_TEXT_COLOR = 0xFFFFFF;
static const char PAUSE_TITLE[] = "PAUSED";
static const char PAUSE_HINT[] = "press any key to continue";
static const int PAUSE_TITLE_SIZE = 35;
static const int PAUSE_TITLE_DY = -35;
static const int PAUSE_HINT_SIZE = 20;
static const int PAUSE_HINT_DY = 5;
// The letter's lines under the pause's veil: the bare paper, so that a pause
// is no time to read ahead.
static const int PAUSE_COVER_TOP = 45;
static const int PAUSE_COVER_HEIGHT = SCENE_TEXT_LINES * 15;

// Said once a run, on the first letter, in the line under it.
static const char TYPE_BACKSPACE_NOTE[] = "Mistakes stay: type on, no Backspace";
static const int TYPE_NOTE_COLOR = 0x5A5046;
// The clock the letter was set for, in the paper's top margin at the left.
static const char TYPE_PACE_FORMAT[] = "Set for your pace: %d wpm";
static const char TYPE_NO_CLOCK_NOTE[] = "No clock: take your time";
static const int TYPE_CLOCK_NOTE_X = 35;
static const int TYPE_CLOCK_NOTE_Y = 23;

static const int ASCII_MASK = 0xFF;
static const int64_t MS_PER_SECOND = 1000;
static const int64_t MS_HALF_SECOND = 500;

bool QWERTZ = false;

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

std::string TimeLeftText(int32_t count, int limit)
{
    int left = count < limit ? int(limit - count) : 0;
    char text[32];
    snprintf(text, sizeof text, TYPE_TIME_LEFT_FORMAT, left / TYPE_SECONDS_PER_MINUTE, left % TYPE_SECONDS_PER_MINUTE);
    return text;
}

static void DrawTimeLeft(BITMAP *frame, ALFONT_FONT *font, int32_t count, int limit)
{
    rectfill(frame, TYPE_TIME_LEFT_LEFT, TYPE_TIME_LEFT_TOP, TYPE_TIME_LEFT_RIGHT, TYPE_TIME_LEFT_BOTTOM,
             TYPE_TIME_LEFT_PAPER);
    rect(frame, TYPE_TIME_LEFT_LEFT, TYPE_TIME_LEFT_TOP, TYPE_TIME_LEFT_RIGHT, TYPE_TIME_LEFT_BOTTOM,
         TYPE_TIME_LEFT_EDGE);
    Textout_centre(frame, font, TimeLeftText(count, limit).c_str(), (TYPE_TIME_LEFT_LEFT + TYPE_TIME_LEFT_RIGHT) / 2,
                   TYPE_TIME_LEFT_TOP + TYPE_TIME_LEFT_TEXT_DY, TYPE_WRITTEN_COLOR, TYPE_TIME_LEFT_SIZE, AA);
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

// A letter without a limit has nothing to count down.
static int SpriteCount(const ClockRules &rules, int32_t count)
{
    return rules.limited ? count : 0;
}

static void DrawSprites(BITMAP *bmp, const Scene *scene, int count, int limit)
{
    int timeOpacity, fadeOpacity;
    SpriteOpacities(count, limit, &timeOpacity, &fadeOpacity);
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

// Pixels from the left edge to character `pos` of the line.
static int OffsetOf(ALFONT_FONT *font, const char *line, int pos)
{
    int x = 0;
    for (int i = 0; i < pos && line[i]; i++)
        x += CharWidth(font, line[i]);
    return x;
}

void TypingPaceMarker(BITMAP *frame, const Scene *scene, ALFONT_FONT *font, int line, int pos)
{
    const int y = TYPE_AREA_Y + TYPE_SIZE * line;
    const int x = OffsetOf(font, scene->text[line], pos);
    const int w = CharWidth(font, scene->text[line][pos]);
    drawing_mode(DRAW_MODE_TRANS, nullptr, 0, 0);
    set_trans_blender(0, 0, 0, TYPE_PACE_ALPHA);
    rectfill(frame, TYPE_AREA_X + x - TYPE_CURSOR_LEFT, y, TYPE_AREA_X + x + w / 2 + TYPE_CURSOR_RIGHT, y + TYPE_SIZE,
             TYPE_PACE_COLOR);
    set_trans_blender(0, 0, 0, TYPE_FULL_OPACITY);
    solid_mode();
}

void TypingCursorAndSprites(BITMAP *frame, const Scene *scene, ALFONT_FONT *font, int line, int pos, int x,
                            int count, int limit)
{
    const int y = TYPE_AREA_Y + TYPE_SIZE * line;
    const int w = CharWidth(font, scene->text[line][pos]);
    drawing_mode(DRAW_MODE_TRANS, nullptr, 0, 0);
    set_trans_blender(0, 0, 0, TYPE_CURSOR_ALPHA);
    rectfill(frame, TYPE_AREA_X + x - TYPE_CURSOR_LEFT, y, TYPE_AREA_X + x + w / 2 + TYPE_CURSOR_RIGHT, y + TYPE_SIZE,
             TYPE_CURSOR_COLOR);
    DrawSprites(frame, scene, count, limit);
    set_trans_blender(0, 0, 0, TYPE_FULL_OPACITY);
    solid_mode();
}

static void DrawPauseOverlay(BITMAP *frame, const Scene *scene, ALFONT_FONT *font)
{
    blit(DataBitmap(scene->background), frame, 0, PAUSE_COVER_TOP, 0, PAUSE_COVER_TOP, GAME_W, PAUSE_COVER_HEIGHT);
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

// One letter's page while it is typed.
struct TypingState {
    Scene *scene;
    ALFONT_FONT *font;
    BITMAP *page, *frame;
    const ClockRules *rules;
    TypingAids aids;
    int limit;
    int line, pos, x;     // the cursor: line, character, pixels from the left edge
    bool paused;
    bool timedOut;
    bool firstFrame;
    bool dirty;           // the frame on screen no longer shows the page's state
    int drawnCount;       // the count the sprites on screen show
    int drawnPace;        // the pace marker's keys on screen, -1 for none
    unsigned focusLosses; // the window's losses of the keyboard seen so far
    bool backspaceNote;   // the line under the letter that Backspace is not needed
    KeyboardHints hints;
    LetterClock clock;
    LetterFigures figures;
    KeyTimes keyMs;
};

// What a key or a look at the keys came to.
enum TypingStep {
    TYPING_GOES_ON,
    TYPING_LEFT,      // the player confirmed the quit dialog
    TYPING_CLOSING,   // the game is being closed, once the keys typed before are judged
};

static void StartPause(TypingState &t)
{
    ClockPause(t.clock);   // the clock stands still while paused
    t.paused = true;
}

static int32_t Count(const TypingState &t)
{
    return ClockCount(t.clock);
}

static bool RanOut(const TypingState &t)
{
    return ClockRanOut(*t.rules, Count(t), t.limit);
}

// The line's last character is never typed: any key ends the line, silently.
static void EndLine(TypingState &t)
{
    t.pos = 0;
    t.line++;
    t.x = 0;
    SkipBlankLines(t.scene, &t.line, &t.pos, &t.x);
}

static void JudgeTypedKey(TypingState &t, int pressed)
{
    const char *current = t.scene->text[t.line];
    char typed = EN2CZ(char(pressed & ASCII_MASK));
    PlayGameSound(SOUND_KEY);
    KeyJudgement j = JudgeKey(current[t.pos], typed);
    KeyboardHintsKey(&t.hints, typed, j.mistake);
    const int y = TYPE_AREA_Y + TYPE_SIZE * t.line;
    if (j.drawn != ' ')
        DrawChar(t.page, t.font, j.drawn, TYPE_AREA_X + t.x, y, j.color);
    const int width = CharWidth(t.font, j.advance);
    // Colour is not the only sign of a wrong key for those who ask.
    if (j.mistake && t.aids.underlineMistakes)
        hline(t.page, TYPE_AREA_X + t.x, y + TYPE_UNDERLINE_DROP, TYPE_AREA_X + t.x + width - 1, TYPE_MISTAKES_COLOR);
    t.x += width;
    if (j.mistake)
        ClockAddPenaltyMs(t.clock, LetterPenaltyMs(*t.rules, t.scene->difficulty));
    // The penalties are summed once, from the clock, when the letter ends.
    CountKey(t.figures, current[t.pos], j.mistake, 0);
    t.keyMs.push_back(KeyTimeNow(t.clock));
    t.pos++;
}

// The question Escape asks: the story's quit dialog unless the page was
// given another.
static bool AskToLeave(const TypingState &t)
{
    return t.aids.askToLeave ? t.aids.askToLeave() : quitWnd();
}

// One key from the queue, in the order it was typed.
static TypingStep TakeKey(TypingState &t, int pressed)
{
    int scancode = pressed >> KEY_SCANCODE_SHIFT;
    t.dirty = true;
    if (scancode == KEY_F12) {
        // Never typed; a held F12 repeats and only keeps the pause.
        StartPause(t);
        return TYPING_GOES_ON;
    }
    if (scancode == KEY_ESC)
        return AskToLeave(t) ? TYPING_LEFT : TYPING_GOES_ON;
    if (t.paused) {
        // The first key after F12 is let go ends the pause and is not typed.
        if (!KeyDown(KEY_F12)) {
            ClockResume(t.clock);
            t.paused = false;
        }
        return TYPING_GOES_ON;
    }
    // The key every typist reaches for after a slip: the slip stays, and
    // the typing goes on where it stands, without a sound.
    if (scancode == KEY_BACKSPACE)
        return TYPING_GOES_ON;
    if (t.pos == int(strlen(t.scene->text[t.line])) - 1)
        EndLine(t);
    else
        JudgeTypedKey(t, pressed);
    return TYPING_GOES_ON;
}

// What is looked at before the keys: Caps Lock, the close button, a held
// Escape or F12, and the time.
static TypingStep LookAround(TypingState &t)
{
    // Caps Lock wakes the loop through the keyboard callback, but is no
    // key of the queue: its state is read from the keyboard at each wake.
    if (KeyboardHintsPoll(&t.hints))
        t.dirty = true;
    // The window's close button (or a stop signal) is "Yes" in the quit
    // dialog, but only after every key typed before it: the key that
    // finished the letter in the same instant must not be lost to it.
    if (CloseRequested()) {
        if (!DisplayGone())
            CatchUpInput();
        return TYPING_CLOSING;
    }
    // Escape held down: the keys typed before it are judged first (its
    // press waits in the queue behind them), and the dialog opens when
    // the queue comes to it; held on, it opens again after "No". The
    // clock runs on under the dialog.
    if (KeyDown(KEY_ESC) && !KeyWaiting()) {
        if (AskToLeave(t))
            return TYPING_LEFT;
        t.dirty = true;   // the dialog drew over the page
    }
    // Called away to another window: the same pause as F12, for those who
    // want it.
    unsigned losses = WindowFocusLosses();
    if (losses != t.focusLosses) {
        t.focusLosses = losses;
        if (t.aids.pauseOnFocusLoss && !t.paused) {
            StartPause(t);
            t.dirty = true;
        }
    }
    // An F12 held from before the page, or one that never reached the
    // queue, still pauses.
    if (KeyDown(KEY_F12) && !t.paused && !KeyWaiting()) {
        StartPause(t);
        t.dirty = true;
    }
    if (RanOut(t))
        t.timedOut = true;   // this frame is still finished
    return TYPING_GOES_ON;
}

// The pace marker's keys now, or -1 without one.
static int PaceKeys(const TypingState &t)
{
    return t.aids.pace ? PaceKeysDone(*t.aids.pace, KeyTimeNow(t.clock)) : -1;
}

static void DrawPace(TypingState &t)
{
    int line, pos;
    if (t.drawnPace >= 0 && JudgedKeyPlace(t.scene->text, t.drawnPace, &line, &pos))
        TypingPaceMarker(t.frame, t.scene, t.font, line, pos);
}

std::string ClockNoteText(const ClockRules &rules)
{
    if (rules.kind == CLOCK_NONE)
        return TYPE_NO_CLOCK_NOTE;
    if (rules.kind != CLOCK_PACE)
        return "";
    char text[64];
    snprintf(text, sizeof text, TYPE_PACE_FORMAT, rules.paceWpm);
    return text;
}

// Which clock the letter runs on, when it is not the original.
static void DrawClockNote(BITMAP *frame, ALFONT_FONT *font, const ClockRules &rules)
{
    std::string note = ClockNoteText(rules);
    if (!note.empty())
        Textout(frame, font, note.c_str(), TYPE_CLOCK_NOTE_X, TYPE_CLOCK_NOTE_Y, TYPE_NOTE_COLOR, TYPE_NOTICE_SIZE,
                AA);
}

static void PresentFrame(TypingState &t)
{
    if (!t.paused && (Count(t) != t.drawnCount || PaceKeys(t) != t.drawnPace))
        t.dirty = true;   // the timer sprites follow the whole seconds, the marker its keys
    if (!t.dirty)
        return;
    blit(t.page, t.frame, 0, 0, 0, 0, GAME_W, GAME_H);
    t.drawnCount = Count(t);
    t.drawnPace = PaceKeys(t);
    if (t.paused) {
        DrawPauseOverlay(t.frame, t.scene, t.font);
    } else {
        DrawPace(t);
        TypingCursorAndSprites(t.frame, t.scene, t.font, t.line, t.pos, t.x, SpriteCount(*t.rules, t.drawnCount),
                               t.limit);
        if (t.aids.timeLeft && t.rules->limited)
            DrawTimeLeft(t.frame, t.font, t.drawnCount, t.limit);
        DrawClockNote(t.frame, t.font, *t.rules);
        // The layout's hint, when it comes, has the line under the letter.
        if (t.backspaceNote && !t.hints.layout.hint)
            Textout_centre(t.frame, t.font, TYPE_BACKSPACE_NOTE, TYPE_LAYOUT_NOTICE_CENTRE, TYPE_LAYOUT_NOTICE_Y,
                           TYPE_NOTE_COLOR, TYPE_NOTICE_SIZE, AA);
        DrawKeyboardHints(t.frame, t.font, t.hints);
    }
    if (t.firstFrame) {
        show(t.frame);
        t.firstFrame = false;
    } else {
        DisplayPresent(t.frame);
    }
    t.dirty = false;
}

// Sleeps until a key, or until the count next grows or the marker next
// moves, so that the sprites, the time-out and the marker follow the clock
// to the frame.
static void WaitForChange(const TypingState &t)
{
    int ms = ClockMsToNextSecond(t.clock);
    if (ms >= 0 && t.aids.pace) {
        int move = PaceMsToNextMove(*t.aids.pace, KeyTimeNow(t.clock));
        if (move >= 0 && move < ms)
            ms = move + 1;   // the clock's whole milliseconds: a little past the key's
    }
    DisplayWait(ms >= 0 && ms < DISPLAY_IDLE_MS ? ms : DISPLAY_IDLE_MS);
}

static void StartLetter(TypingState &t)
{
    TypingPagePreview(t.scene, t.font, t.page);
    t.limit = LetterLimit(*t.rules, t.scene->text, t.scene->difficulty);
    t.line = t.pos = t.x = 0;
    t.paused = t.timedOut = false;
    t.firstFrame = t.dirty = true;
    t.drawnCount = -1;
    t.drawnPace = -1;
    KeyboardHintsStart(&t.hints);
    t.focusLosses = WindowFocusLosses();
    static bool backspaceTold = false;
    t.backspaceNote = !backspaceTold;
    backspaceTold = true;
    ClockStart(t.clock);
    ClearKeys();
    PassOverHeldKeys();
    SkipBlankLines(t.scene, &t.line, &t.pos, &t.x);
}

LetterResult typeLetter(Scene *scene, ALFONT_FONT *font, BITMAP *page, BITMAP *frame, const ClockRules &rules,
                        const TypingAids &aids)
{
    TypingState t;
    t.aids = aids;
    t.scene = scene;
    t.font = font;
    t.page = page;
    t.frame = frame;
    t.rules = &rules;
    StartLetter(t);
    LetterResult result;
    while (!t.timedOut && t.line <= TYPE_LAST_LINE) {
        TypingStep look = LookAround(t);
        if (look == TYPING_LEFT)
            return result;
        // Every key waiting is judged, in the order it was typed; none is
        // dropped because another came within the same frame.
        while (t.line <= TYPE_LAST_LINE && !RanOut(t) && KeyWaiting())
            if (TakeKey(t, ReadKey()) == TYPING_LEFT)
                return result;
        // Closed with the letter unfinished: saved where it stood.
        if (look == TYPING_CLOSING && t.line <= TYPE_LAST_LINE && AskToLeave(t))
            return result;
        // No screen saver over a letter being typed; a pause or the last
        // line typed lets it come again.
        KeepAwakeWhileTyping(!t.paused && t.line <= TYPE_LAST_LINE);
        if (t.line > TYPE_LAST_LINE)
            break;
        PresentFrame(t);
        if (!t.timedOut)
            WaitForChange(t);
    }
    // A letter whose time ran out in its last frame is not also completed:
    // its time would otherwise count twice once the group is played again.
    result.outcome = t.timedOut ? LETTER_TIMED_OUT : LETTER_COMPLETED;
    // The clock stops at the key that ended the last line: the count and
    // the typing time are read from the same moment.
    ClockPause(t.clock);
    result.counted = Count(t);
    result.figures = t.figures;
    result.keyMs = t.keyMs;
    result.figures.typingSeconds = ClockRunningSeconds(t.clock);
    result.figures.penaltySeconds = int((t.clock.penaltyMs + MS_HALF_SECOND) / MS_PER_SECOND);
    result.figures.clock = rules.kind;
    result.figures.finishedAt = time(nullptr);
    return result;
}

void FinishedLetterPage(const Scene *scene, ALFONT_FONT *font, BITMAP *page, const ClockRules &rules,
                        const LetterResult &result, const PracticeComparison *practice)
{
    DrawSprites(page, scene, SpriteCount(rules, result.counted), LetterLimit(rules, scene->text, scene->difficulty));
    set_trans_blender(0, 0, 0, TYPE_FULL_OPACITY);
    solid_mode();
    // Into the page, so that it stands from the first frame of the rest.
    if (practice)
        DrawPracticeCard(page, font, result.figures, *practice);
    else
        DrawLetterCard(page, font, result.figures);
    DisplayPresent(page);
    DisplayRest(TYPE_DONE_HOLD_MS);
    ClearState();
    WaitForPress();
    ClearState();
}
