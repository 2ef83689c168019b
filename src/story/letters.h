// The twelve letters the player types, in story order, each with a title
// the player can be shown (the scenes' own names are the game's business)
// and the paths it lies on.
#ifndef PAPERLUNE_STORY_LETTERS_H
#define PAPERLUNE_STORY_LETTERS_H

const int STORY_LETTERS = 12;

struct StoryLetter {
    const char *scene;   // the typing scene's name, as the history keeps it
    const char *title;
    int firstPath, lastPath;   // the paths 1..5 that pass through it
};

// Letter 0..STORY_LETTERS-1 in story order.
const StoryLetter &StoryLetterAt(int index);
// The index of the letter typed in the scene of that name, or -1.
int StoryLetterNamed(const char *sceneName);

// The name the history gives a drill of the player's weak keys, which is
// no scene of the story.
extern const char DRILL_NAME[];   // "drill"

// The title of the letter typed in the scene of that name (the drill's for
// DRILL_NAME); a name of no letter (a history from another version) gets a
// plain word, never the name.
const char *LetterTitle(const char *sceneName);

#endif
