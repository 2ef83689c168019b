#include "platform/userdirs.h"

#include <cerrno>
#include <cstdlib>
#include <vector>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

static const char USER_XDG_DATA_VAR[] = "XDG_DATA_HOME";
static const char USER_HOME_VAR[] = "HOME";
static const char USER_DATA_UNDER_HOME[] = "/.local/share/";

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

std::string UserDataDir(const char *xdgDataHome, const char *home, const char *passwdHome, const char *app)
{
    if (Usable(xdgDataHome))
        return Join(xdgDataHome, std::string("/") + app);
    const char *base = Usable(home) ? home : passwdHome;
    if (Usable(base))
        return Join(base, USER_DATA_UNDER_HOME + std::string(app));
    return "";
}

std::string UserDataDirectory(const char *app)
{
    const char *xdg = getenv(USER_XDG_DATA_VAR);
    const char *home = getenv(USER_HOME_VAR);
    // The password database is asked only when the environment has no home.
    const char *passwdHome = nullptr;
    if (!Usable(xdg) && !Usable(home)) {
        if (const passwd *entry = getpwuid(getuid()))
            passwdHome = entry->pw_dir;
    }
    return UserDataDir(xdg, home, passwdHome, app);
}

static bool IsDirectory(const std::string &path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool MakeDirectories(const std::string &dir, unsigned mode)
{
    if (dir.empty())
        return false;
    // Each prefix ending before a slash, then the whole path.
    for (size_t slash = dir.find('/', 1); ; slash = dir.find('/', slash + 1)) {
        std::string prefix = dir.substr(0, slash);
        // A parent that is there is fine, whatever mkdir says of it (a
        // read-only file system may answer EROFS before EEXIST).
        if (mkdir(prefix.c_str(), mode) != 0 && errno != EEXIST && !IsDirectory(prefix))
            return false;
        if (slash == std::string::npos)
            break;
    }
    return IsDirectory(dir);
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
