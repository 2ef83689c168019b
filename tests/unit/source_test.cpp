// Rules of the source tree that no compiler checks: no function under src/
// is longer than 80 lines (the text tables are data, not functions), and
// outside src/records/ nothing changes the progress record or the typing
// figures, which have one owner.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const int LONGEST_FUNCTION = 80;

// The code with its comments, string and character literals and
// preprocessor lines blanked to spaces; the newlines stay, so that line
// numbers still hold.
std::string CodeOnly(const std::string &text)
{
    std::string code = text;
    size_t i = 0, n = text.size();
    bool lineStart = true;
    while (i < n) {
        char c = text[i];
        auto blankUntil = [&](size_t end) {
            for (; i < end && i < n; i++)
                if (code[i] != '\n')
                    code[i] = ' ';
        };
        if (lineStart && c == '#') {
            size_t end = i;
            while (end < n && (text[end] != '\n' || (end > 0 && text[end - 1] == '\\')))
                end++;
            blankUntil(end);
        } else if (text.compare(i, 2, "//") == 0) {
            blankUntil(text.find('\n', i) == std::string::npos ? n : text.find('\n', i));
        } else if (text.compare(i, 2, "/*") == 0) {
            size_t end = text.find("*/", i + 2);
            blankUntil(end == std::string::npos ? n : end + 2);
        } else if (c == '"' || c == '\'') {
            size_t end = i + 1;
            while (end < n && text[end] != c && text[end] != '\n')
                end += text[end] == '\\' ? 2 : 1;
            blankUntil(end + 1);
        } else {
            if (c != ' ' && c != '\t')
                lineStart = c == '\n';
            i++;
            continue;
        }
        lineStart = false;
    }
    return code;
}

struct Function {
    std::string head;   // its signature, squeezed onto one line
    int firstLine, lastLine;
};

int LineAt(const std::string &code, size_t at)
{
    return 1 + int(std::count(code.begin(), code.begin() + at, '\n'));
}

// Index of the brace that closes the one at `open`.
size_t Closing(const std::string &code, size_t open)
{
    int depth = 0;
    for (size_t i = open; i < code.size(); i++) {
        depth += code[i] == '{';
        depth -= code[i] == '}';
        if (depth == 0)
            return i;
    }
    return code.size() - 1;
}

// "=" outside parentheses: a table or an initialiser, not a function with
// default arguments.
bool AssignsOutsideParentheses(const std::string &head)
{
    int depth = 0;
    for (char c : head) {
        depth += c == '(';
        depth -= c == ')';
        if (c == '=' && depth == 0)
            return true;
    }
    return false;
}

// The functions defined in the code, from the first line of the signature to
// the closing brace. Namespaces, extern "C" and type bodies are looked
// into; a brace after "=" (a table, an initialiser) is data.
void FindFunctions(const std::string &code, size_t from, size_t to, std::vector<Function> &found)
{
    size_t headStart = from;
    for (size_t i = from; i < to; i++) {
        char c = code[i];
        if (c == ';' || c == '}') {
            headStart = i + 1;
            continue;
        }
        if (c != '{')
            continue;
        std::string head = code.substr(headStart, i - headStart);
        size_t first = head.find_first_not_of(" \t\n");
        head = first == std::string::npos ? "" : head.substr(first, head.find_last_not_of(" \t\n") - first + 1);
        head = std::regex_replace(head, std::regex("\\s+"), " ");
        size_t close = Closing(code, i);
        static const std::regex container("^(namespace\\b|extern\\s*$|(typedef )?(struct|class|union|enum)\\b)");
        static const std::regex function("\\)\\s*((const|noexcept|override|final)\\s*)*$|\\)\\s*:.*\\)\\s*$");
        if (std::regex_search(head, container))
            FindFunctions(code, i + 1, close, found);
        else if (std::regex_search(head, function) && !AssignsOutsideParentheses(head))
            found.push_back({head, LineAt(code, headStart + first), LineAt(code, close)});
        i = close;
        headStart = close + 1;
    }
}

std::vector<Function> Functions(const std::string &text)
{
    std::string code = CodeOnly(text);
    std::vector<Function> found;
    FindFunctions(code, 0, code.size(), found);
    return found;
}

// Places where the code changes SaveData or TypingData: an assignment to
// them or to a field of theirs, or either handed on whole (to a function
// that may change it).
std::vector<int> RecordWrites(const std::string &text)
{
    static const std::regex write(
        "\\b(SaveData|TypingData)\\b(\\s*(\\.\\s*\\w+|\\[[^\\]]*\\]))*\\s*(=[^=]|\\+=|-=|\\*=|/=|\\+\\+|--)"
        "|(\\+\\+|--)\\s*(SaveData|TypingData)\\b"
        "|[(,&]\\s*(SaveData|TypingData)\\s*[),]");
    std::string code = CodeOnly(text);
    std::vector<int> lines;
    for (auto m = std::sregex_iterator(code.begin(), code.end(), write); m != std::sregex_iterator(); ++m)
        lines.push_back(LineAt(code, m->position()));
    return lines;
}

std::string Slurp(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

std::vector<fs::path> SourceFiles()
{
    std::vector<fs::path> files;
    for (const auto &entry : fs::recursive_directory_iterator(fs::path(PAPERLUNE_SOURCE_DIR) / "src"))
        if (entry.is_regular_file() && (entry.path().extension() == ".cpp" || entry.path().extension() == ".h"))
            files.push_back(entry.path());
    return files;
}

std::string Lines(int n, const std::string &line)
{
    std::string text;
    for (int i = 0; i < n; i++)
        text += line + "\n";
    return text;
}

}  // namespace

TEST(SourceRules, TheFunctionFinderTellsCodeFromDataCommentsAndStrings)
{
    const std::string text =
        "#include <x>\n"                                               // 1
        "static const char *TEXT[] = {\n" + Lines(100, "    \"a { line\",") + "};\n"   // 2..103
        "namespace {\n"                                                // 104
        "int Short(int a)\n"                                           // 105
        "{\n"
        "    // } a brace in a comment\n"
        "    return a + '}';\n"
        "}\n"                                                          // 109
        "}  // namespace\n"
        "struct Holder {\n"
        "    int value = 0;\n"
        "};\n"
        "/* int Fake() { */\n"
        "bool Long(const char *s = \"{\",\n"                          // 115
        "          int n = 2) const\n"
        "{\n" + Lines(79, "    n++;") + "}\n";                         // 117..196
    std::vector<Function> found = Functions(text);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].head, "int Short(int a)");
    EXPECT_EQ(found[0].firstLine, 105);
    EXPECT_EQ(found[0].lastLine, 109);
    EXPECT_EQ(found[1].firstLine, 115);
    EXPECT_EQ(found[1].lastLine - found[1].firstLine + 1, 83) << "81 lines of body: too long";

    EXPECT_EQ(RecordWrites("int a = SaveData.runTime;\nif (SaveData.resumeId == 3) {}\n// SaveData.runTime = 0;\n"),
              std::vector<int>{});
    EXPECT_EQ(RecordWrites("SaveData.runTime = 0;\nSaveData.pathRecords[k].bestTime += 3;\n++SaveData.runMistakes;\n"
                           "AddLetterToRun(TypingData, f);\nTypingData = TypingRecord();\n"),
              (std::vector<int>{1, 2, 3, 4, 5}));
}

TEST(SourceRules, NoFunctionIsLongerThanEightyLines)
{
    std::vector<fs::path> files = SourceFiles();
    ASSERT_GT(files.size(), 50u);
    size_t functions = 0;
    for (const fs::path &file : files) {
        for (const Function &f : Functions(Slurp(file))) {
            functions++;
            int length = f.lastLine - f.firstLine + 1;
            EXPECT_LE(length, LONGEST_FUNCTION) << file.string() << ":" << f.firstLine << " " << f.head;
        }
    }
    EXPECT_GT(functions, 400u) << "the finder missed the tree's functions";
}

TEST(SourceRules, OnlyTheRecordsChangeTheProgressAndTheTypingFigures)
{
    fs::path records = fs::path(PAPERLUNE_SOURCE_DIR) / "src" / "records";
    for (const fs::path &file : SourceFiles()) {
        if (file.parent_path() == records)
            continue;
        for (int line : RecordWrites(Slurp(file)))
            ADD_FAILURE() << file.string() << ":" << line << " changes a record outside records/";
    }
}
