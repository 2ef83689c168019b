#include "threads.h"

#include <cstdio>
#include <dirent.h>

std::set<std::string> ThreadIds()
{
    std::set<std::string> ids;
    DIR *d = opendir("/proc/self/task");
    while (dirent *e = d ? readdir(d) : nullptr)
        if (e->d_name[0] != '.')
            ids.insert(e->d_name);
    if (d)
        closedir(d);
    return ids;
}

long VoluntarySleeps(const std::string &tid)
{
    std::string path = "/proc/self/task/" + tid + "/status";
    FILE *f = fopen(path.c_str(), "r");
    long n = -1;
    char line[256];
    while (f && fgets(line, sizeof line, f))
        if (sscanf(line, "voluntary_ctxt_switches: %ld", &n) == 1)
            break;
    if (f)
        fclose(f);
    return n;
}
