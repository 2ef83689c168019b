#include "scratch.h"

#include <cstdio>
#include <unistd.h>

static const char SCRATCH_PREFIX[] = "/tmp/paperlune-unit-";

std::string ScratchFile(const std::string &name)
{
    return SCRATCH_PREFIX + std::to_string(getpid()) + "-" + name;
}

bool WriteBytes(const std::string &path, const std::vector<uint8_t> &bytes)
{
    FILE *f = fopen(path.c_str(), "wb");
    if (!f)
        return false;
    // An empty vector may have no buffer, which fwrite must not see.
    bool ok = bytes.empty() || fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return fclose(f) == 0 && ok;
}
