#include "records/recordtext.h"

#include <cerrno>
#include <cstdlib>

bool RecordNumber(std::string word, long long low, long long high, long long &value)
{
    size_t first = word.find_first_not_of(' ');
    size_t last = word.find_last_not_of(' ');
    word = first == std::string::npos ? "" : word.substr(first, last - first + 1);
    if (word.empty() || word.size() > 20)
        return false;
    errno = 0;
    char *end = nullptr;
    long long v = strtoll(word.c_str(), &end, 10);
    if (errno || *end || v < low || v > high)
        return false;
    value = v;
    return true;
}
