#include "story/letters.h"

#include <cstring>

static const char LETTER_UNKNOWN_TITLE[] = "a letter";
static const char LETTER_DRILL_TITLE[] = "Your weak keys";
const char DRILL_NAME[] = "drill";

static const StoryLetter LETTERS[STORY_LETTERS] = {
    {"Scene04e1", "A reply to a song", 1, 1},
    {"Scene05", "A photograph", 2, 5},
    {"Scene07", "The harbour window", 2, 5},
    {"Scene10", "News from Lowmere", 2, 5},
    {"Scene13e1", "An answer at once", 2, 2},
    {"Scene14", "A letter that asks nothing", 3, 5},
    {"Scene16", "The paper moon", 3, 5},
    {"Scene18", "After the storm", 3, 5},
    {"Scene20", "A word for Tovanne", 3, 5},
    {"Scene23", "A few days more", 3, 5},
    {"Scene26e1", "What everyone sees", 3, 3},
    {"Scene27", "What the letters showed", 4, 5},
};

const StoryLetter &StoryLetterAt(int index)
{
    return LETTERS[index];
}

int StoryLetterNamed(const char *sceneName)
{
    for (int i = 0; i < STORY_LETTERS; i++)
        if (sceneName && strcmp(LETTERS[i].scene, sceneName) == 0)
            return i;
    return -1;
}

const char *LetterTitle(const char *sceneName)
{
    if (sceneName && strcmp(sceneName, DRILL_NAME) == 0)
        return LETTER_DRILL_TITLE;
    int i = StoryLetterNamed(sceneName);
    return i >= 0 ? LETTERS[i].title : LETTER_UNKNOWN_TITLE;
}
