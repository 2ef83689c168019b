// What the typing page tells about the keyboard while a letter is typed: a
// notice while Caps Lock is on, and a hint when the first keys of a letter
// look like a keyboard layout the letters were not written for.
#ifndef PAPERLUNE_PLAYER_KEYBOARDHINTS_H
#define PAPERLUNE_PLAYER_KEYBOARDHINTS_H

#include <allegro.h>

#include "presentation/alfont.h"

// Where the notices stand: the paper's top and bottom margins, clear of the
// letter's lines (x from 35, y 45 to 420) and of the timer sprites (from
// x 380, y 42). Only the frames of the letter being typed show them, never
// the finished page, whose bottom strip is the results card's.
struct NoticeArea {
    int x, y, w, h;
};
const int TYPE_NOTICE_SIZE = 15;               // the page's own size: no other glyphs to cache
const int TYPE_NOTICE_COLOR = 0xC4262A;        // the red of the page's marks
const char TYPE_CAPS_NOTICE[] = "Caps Lock is on";
const int TYPE_CAPS_NOTICE_RIGHT = 325;        // right-aligned to the paper's margin
const int TYPE_CAPS_NOTICE_Y = 23;
const NoticeArea TYPE_CAPS_NOTICE_AREA = {215, 23, 111, 16};
const char TYPE_LAYOUT_NOTICE[] = "Many wrong keys: check the keyboard layout";
const int TYPE_LAYOUT_NOTICE_CENTRE = 177;     // centred on the paper
const int TYPE_LAYOUT_NOTICE_Y = 421;
const NoticeArea TYPE_LAYOUT_NOTICE_AREA = {28, 421, 299, 16};

// The layout hint's rule, for the first keys of a letter that are judged
// (the key that ends a line is not).
const int TYPE_HINT_KEYS = 20;

// Characters as the page compares them: a byte each.
const int CHARACTER_VALUES = 256;
struct CharacterSet {
    bool has[CHARACTER_VALUES];
};

// The characters of every typing letter of the story, the other case of
// their letters included: a capital no letter holds is still a letter of
// theirs typed with Shift or Caps Lock, which is a slip or the Caps Lock
// notice's case, not a layout's. Read from the story as it is built.
CharacterSet LettersCharacterSet();

// A typed character that says "another layout": one the set does not hold.
// Keys with no character (arrows, Backspace, Enter) say nothing of the layout.
bool ForeignCharacter(const CharacterSet &set, char typed);

struct LayoutWatch {
    int keys = 0;       // judged so far, counted up to TYPE_HINT_KEYS
    int mistakes = 0;   // among them
    int foreign = 0;    // mistakes that typed a foreign character
    bool hint = false;  // shown for the rest of the letter once set
};

// Counts one judged key of the first TYPE_HINT_KEYS. The hint comes at the
// key where more than half of those keys are certain to be mistakes (the
// eleventh mistake at the soonest) while most of the mistakes so far typed
// foreign characters.
void LayoutWatchKey(LayoutWatch *watch, const CharacterSet &set, char typed, bool mistake);

// The page's side ---------------------------------------------------------

struct KeyboardHints {
    bool capsLock = false;
    LayoutWatch layout;
    CharacterSet letters;
};

// A letter starts: Caps Lock as the keyboard has it, no layout hint.
void KeyboardHintsStart(KeyboardHints *hints);
// Reads Caps Lock again; true when the notice changes.
bool KeyboardHintsPoll(KeyboardHints *hints);
// A key the page judged.
void KeyboardHintsKey(KeyboardHints *hints, char typed, bool mistake);
// The notices that are due, over a frame of the page.
void DrawKeyboardHints(BITMAP *frame, ALFONT_FONT *font, const KeyboardHints &hints);

#endif
