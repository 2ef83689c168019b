// The story graph: every record against the scene table, the tree it forms,
// the groups a saved game resumes at, and the private text copies.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "story/graph.h"
#include "story/letters.h"
#include "story/texts.h"

namespace {

const char LETTERS[] = "music\\Vantu - letters.ogg";
const char HTYPE[] = "music\\Vantu - htype.ogg";
const char AONET[] = "music\\Vantu - aonet.ogg";
const char THOUGHTS[] = "Fonts\\engeregu.ttf";
const char TYPEWRITER[] = "Fonts\\typewriter.ttf";

struct Row {
    const char *name;
    int id;
    const char *kind;
    const char *music;
    const char *font;
    int fontSize, background, fadeImage, timeImage, difficulty;
    const char *const *table;
    const char *next1, *next2;
};

// The scene table, in story order.
const Row SCENE_TABLE[] = {
    {"Scene01", 0, "narration", LETTERS, THOUGHTS, 25, 1, 0, 0, 0, TEXT_Scene01, "Scene02", nullptr},
    {"Scene02", 0, "narration", nullptr, THOUGHTS, 24, 8, 0, 0, 0, TEXT_Scene02, "Scene03", nullptr},
    {"Scene03", 0, "narration, then choice", nullptr, THOUGHTS, 25, 1, 0, 0, 0, TEXT_Scene03, "Scene04e1", "Scene05"},
    {"Scene04e1", 141, "typing", HTYPE, TYPEWRITER, 0, 3, 10, 11, 1, TEXT_Scene04e1, "Scene04e2", nullptr},
    {"Scene04e2", 142, "narration", AONET, THOUGHTS, 25, 1, 0, 0, 0, TEXT_Scene04e2, "Scene04e3", nullptr},
    {"Scene04e3", 142, "closing image", AONET, THOUGHTS, 0, 18, 0, 0, 0, nullptr, nullptr, nullptr},
    {"Scene05", 5, "typing", HTYPE, TYPEWRITER, 0, 3, 10, 11, 2, TEXT_Scene05, "Scene05e1", nullptr},
    {"Scene05e1", 51, "narration", LETTERS, THOUGHTS, 25, 1, 0, 0, 0, TEXT_Scene05e1, "Scene06", nullptr},
    {"Scene06", 51, "narration", nullptr, THOUGHTS, 23, 8, 0, 0, 0, TEXT_Scene06, "Scene06e1", nullptr},
    {"Scene06e1", 51, "narration", nullptr, THOUGHTS, 25, 1, 0, 0, 0, TEXT_Scene06e1, "Scene07", nullptr},
    {"Scene07", 7, "typing", HTYPE, TYPEWRITER, 0, 3, 10, 11, 2, TEXT_Scene07, "Scene07e1", nullptr},
    {"Scene07e1", 71, "narration", LETTERS, THOUGHTS, 25, 1, 0, 0, 0, TEXT_Scene07e1, "Scene08", nullptr},
    {"Scene08", 71, "narration", nullptr, THOUGHTS, 24, 8, 0, 0, 0, TEXT_Scene08, "Scene08e1", nullptr},
    {"Scene08e1", 71, "pause 2000 ms", nullptr, THOUGHTS, 0, 8, 0, 0, 0, nullptr, "Scene09", nullptr},
    {"Scene09", 71, "narration", nullptr, THOUGHTS, 23, 8, 0, 0, 0, TEXT_Scene09, "Scene10", nullptr},
    {"Scene10", 10, "typing", HTYPE, TYPEWRITER, 0, 4, 12, 13, 3, TEXT_Scene10, "Scene11", nullptr},
    {"Scene11", 11, "narration", LETTERS, THOUGHTS, 24, 8, 0, 0, 0, TEXT_Scene11, "Scene12", nullptr},
    {"Scene12", 11, "choice", nullptr, THOUGHTS, 0, 1, 0, 0, 0, nullptr, "Scene13e1", "Scene14"},
    {"Scene13e1", 2131, "typing", HTYPE, TYPEWRITER, 0, 4, 12, 13, 3, TEXT_Scene13e1, "Scene13e2", nullptr},
    {"Scene13e2", 2132, "narration", AONET, THOUGHTS, 25, 1, 0, 0, 0, TEXT_Scene13e2, "Scene13e3", nullptr},
    {"Scene13e3", 2132, "closing image", nullptr, THOUGHTS, 0, 20, 0, 0, 0, nullptr, nullptr, nullptr},
    {"Scene14", 14, "typing", HTYPE, TYPEWRITER, 0, 4, 12, 13, 3, TEXT_Scene14, "Scene15", nullptr},
    {"Scene15", 15, "narration", LETTERS, THOUGHTS, 25, 8, 0, 0, 0, TEXT_Scene15, "Scene16", nullptr},
    {"Scene16", 15, "typing", HTYPE, TYPEWRITER, 0, 4, 12, 13, 3, TEXT_Scene16, "Scene17", nullptr},
    {"Scene17", 17, "narration", LETTERS, THOUGHTS, 25, 8, 0, 0, 0, TEXT_Scene17, "Scene18", nullptr},
    {"Scene18", 17, "typing", HTYPE, TYPEWRITER, 0, 5, 14, 15, 3, TEXT_Scene18, "Scene19", nullptr},
    {"Scene19", 19, "narration", LETTERS, THOUGHTS, 25, 8, 0, 0, 0, TEXT_Scene19, "Scene20", nullptr},
    {"Scene20", 19, "typing", HTYPE, TYPEWRITER, 0, 5, 14, 15, 4, TEXT_Scene20, "Scene21", nullptr},
    {"Scene21", 21, "narration", LETTERS, THOUGHTS, 25, 8, 0, 0, 0, TEXT_Scene21, "Scene21e1", nullptr},
    {"Scene21e1", 21, "pause 2000 ms", LETTERS, THOUGHTS, 0, 8, 0, 0, 0, nullptr, "Scene22", nullptr},
    {"Scene22", 21, "narration", LETTERS, THOUGHTS, 25, 8, 0, 0, 0, TEXT_Scene22, "Scene23", nullptr},
    {"Scene23", 21, "typing", HTYPE, TYPEWRITER, 0, 6, 16, 17, 5, TEXT_Scene23, "Scene24", nullptr},
    {"Scene24", 24, "narration", LETTERS, THOUGHTS, 25, 8, 0, 0, 0, TEXT_Scene24, "Scene25", nullptr},
    {"Scene25", 24, "choice", nullptr, THOUGHTS, 0, 1, 0, 0, 0, nullptr, "Scene26e1", "Scene27"},
    {"Scene26e1", 3261, "typing", HTYPE, TYPEWRITER, 0, 6, 16, 17, 7, TEXT_Scene26e1, "Scene26e2", nullptr},
    {"Scene26e2", 3262, "narration", AONET, THOUGHTS, 25, 8, 0, 0, 0, TEXT_Scene26e2, "Scene26e3", nullptr},
    {"Scene26e3", 3262, "letter box", nullptr, THOUGHTS, 25, 21, 0, 0, 0, TEXT_Scene26e3, "Scene26e4", nullptr},
    {"Scene26e4", 3262, "letter box", nullptr, THOUGHTS, 25, 22, 0, 0, 0, TEXT_Scene26e4, "Scene26e5", nullptr},
    {"Scene26e5", 3262, "letter box", nullptr, THOUGHTS, 25, 23, 0, 0, 0, TEXT_Scene26e5, "Scene26e6", nullptr},
    {"Scene26e6", 3262, "closing image", nullptr, THOUGHTS, 0, 24, 0, 0, 0, nullptr, nullptr, nullptr},
    {"Scene27", 27, "typing", HTYPE, TYPEWRITER, 0, 6, 16, 17, 5, TEXT_Scene27, "Scene28", nullptr},
    {"Scene28", 28, "narration", LETTERS, THOUGHTS, 22, 8, 0, 0, 0, TEXT_Scene28, "Scene29", nullptr},
    {"Scene29", 28, "choice", nullptr, THOUGHTS, 0, 1, 0, 0, 0, nullptr, "Scene30e1", "Scene31"},
    {"Scene30e1", 4301, "narration", AONET, THOUGHTS, 25, 1, 0, 0, 0, TEXT_Scene30e1, "Scene30e2", nullptr},
    {"Scene30e2", 4302, "closing image", nullptr, THOUGHTS, 0, 25, 0, 0, 0, nullptr, nullptr, nullptr},
    {"Scene31", 5310, "narration", AONET, THOUGHTS, 25, 1, 0, 0, 0, TEXT_Scene31, "Scene32", nullptr},
    {"Scene32", 5310, "closing image", nullptr, THOUGHTS, 0, 19, 0, 0, 0, nullptr, nullptr, nullptr},
};

struct Choice {
    const char *scene, *question;
    int size;
    const char *choice1, *choice2;
};

const Choice CHOICES[] = {
    {"Scene03", "How do I answer?", 35, "Tell her I'm her biggest fan.", "Send her a picture of me."},
    {"Scene12", " ", 35, "Reply directly", "Give her time and write another day"},
    {"Scene25", " ", 30, "Because you look and act so kind and wonderful.",
     "Because I could see the true you in those letters."},
    {"Scene29", " ", 30, "Write to Tovanne.", "Don't write to Tovanne."},
};

// Group id, its first scene (the entry), and how many scenes it holds.
struct Group {
    int id;
    const char *first;
    int scenes;
};

const Group GROUPS[] = {
    {0, "Scene01", 3},      {141, "Scene04e1", 1},  {142, "Scene04e2", 2}, {5, "Scene05", 1},
    {51, "Scene05e1", 3},   {7, "Scene07", 1},      {71, "Scene07e1", 4},  {10, "Scene10", 1},
    {11, "Scene11", 2},     {2131, "Scene13e1", 1}, {2132, "Scene13e2", 2}, {14, "Scene14", 1},
    {15, "Scene15", 2},     {17, "Scene17", 2},     {19, "Scene19", 2},    {21, "Scene21", 4},
    {24, "Scene24", 2},     {3261, "Scene26e1", 1}, {3262, "Scene26e2", 5}, {27, "Scene27", 1},
    {28, "Scene28", 2},     {4301, "Scene30e1", 1}, {4302, "Scene30e2", 1}, {5310, "Scene31", 2},
};

// Each path as the answers taken at the choices met on the way from Scene01.
struct Ending {
    int path;
    std::vector<int> answers;
    const char *closing;
    int id, background, letters;
};

const std::vector<Ending> ENDINGS = {
    {1, {1}, "Scene04e3", 142, 18, 1},
    {2, {2, 1}, "Scene13e3", 2132, 20, 4},
    {3, {2, 2, 1}, "Scene26e6", 3262, 24, 9},
    {4, {2, 2, 2, 1}, "Scene30e2", 4302, 25, 9},
    {5, {2, 2, 2, 2}, "Scene32", 5310, 19, 9},
};

Scene *ByName(const char *name)
{
    return StoryScene(StoryIndexNamed(name));
}

std::string NameOf(const Scene *scene)
{
    int i = StoryIndexOf(scene);
    if (i >= 0)
        return StorySceneName(i);
    return scene ? "(foreign)" : "(null)";
}

std::string Str(const char *s) { return s ? s : "(null)"; }

bool IsMarker(const char *line)
{
    return strcmp(line, SCENE_END_OF_TEXT) == 0 || strcmp(line, SCENE_NEW_PAGE) == 0;
}

struct Graph : ::testing::Test {
    void SetUp() override { InitScenes(); }
    void TearDown() override { DestroyScenes(); }
};
using GraphRecords = Graph;
using GraphShape = Graph;
using GraphGroups = Graph;
using GraphText = Graph;

}  // namespace

TEST_F(GraphRecords, EveryFieldFollowsTheSceneTable)
{
    ASSERT_EQ(sizeof SCENE_TABLE / sizeof SCENE_TABLE[0], size_t(STORY_SCENES));
    for (int i = 0; i < STORY_SCENES; i++) {
        const Row &row = SCENE_TABLE[i];
        SCOPED_TRACE(row.name);
        ASSERT_STREQ(StorySceneName(i), row.name);
        const Scene *s = StoryScene(i);
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(s->id, row.id);
        EXPECT_EQ(Str(s->musicFile), Str(row.music));
        EXPECT_EQ(Str(s->font), Str(row.font));
        EXPECT_EQ(s->fontSize, row.fontSize);
        EXPECT_EQ(s->background, row.background);
        EXPECT_EQ(s->fadeImage, row.fadeImage);
        EXPECT_EQ(s->timeImage, row.timeImage);
        EXPECT_EQ(s->difficulty, row.difficulty);
        std::string kind = row.kind;
        EXPECT_EQ(s->typing, kind == "typing");
        EXPECT_EQ(s->letterView, kind == "letter box");
        EXPECT_EQ(s->imageOnly, kind == "pause 2000 ms");
        EXPECT_EQ(s->pauseMs, kind == "pause 2000 ms" ? 2000 : 0);
        EXPECT_EQ(s->text != nullptr, row.table != nullptr);
        EXPECT_EQ(NameOf(s->next1), Str(row.next1));
        EXPECT_EQ(NameOf(s->next2), Str(row.next2));
        if (!row.next2) {
            // Zero rule: only the choice rows carry a question and answers.
            EXPECT_EQ(s->question, nullptr);
            EXPECT_EQ(s->choice1, nullptr);
            EXPECT_EQ(s->choice2, nullptr);
            EXPECT_EQ(s->choiceFontSize, 0);
        }
    }
    for (const Choice &c : CHOICES) {
        SCOPED_TRACE(c.scene);
        const Scene *s = ByName(c.scene);
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(Str(s->question), c.question);
        EXPECT_EQ(s->choiceFontSize, c.size);
        EXPECT_EQ(Str(s->choice1), c.choice1);
        EXPECT_EQ(Str(s->choice2), c.choice2);
    }
}

TEST_F(GraphRecords, KindsAddUp)
{
    std::map<std::string, int> kinds;
    for (int i = 0; i < STORY_SCENES; i++) {
        const Scene *s = StoryScene(i);
        if (s->typing)
            kinds["typing"]++;
        else if (s->letterView && s->text)
            kinds["letter box"]++;
        else if (s->imageOnly)
            kinds["pause"]++;
        else if (s->text)
            kinds["narration"]++;
        else if (s->next2)
            kinds["choice"]++;
        else if (!s->next1)
            kinds["closing"]++;
        else
            kinds["silent, straight on"]++;
    }
    std::map<std::string, int> expected = {{"typing", 12}, {"narration", 22}, {"letter box", 3},
                                           {"pause", 2},   {"choice", 3},     {"closing", 5}};
    EXPECT_EQ(kinds, expected);
}

TEST_F(GraphShape, TreeRootedAtScene01)
{
    std::set<const Scene *> records;
    std::map<const Scene *, int> predecessors;
    for (int i = 0; i < STORY_SCENES; i++)
        records.insert(StoryScene(i));
    ASSERT_EQ(records.size(), size_t(STORY_SCENES));
    for (const Scene *s : records)
        for (const Scene *next : {s->next1, s->next2})
            if (next) {
                EXPECT_TRUE(records.count(next)) << NameOf(s) << " links outside the story";
                predecessors[next]++;
            }
    EXPECT_EQ(predecessors.count(ByName("Scene01")), 0u);
    for (const Scene *s : records)
        if (s != ByName("Scene01")) {
            EXPECT_EQ(predecessors[s], 1) << NameOf(s);
        }
    // Walking the tree from the root meets every record once.
    std::set<const Scene *> seen;
    std::vector<const Scene *> open = {ByName("Scene01")};
    while (!open.empty()) {
        const Scene *s = open.back();
        open.pop_back();
        ASSERT_TRUE(seen.insert(s).second) << NameOf(s) << " reached twice";
        for (const Scene *next : {s->next1, s->next2})
            if (next)
                open.push_back(next);
    }
    EXPECT_EQ(seen.size(), size_t(STORY_SCENES));
}

TEST_F(GraphShape, EachPathEndsAtItsClosingScene)
{
    for (const Ending &e : ENDINGS) {
        SCOPED_TRACE("path " + std::to_string(e.path));
        const int low = e.path == 1 ? 101 : e.path * 1000 + 1;
        const int high = e.path == 1 ? 199 : e.path * 1000 + 999;
        const Scene *s = ByName("Scene01");
        size_t choices = 0;
        int letters = 0, steps = 0;
        bool branched = false;
        while (s && (s->next1 || s->next2) && steps++ < STORY_SCENES) {
            letters += s->typing;
            if (branched)
                EXPECT_TRUE(s->id >= low && s->id <= high) << NameOf(s) << " id " << s->id;
            else
                EXPECT_LT(s->id, 100) << NameOf(s);
            if (s->next2) {
                ASSERT_LT(choices, e.answers.size()) << "more choices than expected at " << NameOf(s);
                int answer = e.answers[choices++];
                // A first answer leaves the main line; the last choice splits it in two.
                branched = answer == 1 || (choices == e.answers.size() && e.path >= 4);
                s = answer == 1 ? s->next1 : s->next2;
            } else {
                s = s->next1;
            }
        }
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(choices, e.answers.size());
        EXPECT_EQ(NameOf(s), e.closing);
        EXPECT_EQ(s->id, e.id);
        EXPECT_TRUE(s->id >= low && s->id <= high);
        EXPECT_EQ(s->background, e.background);
        EXPECT_EQ(s->text, nullptr);
        EXPECT_EQ(letters, e.letters);
    }
}

TEST_F(GraphShape, EveryRecordKeepsTheRecordRules)
{
    for (int i = 0; i < STORY_SCENES; i++) {
        const Scene *s = StoryScene(i);
        SCOPED_TRACE(StorySceneName(i));
        EXPECT_NE(s->font, nullptr);
        if (s->next2) {
            EXPECT_NE(s->next1, nullptr);
            EXPECT_NE(s->question, nullptr);
            EXPECT_NE(s->choice1, nullptr);
            EXPECT_NE(s->choice2, nullptr);
            EXPECT_GT(s->choiceFontSize, 0);
        }
        if (!s->text) {
            EXPECT_FALSE(s->typing);
            continue;
        }
        for (int l = 0; l < SCENE_TEXT_LINES; l++) {
            EXPECT_LE(strlen(s->text[l]), size_t(SCENE_LINE_BYTES - 1));
            for (const char *c = s->text[l]; *c; c++)
                EXPECT_TRUE(*c >= 32 && *c <= 126) << "line " << l << " byte " << int(*c);
        }
        if (s->typing) {
            EXPECT_GE(s->difficulty, 0);
            EXPECT_LE(s->difficulty, 9);
            EXPECT_TRUE(s->fadeImage >= 10 && s->fadeImage <= 17);
            EXPECT_TRUE(s->timeImage >= 10 && s->timeImage <= 17);
            int last = -1;
            for (int l = 0; l < SCENE_TEXT_LINES; l++) {
                EXPECT_FALSE(IsMarker(s->text[l])) << "line " << l;
                if (s->text[l][0])
                    last = l;
            }
            ASSERT_GE(last, 0) << "a letter to type without a line";
            // The last character of a line is where the typist finishes it.
            for (int l = 0; l < SCENE_TEXT_LINES; l++) {
                std::string line = s->text[l];
                if (line.empty())
                    continue;
                if (l == last)
                    EXPECT_NE(line.back(), ' ') << "signature line " << l;
                else
                    EXPECT_TRUE(line.size() >= 2 && line.back() == ' ' && line[line.size() - 2] != ' ')
                        << "line " << l << " \"" << line << "\"";
            }
        } else {
            int end = 0;
            while (end < SCENE_TEXT_LINES && strcmp(s->text[end], SCENE_END_OF_TEXT) != 0)
                end++;
            ASSERT_LT(end, SCENE_TEXT_LINES) << "no end marker";
            for (int l = end + 1; l < SCENE_TEXT_LINES; l++)
                EXPECT_STREQ(s->text[l], "") << "slot " << l << " after the end marker";
            bool shown = false;
            for (int l = 0; l <= end; l++) {
                if (l == end || strcmp(s->text[l], SCENE_NEW_PAGE) == 0) {
                    EXPECT_TRUE(shown) << "empty page ending at slot " << l;
                    shown = false;
                } else if (s->text[l][0]) {
                    shown = true;
                }
            }
        }
    }
}

TEST_F(GraphGroups, GroupsBreakWhereTheStoryCanResume)
{
    std::vector<Group> found;
    for (int i = 0; i < STORY_SCENES; i++) {
        const Scene *s = StoryScene(i);
        if (i == 0 || s->id != StoryScene(i - 1)->id)
            found.push_back({s->id, StorySceneName(i), 0});
        found.back().scenes++;
        // Nothing after a letter or a choice may be resumed into the middle of it.
        if (i + 1 < STORY_SCENES && (s->typing || s->next2)) {
            EXPECT_NE(StoryScene(i + 1)->id, s->id) << "after " << StorySceneName(i);
        }
    }
    ASSERT_EQ(found.size(), sizeof GROUPS / sizeof GROUPS[0]);
    for (size_t g = 0; g < found.size(); g++) {
        EXPECT_EQ(found[g].id, GROUPS[g].id);
        EXPECT_STREQ(found[g].first, GROUPS[g].first);
        EXPECT_EQ(found[g].scenes, GROUPS[g].scenes) << "group " << GROUPS[g].id;
    }
}

TEST_F(GraphGroups, EntryValuesLeadToTheFirstSceneOfTheirGroup)
{
    EXPECT_EQ(EntryScene(1), ByName("Scene01"));
    std::set<int> accepted = {1};
    for (const Group &g : GROUPS) {
        if (g.id == 0)
            continue;
        accepted.insert(g.id);
        EXPECT_EQ(NameOf(EntryScene(g.id)), g.first) << "entry " << g.id;
    }
    ASSERT_EQ(accepted.size(), 24u);
    // Id 0 and everything else a damaged progress file might hold find nothing.
    for (int value : {0, 2, 9999, -1, 143, INT_MAX, INT_MIN})
        EXPECT_EQ(EntryScene(value), nullptr) << "entry " << value;
    int hits = 0;
    for (int value = -2000; value <= 10000; value++)
        if (EntryScene(value)) {
            hits++;
            EXPECT_TRUE(accepted.count(value)) << "entry " << value;
        }
    EXPECT_EQ(hits, 24);
}

TEST_F(GraphText, CopiesEqualTheTablesAndArePrivate)
{
    std::set<const void *> buffers;
    int copies = 0;
    for (const Row &row : SCENE_TABLE) {
        if (!row.table)
            continue;
        SCOPED_TRACE(row.name);
        char **text = ByName(row.name)->text;
        ASSERT_NE(text, nullptr);
        copies++;
        EXPECT_TRUE(buffers.insert(text).second);
        for (int l = 0; l < SCENE_TEXT_LINES; l++) {
            ASSERT_NE(row.table[l], nullptr) << "table slot " << l;
            EXPECT_STREQ(text[l], row.table[l]) << "line " << l;
            EXPECT_NE(static_cast<const void *>(text[l]), static_cast<const void *>(row.table[l]));
            EXPECT_TRUE(buffers.insert(text[l]).second) << "line " << l << " shares a buffer";
        }
    }
    EXPECT_EQ(copies, 37);
    // Fill every buffer to its last usable byte: a short or shared buffer
    // shows up as a clobbered neighbour (or as an overrun under a sanitizer).
    auto pattern = [](int scene, int line) {
        return std::string(SCENE_LINE_BYTES - 1, char('A' + (scene * SCENE_TEXT_LINES + line) % 58));
    };
    for (int i = 0; i < STORY_SCENES; i++)
        if (char **text = StoryScene(i)->text)
            for (int l = 0; l < SCENE_TEXT_LINES; l++)
                memcpy(text[l], pattern(i, l).c_str(), SCENE_LINE_BYTES);
    for (int i = 0; i < STORY_SCENES; i++) {
        if (char **text = StoryScene(i)->text) {
            for (int l = 0; l < SCENE_TEXT_LINES; l++)
                EXPECT_EQ(text[l], pattern(i, l)) << StorySceneName(i) << " line " << l;
        }
    }
}

TEST(GraphLifecycle, BuildsAndReleasesRepeatedly)
{
    for (int round = 0; round < 2; round++) {
        InitScenes();
        // Building over a live graph replaces it.
        InitScenes();
        for (const Row &row : SCENE_TABLE) {
            ASSERT_NE(ByName(row.name), nullptr) << row.name;
            if (row.table) {
                EXPECT_STREQ(ByName(row.name)->text[0], row.table[0]) << row.name;
            }
        }
        EXPECT_EQ(EntryScene(5310), ByName("Scene31"));
        DestroyScenes();
        for (int i = 0; i < STORY_SCENES; i++)
            EXPECT_EQ(StoryScene(i), nullptr) << StorySceneName(i);
        EXPECT_EQ(EntryScene(1), nullptr);
        DestroyScenes();
    }
    EXPECT_EQ(StoryScene(-1), nullptr);
    EXPECT_EQ(StoryScene(STORY_SCENES), nullptr);
    EXPECT_EQ(StorySceneName(STORY_SCENES), nullptr);
}

// The letters' titles stand for the typing scenes, in story order, each its
// own, and no title gives a scene's name away.
TEST_F(GraphRecords, EveryLetterHasATitleOfItsOwnInStoryOrder)
{
    std::vector<std::string> typing;
    for (int i = 0; i < STORY_SCENES; i++)
        if (StoryScene(i)->typing)
            typing.push_back(StorySceneName(i));
    ASSERT_EQ(typing.size(), size_t(STORY_LETTERS));
    std::set<std::string> titles;
    for (int i = 0; i < STORY_LETTERS; i++) {
        EXPECT_EQ(StoryLetterAt(i).scene, typing[i]);
        EXPECT_EQ(LetterTitle(typing[i].c_str()), std::string(StoryLetterAt(i).title));
        EXPECT_EQ(std::string(StoryLetterAt(i).title).find("Scene"), std::string::npos);
        titles.insert(StoryLetterAt(i).title);
    }
    EXPECT_EQ(titles.size(), size_t(STORY_LETTERS));
    EXPECT_EQ(std::string(LetterTitle("Scene99")).find("Scene"), std::string::npos);
}
