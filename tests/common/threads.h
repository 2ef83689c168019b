// The threads of this very process, for tests of the threads that stand in
// for the library's own: which there are, and how often each went to sleep.
#ifndef PAPERLUNE_TESTS_THREADS_H
#define PAPERLUNE_TESTS_THREADS_H

#include <set>
#include <string>

// The ids of the process's threads now.
std::set<std::string> ThreadIds();
// Times the thread has gone to sleep of its own accord so far; -1 when it
// is gone.
long VoluntarySleeps(const std::string &tid);

#endif
