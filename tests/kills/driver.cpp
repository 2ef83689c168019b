// Plays the story's letters through the records, as the game does after
// each finished letter, until it is killed: `kill_driver <dir>`. Every run
// takes the second choice to its ending and starts anew. A letter's figures
// tell which run and which letter it is (its typing time is the run's mark,
// its characters 100 + its place in the run); the moment it is finished at
// is this session's own, so that a letter typed again is another line.
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <random>
#include <string>

#include <unistd.h>

#include "records/progress.h"
#include "records/save.h"
#include "records/typingrun.h"
#include "story/graph.h"

namespace {

const int32_t LETTER_SECONDS = 10;   // each letter's count; one mistake each
const int LETTER_CHARACTERS = 100;
const int RUN_MARKS = 864000;        // tenths of a second up to a day: the typing time of a run's letters
const time_t SESSION_SPREAD = 100000000;

std::string root;

std::string MarkPath()
{
    return root + "/runmark";
}

// The run's mark, chosen at "New game" and kept beside the driver's files.
int NewMark()
{
    int mark = 1 + int(random() % (RUN_MARKS - 1));
    std::string temp = MarkPath() + ".new";
    FILE *f = fopen(temp.c_str(), "w");
    if (!f)
        return mark;
    fprintf(f, "%d\n", mark);
    fflush(f);
    fsync(fileno(f));
    fclose(f);
    rename(temp.c_str(), MarkPath().c_str());
    return mark;
}

int ReadMark()
{
    int mark = 0;
    if (FILE *f = fopen(MarkPath().c_str(), "r")) {
        if (fscanf(f, "%d", &mark) != 1)
            mark = 0;
        fclose(f);
    }
    return mark > 0 ? mark : NewMark();
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc != 2)
        return 2;
    root = argv[1];
    // Sessions a second and a process apart must not draw the same marks.
    std::random_device device;
    srandom(device());
    setenv("XDG_DATA_HOME", (root + "/xdg").c_str(), 1);
    setenv("XDG_STATE_HOME", (root + "/state").c_str(), 1);
    SetOldSaveDirs({root + "/start"});
    SetSaveMessageShow(nullptr);
    InitScenes();
    LoadGameData();
    LoadTypingData();
    time_t finishedAt = time(nullptr) + random() % SESSION_SPREAD;

    Scene *scene = SaveData.resumeId > 0 ? EntryScene(SaveData.resumeId) : nullptr;
    int mark = 0;
    if (scene) {
        PlayThroughBegun();
        mark = ReadMark();
    }
    for (;;) {
        if (!scene) {
            mark = NewMark();
            NewGameBegun();
            scene = EntryScene(ENTRY_NEW_GAME);
        }
        SceneBegun(scene);
        if (scene->typing) {
            LetterFigures f;
            f.characters = LETTER_CHARACTERS + SaveData.runTime / LETTER_SECONDS;
            f.mistakes = 1;
            f.penaltySeconds = 7;
            f.typingSeconds = mark / 10.0;
            f.finishedAt = finishedAt++;
            LetterFinished(scene, LETTER_SECONDS, f);
        }
        Scene *next = scene->next2 ? scene->next2 : scene->next1;
        if (!next)
            PathEnded();
        scene = next;
    }
}
