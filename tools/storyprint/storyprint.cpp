// storyprint: the whole story as plain text, scene by scene in story order,
// with every text line exactly as stored. Writers proofread with it.
//
//   storyprint              every scene
//   storyprint Scene05 ...  only the scenes named
#include <cstdio>
#include <cstring>
#include <string>

#include "story/graph.h"

static const char PRINT_TITLE[] = "Paperlune - the story, scene by scene";
static const char PRINT_RULE[] = "====";
static const int PRINT_LABEL_WIDTH = 12;

static std::string NameOf(const Scene *scene)
{
    for (int i = 0; i < STORY_SCENES; i++)
        if (StoryScene(i) == scene)
            return StorySceneName(i);
    return "(not in the story)";
}

static bool IsMarker(const char *line)
{
    return strcmp(line, SCENE_END_OF_TEXT) == 0 || strcmp(line, SCENE_NEW_PAGE) == 0;
}

// The kind as the scene player decides it: flags first, then text and links.
static std::string KindOf(const Scene *s)
{
    if (s->typing)
        return "typing";
    if (s->letterView && s->text)
        return "letter box";
    if (s->imageOnly)
        return "pause " + std::to_string(s->pauseMs) + " ms";
    if (s->text)
        return s->next2 ? "narration, then choice" : "narration";
    if (s->next2)
        return "choice";
    if (!s->next1)
        return "closing image";
    return "silent";
}

static void Field(const char *label, const std::string &value)
{
    printf("%-*s%s\n", PRINT_LABEL_WIDTH, label, value.c_str());
}

// Figures of a letter to type: what sets its time limit.
static std::string TypingFigures(char **text)
{
    int filled = 0, empty = 0, characters = 0, longest = 0;
    for (int i = 0; i < SCENE_TEXT_LINES; i++) {
        int length = int(strlen(text[i]));
        (length ? filled : empty)++;
        characters += length;
        if (length > longest)
            longest = length;
    }
    return std::to_string(filled) + " non-empty, " + std::to_string(empty) + " empty, " +
           std::to_string(characters) + " characters, longest " + std::to_string(longest);
}

// Figures of a text to read, counted up to its end marker.
static std::string ReadingFigures(char **text)
{
    int slots = 0, breaks = 0, blanks = 0, longest = 0, pageLines = 0;
    std::string pages;
    int pageCount = 0;
    bool ended = false;
    for (; slots < SCENE_TEXT_LINES; slots++) {
        const char *line = text[slots];
        if (strcmp(line, SCENE_END_OF_TEXT) == 0) {
            ended = true;
            break;
        }
        if (strcmp(line, SCENE_NEW_PAGE) == 0) {
            breaks++;
            pages += (pageCount++ ? " + " : "") + std::to_string(pageLines);
            pageLines = 0;
            continue;
        }
        pageLines++;
        int length = int(strlen(line));
        if (!length)
            blanks++;
        if (length > longest)
            longest = length;
    }
    pages += (pageCount++ ? " + " : "") + std::to_string(pageLines);
    std::string figures = std::to_string(slots) + " lines before " + SCENE_END_OF_TEXT + ", " +
                          std::to_string(breaks) + " " + SCENE_NEW_PAGE + ", " +
                          std::to_string(pageCount) + " pages (" + pages + "), " +
                          std::to_string(blanks) + " blank, longest " + std::to_string(longest);
    return ended ? figures : figures + "  ** NO " + SCENE_END_OF_TEXT + " **";
}

static void PrintScene(int index)
{
    const Scene *s = StoryScene(index);
    printf("\n%s %d/%d  %s %s\n", PRINT_RULE, index + 1, STORY_SCENES, StorySceneName(index), PRINT_RULE);
    Field("id", std::to_string(s->id));
    Field("kind", KindOf(s));
    Field("music", s->musicFile ? s->musicFile : "- (keeps playing)");
    std::string font = s->font ? s->font : "** NONE **";
    if (!s->typing && s->text)
        font += " at " + std::to_string(s->fontSize);
    Field("font", font);
    Field("background", std::to_string(s->background) + (s->imageOnly ? " (not drawn)" : "") +
                            (!s->next1 && !s->next2 ? " (ending backdrop)" : ""));
    if (s->typing) {
        Field("sprites", "fade " + std::to_string(s->fadeImage) + ", time " + std::to_string(s->timeImage));
        Field("difficulty", std::to_string(s->difficulty));
    }
    if (s->next1 && s->next2) {
        Field("question", std::string("\"") + (s->question ? s->question : "") + "\"");
        Field("choice 1", std::string("\"") + (s->choice1 ? s->choice1 : "") + "\" -> " + NameOf(s->next1));
        Field("choice 2", std::string("\"") + (s->choice2 ? s->choice2 : "") + "\" -> " + NameOf(s->next2));
        Field("choice size", std::to_string(s->choiceFontSize));
    } else if (s->next1) {
        Field("next", NameOf(s->next1));
    } else {
        Field("next", s->next2 ? "** only a second link **" : "- (the story ends here)");
    }
    if (!s->text)
        return;
    Field("figures", s->typing ? TypingFigures(s->text) : ReadingFigures(s->text));
    // Quoted, so that trailing spaces and empty slots show; the run of empty
    // slots that fills a text up is given as one line.
    int filled = SCENE_TEXT_LINES;
    while (filled > 0 && s->text[filled - 1][0] == '\0')
        filled--;
    for (int i = 0; i < filled; i++)
        printf("  %02d%s\"%s\"\n", i, IsMarker(s->text[i]) ? " * " : "   ", s->text[i]);
    if (filled == SCENE_TEXT_LINES - 1)
        printf("  %02d   \"\"\n", filled);
    else if (filled < SCENE_TEXT_LINES)
        printf("  %02d-%02d \"\" (%d empty slots)\n", filled, SCENE_TEXT_LINES - 1, SCENE_TEXT_LINES - filled);
}

int main(int argc, char **argv)
{
    InitScenes();
    int unknown = 0;
    if (argc < 2) {
        printf("%s\n", PRINT_TITLE);
        for (int i = 0; i < STORY_SCENES; i++)
            PrintScene(i);
    }
    for (int a = 1; a < argc; a++) {
        int found = -1;
        for (int i = 0; i < STORY_SCENES && found < 0; i++)
            if (strcmp(argv[a], StorySceneName(i)) == 0)
                found = i;
        if (found < 0) {
            fprintf(stderr, "storyprint: no scene named %s\n", argv[a]);
            unknown++;
        } else {
            PrintScene(found);
        }
    }
    DestroyScenes();
    return unknown ? 1 : 0;
}
