// The story graph: 47 scenes built once at start-up, and the entry table that
// turns a resume value into the first scene of its group.
#ifndef PAPERLUNE_STORY_GRAPH_H
#define PAPERLUNE_STORY_GRAPH_H

#include "story/scene.h"

extern const char FONT_TYPEWRITER[];   // "Fonts\typewriter.ttf"
// The letters' music, also the one the settings play while its volume is chosen.
extern const char MUSIC_LETTERS[];

const int STORY_SCENES = 47;
const int ENTRY_NEW_GAME = 1;          // entry value of "New game"

void InitScenes();
void DestroyScenes();

// The scenes in story order (valid between InitScenes and DestroyScenes).
Scene *StoryScene(int storyIndex);
const char *StorySceneName(int storyIndex);
// The story index of a scene, or of the scene of that name; -1 for none.
int StoryIndexOf(const Scene *scene);
int StoryIndexNamed(const char *name);

// First scene of the group an entry value names, or null when the value is
// in no row of the entry table.
Scene *EntryScene(int entry);

#endif
