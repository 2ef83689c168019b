#include "story/letters.h"

#include <cstring>

static const char LETTER_UNKNOWN_TITLE[] = "a letter";

static const StoryLetter LETTERS[STORY_LETTERS] = {
    {"Scene04e1", "A reply to a song"},
    {"Scene05", "A photograph"},
    {"Scene07", "The harbour window"},
    {"Scene10", "News from Lowmere"},
    {"Scene13e1", "An answer at once"},
    {"Scene14", "A letter that asks nothing"},
    {"Scene16", "The paper moon"},
    {"Scene18", "After the storm"},
    {"Scene20", "A word for Tovanne"},
    {"Scene23", "A few days more"},
    {"Scene26e1", "What everyone sees"},
    {"Scene27", "What the letters showed"},
};

const StoryLetter &StoryLetterAt(int index)
{
    return LETTERS[index];
}

const char *LetterTitle(const char *sceneName)
{
    for (const StoryLetter &letter : LETTERS)
        if (strcmp(letter.scene, sceneName) == 0)
            return letter.title;
    return LETTER_UNKNOWN_TITLE;
}
