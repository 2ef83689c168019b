#include "platform/datadir.h"

#include "platform/userdirs.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>

// The build writes both places in; a packaged build leaves the build tree out.
#ifndef PAPERLUNE_INSTALLED_DATA
#error "the build must say where the run-time files are installed"
#endif

static const char DATADIR_INSTALLED[] = PAPERLUNE_INSTALLED_DATA;
#ifdef PAPERLUNE_BUILD_DATA
static const char DATADIR_BUILD_TREE[] = PAPERLUNE_BUILD_DATA;
#endif
static const char DATADIR_MISSING_HEAD[] = "Cannot find the game's files (%s) in any of these places:";
static const char DATADIR_CHDIR_FAILED[] = "Cannot enter the game's files in %s: %s";

static std::string startDirectory;
static std::string dataDirectory;
static std::string problem;

std::vector<std::string> DataDirectoryCandidates(const std::string &startDir)
{
    std::vector<std::string> all = {startDir};
#ifdef PAPERLUNE_BUILD_DATA
    all.push_back(DATADIR_BUILD_TREE);
#endif
    all.push_back(DATADIR_INSTALLED);

    std::vector<std::string> candidates;
    for (const std::string &dir : all) {
        bool seen = false;
        for (const std::string &earlier : candidates)
            seen = seen || earlier == dir;
        if (!seen && !dir.empty())
            candidates.push_back(dir);
    }
    return candidates;
}

int FindDataDirectory(const std::vector<std::string> &candidates,
                      const std::function<bool(const std::string &)> &holdsData)
{
    for (size_t i = 0; i < candidates.size(); i++)
        if (holdsData(candidates[i]))
            return int(i);
    return -1;
}

bool HoldsFile(const std::string &dir, const char *probeFile)
{
    std::string path = dir + "/" + probeFile;
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), R_OK) == 0;
}

std::string DataDirectoryMissing(const std::vector<std::string> &candidates, const char *probeFile)
{
    char head[256];
    snprintf(head, sizeof head, DATADIR_MISSING_HEAD, probeFile);
    std::string text = head;
    for (const std::string &dir : candidates)
        text += "\n" + dir;
    return text;
}

const char *EnterDataDirectory(const char *probeFile)
{
    startDirectory = WorkingDirectory();
    std::vector<std::string> candidates = DataDirectoryCandidates(startDirectory);
    int found = FindDataDirectory(candidates, [&](const std::string &dir) { return HoldsFile(dir, probeFile); });
    if (found < 0) {
        problem = DataDirectoryMissing(candidates, probeFile);
        return problem.c_str();
    }
    if (chdir(candidates[found].c_str()) != 0) {
        char text[PATH_MAX + 256];
        snprintf(text, sizeof text, DATADIR_CHDIR_FAILED, candidates[found].c_str(), strerror(errno));
        problem = text;
        return problem.c_str();
    }
    dataDirectory = WorkingDirectory();
    return nullptr;
}

const std::string &StartDirectory()
{
    return startDirectory;
}

const std::string &DataDirectory()
{
    return dataDirectory;
}
