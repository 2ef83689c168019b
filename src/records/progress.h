// What happens in the story, told to the records that keep it. The progress
// record (SaveData) and the typing figures (TypingData) belong to records/:
// the rest of the game changes them only through these, each named for what
// happened.
#ifndef PAPERLUNE_RECORDS_PROGRESS_H
#define PAPERLUNE_RECORDS_PROGRESS_H

#include <cstdint>

#include "player/figures.h"
#include "story/scene.h"

// "New game": the run's time, mistakes and typing counts start from 0.
void NewGameBegun();
// A play-through starts, new or continued: a count no run can have made (a
// damaged file's negative one) starts from 0.
void PlayThroughBegun();
// A scene starts: the game continues from its group.
void SceneBegun(const Scene *scene);
// A letter was typed to its end. Its time (the clock's count) and mistakes
// join the run's, the game continues after it, and its figures go into the
// history and into the run's, its clock into the run's table; all of it is
// saved at once, and from here on any save counts it once.
void LetterFinished(const Scene *scene, int32_t counted, const LetterFigures &figures);
// A closing scene was reached: the path's record and typing bests, in the
// table of the run's clock, where the run beats them, and the credits' ending lines; then the game is saved.
// Returns the path, 0 when the scene belongs to none.
int PathEnded();

#endif
