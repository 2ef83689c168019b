// Where the run-time files are. The game names them relative to its working
// directory ("game.dat", "Fonts\..."), so start-up finds the directory that
// holds them and changes into it; every name then stays as it is.
#ifndef PAPERLUNE_PLATFORM_DATADIR_H
#define PAPERLUNE_PLATFORM_DATADIR_H

#include <functional>
#include <string>
#include <vector>

// The places to look, in order: the start directory, the data/ directory of
// the build tree this program was built in (developer builds only), and the
// installed location under the install prefix. Repeats are left out.
std::vector<std::string> DataDirectoryCandidates(const std::string &startDir);

// Index of the first candidate for which `holdsData` is true, or -1.
int FindDataDirectory(const std::vector<std::string> &candidates,
                      const std::function<bool(const std::string &)> &holdsData);

// True when `dir` holds a readable regular file named `probeFile`.
bool HoldsFile(const std::string &dir, const char *probeFile);

// What the player is told when no candidate holds `probeFile`.
std::string DataDirectoryMissing(const std::vector<std::string> &candidates, const char *probeFile);

// Remembers the start directory, then changes into the first candidate that
// holds `probeFile`. Returns null, or the text for the message box.
const char *EnterDataDirectory(const char *probeFile);

// The working directory the game was started in, as an absolute path,
// remembered before the change (an old home of files the player kept there).
const std::string &StartDirectory();

// The directory the game runs in after EnterDataDirectory, absolute.
const std::string &DataDirectory();

#endif
