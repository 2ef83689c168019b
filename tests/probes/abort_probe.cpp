// Dies the way a damaged game.dat once made the game die: the C library
// aborts on a double free while it holds the allocator's lock. With the
// game's signal handlers the process ends by SIGABRT. Given "library", it
// keeps the graphics library's own handlers, which shut the library down from
// inside the signal, wait on that lock forever, and leave a process that
// never ends: the fault the game's handlers exist for.
#include <allegro.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/signals.h"

static const size_t BLOCK = 4000;   // too big for the per-thread cache: freed under the lock
static const char LIBRARY_ONLY[] = "library";

int main(int argc, char **argv)
{
    // The X driver is the one that installs the handlers.
    if (install_allegro(SYSTEM_AUTODETECT, &errno, atexit) != 0)
        return 3;
    if (!(argc > 1 && strcmp(argv[1], LIBRARY_ONLY) == 0))
        InstallCrashHandlers();
    char *volatile block = static_cast<char *>(malloc(BLOCK));
    char *volatile guard = static_cast<char *>(malloc(BLOCK));   // keeps the block off the heap's top
    memset(block, 1, BLOCK);
    fputs("abort_probe: freeing a block twice\n", stderr);
    free(block);
    free(block);
    free(guard);
    return 0;
}
