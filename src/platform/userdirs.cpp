#include "platform/userdirs.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/files.h"

static const char USER_XDG_DATA_VAR[] = "XDG_DATA_HOME";
static const char USER_XDG_STATE_VAR[] = "XDG_STATE_HOME";
static const char USER_XDG_CONFIG_VAR[] = "XDG_CONFIG_HOME";
static const char USER_HOME_VAR[] = "HOME";
static const char USER_DATA_UNDER_HOME[] = "/.local/share/";
static const char USER_STATE_UNDER_HOME[] = "/.local/state/";
static const char USER_CONFIG_UNDER_HOME[] = "/.config/";
static const char USER_NOT_A_DIRECTORY[] = "it is not a directory";

// A relative value would move with the working directory; such a place is
// no place at all, as the freedesktop rules say.
static bool Usable(const char *dir)
{
    return dir && dir[0] == '/';
}

static std::string Join(const char *dir, const std::string &rest)
{
    std::string path = dir;
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    if (path == "/")
        path.clear();
    return path + rest;
}

// "<xdg>/<app>", else "<home><underHome><app>", else "".
static std::string UserDir(const char *xdg, const char *home, const char *passwdHome, const char *underHome,
                           const char *app)
{
    if (Usable(xdg))
        return Join(xdg, std::string("/") + app);
    const char *base = Usable(home) ? home : passwdHome;
    if (Usable(base))
        return Join(base, underHome + std::string(app));
    return "";
}

std::string UserDataDir(const char *xdgDataHome, const char *home, const char *passwdHome, const char *app)
{
    return UserDir(xdgDataHome, home, passwdHome, USER_DATA_UNDER_HOME, app);
}

std::string UserStateDir(const char *xdgStateHome, const char *home, const char *passwdHome, const char *app)
{
    return UserDir(xdgStateHome, home, passwdHome, USER_STATE_UNDER_HOME, app);
}

std::string UserConfigDir(const char *xdgConfigHome, const char *home, const char *passwdHome, const char *app)
{
    return UserDir(xdgConfigHome, home, passwdHome, USER_CONFIG_UNDER_HOME, app);
}

// The same from the environment; the password database is asked only when
// the environment has no home.
static std::string UserDirectory(const char *xdgVar, const char *underHome, const char *app)
{
    const char *xdg = getenv(xdgVar);
    const char *home = getenv(USER_HOME_VAR);
    const char *passwdHome = nullptr;
    if (!Usable(xdg) && !Usable(home)) {
        if (const passwd *entry = getpwuid(getuid()))
            passwdHome = entry->pw_dir;
    }
    return UserDir(xdg, home, passwdHome, underHome, app);
}

std::string UserDataDirectory(const char *app)
{
    return UserDirectory(USER_XDG_DATA_VAR, USER_DATA_UNDER_HOME, app);
}

std::string UserConfigDirectory(const char *app)
{
    return UserDirectory(USER_XDG_CONFIG_VAR, USER_CONFIG_UNDER_HOME, app);
}

std::string UserStateDirectory(const char *app)
{
    return UserDirectory(USER_XDG_STATE_VAR, USER_STATE_UNDER_HOME, app);
}

static bool IsDirectory(const std::string &path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool MakeDirectories(const std::string &dir, unsigned mode, std::string *why)
{
    if (dir.empty()) {
        if (why)
            *why = strerror(ENOENT);
        return false;
    }
    // Each prefix ending before a slash, then the whole path.
    for (size_t slash = dir.find('/', 1); ; slash = dir.find('/', slash + 1)) {
        std::string prefix = dir.substr(0, slash);
        if (mkdir(prefix.c_str(), mode) == 0) {
            // The new directory's own entry lives in its parent.
            SyncDirectory(prefix);
            SyncDirectory(DirectoryOf(prefix));
        } else {
            int error = errno;
            // A parent that is there is fine, whatever mkdir says of it (a
            // read-only file system may answer EROFS before EEXIST).
            if (error != EEXIST && !IsDirectory(prefix)) {
                if (why)
                    *why = strerror(error);
                return false;
            }
        }
        if (slash == std::string::npos)
            break;
    }
    if (!IsDirectory(dir)) {
        if (why)
            *why = USER_NOT_A_DIRECTORY;
        return false;
    }
    return true;
}

std::string WorkingDirectory()
{
    std::vector<char> buffer(256);
    while (!getcwd(buffer.data(), buffer.size())) {
        if (errno != ERANGE)
            return ".";
        buffer.resize(buffer.size() * 2);
    }
    return buffer.data();
}
