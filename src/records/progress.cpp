#include "records/progress.h"

#include "records/clockrecords.h"
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
    StartClockRun();
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
    ClockLetterFinished(figures.clock);
    const char *name = StorySceneName(StoryIndexOf(scene));
    LetterAwaitsHistory(FormatHistoryLine(HistoryEntryFor(figures, name ? name : "", PathOfId(scene->id))));
    // Saved at once, before the finished page rests: a kill after this
    // never plays the letter again. Its history line goes with the save and
    // is added after it; a kill in between leaves it to the next start.
    SaveProgress();
    AddAwaitedHistory();
}

// The ending goes into the table of the gentlest clock the run was typed
// on, by the same rules as the original's: the run as SaveData holds it,
// against that table's records and typing bests.
static int RecordRunEnding()
{
    int clock = ClockData.runClock;
    if (clock == CLOCK_ORIGINAL) {
        int path = RecordEnding(SaveData);
        RecordTypingBest(TypingData, path);
        return path;
    }
    SaveRecord table = SaveData;
    TypingRecord typing = TypingData;
    for (int k = 0; k < PATH_COUNT; k++) {
        table.pathRecords[k] = ClockData.records[clock][k];
        typing.best[k].wpmTenths = ClockData.bests[clock][k].wpmTenths;
        typing.best[k].accuracyTenths = ClockData.bests[clock][k].accuracyTenths;
    }
    int path = RecordEnding(table);
    RecordTypingBest(typing, path);
    for (int k = 0; k < PATH_COUNT; k++) {
        ClockData.records[clock][k] = table.pathRecords[k];
        ClockData.bests[clock][k].wpmTenths = typing.best[k].wpmTenths;
        ClockData.bests[clock][k].accuracyTenths = typing.best[k].accuracyTenths;
    }
    return path;
}

int PathEnded()
{
    int path = RecordRunEnding();
    // Written before the roll, so a key that ends it at once loses nothing.
    SaveProgress();
    return path;
}
