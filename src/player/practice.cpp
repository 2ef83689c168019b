#include "player/practice.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <set>

#include "platform/awake.h"
#include "platform/fsound.h"
#include "platform/input.h"
#include "player/game.h"
#include "player/typing.h"
#include "presentation/buffer.h"
#include "presentation/datafile.h"
#include "presentation/show.h"
#include "presentation/text.h"
#include "records/dialogs.h"
#include "records/practicerecords.h"
#include "records/save.h"
#include "story/graph.h"
#include "story/letters.h"

static const int PRACTICE_MUSIC_CHANNEL = 0;
static const char DRILL_LINE_END = ' ';

// What a practice page holds while it runs: its buffers, font and music.
struct PracticePage {
    BITMAP *page = nullptr, *frame = nullptr;
    ALFONT_FONT *font = nullptr;
    FSOUND_STREAM *music = nullptr;
};

static PracticePage OpenPage(const Scene *scene)
{
    PracticePage p;
    p.page = CreateBackBuffer();
    p.frame = CreateBackBuffer();
    p.font = LoadFontOrDie(scene->font);
    p.music = scene->musicFile ? FSOUND_Stream_Open(scene->musicFile, FSOUND_LOOP_NORMAL, 0, -1) : nullptr;
    if (p.music)
        FSOUND_Stream_Play(PRACTICE_MUSIC_CHANNEL, p.music);
    ClearKeys();
    return p;
}

static void ClosePage(PracticePage &p)
{
    KeepAwakeWhileTyping(false);
    if (p.music) {
        FSOUND_Stream_Stop(p.music);
        FSOUND_Stream_Close(p.music);
    }
    alfont_destroy_font(p.font);
    destroy_bitmap(p.frame);
    destroy_bitmap(p.page);
    ClearState();
}

// As in the story, without ending anything: the list comes back after it.
static void ShowTimeOut()
{
    show(TIMEOUT_IMAGE);
    DisplayRest(TIMEOUT_HOLD_MS);
    ClearState();
    WaitForPress();
}

static TypingAids PracticeAids(const KeyTimes *pace)
{
    TypingAids aids = ChosenTypingAids();
    aids.pace = pace;
    aids.askToLeave = leavePracticeWnd;
    return aids;
}

void PracticeLetter(int letter)
{
    Scene *scene = StoryScene(StoryIndexNamed(StoryLetterAt(letter).scene));
    if (!scene)
        return;
    // The marker follows the best as it stood when the page opened.
    const BestRun best = PracticeData.best[letter];
    const ClockRules rules = ChosenClock();
    PracticePage p = OpenPage(scene);
    LetterResult result = typeLetter(scene, p.font, p.page, p.frame, rules,
                                     PracticeAids(best.kept ? &best.keyMs : nullptr));
    KeepAwakeWhileTyping(false);
    if (result.outcome == LETTER_TIMED_OUT)
        ShowTimeOut();
    if (result.outcome == LETTER_COMPLETED) {
        PracticeTyped(StoryLetterAt(letter).scene, PathOfId(scene->id), result.figures);
        PracticeComparison c;
        c.hadBest = best.kept;
        c.bestWpm = RunWpm(best);
        c.bestAccuracy = RunAccuracy(best);
        c.bestSeconds = best.typingMs / 1000.0;
        c.newBest = LetterRunFinished(letter, result.figures, result.keyMs, true);
        FinishedLetterPage(scene, p.font, p.page, rules, result, &c);
    }
    ClosePage(p);
}

// The words of the texts, each once, in the order they first come.
static std::vector<std::string> Words(const std::vector<char *const *> &texts)
{
    std::vector<std::string> words;
    std::set<std::string> seen;
    for (char *const *text : texts)
        for (int l = 0; l < SCENE_TEXT_LINES; l++) {
            const char *at = text[l];
            while (*at) {
                size_t n = strcspn(at, " ");
                std::string word(at, n);
                if (n > 0 && int(n) < DRILL_LINE_CHARS && seen.insert(word).second)
                    words.push_back(word);
                at += n;
                at += strspn(at, " ");
            }
        }
    return words;
}

static bool Holds(const std::string &word, char c)
{
    return word.find(c) != std::string::npos;
}

// The words the drill is made of, most useful first: one for each
// character, then the others in the seed's order.
static std::vector<std::string> DrillWords(const std::vector<std::string> &words, const std::vector<char> &missed,
                                           unsigned seed)
{
    std::vector<std::string> holding;
    for (const std::string &w : words)
        for (char c : missed)
            if (c != ' ' && Holds(w, c)) {
                holding.push_back(w);
                break;
            }
    if (holding.empty())
        holding = words;   // a space alone, or characters no word holds
    std::rotate(holding.begin(), holding.begin() + seed % holding.size(), holding.end());
    std::vector<std::string> chosen;
    for (char c : missed)
        for (const std::string &w : holding)
            if (c != ' ' && Holds(w, c)) {
                if (std::find(chosen.begin(), chosen.end(), w) == chosen.end())
                    chosen.push_back(w);
                break;
            }
    for (const std::string &w : holding)
        if (std::find(chosen.begin(), chosen.end(), w) == chosen.end())
            chosen.push_back(w);
    return chosen;
}

std::vector<std::string> DrillLines(const std::vector<char *const *> &texts, const std::vector<char> &missed,
                                    unsigned seed)
{
    std::vector<std::string> words = Words(texts);
    if (words.empty())
        return {};
    std::vector<std::string> chosen = DrillWords(words, missed, seed);
    std::vector<std::string> lines(1);
    // Round the chosen words, as often as the lines take.
    for (size_t i = 0; int(lines.size()) <= DRILL_LINES; i++) {
        const std::string &w = chosen[i % chosen.size()];
        if (int(lines.back().size() + w.size()) + 1 > DRILL_LINE_CHARS)
            lines.emplace_back();
        lines.back() += w + DRILL_LINE_END;
    }
    lines.resize(DRILL_LINES);
    return lines;
}

// A drill on the page of the first letter given: its lines in the letter's
// place, the rest blank.
static char **DrillText(const std::vector<std::string> &lines)
{
    char **text = static_cast<char **>(calloc(SCENE_TEXT_LINES, sizeof(char *)));
    for (int l = 0; l < SCENE_TEXT_LINES; l++) {
        text[l] = static_cast<char *>(calloc(SCENE_LINE_BYTES, 1));
        if (l < int(lines.size()))
            strncpy(text[l], lines[l].c_str(), SCENE_LINE_BYTES - 1);
    }
    return text;
}

static void FreeText(char **text)
{
    for (int l = 0; l < SCENE_TEXT_LINES; l++)
        free(text[l]);
    free(text);
}

void PracticeDrill(const std::vector<int> &letters, const std::vector<char> &missed)
{
    std::vector<char *const *> texts;
    for (int letter : letters)
        if (Scene *s = StoryScene(StoryIndexNamed(StoryLetterAt(letter).scene)))
            texts.push_back(s->text);
    std::vector<std::string> lines = DrillLines(texts, missed, unsigned(time(nullptr)));
    if (lines.empty())
        return;
    Scene drill = *StoryScene(StoryIndexNamed(StoryLetterAt(letters[0]).scene));
    drill.text = DrillText(lines);
    // No limit: the drill is for the keys, not the clock.
    const ClockRules rules = ClockOfKind(CLOCK_NONE, PACE_DEFAULT_WPM, PACE_DEFAULT_ACCURACY);
    PracticePage p = OpenPage(&drill);
    LetterResult result = typeLetter(&drill, p.font, p.page, p.frame, rules, PracticeAids(nullptr));
    if (result.outcome == LETTER_COMPLETED) {
        PracticeTyped(DRILL_NAME, 0, result.figures);
        FinishedLetterPage(&drill, p.font, p.page, rules, result);
    }
    ClosePage(p);
    FreeText(drill.text);
}
