// Per-user places on disk: where a player's own files are kept, apart from
// the game's shared, possibly read-only, installation.
#ifndef PAPERLUNE_PLATFORM_USERDIRS_H
#define PAPERLUNE_PLATFORM_USERDIRS_H

#include <string>

// The directory for the player's data of application `app`, from the values
// of $XDG_DATA_HOME, $HOME and the home of the password database (each may
// be null): "<xdg>/<app>", else "<home>/.local/share/<app>". Empty and
// relative values count as unset; "" when no home is known at all.
std::string UserDataDir(const char *xdgDataHome, const char *home, const char *passwdHome, const char *app);
// The same from this process's environment and user.
std::string UserDataDirectory(const char *app);
// The directory for state the player need not keep (a place of last resort
// for progress that cannot go where it belongs), from $XDG_STATE_HOME,
// $HOME and the password database's home as above: "<xdg>/<app>", else
// "<home>/.local/state/<app>"; "" when no home is known.
std::string UserStateDir(const char *xdgStateHome, const char *home, const char *passwdHome, const char *app);
std::string UserStateDirectory(const char *app);

// The directory for the player's settings, from $XDG_CONFIG_HOME, $HOME and
// the password database's home as above: "<xdg>/<app>", else
// "<home>/.config/<app>"; "" when no home is known.
std::string UserConfigDir(const char *xdgConfigHome, const char *home, const char *passwdHome, const char *app);
std::string UserConfigDirectory(const char *app);
// Creates `dir` and any missing parents with the given mode; true when it
// is there (newly made or not) as a directory, else `why` says why. Each
// directory it makes is synced with its parent, so that a power cut cannot
// lose a directory that a file was then written in.
bool MakeDirectories(const std::string &dir, unsigned mode, std::string *why = nullptr);

// The current directory as an absolute path, "." when it cannot be told.
std::string WorkingDirectory();

#endif
