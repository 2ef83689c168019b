// layers SOURCE_ROOT
// Checks the quoted includes under a source root against the layer order:
// no module may include one of a higher layer, and no modules may include
// each other in a circle. A module is a file's path without its extension,
// so a header and its source file are one. Includes that name no file under
// the root (system headers, generated ones) are not the tree's business.
// Prints every fault and exits 1; prints one line and exits 0 when clean.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;

static const char USAGE[] = "usage: layers SOURCE_ROOT\n";
static const char *const SOURCE_EXTENSIONS[] = {".h", ".hh", ".hpp", ".c", ".cc", ".cpp", ".cxx"};
// Lowest first; a module of a layer may include its own layer and lower ones.
struct Layer {
    const char *dir;
    int rank;
};
static const Layer LAYERS[] = {
    {"platform", 0},
    {"presentation", 1}, {"story", 1},
    {"player", 2}, {"records", 2},
    {"shell", 3},
};
// Enough to show a tangle; past this the circles are not listed one by one.
static const size_t MAX_CIRCLES = 200;

struct Include {
    std::string from, to;   // modules
    std::string file;       // the including file, relative to the root
    int line;
};

static fs::path root;
static std::vector<Include> includes;
static std::set<std::string> modules;

static bool IsSource(const fs::path &path)
{
    std::string ext = path.extension().string();
    for (const char *known : SOURCE_EXTENSIONS)
        if (ext == known)
            return true;
    return false;
}

static std::string ModuleOf(const fs::path &relative)
{
    fs::path module = relative;
    module.replace_extension();
    return module.generic_string();
}

// The layer of a module from its first directory; -1 outside every layer.
static int RankOf(const std::string &module)
{
    size_t slash = module.find('/');
    if (slash == std::string::npos)
        return -1;
    std::string dir = module.substr(0, slash);
    for (const Layer &layer : LAYERS)
        if (dir == layer.dir)
            return layer.rank;
    return -1;
}

// Where a quoted include lands, as the compiler looks: beside the including
// file first, then at the root. Empty when it names no file under the root.
static fs::path Resolve(const fs::path &includer, const std::string &name)
{
    for (const fs::path &base : {includer.parent_path(), fs::path()}) {
        fs::path candidate = (base / name).lexically_normal();
        if (candidate.empty() || *candidate.begin() == "..")
            continue;
        std::error_code error;
        if (fs::is_regular_file(root / candidate, error))
            return candidate;
    }
    return fs::path();
}

// The name of a quoted include on this line, or "" when it holds none.
// Block comments are skipped across lines through `inComment`.
static std::string QuotedInclude(const std::string &text, bool &inComment)
{
    std::string code;
    for (size_t i = 0; i < text.size(); i++) {
        if (inComment) {
            if (text.compare(i, 2, "*/") == 0) {
                inComment = false;
                i++;
            }
        } else if (text.compare(i, 2, "/*") == 0) {
            inComment = true;
            i++;
        } else if (text.compare(i, 2, "//") == 0) {
            break;
        } else {
            code += text[i];
        }
    }
    size_t p = code.find_first_not_of(" \t");
    if (p == std::string::npos || code[p] != '#')
        return "";
    p = code.find_first_not_of(" \t", p + 1);
    if (p == std::string::npos || code.compare(p, 7, "include") != 0)
        return "";
    p = code.find_first_not_of(" \t", p + 7);
    if (p == std::string::npos || code[p] != '"')
        return "";
    size_t end = code.find('"', p + 1);
    return end == std::string::npos ? "" : code.substr(p + 1, end - p - 1);
}

static bool ReadTree()
{
    std::error_code error;
    if (!fs::is_directory(root, error))
        return false;
    std::vector<fs::path> files;
    for (fs::recursive_directory_iterator it(root, error), end; it != end && !error; it.increment(error))
        if (it->is_regular_file() && IsSource(it->path()))
            files.push_back(it->path().lexically_relative(root));
    if (error)
        return false;
    std::sort(files.begin(), files.end());
    for (const fs::path &file : files) {
        std::string from = ModuleOf(file);
        modules.insert(from);
        std::ifstream in(root / file);
        std::string text;
        bool inComment = false;
        for (int line = 1; std::getline(in, text); line++) {
            std::string name = QuotedInclude(text, inComment);
            if (name.empty())
                continue;
            fs::path target = Resolve(file, name);
            if (target.empty())
                continue;
            std::string to = ModuleOf(target);
            if (to != from)
                includes.push_back({from, to, file.generic_string(), line});
        }
    }
    return true;
}

static bool Upward(const Include &inc)
{
    int from = RankOf(inc.from), to = RankOf(inc.to);
    return from >= 0 && to >= 0 && to > from;
}

static std::string Where(const Include &inc)
{
    return inc.from + " -> " + inc.to + " (" + inc.file + ":" + std::to_string(inc.line) + ")";
}

// Module graph and the circles in it ------------------------------------------

static std::map<std::string, std::set<std::string>> arrows;
static std::vector<std::vector<std::string>> circles;
static bool tooManyCircles = false;

// Every elementary circle once, each found from its smallest module: a walk
// from `start` only through modules that sort after it.
static void Walk(const std::string &start, const std::string &at, std::vector<std::string> &path,
                 std::set<std::string> &onPath)
{
    for (const std::string &next : arrows[at]) {
        if (tooManyCircles)
            return;
        if (next == start) {
            if (circles.size() < MAX_CIRCLES)
                circles.push_back(path);
            else
                tooManyCircles = true;
        } else if (next > start && !onPath.count(next)) {
            path.push_back(next);
            onPath.insert(next);
            Walk(start, next, path, onPath);
            onPath.erase(next);
            path.pop_back();
        }
    }
}

static void FindCircles()
{
    for (const Include &inc : includes)
        arrows[inc.from].insert(inc.to);
    for (const std::string &start : modules) {
        std::vector<std::string> path = {start};
        std::set<std::string> onPath = {start};
        Walk(start, start, path, onPath);
    }
}

int main(int argc, char **argv)
{
    if (argc != 2) {
        fputs(USAGE, stderr);
        return 2;
    }
    root = fs::path(argv[1]).lexically_normal();
    if (!ReadTree()) {
        fprintf(stderr, "layers: cannot read %s\n", argv[1]);
        return 2;
    }

    int outside = 0;
    for (const std::string &module : modules)
        if (RankOf(module) < 0) {
            printf("outside the layers: %s\n", module.c_str());
            outside++;
        }
    int upward = 0;
    for (const Include &inc : includes)
        if (Upward(inc)) {
            printf("upward: %s\n", Where(inc).c_str());
            upward++;
        }
    FindCircles();
    for (const std::vector<std::string> &circle : circles) {
        std::string text;
        for (const std::string &module : circle)
            text += module + " -> ";
        printf("circle: %s%s\n", text.c_str(), circle.front().c_str());
        // Each arrow of the circle where it is drawn, to know which to cut.
        for (size_t i = 0; i < circle.size(); i++) {
            const std::string &to = circle[(i + 1) % circle.size()];
            for (const Include &inc : includes)
                if (inc.from == circle[i] && inc.to == to)
                    printf("  %s\n", Where(inc).c_str());
        }
    }
    if (tooManyCircles)
        printf("circle: more than %zu; the rest are not listed\n", MAX_CIRCLES);

    if (outside || upward || !circles.empty()) {
        printf("layers: %d upward include%s, %zu circle%s%s, %d module%s outside the layers, of %zu modules\n",
               upward, upward == 1 ? "" : "s", circles.size(), circles.size() == 1 ? "" : "s",
               tooManyCircles ? " or more" : "", outside, outside == 1 ? "" : "s", modules.size());
        return 1;
    }
    printf("layers: %zu modules, %zu includes between them, no upward include and no circle\n", modules.size(),
           includes.size());
    return 0;
}
