#include "records/dialogs.h"
#include "records/rules.h"
#include "records/save.h"
#include "records/typingrun.h"

#include <allegro.h>

#include "platform/geometry.h"
#include "platform/input.h"
#include "presentation/buffer.h"
#include "presentation/datafile.h"
#include "presentation/menustep.h"
#include "presentation/text.h"

static const char *const QUIT_FONT = MENU_FONT;
static const int QUIT_BIG = 60;
static const int QUIT_NORMAL = 40;
static const int QUIT_SMALL = 25;
static const char QUIT_QUESTION[] = "Quit current game?";
static const char QUIT_YES[] = "Yes";
static const char QUIT_NO[] = "No";
static const char QUIT_COMMENT[] = "Your game will be saved after the last completed letter.";
// Practice keeps nothing of the story, so leaving it saves nothing.
static const char QUIT_PRACTICE_QUESTION[] = "Leave this letter?";
static const char QUIT_PRACTICE_COMMENT[] = "Practice changes nothing of your story.";
// Asked before "New game" replaces a saved place.
static const char QUIT_NEW_GAME_QUESTION[] = "Start a new story?";
static const char QUIT_NEW_GAME_COMMENT[] = "Your place in this one will be lost.";

static const int QUIT_CENTRE_X = 320;
static const int QUIT_QUESTION_Y = 150;
static const int QUIT_YES_X = 200;
static const int QUIT_NO_X = 400;
static const int QUIT_ANSWER_Y = 200;
static const int QUIT_COMMENT_Y = 250;
static const int QUIT_TEXT_COLOR = 0x000000;
static const int QUIT_SELECTED_COLOR = 0xFFFFFF;
static const int QUIT_EDGE = 1;             // pixels of ink around the highlighted answer

// The answers' band, inclusive; each answer's box reaches twice its width.
static const int QUIT_BAND_TOP = 201;
static const int QUIT_BAND_BOTTOM = 239;
static const int QUIT_BOX_FACTOR = 2;

static const int QUIT_SELECT_YES = 1;
static const int QUIT_SELECT_NO = 2;
static const int QUIT_ACTION = 10;            // selection x this = action code
static const int QUIT_ACTION_YES = QUIT_SELECT_YES * QUIT_ACTION;

static bool InBand(int y)
{
    return y >= QUIT_BAND_TOP && y <= QUIT_BAND_BOTTOM;
}

static bool InBox(int x, int left, int width)
{
    return x > left && x < left + QUIT_BOX_FACTOR * width;
}

int QuitPointed(int selection, int x, int y, int yesWidth, int noWidth)
{
    if (!InBand(y))
        return selection;
    if (InBox(x, QUIT_NO_X, noWidth))
        selection = QUIT_SELECT_NO;
    if (InBox(x, QUIT_YES_X, yesWidth))
        selection = QUIT_SELECT_YES;
    return selection;
}

int QuitClickAction(int selection, int x, int y, int yesWidth, int noWidth)
{
    if (!InBand(y))
        return QUIT_CLICK_IGNORED;
    if (InBox(x, QUIT_NO_X, noWidth))
        return selection * QUIT_ACTION;
    if (InBox(x, QUIT_YES_X, yesWidth))
        return QUIT_ACTION_YES;
    return QUIT_CLICK_CLEAR;
}

// White on the pale paper needs an ink edge to be read at all.
static void DrawAnswer(BITMAP *buffer, ALFONT_FONT *font, const char *text, int x, bool selected)
{
    if (selected) {
        for (int dy = -QUIT_EDGE; dy <= QUIT_EDGE; dy += 2 * QUIT_EDGE)
            for (int dx = -QUIT_EDGE; dx <= QUIT_EDGE; dx += 2 * QUIT_EDGE)
                Textout(buffer, font, text, x + dx, QUIT_ANSWER_Y + dy, QUIT_TEXT_COLOR, QUIT_NORMAL, AA);
    }
    Textout(buffer, font, text, x, QUIT_ANSWER_Y, selected ? QUIT_SELECTED_COLOR : QUIT_TEXT_COLOR, QUIT_NORMAL, AA);
}

// A question of this dialog's kind: its two lines, the answer chosen at
// first, and whether Escape answers "No".
struct YesNoQuestion {
    const char *question;
    const char *comment;
    int firstSelection;
    bool escapeIsNo;
    ALFONT_FONT *font;
};

static void DrawQuit(BITMAP *buffer, int selection, void *state)
{
    const YesNoQuestion *q = static_cast<const YesNoQuestion *>(state);
    ALFONT_FONT *font = q->font;
    blit(DataBitmap(QUIT_BACKGROUND), buffer, 0, 0, 0, 0, GAME_W, GAME_H);
    Textout_centre(buffer, font, q->question, QUIT_CENTRE_X, QUIT_QUESTION_Y, QUIT_TEXT_COLOR, QUIT_BIG, AA);
    DrawAnswer(buffer, font, QUIT_YES, QUIT_YES_X, selection == QUIT_SELECT_YES);
    DrawAnswer(buffer, font, QUIT_NO, QUIT_NO_X, selection == QUIT_SELECT_NO);
    // Drawn last, so the answers are measured at this size from the second pass on.
    Textout_centre(buffer, font, q->comment, QUIT_CENTRE_X, QUIT_COMMENT_Y, QUIT_TEXT_COLOR, QUIT_SMALL, AA);
}

// Asks until answered; true for "Yes". A close request answers "Yes".
static bool AskYesNo(YesNoQuestion q)
{
    BITMAP *buffer = CreateBackBuffer();
    q.font = LoadFontOrDie(QUIT_FONT);
    ALFONT_FONT *font = q.font;
    int selection = q.firstSelection;
    int action = 0;
    MenuScreen menu = MenuScreenFor(buffer, DrawQuit, &q, true, false);
    ClearKeys();

    for (;;) {
        if (CloseRequested()) {
            action = QUIT_ACTION_YES;
            break;
        }
        if (KeyWaiting()) {
            if (q.escapeIsNo && KeyHit(KEY_ESC)) {
                action = QUIT_SELECT_NO * QUIT_ACTION;
                break;
            }
            selection = MoveSelection(selection, QUIT_SELECT_NO, KeyHit(KEY_UP) + KeyHit(KEY_LEFT),
                                      KeyHit(KEY_DOWN) + KeyHit(KEY_RIGHT));
            if (KeyHit(KEY_ENTER)) {
                action = selection * QUIT_ACTION;
                break;
            }
            // Only the keys: a button held now still counts below.
            ClearKeys();
        }

        // One pointer position for both tests, so a click hits what it selected.
        int x, y;
        PointerPosition(&x, &y);
        int yesWidth = alfont_text_length(font, QUIT_YES);
        int noWidth = alfont_text_length(font, QUIT_NO);
        selection = QuitPointed(selection, x, y, yesWidth, noWidth);
        if (PointerClicked()) {
            int clicked = QuitClickAction(selection, x, y, yesWidth, noWidth);
            if (clicked > 0) {
                action = clicked;
                break;
            }
            if (clicked == QUIT_CLICK_CLEAR)
                ClearState();
        }

        MenuStep(menu, selection);
    }

    alfont_destroy_font(font);
    destroy_bitmap(buffer);
    // The Enter or the click that answered must not also turn the page of
    // the scene beneath.
    ClearState();
    return action == QUIT_ACTION_YES;
}

bool quitWnd()
{
    // The window's close button during play is this dialog's "Yes", asked
    // or not.
    if (CloseRequested() || AskYesNo({QUIT_QUESTION, QUIT_COMMENT, QUIT_SELECT_YES, false, nullptr})) {
        SaveProgress();
        return true;
    }
    return false;
}

bool leavePracticeWnd()
{
    return CloseRequested() || AskYesNo({QUIT_PRACTICE_QUESTION, QUIT_PRACTICE_COMMENT, QUIT_SELECT_YES, false, nullptr});
}

bool newGameWnd()
{
    // "No" first, and Escape too: a stray key must not wipe a place. The
    // close button leaves the place as it is.
    bool yes = AskYesNo({QUIT_NEW_GAME_QUESTION, QUIT_NEW_GAME_COMMENT, QUIT_SELECT_NO, true, nullptr});
    return yes && !CloseRequested();
}
