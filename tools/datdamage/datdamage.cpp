// datdamage GAME.DAT [COUNT] [SEED]
// Makes COUNT damaged copies of a datafile (cuts, single and scattered
// flipped bits, bits flipped in object headers) and loads each one in a child
// process twice: as the library alone would (load_datafile, then the check
// after loading), and as the game does now (the walk over the bytes first).
// Prints how each run ended; a crash or a hang is what must never happen.
#include <allegro.h>
#include <jpgalleg.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <random>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "datwriter.h"
#include "presentation/datacheck.h"
#include "presentation/datafile.h"
#include "presentation/jpegobject.h"

static const char USAGE[] = "usage: datdamage GAME.DAT [COUNT] [SEED]\n";
static const int DEFAULT_COUNT = 200;
static const int HANG_MS = 30000;          // a whole load takes well under a second
static const int POLL_MS = 5;
static const int MAX_FLIPS = 8;
static const size_t HEADER_SPAN = 64;      // bytes from an object's start counted as its header
static const size_t FIXED_CUTS[] = {12, 100, 4096};    // then a third, a half, one byte short

enum Outcome { LOADED, REFUSED_BY_CHECK, REFUSED_BY_LOADER, REFUSED_AFTER_LOAD, CRASHED, HUNG, OUTCOMES };
static const char *const OUTCOME_NAMES[OUTCOMES] = {
    "loaded", "refused by the walk", "refused by load_datafile", "refused after loading", "crashed", "hung",
};

static bool WriteAll(const std::string &path, const std::vector<uint8_t> &bytes)
{
    FILE *f = fopen(path.c_str(), "wb");
    if (!f)
        return false;
    bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return fclose(f) == 0 && ok;
}

// The child: the library as the game starts it, minus the screen.
[[noreturn]] static void LoadInChild(const char *path, bool walkFirst)
{
    install_allegro(SYSTEM_NONE, &errno, atexit);
    jpgalleg_init();
    set_color_depth(32);
    if (walkFirst) {
        RegisterJpegObjects();
        if (CheckGameDataFile(path))
            _exit(REFUSED_BY_CHECK);
    }
    DATAFILE *file = load_datafile(path);
    if (!file)
        _exit(REFUSED_BY_LOADER);
    const char *problem = CheckGameData(file);
    unload_datafile(file);
    _exit(problem ? REFUSED_AFTER_LOAD : LOADED);
}

static Outcome Run(const char *path, bool walkFirst)
{
    pid_t pid = fork();
    if (pid == 0)
        LoadInChild(path, walkFirst);
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(HANG_MS);
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > end) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return HUNG;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(POLL_MS));
    }
    if (WIFSIGNALED(status))
        return CRASHED;
    int code = WEXITSTATUS(status);
    return code >= 0 && code < CRASHED ? Outcome(code) : CRASHED;
}

static std::string Damage(std::vector<uint8_t> &bytes, const std::vector<DatSpan> &spans, int variant,
                          std::mt19937 &random)
{
    auto below = [&](size_t n) { return size_t(random() % n); };
    auto flip = [&](size_t at) { bytes[at] ^= uint8_t(1u << below(8)); };
    size_t size = bytes.size();
    std::vector<size_t> cuts(std::begin(FIXED_CUTS), std::end(FIXED_CUTS));
    cuts.insert(cuts.end(), {size / 3, size / 2, size - 1});
    if (variant < int(cuts.size())) {
        bytes.resize(cuts[variant]);
        return "cut at " + std::to_string(bytes.size());
    }
    switch (variant % 5) {
    case 0: {
        size_t at = below(size);
        bytes.resize(at);
        return "cut at " + std::to_string(at);
    }
    case 1: {
        size_t at = below(size);
        flip(at);
        return "bit flipped at " + std::to_string(at);
    }
    case 2: {
        int flips = 2 + int(below(MAX_FLIPS - 1));
        for (int i = 0; i < flips; i++)
            flip(below(size));
        return std::to_string(flips) + " bits flipped";
    }
    default: {
        // Object headers and JPEG headers: small, but where the loaders trust sizes.
        const DatSpan &span = spans[below(spans.size())];
        size_t length = span.data + HEADER_SPAN - span.start;
        if (span.start + length > size)
            length = size - span.start;
        size_t at = span.start + below(length);
        flip(at);
        return "header bit flipped at " + std::to_string(at);
    }
    }
}

int main(int argc, char **argv)
{
    if (argc < 2 || argc > 4) {
        fputs(USAGE, stderr);
        return 2;
    }
    int count = argc > 2 ? atoi(argv[2]) : DEFAULT_COUNT;
    unsigned seed = argc > 3 ? unsigned(strtoul(argv[3], nullptr, 10)) : 1;
    std::vector<uint8_t> original;
    if (!LoadFileBytes(argv[1], original) || original.empty()) {
        fprintf(stderr, "datdamage: cannot read %s\n", argv[1]);
        return 1;
    }
    std::vector<DatSpan> spans = DatafileSpans(original);
    if (spans.empty()) {
        fprintf(stderr, "datdamage: %s is not an uncompressed datafile\n", argv[1]);
        return 1;
    }
    std::string path = "/tmp/datdamage-" + std::to_string(getpid()) + ".dat";
    std::mt19937 random(seed);
    int before[OUTCOMES] = {}, after[OUTCOMES] = {};
    for (int v = 0; v < count; v++) {
        std::vector<uint8_t> bytes = original;
        std::string what = Damage(bytes, spans, v, random);
        if (!WriteAll(path, bytes)) {
            fprintf(stderr, "datdamage: cannot write %s\n", path.c_str());
            return 1;
        }
        Outcome old = Run(path.c_str(), false);
        Outcome now = Run(path.c_str(), true);
        before[old]++;
        after[now]++;
        if (old >= CRASHED || now >= CRASHED || now == LOADED)
            printf("%3d %-34s without the walk: %-24s with it: %s\n", v, what.c_str(), OUTCOME_NAMES[old],
                   OUTCOME_NAMES[now]);
    }
    remove(path.c_str());
    printf("\n%d damaged copies of %s (seed %u)\n", count, argv[1], seed);
    printf("%-26s %8s %8s\n", "", "before", "now");
    for (int o = 0; o < OUTCOMES; o++)
        printf("%-26s %8d %8d\n", OUTCOME_NAMES[o], before[o], after[o]);
    return after[CRASHED] || after[HUNG] ? 1 : 0;
}
