#include "records/progress.h"

#include "records/history.h"
#include "records/rules.h"
#include "records/save.h"
#include "records/typingrun.h"
#include "story/graph.h"

void NewGameBegun()
{
    SaveData.runMistakes = 0;
    SaveData.runTime = 0;
    StartTypingRun();
}

void PlayThroughBegun()
{
    // A continued run keeps the time and mistakes it made before.
    SaveData.runTime = ResumedCount(SaveData.runTime);
    SaveData.runMistakes = ResumedCount(SaveData.runMistakes);
}

void SceneBegun(const Scene *scene)
{
    SaveData.resumeId = scene->id;
}

void LetterFinished(const Scene *scene, int32_t counted, const LetterFigures &figures)
{
    // The letter's time and the place after it change together: a save at
    // any moment from here on (a signal, the X server going away) resumes
    // after the letter and counts it once. The next scene sets the same id.
    SaveData.runMistakes = AddToCount(SaveData.runMistakes, figures.mistakes);
    SaveData.runTime = AddToCount(SaveData.runTime, counted);
    if (scene->next1)
        SaveData.resumeId = scene->next1->id;
    AddLetterToRun(TypingData, figures);
    const char *name = StorySceneName(StoryIndexOf(scene));
    LetterAwaitsHistory(FormatHistoryLine(HistoryEntryFor(figures, name ? name : "", PathOfId(scene->id))));
    // Saved at once, before the finished page rests: a kill after this
    // never plays the letter again. Its history line goes with the save and
    // is added after it; a kill in between leaves it to the next start.
    SaveProgress();
    AddAwaitedHistory();
}

int PathEnded()
{
    int path = RecordEnding(SaveData);
    RecordTypingBest(TypingData, path);
    // Written before the roll, so a key that ends it at once loses nothing.
    SaveProgress();
    return path;
}
