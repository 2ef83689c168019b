// Knowledge of the story that the flow tests share: the texts come from the
// game's own tables, the layout rules are stated here as a player sees them.
#include "harness.h"

#include <X11/keysym.h>

#include <chrono>
#include <cstring>
#include <optional>
#include <string>
#include <thread>

#include "player/typing.h"
#include "presentation/alfont.h"
#include "story/graph.h"

namespace harness {

static const int PAGE_MS = 8000;         // a fade plus slack
static const int KEY_MS = 3000;          // the cursor follows a key within this
static const uint32_t NARRATION_INK = 0x000000;
static const int TYPE_X = 35, TYPE_Y = 45, TYPE_PITCH = 15;

// When the last letter typed was seen finished, its page standing.
static std::optional<std::chrono::steady_clock::time_point> finishedPageSeen;

static void LoadStory()
{
    static bool loaded = false;
    if (!loaded) {
        InitScenes();
        loaded = true;
    }
}

const Scene *SceneNamed(const std::string &name)
{
    LoadStory();
    return StoryScene(StoryIndexNamed(name.c_str()));
}

static bool Is(const char *line, const char *marker)
{
    return strcmp(line, marker) == 0;
}

std::vector<std::vector<int>> NarrationPages(const Scene *scene)
{
    std::vector<std::vector<int>> pages(1);
    for (int k = 0; k < 25 && !Is(scene->text[k], "ENDOFTEXT"); k++) {
        if (Is(scene->text[k], "NEWPAGE"))
            pages.emplace_back();
        else
            pages.back().push_back(k);
    }
    return pages;
}

Image NarrationPage(const Scene *scene, const std::vector<int> &lines)
{
    // A page of n lines starts (n - 1) / 2 pitches above the middle.
    int n = lines.size(), pitch = scene->fontSize;
    int top = SHOT_H / 2 - ((n - 1) / 2) * pitch;
    std::vector<TextItem> items;
    for (int i = 0; i < n; i++) {
        TextItem t{scene->text[lines[i]], SHOT_W / 2, top + i * pitch, NARRATION_INK, pitch};
        t.centred = true;
        items.push_back(t);
    }
    return Compose(scene->background, items);
}

Image LetterBoxPage(const Scene *scene, const std::vector<int> &lines)
{
    std::vector<TextItem> items;
    for (size_t i = 0; i < lines.size(); i++)
        items.push_back({scene->text[lines[i]], 20, int(305 + i * scene->fontSize), NARRATION_INK, scene->fontSize});
    return Compose(scene->background, items, false, {{15, 300, 625, 470, 0xFFFFFF, 128}});
}

bool WaitForScreen(const Image &expected, int timeoutMs, double tolerance)
{
    Image last;
    bool ok = WaitFor([&] {
        last = Screenshot();
        return Difference(last, expected, 0, 0, SHOT_W, SHOT_H) < tolerance;
    }, timeoutMs, 30);
    if (!ok) {
        // Left for a person to compare.
        SavePng(last, ShotPath("mismatch-seen"));
        SavePng(expected, ShotPath("mismatch-expected"));
    }
    return ok;
}

bool ReadNarration(const std::string &sceneName)
{
    const Scene *scene = SceneNamed(sceneName);
    if (!scene || !scene->text)
        return false;
    for (const std::vector<int> &page : NarrationPages(scene)) {
        if (!WaitForScreen(NarrationPage(scene, page), PAGE_MS))
            return false;
        PressKey(XK_space);
    }
    return true;
}

Image ChoiceScreen(const Scene *scene, int selected, bool afterLetter)
{
    int first = afterLetter ? 250 : 200;
    std::vector<TextItem> items;
    TextItem q{scene->question, SHOT_W / 2, 150, 0, 35};
    q.centred = true;
    items.push_back(q);
    const char *choices[2] = {scene->choice1, scene->choice2};
    for (int i = 0; i < 2; i++) {
        TextItem c{choices[i], SHOT_W / 2, first + i * scene->choiceFontSize,
                   selected == i + 1 ? 0x858585u : 0u, scene->choiceFontSize};
        c.centred = true;
        items.push_back(c);
    }
    return Compose(scene->background, items);
}

bool Choose(const std::string &sceneName, int choice)
{
    const Scene *scene = SceneNamed(sceneName);
    if (!scene || !WaitForScreen(ChoiceScreen(scene, 1), PAGE_MS))
        return false;
    if (choice == 2) {
        PressKey(XK_Down);
        if (!WaitForScreen(ChoiceScreen(scene, 2), KEY_MS))
            return false;
    }
    PressKey(XK_Return);
    return true;
}

// Typing -------------------------------------------------------------------

static ALFONT_FONT *typeFont = nullptr;

int TypeAdvance(char c)
{
    if (!typeFont) {
        alfont_init();
        typeFont = alfont_load_font((std::string(PAPERLUNE_DATA_DIR) + "/Fonts/typewriter.ttf").c_str());
        if (!typeFont)
            return 0;
    }
    alfont_set_font_size(typeFont, TYPE_PITCH);
    char s[2] = {c, 0};
    return alfont_text_length(typeFont, s);
}

// Mean of red above the other channels over the cursor box of a cell.
static double Redness(int line, int x)
{
    Image s = Screenshot();
    int x0 = TYPE_X + x, y0 = TYPE_Y + TYPE_PITCH * line + 2;
    double sum = 0;
    int n = 0;
    for (int yy = y0; yy < y0 + 11; yy++)
        for (int xx = x0; xx < x0 + 3; xx++) {
            uint32_t p = s.at(xx, yy);
            sum += int((p >> 16) & 0xFF) - (int((p >> 8) & 0xFF) + int(p & 0xFF)) / 2;
            n++;
        }
    return sum / n;
}

bool CursorAt(int line, int x)
{
    return Redness(line, x) > 40.0;
}

bool PauseShown()
{
    Image s = Screenshot();
    return ShareOfColour(s, 220, 200, 200, 40, 0xFFFFFF, 40) > 0.03 &&
           ShareOfColour(s, 0, 400, 640, 80, 0x000000, 90) > 0.5;
}

bool TypeLetter(const std::string &sceneName)
{
    TypingPlan plan;
    return TypeLetter(sceneName, plan);
}

// A key ends the pause: once the veil is gone, the cursor stands where it
// stood, or one character on when the key was typed after all.
static bool EndPause(int line, int x, char expected, bool *typed)
{
    TypeChar('q');
    int past = x + TypeAdvance(expected);
    if (!WaitFor([&] { return !PauseShown() && (CursorAt(line, x) || CursorAt(line, past)); }, KEY_MS, 3))
        return false;
    *typed = !CursorAt(line, x);
    return true;
}

bool TypeLetter(const std::string &sceneName, TypingPlan &plan)
{
    const Scene *scene = SceneNamed(sceneName);
    if (!scene || !scene->typing)
        return false;
    int firstLine = 0;
    while (firstLine < 25 && scene->text[firstLine][0] == 0)
        firstLine++;
    if (!WaitFor([&] { return CursorAt(firstLine, 0); }, PAGE_MS, 10))
        return false;
    // The letter's clock started before the page was seen, and stood at most
    // from each F12 sent to the veil seen gone.
    auto firstSeen = std::chrono::steady_clock::now();
    std::chrono::steady_clock::duration paused{};
    int words = 0;
    for (int line = 0; line < 25; line++) {
        const char *text = scene->text[line];
        int length = strlen(text);
        if (length == 0)
            continue;
        int x = 0;
        bool plain = plan.keyGapMs == 0 && line != plan.pauseLine;
        for (const WrongKey &w : plan.wrong)
            plain = plain && w.line != line;
        if (plain) {
            // No key gets lost, so a line with nothing to watch goes in
            // one burst; the cursor on the next line shows it all arrived.
            for (int pos = 0; pos < length - 1; pos++)
                x += TypeAdvance(text[pos]);
            TypeBurst(std::string(text, length - 1));
        }
        for (int pos = 0; pos < length - 1 && !plain; pos++) {
            auto pauseStart = std::chrono::steady_clock::now();
            if (line == plan.pauseLine && pos == plan.pausePos) {
                if (plan.holdF12)
                    KeyDown(XK_F12);
                else
                    PressKey(XK_F12);
                plan.pauseSeen = WaitFor(PauseShown, KEY_MS);
                // The veil stays for the whole pause, a held key repeating or not.
                auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(plan.pauseMs);
                while (std::chrono::steady_clock::now() < end) {
                    plan.pauseGaps += !PauseShown();
                    Sleep(40);
                }
                if (plan.holdF12)
                    KeyUp(XK_F12);
                if (!EndPause(line, x, text[pos], &plan.pauseKeyTyped))
                    return false;
                paused += std::chrono::steady_clock::now() - pauseStart;
            }
            bool wordStarts = pos > 0 && text[pos - 1] == ' ' && text[pos] != ' ';
            words += wordStarts;
            if (wordStarts && plan.pauseEveryWords && words % plan.pauseEveryWords == 0) {
                bool typed = false;
                pauseStart = std::chrono::steady_clock::now();
                PressKey(XK_F12, 12);
                if (!WaitFor(PauseShown, KEY_MS, 3) || !EndPause(line, x, text[pos], &typed) || typed)
                    return false;
                paused += std::chrono::steady_clock::now() - pauseStart;
                plan.pausesMade++;
            }
            unsigned long key = (unsigned char)text[pos];
            for (const WrongKey &w : plan.wrong)
                if (w.line == line && w.pos == pos)
                    key = w.keysym;
            if (key <= 0xFF)
                TypeChar(char(key));
            else
                PressKey(key, 12);
            x += TypeAdvance(text[pos]);
            if (!WaitFor([&] { return CursorAt(line, x); }, KEY_MS, 3))
                return false;
            if (plan.keyGapMs)
                Sleep(plan.keyGapMs);
        }
        // Any key ends the line on its last character.
        int next = line + 1;
        while (next < 25 && scene->text[next][0] == 0)
            next++;
        if (next >= 25 && plan.leaveLastKey)
            return WaitFor([&] { return CursorAt(line, x); }, KEY_MS, 3);
        auto keySent = std::chrono::steady_clock::now();
        TypeChar(' ');
        plan.leastTypingSeconds = std::chrono::duration<double>(keySent - firstSeen - paused).count();
        if (next < 25 && !WaitFor([&] { return CursorAt(next, 0); }, KEY_MS, 3))
            return false;
        // After the signature the finished page stands without a cursor.
        if (next >= 25) {
            if (!WaitFor([&] { return !CursorAt(line, x); }, KEY_MS, 3))
                return false;
            finishedPageSeen = std::chrono::steady_clock::now();
        }
    }
    return true;
}

bool FinishLetter()
{
    // The finished page stands for the game's hold before a key counts,
    // from the moment it was seen (now, when the typing was not watched).
    auto seen = finishedPageSeen.value_or(std::chrono::steady_clock::now());
    finishedPageSeen.reset();
    std::this_thread::sleep_until(seen + std::chrono::milliseconds(TYPE_DONE_HOLD_MS + HOLD_MARGIN_MS));
    PressKey(XK_space);
    return true;
}

}  // namespace harness

namespace harness {

static const int PAUSE_IMAGE = 0;

bool ReadLetterBox(const std::string &sceneName)
{
    const Scene *scene = SceneNamed(sceneName);
    if (!scene)
        return false;
    for (const std::vector<int> &page : NarrationPages(scene)) {
        for (size_t shown = 1; shown <= page.size(); shown++) {
            std::vector<int> lines(page.begin(), page.begin() + shown);
            if (!WaitForScreen(LetterBoxPage(scene, lines), PAGE_MS))
                return false;
            PressKey(XK_space);
        }
    }
    if (!WaitForScreen(DataPicture(scene->background), PAGE_MS))
        return false;
    PressKey(XK_space);
    return true;
}

bool QuitAndSave()
{
    ParkPointer();
    WaitStable(1500);   // Escape is read only while it is down, not during a fade
    PressKey(XK_Escape, 150);
    if (!WaitFor([] { return QuitDialogShown(1); }, KEY_MS))
        return false;
    PressKey(XK_Return);
    return WaitFor(MenuShown, PAGE_MS);
}

static bool FirstScreenShown(const Scene *scene)
{
    if (scene->typing) {
        int line = 0;
        while (line < 25 && scene->text[line][0] == 0)
            line++;
        return WaitFor([&] { return CursorAt(line, 0); }, PAGE_MS, 10);
    }
    if (scene->next1 && scene->next2 && !scene->text)
        return WaitForScreen(ChoiceScreen(scene, 1), PAGE_MS);
    if (scene->letterView && scene->text) {
        std::vector<int> firstLine = {NarrationPages(scene)[0][0]};
        return WaitForScreen(LetterBoxPage(scene, firstLine), PAGE_MS);
    }
    if (scene->text)
        return WaitForScreen(NarrationPage(scene, NarrationPages(scene)[0]), PAGE_MS);
    return true;
}

bool WalkStory(const std::string &fromScene, Walk &walk)
{
    const Scene *scene = SceneNamed(fromScene);
    size_t choice = 0;
    while (scene) {
        std::string name = StorySceneName(StoryIndexOf(scene));
        if (name == walk.stopAt)
            return FirstScreenShown(scene) || (walk.failedAt = name, false);
        bool ok = true;
        if (scene->typing) {
            ok = TypeLetter(name, walk.typing) && FinishLetter();
            walk.lettersTyped += ok;
        } else if (scene->letterView) {
            ok = ReadLetterBox(name);
        } else if (scene->imageOnly) {
            ok = WaitForScreen(DataPicture(PAUSE_IMAGE), PAGE_MS);
        } else if (scene->text) {
            ok = ReadNarration(name);
        }
        if (!ok) {
            walk.failedAt = name;
            return false;
        }
        if (scene->next1 && scene->next2) {
            if (choice >= walk.choices.size() || !Choose(name, walk.choices[choice])) {
                walk.failedAt = name + " (choice)";
                return false;
            }
            scene = walk.choices[choice++] == 1 ? scene->next1 : scene->next2;
        } else if (scene->next1) {
            scene = scene->next1;
        } else {
            walk.closing = name;
            return true;
        }
    }
    return false;
}

}  // namespace harness
