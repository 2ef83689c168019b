#include "story/graph.h"

#include "story/texts.h"

#include "presentation/text.h"

#include <cstddef>
#include <cstdlib>
#include <cstring>

static const char *const FONT_THOUGHTS = MENU_FONT;
const char FONT_TYPEWRITER[] = "Fonts\\typewriter.ttf";
const char MUSIC_LETTERS[] = "music\\Vantu - letters.ogg";
static const char MUSIC_HTYPE[]   = "music\\Vantu - htype.ogg";
static const char MUSIC_AONET[]   = "music\\Vantu - aonet.ogg";

// A single space: the choice screen then shows only the two answers.
static const char QUESTION_BLANK[] = " ";
static const char QUESTION_FIRST_REPLY[] = "How do I answer?";
static const char CHOICE_BIGGEST_FAN[] = "Tell her I'm her biggest fan.";
static const char CHOICE_SEND_PICTURE[] = "Send her a picture of me.";
static const char CHOICE_REPLY_DIRECTLY[] = "Reply directly";
static const char CHOICE_WRITE_LATER[] = "Give her time and write another day";
static const char CHOICE_KIND_AND_WONDERFUL[] = "Because you look and act so kind and wonderful.";
static const char CHOICE_TRUE_YOU[] = "Because I could see the true you in those letters.";
static const char CHOICE_WRITE_TOVANNE[] = "Write to Tovanne.";
static const char CHOICE_NOT_TOVANNE[] = "Don't write to Tovanne.";

// The two longer answer pairs are set smaller so that they fit the screen.
static const int32_t CHOICE_SIZE_SHORT = 35;
static const int32_t CHOICE_SIZE_LONG = 30;

static const int16_t PAUSE_LENGTH_MS = 2000;

// One global per scene, named after it; the table below fills them.
static Scene *Scene01, *Scene02, *Scene03, *Scene04e1, *Scene04e2, *Scene04e3,
    *Scene05, *Scene05e1, *Scene06, *Scene06e1, *Scene07, *Scene07e1, *Scene08,
    *Scene08e1, *Scene09, *Scene10, *Scene11, *Scene12, *Scene13e1, *Scene13e2,
    *Scene13e3, *Scene14, *Scene15, *Scene16, *Scene17, *Scene18, *Scene19,
    *Scene20, *Scene21, *Scene21e1, *Scene22, *Scene23, *Scene24, *Scene25,
    *Scene26e1, *Scene26e2, *Scene26e3, *Scene26e4, *Scene26e5, *Scene26e6,
    *Scene27, *Scene28, *Scene29, *Scene30e1, *Scene30e2, *Scene31, *Scene32;

// How a row is shown; narration, choice and closing rows set no flag and
// differ only in their text and links.
enum RowKind { NARRATION, TYPING, LETTER_BOX, PAUSE, CHOICE, CLOSING };

struct ChoiceRow {
    const char *question;
    int32_t fontSize;
    const char *choice1;
    const char *choice2;
};

static const ChoiceRow CHOICE_Scene03 = {QUESTION_FIRST_REPLY, CHOICE_SIZE_SHORT,
                                         CHOICE_BIGGEST_FAN, CHOICE_SEND_PICTURE};
static const ChoiceRow CHOICE_Scene12 = {QUESTION_BLANK, CHOICE_SIZE_SHORT,
                                         CHOICE_REPLY_DIRECTLY, CHOICE_WRITE_LATER};
static const ChoiceRow CHOICE_Scene25 = {QUESTION_BLANK, CHOICE_SIZE_LONG,
                                         CHOICE_KIND_AND_WONDERFUL, CHOICE_TRUE_YOU};
static const ChoiceRow CHOICE_Scene29 = {QUESTION_BLANK, CHOICE_SIZE_LONG,
                                         CHOICE_WRITE_TOVANNE, CHOICE_NOT_TOVANNE};

// Links name the global rather than the record: rows are built from the last
// one back, so a successor's global is already set when it is read.
struct SceneRow {
    const char *name;
    Scene **scene;
    int16_t id;
    RowKind kind;
    const char *music;
    const char *font;
    int32_t fontSize;
    int32_t background;
    int32_t fadeImage;
    int32_t timeImage;
    int32_t difficulty;
    const char *const *text;
    const ChoiceRow *choice;
    Scene **next1;
    Scene **next2;
};

// "None" in the table below.
static constexpr std::nullptr_t N = nullptr;
static const char *const THO = FONT_THOUGHTS;
static const char *const TYP = FONT_TYPEWRITER;

// The whole story, in story order.
static const SceneRow STORY[] = {
//   name         global      id    kind        music          font fs  bg fade time diff text            choice           next1       next2
    {"Scene01",   &Scene01,   0,    NARRATION,  MUSIC_LETTERS, THO, 25, 1,  0,  0,  0, TEXT_Scene01,   N,               &Scene02,   N},
    {"Scene02",   &Scene02,   0,    NARRATION,  N,             THO, 24, 8,  0,  0,  0, TEXT_Scene02,   N,               &Scene03,   N},
    {"Scene03",   &Scene03,   0,    NARRATION,  N,             THO, 25, 1,  0,  0,  0, TEXT_Scene03,   &CHOICE_Scene03, &Scene04e1, &Scene05},
    {"Scene04e1", &Scene04e1, 141,  TYPING,     MUSIC_HTYPE,   TYP, 0,  3,  10, 11, 1, TEXT_Scene04e1, N,               &Scene04e2, N},
    {"Scene04e2", &Scene04e2, 142,  NARRATION,  MUSIC_AONET,   THO, 25, 1,  0,  0,  0, TEXT_Scene04e2, N,               &Scene04e3, N},
    {"Scene04e3", &Scene04e3, 142,  CLOSING,    MUSIC_AONET,   THO, 0,  18, 0,  0,  0, N,              N,               N,          N},
    {"Scene05",   &Scene05,   5,    TYPING,     MUSIC_HTYPE,   TYP, 0,  3,  10, 11, 2, TEXT_Scene05,   N,               &Scene05e1, N},
    {"Scene05e1", &Scene05e1, 51,   NARRATION,  MUSIC_LETTERS, THO, 25, 1,  0,  0,  0, TEXT_Scene05e1, N,               &Scene06,   N},
    {"Scene06",   &Scene06,   51,   NARRATION,  N,             THO, 23, 8,  0,  0,  0, TEXT_Scene06,   N,               &Scene06e1, N},
    {"Scene06e1", &Scene06e1, 51,   NARRATION,  N,             THO, 25, 1,  0,  0,  0, TEXT_Scene06e1, N,               &Scene07,   N},
    {"Scene07",   &Scene07,   7,    TYPING,     MUSIC_HTYPE,   TYP, 0,  3,  10, 11, 2, TEXT_Scene07,   N,               &Scene07e1, N},
    {"Scene07e1", &Scene07e1, 71,   NARRATION,  MUSIC_LETTERS, THO, 25, 1,  0,  0,  0, TEXT_Scene07e1, N,               &Scene08,   N},
    {"Scene08",   &Scene08,   71,   NARRATION,  N,             THO, 24, 8,  0,  0,  0, TEXT_Scene08,   N,               &Scene08e1, N},
    {"Scene08e1", &Scene08e1, 71,   PAUSE,      N,             THO, 0,  8,  0,  0,  0, N,              N,               &Scene09,   N},
    {"Scene09",   &Scene09,   71,   NARRATION,  N,             THO, 23, 8,  0,  0,  0, TEXT_Scene09,   N,               &Scene10,   N},
    {"Scene10",   &Scene10,   10,   TYPING,     MUSIC_HTYPE,   TYP, 0,  4,  12, 13, 3, TEXT_Scene10,   N,               &Scene11,   N},
    {"Scene11",   &Scene11,   11,   NARRATION,  MUSIC_LETTERS, THO, 24, 8,  0,  0,  0, TEXT_Scene11,   N,               &Scene12,   N},
    {"Scene12",   &Scene12,   11,   CHOICE,     N,             THO, 0,  1,  0,  0,  0, N,              &CHOICE_Scene12, &Scene13e1, &Scene14},
    {"Scene13e1", &Scene13e1, 2131, TYPING,     MUSIC_HTYPE,   TYP, 0,  4,  12, 13, 3, TEXT_Scene13e1, N,               &Scene13e2, N},
    {"Scene13e2", &Scene13e2, 2132, NARRATION,  MUSIC_AONET,   THO, 25, 1,  0,  0,  0, TEXT_Scene13e2, N,               &Scene13e3, N},
    {"Scene13e3", &Scene13e3, 2132, CLOSING,    N,             THO, 0,  20, 0,  0,  0, N,              N,               N,          N},
    {"Scene14",   &Scene14,   14,   TYPING,     MUSIC_HTYPE,   TYP, 0,  4,  12, 13, 3, TEXT_Scene14,   N,               &Scene15,   N},
    {"Scene15",   &Scene15,   15,   NARRATION,  MUSIC_LETTERS, THO, 25, 8,  0,  0,  0, TEXT_Scene15,   N,               &Scene16,   N},
    {"Scene16",   &Scene16,   15,   TYPING,     MUSIC_HTYPE,   TYP, 0,  4,  12, 13, 3, TEXT_Scene16,   N,               &Scene17,   N},
    {"Scene17",   &Scene17,   17,   NARRATION,  MUSIC_LETTERS, THO, 25, 8,  0,  0,  0, TEXT_Scene17,   N,               &Scene18,   N},
    {"Scene18",   &Scene18,   17,   TYPING,     MUSIC_HTYPE,   TYP, 0,  5,  14, 15, 3, TEXT_Scene18,   N,               &Scene19,   N},
    {"Scene19",   &Scene19,   19,   NARRATION,  MUSIC_LETTERS, THO, 25, 8,  0,  0,  0, TEXT_Scene19,   N,               &Scene20,   N},
    {"Scene20",   &Scene20,   19,   TYPING,     MUSIC_HTYPE,   TYP, 0,  5,  14, 15, 4, TEXT_Scene20,   N,               &Scene21,   N},
    {"Scene21",   &Scene21,   21,   NARRATION,  MUSIC_LETTERS, THO, 25, 8,  0,  0,  0, TEXT_Scene21,   N,               &Scene21e1, N},
    {"Scene21e1", &Scene21e1, 21,   PAUSE,      MUSIC_LETTERS, THO, 0,  8,  0,  0,  0, N,              N,               &Scene22,   N},
    {"Scene22",   &Scene22,   21,   NARRATION,  MUSIC_LETTERS, THO, 25, 8,  0,  0,  0, TEXT_Scene22,   N,               &Scene23,   N},
    {"Scene23",   &Scene23,   21,   TYPING,     MUSIC_HTYPE,   TYP, 0,  6,  16, 17, 5, TEXT_Scene23,   N,               &Scene24,   N},
    {"Scene24",   &Scene24,   24,   NARRATION,  MUSIC_LETTERS, THO, 25, 8,  0,  0,  0, TEXT_Scene24,   N,               &Scene25,   N},
    {"Scene25",   &Scene25,   24,   CHOICE,     N,             THO, 0,  1,  0,  0,  0, N,              &CHOICE_Scene25, &Scene26e1, &Scene27},
    {"Scene26e1", &Scene26e1, 3261, TYPING,     MUSIC_HTYPE,   TYP, 0,  6,  16, 17, 7, TEXT_Scene26e1, N,               &Scene26e2, N},
    {"Scene26e2", &Scene26e2, 3262, NARRATION,  MUSIC_AONET,   THO, 25, 8,  0,  0,  0, TEXT_Scene26e2, N,               &Scene26e3, N},
    {"Scene26e3", &Scene26e3, 3262, LETTER_BOX, N,             THO, 25, 21, 0,  0,  0, TEXT_Scene26e3, N,               &Scene26e4, N},
    {"Scene26e4", &Scene26e4, 3262, LETTER_BOX, N,             THO, 25, 22, 0,  0,  0, TEXT_Scene26e4, N,               &Scene26e5, N},
    {"Scene26e5", &Scene26e5, 3262, LETTER_BOX, N,             THO, 25, 23, 0,  0,  0, TEXT_Scene26e5, N,               &Scene26e6, N},
    {"Scene26e6", &Scene26e6, 3262, CLOSING,    N,             THO, 0,  24, 0,  0,  0, N,              N,               N,          N},
    {"Scene27",   &Scene27,   27,   TYPING,     MUSIC_HTYPE,   TYP, 0,  6,  16, 17, 5, TEXT_Scene27,   N,               &Scene28,   N},
    {"Scene28",   &Scene28,   28,   NARRATION,  MUSIC_LETTERS, THO, 22, 8,  0,  0,  0, TEXT_Scene28,   N,               &Scene29,   N},
    {"Scene29",   &Scene29,   28,   CHOICE,     N,             THO, 0,  1,  0,  0,  0, N,              &CHOICE_Scene29, &Scene30e1, &Scene31},
    {"Scene30e1", &Scene30e1, 4301, NARRATION,  MUSIC_AONET,   THO, 25, 1,  0,  0,  0, TEXT_Scene30e1, N,               &Scene30e2, N},
    {"Scene30e2", &Scene30e2, 4302, CLOSING,    N,             THO, 0,  25, 0,  0,  0, N,              N,               N,          N},
    {"Scene31",   &Scene31,   5310, NARRATION,  MUSIC_AONET,   THO, 25, 1,  0,  0,  0, TEXT_Scene31,   N,               &Scene32,   N},
    {"Scene32",   &Scene32,   5310, CLOSING,    N,             THO, 0,  19, 0,  0,  0, N,              N,               N,          N},
};

static_assert(sizeof STORY / sizeof STORY[0] == STORY_SCENES, "one row per scene");

struct EntryRow {
    int entry;
    Scene **first;
};

// Entry value -> first scene of the group it names. "New game" is the only
// value that is no group id: Scene01's group (id 0) cannot be resumed.
static const EntryRow ENTRY_TABLE[] = {
    {ENTRY_NEW_GAME, &Scene01},
    {141, &Scene04e1},  {142, &Scene04e2},  {5, &Scene05},      {51, &Scene05e1},
    {7, &Scene07},      {71, &Scene07e1},   {10, &Scene10},     {11, &Scene11},
    {2131, &Scene13e1}, {2132, &Scene13e2}, {14, &Scene14},     {15, &Scene15},
    {17, &Scene17},     {19, &Scene19},     {21, &Scene21},     {24, &Scene24},
    {3261, &Scene26e1}, {3262, &Scene26e2}, {27, &Scene27},     {28, &Scene28},
    {4301, &Scene30e1}, {4302, &Scene30e2}, {5310, &Scene31},
};

// Every line gets a buffer of its own so that no scene shares storage with a
// table or another scene; a line too long for its buffer is cut, never overrun.
static char **CopyText(const char *const *table)
{
    char **lines = static_cast<char **>(malloc(SCENE_TEXT_LINES * sizeof(char *)));
    for (int i = 0; i < SCENE_TEXT_LINES; i++) {
        lines[i] = static_cast<char *>(calloc(SCENE_LINE_BYTES, 1));
        const char *line = table[i] ? table[i] : "";
        memcpy(lines[i], line, strnlen(line, SCENE_LINE_BYTES - 1));
    }
    return lines;
}

static void ReleaseText(char **lines)
{
    for (int i = 0; i < SCENE_TEXT_LINES; i++)
        free(lines[i]);
    free(lines);
}

static Scene *BuildScene(const SceneRow &row)
{
    // Zero-filled, so every field the row leaves out is zero, false or null.
    Scene *scene = static_cast<Scene *>(calloc(1, sizeof(Scene)));
    scene->id = row.id;
    scene->musicFile = row.music;
    scene->font = row.font;
    scene->fontSize = row.fontSize;
    scene->background = row.background;
    scene->fadeImage = row.fadeImage;
    scene->timeImage = row.timeImage;
    scene->difficulty = row.difficulty;
    scene->typing = row.kind == TYPING;
    scene->letterView = row.kind == LETTER_BOX;
    if (row.kind == PAUSE) {
        scene->imageOnly = true;
        scene->pauseMs = PAUSE_LENGTH_MS;
    }
    if (row.text)
        scene->text = CopyText(row.text);
    if (row.choice) {
        scene->question = row.choice->question;
        scene->choiceFontSize = row.choice->fontSize;
        scene->choice1 = row.choice->choice1;
        scene->choice2 = row.choice->choice2;
    }
    scene->next1 = row.next1 ? *row.next1 : nullptr;
    scene->next2 = row.next2 ? *row.next2 : nullptr;
    return scene;
}

void InitScenes()
{
    // Building over a live graph would leak it.
    DestroyScenes();
    for (int i = STORY_SCENES - 1; i >= 0; i--)
        *STORY[i].scene = BuildScene(STORY[i]);
}

void DestroyScenes()
{
    for (int i = 0; i < STORY_SCENES; i++) {
        Scene *&scene = *STORY[i].scene;
        if (!scene)
            continue;
        if (scene->text)
            ReleaseText(scene->text);
        free(scene);
        scene = nullptr;
    }
}

Scene *StoryScene(int storyIndex)
{
    if (storyIndex < 0 || storyIndex >= STORY_SCENES)
        return nullptr;
    return *STORY[storyIndex].scene;
}

const char *StorySceneName(int storyIndex)
{
    if (storyIndex < 0 || storyIndex >= STORY_SCENES)
        return nullptr;
    return STORY[storyIndex].name;
}

int StoryIndexOf(const Scene *scene)
{
    for (int i = 0; i < STORY_SCENES; i++)
        if (scene && *STORY[i].scene == scene)
            return i;
    return -1;
}

int StoryIndexNamed(const char *name)
{
    for (int i = 0; i < STORY_SCENES; i++)
        if (name && strcmp(STORY[i].name, name) == 0)
            return i;
    return -1;
}

Scene *EntryScene(int entry)
{
    for (const EntryRow &row : ENTRY_TABLE)
        if (row.entry == entry)
            return *row.first;
    return nullptr;
}
