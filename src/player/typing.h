// The typing page: a letter previewed in grey and re-typed against the clock.
#ifndef PAPERLUNE_PLAYER_TYPING_H
#define PAPERLUNE_PLAYER_TYPING_H

#include <allegro.h>

#include "player/figures.h"
#include "presentation/alfont.h"
#include "story/scene.h"

enum LetterOutcome {
    LETTER_COMPLETED,   // every line typed; the result is in SaveData
    LETTER_TIMED_OUT,   // the time-out flag is set; nothing recorded
    LETTER_LEFT         // the player confirmed the quit dialog
};

// Types one letter. `mistakes` is the play-through's count, which the
// letter's mistakes add to; a completed letter's figures go to `figures`.
LetterOutcome typeLetter(Scene *scene, ALFONT_FONT *font, BITMAP *page, BITMAP *frame, bool *timedOut,
                         int *mistakes, LetterFigures *figures);

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
void TypingCursorAndSprites(BITMAP *frame, const Scene *scene, ALFONT_FONT *font, int line, int pos, int x, int limit);

KeyJudgement JudgeKey(char expected, char typed);
int MistakePenalty(int difficulty);
// Opacities of the two timer sprites, or TYPE_NO_SPRITE when one is not drawn.
void SpriteOpacities(int count, int limit, int *timeOpacity, int *fadeOpacity);

#endif
