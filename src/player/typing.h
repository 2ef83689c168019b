// The typing page: a letter previewed in grey and re-typed against the clock.
#ifndef PAPERLUNE_PLAYER_TYPING_H
#define PAPERLUNE_PLAYER_TYPING_H

#include <allegro.h>
#include <cstdint>
#include <string>

#include "player/clock.h"
#include "player/figures.h"
#include "player/lettercard.h"
#include "player/pace.h"
#include "presentation/alfont.h"
#include "story/scene.h"

enum LetterOutcome {
    LETTER_COMPLETED,   // every line typed
    LETTER_TIMED_OUT,   // the clock reached the limit first
    LETTER_LEFT         // the player confirmed the quit dialog
};

// What a letter came to. The page writes no record: the caller decides what
// to keep (the story's records, or nothing at all).
struct LetterResult {
    LetterOutcome outcome = LETTER_LEFT;
    int32_t counted = 0;     // the clock's whole seconds plus penalties at the end
    LetterFigures figures;   // keys, mistakes, penalties, typing time; whole once completed
    KeyTimes keyMs;          // when each judged key came: the run a pace marker can follow
};

// What the player chose to have on the page besides the letter.
struct TypingAids {
    bool underlineMistakes = false;   // a wrong key underlined too, not only red
    bool timeLeft = false;            // the seconds left shown as "m:ss"
    bool pauseOnFocusLoss = false;    // the window losing the focus pauses as F12 does
    const KeyTimes *pace = nullptr;   // a run a faint second cursor follows, or none
    // What Escape asks; null: the story's quit dialog, which saves.
    bool (*askToLeave)() = nullptr;
};

// Types one letter on the page under the clock's rules, from its fade-in
// to the key that ends its last line.
LetterResult typeLetter(Scene *scene, ALFONT_FONT *font, BITMAP *page, BITMAP *frame, const ClockRules &rules,
                        const TypingAids &aids = TypingAids());
// The finished page: the letter with its marks, the timer sprites at the
// final count and the results card; it stands for TYPE_DONE_HOLD_MS, then
// waits for a key or a click.
// In practice, the card compares the run with the best.
void FinishedLetterPage(const Scene *scene, ALFONT_FONT *font, BITMAP *page, const ClockRules &rules,
                        const LetterResult &result, const PracticeComparison *practice = nullptr);
const int TYPE_DONE_HOLD_MS = 2000;

// What the page's top margin says of the clock: "Set for your pace: 38
// wpm", "No clock: take your time", or nothing for the original.
std::string ClockNoteText(const ClockRules &rules);

// Exchange Y and Z of typed keys; false, as nothing sets it.
extern bool QWERTZ;

// The character a key stands for on the keyboard the letters were made for.
char EN2CZ(char c);

// Pure rules of the page, callable without a window.
const int TYPE_NO_SPRITE = -1;   // an opacity meaning "not drawn"

struct KeyJudgement {
    bool mistake;
    char drawn;       // character drawn over the preview; ' ' draws nothing visible
    int color;
    char advance;     // character whose width moves the cursor
};

// The two halves of a frame, apart so that they can be measured alone:
// the grey preview of the whole letter, and the cursor box with the sprites.
void TypingPagePreview(const Scene *scene, ALFONT_FONT *font, BITMAP *page);
// The pace marker's box over character `pos` of `line`, drawn beneath the cursor.
void TypingPaceMarker(BITMAP *frame, const Scene *scene, ALFONT_FONT *font, int line, int pos);
// `count` is the clock's count, which the sprites follow.
void TypingCursorAndSprites(BITMAP *frame, const Scene *scene, ALFONT_FONT *font, int line, int pos, int x,
                            int count, int limit);

KeyJudgement JudgeKey(char expected, char typed);
// The time left as the page shows it: "m:ss" of limit - count, never below 0:00.
std::string TimeLeftText(int32_t count, int limit);
// Opacities of the two timer sprites, or TYPE_NO_SPRITE when one is not drawn.
void SpriteOpacities(int count, int limit, int *timeOpacity, int *fadeOpacity);

#endif
