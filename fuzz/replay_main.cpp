// Runs saved fuzz inputs through a target's entry point without libFuzzer,
// so that every test pass replays the corpora with the normal compiler.
// Arguments: files, or directories of files. Fails when there was nothing to
// replay, so that a lost corpus does not pass unnoticed.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <dirent.h>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

static bool ReadWhole(const std::string &path, std::vector<uint8_t> &bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

static void Collect(const std::string &path, std::vector<std::string> &files)
{
    struct stat st;
    if (stat(path.c_str(), &st) != 0)
        return;
    if (!S_ISDIR(st.st_mode)) {
        files.push_back(path);
        return;
    }
    DIR *dir = opendir(path.c_str());
    if (!dir)
        return;
    std::vector<std::string> entries;
    while (dirent *e = readdir(dir))
        if (e->d_name[0] != '.')
            entries.push_back(path + "/" + e->d_name);
    closedir(dir);
    std::sort(entries.begin(), entries.end());
    for (const std::string &entry : entries)
        Collect(entry, files);
}

int main(int argc, char **argv)
{
    std::vector<std::string> files;
    for (int i = 1; i < argc; i++)
        Collect(argv[i], files);
    int replayed = 0;
    std::vector<uint8_t> bytes;
    for (const std::string &file : files) {
        if (!ReadWhole(file, bytes)) {
            fprintf(stderr, "replay: cannot read %s\n", file.c_str());
            return 1;
        }
        // Named first, so that the input a crash or valgrind stops at is known.
        fprintf(stderr, "replaying %s\n", file.c_str());
        // A copy of exactly the input's size, as libFuzzer gives it, so that
        // a read past the end is a read past the end here too.
        std::vector<uint8_t> input(bytes);
        LLVMFuzzerTestOneInput(input.data(), input.size());
        replayed++;
    }
    printf("replayed %d inputs\n", replayed);
    return replayed > 0 ? 0 : 1;
}
