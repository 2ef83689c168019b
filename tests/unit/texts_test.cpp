// The story texts against the shapes the scene player relies on: markers and
// page sizes for the readers, letter sizes for the time limits, lines that can
// be typed, and narration that fits the screen at its scene's size.
#include <gtest/gtest.h>

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <unistd.h>

#include "story/texts.h"

namespace {

const int SLOTS_READ = 25;
const int NARRATION_LINE_MAX = 85;
const int TYPING_LINE_MAX = 39;
// The letter box starts at x = 20 and ends at x = 625; 600 px keeps a margin
// in it. Other narration is centred on x = 320: 612 px leaves 14 on each
// side, inside the border the pictures' paper keeps 8 to 10 px from the edge.
const int LETTER_BOX_WIDTH_MAX = 600;
const int CENTRED_WIDTH_MAX = 612;
const char NARRATION_FONT[] = PAPERLUNE_DATA_DIR "/Fonts/engeregu.ttf";
// No key reaches these: the key mapping turns '"' into '!', ':' into '"' and '<' into '?'.
const char UNTYPABLE[] = "\":<";

enum Kind { THOUGHTS, RECEIVED, FIRST_RECEIVED, LETTER_BOX };

struct NarrationShape {
    const char *name;
    const char *const *table;
    Kind kind;
    int fontSize;
    int slotsBeforeEnd;
    int newPages;
    int pages[5];
    int blanks;
    int longest;
};

const NarrationShape NARRATION[] = {
    {"Scene01", TEXT_Scene01, THOUGHTS, 25, 10, 1, {8, 1}, 0, 83},
    {"Scene02", TEXT_Scene02, FIRST_RECEIVED, 24, 9, 0, {9}, 1, 81},
    {"Scene03", TEXT_Scene03, THOUGHTS, 25, 2, 0, {2}, 0, 81},
    {"Scene04e2", TEXT_Scene04e2, THOUGHTS, 25, 4, 0, {4}, 0, 80},
    {"Scene05e1", TEXT_Scene05e1, THOUGHTS, 25, 11, 2, {6, 1, 2}, 1, 81},
    {"Scene06", TEXT_Scene06, RECEIVED, 23, 14, 0, {14}, 1, 84},
    {"Scene06e1", TEXT_Scene06e1, THOUGHTS, 25, 8, 2, {4, 1, 1}, 0, 83},
    {"Scene07e1", TEXT_Scene07e1, THOUGHTS, 25, 13, 4, {4, 2, 1, 1, 1}, 0, 85},
    {"Scene08", TEXT_Scene08, RECEIVED, 24, 11, 0, {11}, 0, 82},
    {"Scene09", TEXT_Scene09, RECEIVED, 23, 7, 0, {7}, 0, 83},
    {"Scene11", TEXT_Scene11, RECEIVED, 24, 14, 0, {14}, 1, 73},
    {"Scene13e2", TEXT_Scene13e2, THOUGHTS, 25, 1, 0, {1}, 0, 48},
    {"Scene15", TEXT_Scene15, RECEIVED, 25, 12, 0, {12}, 0, 80},
    {"Scene17", TEXT_Scene17, RECEIVED, 25, 9, 0, {9}, 0, 80},
    {"Scene19", TEXT_Scene19, RECEIVED, 25, 8, 0, {8}, 0, 83},
    {"Scene21", TEXT_Scene21, RECEIVED, 25, 9, 0, {9}, 0, 83},
    {"Scene22", TEXT_Scene22, RECEIVED, 25, 9, 0, {9}, 0, 80},
    {"Scene24", TEXT_Scene24, RECEIVED, 25, 6, 0, {6}, 0, 85},
    {"Scene26e2", TEXT_Scene26e2, RECEIVED, 25, 10, 0, {10}, 2, 82},
    {"Scene26e3", TEXT_Scene26e3, LETTER_BOX, 25, 16, 2, {6, 6, 2}, 0, 85},
    {"Scene26e4", TEXT_Scene26e4, LETTER_BOX, 25, 9, 1, {4, 4}, 0, 80},
    {"Scene26e5", TEXT_Scene26e5, LETTER_BOX, 25, 8, 1, {4, 3}, 0, 52},
    {"Scene28", TEXT_Scene28, RECEIVED, 22, 21, 0, {21}, 2, 85},
    {"Scene30e1", TEXT_Scene30e1, THOUGHTS, 25, 8, 0, {8}, 0, 82},
    {"Scene31", TEXT_Scene31, THOUGHTS, 25, 5, 0, {5}, 0, 78},
};

struct LetterShape {
    const char *name;
    const char *const *table;
    int nonEmpty;
    int empty;
    int characters;
    int longest;
    bool blankAfterSalutation;
    bool blankBeforeSignature;
};

const LetterShape LETTERS[] = {
    {"Scene04e1", TEXT_Scene04e1, 13, 12, 371, 36, true, true},
    {"Scene05", TEXT_Scene05, 22, 3, 690, 37, true, true},
    {"Scene07", TEXT_Scene07, 22, 3, 680, 39, true, true},
    {"Scene10", TEXT_Scene10, 24, 1, 822, 39, false, false},
    {"Scene13e1", TEXT_Scene13e1, 16, 9, 491, 38, true, true},
    {"Scene14", TEXT_Scene14, 11, 14, 338, 38, true, true},
    {"Scene16", TEXT_Scene16, 23, 2, 726, 38, true, true},
    {"Scene18", TEXT_Scene18, 21, 4, 657, 39, true, true},
    {"Scene20", TEXT_Scene20, 19, 6, 548, 38, true, true},
    {"Scene23", TEXT_Scene23, 18, 7, 597, 38, true, true},
    {"Scene26e1", TEXT_Scene26e1, 25, 0, 813, 39, false, false},
    {"Scene27", TEXT_Scene27, 24, 1, 777, 38, true, false},
};

bool Is(const char *line, const char *text) { return std::strcmp(line, text) == 0; }

int EndOfText(const char *const *table)
{
    for (int i = 0; i < SLOTS_READ; ++i)
        if (Is(table[i], "ENDOFTEXT"))
            return i;
    return -1;
}

int LastNonEmpty(const char *const *table)
{
    for (int i = SLOTS_READ - 1; i >= 0; --i)
        if (table[i][0] != '\0')
            return i;
    return -1;
}

bool EndsWith(const char *line, const char *tail)
{
    size_t n = std::strlen(line), m = std::strlen(tail);
    return n >= m && std::strcmp(line + n - m, tail) == 0;
}

// The font layer's rule: the largest pixel size whose ascender plus descender
// fits the scene's font size, and a line as wide as its advances added up.
int PixelSizeFor(FT_Face face, int height)
{
    int size = height;
    for (; size > 1; --size) {
        FT_Set_Pixel_Sizes(face, 0, size);
        int h = std::abs(face->size->metrics.ascender >> 6) + std::abs(face->size->metrics.descender >> 6);
        if (h <= height)
            break;
    }
    FT_Set_Pixel_Sizes(face, 0, size);
    return size;
}

int LineWidth(FT_Face face, const char *line)
{
    int width = 0;
    for (const char *p = line; *p; ++p) {
        if (FT_Load_Char(face, static_cast<unsigned char>(*p), FT_LOAD_DEFAULT) == 0)
            width += face->glyph->advance.x >> 6;
    }
    return width;
}

TEST(Texts, EverySlotReadHoldsPrintableAscii)
{
    auto check = [](const char *name, const char *const *table) {
        SCOPED_TRACE(name);
        for (int i = 0; i < SLOTS_READ; ++i) {
            ASSERT_NE(table[i], nullptr) << "slot " << i;
            for (const char *p = table[i]; *p; ++p)
                EXPECT_TRUE(*p >= 32 && *p <= 126) << "slot " << i << " byte " << int(static_cast<unsigned char>(*p));
        }
    };
    for (const NarrationShape &s : NARRATION)
        check(s.name, s.table);
    for (const LetterShape &s : LETTERS)
        check(s.name, s.table);
    EXPECT_EQ(std::size(NARRATION) + std::size(LETTERS), 37u);
}

TEST(Texts, NarrationMatchesItsShape)
{
    for (const NarrationShape &s : NARRATION) {
        SCOPED_TRACE(s.name);
        const int end = EndOfText(s.table);
        ASSERT_EQ(end, s.slotsBeforeEnd);
        for (int i = end + 1; i < SLOTS_READ; ++i)
            EXPECT_STREQ(s.table[i], "") << "slot " << i << " after the end marker";

        int pages[SLOTS_READ] = {0};
        int pageCount = 1, newPages = 0, blanks = 0, longest = 0;
        for (int i = 0; i < end; ++i) {
            const char *line = s.table[i];
            if (Is(line, "NEWPAGE")) {
                ++newPages;
                ++pageCount;
                continue;
            }
            ++pages[pageCount - 1];
            if (line[0] == '\0')
                ++blanks;
            longest = std::max(longest, static_cast<int>(std::strlen(line)));
            EXPECT_LE(std::strlen(line), static_cast<size_t>(NARRATION_LINE_MAX)) << "slot " << i;
        }
        EXPECT_EQ(newPages, s.newPages);
        EXPECT_EQ(blanks, s.blanks);
        EXPECT_EQ(longest, s.longest);
        ASSERT_EQ(pageCount, s.newPages + 1);
        for (int p = 0; p < pageCount; ++p) {
            EXPECT_EQ(pages[p], s.pages[p]) << "page " << p + 1;
            EXPECT_GT(pages[p], 0) << "page " << p + 1 << " is empty";
        }
    }
}

TEST(Texts, ReceivedLettersOpenAndCloseAlike)
{
    const char *salutation = TEXT_Scene02[0];
    const char *signature = TEXT_Scene06[EndOfText(TEXT_Scene06) - 1];
    ASSERT_NE(salutation[0], '\0');
    ASSERT_NE(signature[0], '\0');
    EXPECT_STRNE(salutation, TEXT_Scene04e1[0]) << "received and typed letters open differently";
    int received = 0;
    for (const NarrationShape &s : NARRATION) {
        if (s.kind != RECEIVED && s.kind != FIRST_RECEIVED)
            continue;
        SCOPED_TRACE(s.name);
        ++received;
        const int end = EndOfText(s.table);
        ASSERT_GT(end, 1);
        EXPECT_STREQ(s.table[0], salutation);
        if (s.kind == RECEIVED)
            EXPECT_STREQ(s.table[end - 1], signature);
        else
            EXPECT_STRNE(s.table[end - 1], signature) << "the first reply is signed in full";
    }
    EXPECT_EQ(received, 13);
}

TEST(Texts, TypingLetterMatchesItsShape)
{
    for (const LetterShape &s : LETTERS) {
        SCOPED_TRACE(s.name);
        int nonEmpty = 0, empty = 0, characters = 0, longest = 0;
        for (int i = 0; i < SLOTS_READ; ++i) {
            const int n = static_cast<int>(std::strlen(s.table[i]));
            (n ? nonEmpty : empty) += 1;
            characters += n;
            longest = std::max(longest, n);
        }
        EXPECT_EQ(nonEmpty, s.nonEmpty);
        EXPECT_EQ(empty, s.empty);
        EXPECT_EQ(characters, s.characters) << "the letter's size sets its time limit";
        EXPECT_EQ(longest, s.longest);
        EXPECT_EQ(EndOfText(s.table), -1) << "a typing letter carries no marker";
    }
}

TEST(Texts, TypingLinesCanBeTypedAndFinished)
{
    for (const LetterShape &s : LETTERS) {
        SCOPED_TRACE(s.name);
        const int signature = LastNonEmpty(s.table);
        ASSERT_GT(signature, 0);
        for (int i = 0; i < SLOTS_READ; ++i) {
            const char *line = s.table[i];
            EXPECT_LE(std::strlen(line), static_cast<size_t>(TYPING_LINE_MAX)) << "slot " << i;
            EXPECT_EQ(std::strpbrk(line, UNTYPABLE), nullptr) << "slot " << i << ": " << line;
            EXPECT_FALSE(Is(line, "NEWPAGE")) << "slot " << i;
            if (line[0] == '\0')
                continue;
            // The key on a line's last character is never compared, so that
            // character must be the space every line but the signature ends with.
            if (i == signature) {
                EXPECT_FALSE(EndsWith(line, " ")) << "signature: '" << line << "'";
            } else {
                EXPECT_TRUE(EndsWith(line, " ")) << "slot " << i << ": '" << line << "'";
                EXPECT_FALSE(EndsWith(line, "  ")) << "slot " << i << ": '" << line << "'";
                EXPECT_GT(std::strlen(line), 1u) << "slot " << i << " is a lone space";
            }
        }
    }
}

TEST(Texts, TypingLettersShareSalutationAndSignature)
{
    const char *salutation = LETTERS[0].table[0];
    const char *signature = LETTERS[0].table[LastNonEmpty(LETTERS[0].table)];
    EXPECT_STRNE(salutation, signature);
    for (const LetterShape &s : LETTERS) {
        SCOPED_TRACE(s.name);
        const int last = LastNonEmpty(s.table);
        ASSERT_GT(last, 1);
        EXPECT_STREQ(s.table[0], salutation);
        EXPECT_STREQ(s.table[last], signature);
        EXPECT_EQ(s.table[1][0] == '\0', s.blankAfterSalutation) << "line after the salutation";
        EXPECT_EQ(s.table[last - 1][0] == '\0', s.blankBeforeSignature) << "line before the signature";
        EXPECT_NE(s.table[2][0], '\0') << "one blank line at most after the salutation";
        EXPECT_NE(s.table[last - 2][0], '\0') << "one blank line at most before the signature";
    }
}

TEST(Texts, NarrationFitsTheScreenAtItsSize)
{
    if (access(NARRATION_FONT, R_OK) != 0)
        GTEST_SKIP() << NARRATION_FONT << " is not built";
    FT_Library library;
    ASSERT_EQ(FT_Init_FreeType(&library), 0);
    FT_Face face;
    ASSERT_EQ(FT_New_Face(library, NARRATION_FONT, 0, &face), 0);
    // A measure that came out as zero would pass every line below.
    PixelSizeFor(face, 22);
    const int small = LineWidth(face, "Paperlune");
    PixelSizeFor(face, 25);
    EXPECT_GT(small, 0);
    EXPECT_GT(LineWidth(face, "Paperlune"), small);

    for (const NarrationShape &s : NARRATION) {
        SCOPED_TRACE(s.name);
        PixelSizeFor(face, s.fontSize);
        const int end = EndOfText(s.table);
        for (int i = 0; i < end; ++i) {
            if (Is(s.table[i], "NEWPAGE"))
                continue;
            EXPECT_LE(LineWidth(face, s.table[i]), s.kind == LETTER_BOX ? LETTER_BOX_WIDTH_MAX : CENTRED_WIDTH_MAX)
                << "slot " << i << ": " << s.table[i];
        }
    }
    FT_Done_Face(face);
    FT_Done_FreeType(library);
}

}  // namespace
