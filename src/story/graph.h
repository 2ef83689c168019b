// The story graph: 47 scenes built once at start-up, and the entry table that
// turns a resume value into the first scene of its group.
#ifndef PAPERLUNE_STORY_GRAPH_H
#define PAPERLUNE_STORY_GRAPH_H

#include "story/scene.h"

extern const char FONT_THOUGHTS[];     // "Fonts\engeregu.ttf"
extern const char FONT_TYPEWRITER[];   // "Fonts\typewriter.ttf"
extern const char MUSIC_LETTERS[];     // "music\Vantu - letters.ogg"
extern const char MUSIC_HTYPE[];       // "music\Vantu - htype.ogg"
extern const char MUSIC_AONET[];       // "music\Vantu - aonet.ogg"

extern Scene *Scene01, *Scene02, *Scene03, *Scene04e1, *Scene04e2, *Scene04e3,
    *Scene05, *Scene05e1, *Scene06, *Scene06e1, *Scene07, *Scene07e1, *Scene08,
    *Scene08e1, *Scene09, *Scene10, *Scene11, *Scene12, *Scene13e1, *Scene13e2,
    *Scene13e3, *Scene14, *Scene15, *Scene16, *Scene17, *Scene18, *Scene19,
    *Scene20, *Scene21, *Scene21e1, *Scene22, *Scene23, *Scene24, *Scene25,
    *Scene26e1, *Scene26e2, *Scene26e3, *Scene26e4, *Scene26e5, *Scene26e6,
    *Scene27, *Scene28, *Scene29, *Scene30e1, *Scene30e2, *Scene31, *Scene32;

const int STORY_SCENES = 47;
const int ENTRY_NEW_GAME = 1;          // entry value of "New game"

void InitScenes();
void DestroyScenes();

// The scenes in story order (valid between InitScenes and DestroyScenes).
Scene *StoryScene(int storyIndex);
const char *StorySceneName(int storyIndex);

// First scene of the group an entry value names, or null when the value is
// in no row of the entry table.
Scene *EntryScene(int entry);

#endif
