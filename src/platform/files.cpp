#include "platform/files.h"

#include <cerrno>
#include <climits>
#include <cstring>

#include <chrono>
#include <ctime>
#include <thread>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

// Written first and renamed over the target, so that a crash or a full disk
// midway never leaves a cut-off file behind.
static const char FILE_TEMP_PATTERN[] = ".XXXXXX";
static const unsigned FILE_NEW_MODE = 0666;      // before the umask, as any new file
static const unsigned FILE_MODE_BITS = 07777;
static const int FILE_MAX_LINKS = 40;            // as many as the kernel itself follows

static const char FILE_NOT_A_FILE[] = "it is not a plain file";
static const char FILE_LINK_LOOP[] = "its links go round in a loop";
static const char FILE_LOCK_HELD[] = "another copy of the game kept it locked";
static const char FILE_WRITE_STOPPED[] = "stopped before the write";
static const size_t FILE_TEMP_LETTERS = sizeof FILE_TEMP_PATTERN - 2;   // the X's after the dot

const char FILE_LOCK_SUFFIX[] = ".lock";
static const unsigned FILE_LOCK_MODE = 0600;     // only the player's own copies take it
static const int FILE_LOCK_RETRY_MS = 10;

static void Tell(std::string *why, const char *text)
{
    if (why)
        *why = text;
}

static bool (*writeGate)(const char *path) = nullptr;

void SetFileWriteGate(bool (*allow)(const char *path))
{
    writeGate = allow;
}

static bool WriteAllowed(const char *path, std::string *why)
{
    if (!writeGate || writeGate(path))
        return true;
    Tell(why, FILE_WRITE_STOPPED);
    return false;
}

std::string DirectoryOf(const std::string &path)
{
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

// Some file systems refuse to sync a directory; what was written in it is
// whole all the same.
void SyncDirectory(const std::string &dir)
{
    int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    fsync(fd);
    close(fd);
}

// The file a path finally names, its symbolic links followed even where
// the last one leads to nothing yet; "" for a loop of links.
static std::string LinkTarget(const std::string &path)
{
    std::string current = path;
    for (int hop = 0; hop <= FILE_MAX_LINKS; hop++) {
        struct stat st;
        if (lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return current;
        char link[PATH_MAX];
        ssize_t length = readlink(current.c_str(), link, sizeof link);
        if (length <= 0 || length >= static_cast<ssize_t>(sizeof link))
            return "";
        std::string to(link, length);
        current = to[0] == '/' ? to : DirectoryOf(current) + "/" + to;
    }
    return "";
}

static unsigned NewFileMode()
{
    mode_t mask = umask(0);
    umask(mask);
    return FILE_NEW_MODE & ~mask;
}

static bool WriteWhole(int fd, const void *bytes, size_t size)
{
    const char *p = static_cast<const char *>(bytes);
    size_t done = 0;
    while (done < size) {
        ssize_t n = pwrite(fd, p + done, size - done, off_t(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += size_t(n);
    }
    return true;
}

// A new file beside the target, renamed over it once it is whole.
// *refused is set when the directory takes no new file from this player.
static bool ReplaceByRename(const std::string &target, const void *bytes, size_t size, const struct stat *old,
                            int *error, bool *refused)
{
    std::string pattern = target + FILE_TEMP_PATTERN;
    std::vector<char> temp(pattern.begin(), pattern.end());
    temp.push_back('\0');
    int fd = mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) {
        *error = errno;
        *refused = errno == EACCES || errno == EPERM;
        return false;
    }
    if (old && fchown(fd, old->st_uid, old->st_gid) != 0) {
        // Only root can hand a file back to its owner; the player's own
        // file needs no hand-over, so a refusal changes nothing.
    }
    bool whole = fchmod(fd, old ? old->st_mode & FILE_MODE_BITS : NewFileMode()) == 0
            && WriteWhole(fd, bytes, size)
            && fsync(fd) == 0;
    if (!whole)
        *error = errno;
    if (close(fd) != 0 && whole) {
        *error = errno;
        whole = false;
    }
    if (whole && rename(temp.data(), target.c_str()) != 0) {
        *error = errno;
        whole = false;
    }
    if (!whole) {
        unlink(temp.data());
        return false;
    }
    SyncDirectory(DirectoryOf(target));
    return true;
}

// The file rewritten where it is, in one write over its first bytes and
// without being emptied first, so that the old contents stay until the new
// ones lie over them.
static bool OverwriteInPlace(const std::string &target, const void *bytes, size_t size, int *error)
{
    int fd = open(target.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) {
        *error = errno;
        return false;
    }
    bool whole = WriteWhole(fd, bytes, size) && fsync(fd) == 0;
    if (!whole)
        *error = errno;
    if (whole && ftruncate(fd, off_t(size)) != 0) {
        // A longer file loses its tail once the new contents are whole; a
        // tail that stays is never read anyway.
    }
    if (close(fd) != 0 && whole) {
        *error = errno;
        whole = false;
    }
    return whole;
}

bool ReplaceFileContents(const char *path, const void *bytes, size_t size, std::string *why)
{
    if (!WriteAllowed(path, why))
        return false;
    // A link stays a link: what changes is the file it leads to.
    std::string target = LinkTarget(path);
    if (target.empty()) {
        Tell(why, FILE_LINK_LOOP);
        return false;
    }
    struct stat old;
    bool exists = stat(target.c_str(), &old) == 0;
    if (exists && !S_ISREG(old.st_mode)) {
        Tell(why, FILE_NOT_A_FILE);   // a directory or a device in the way is not ours to replace
        return false;
    }
    int error = 0;
    bool refused = false;
    if (ReplaceByRename(target, bytes, size, exists ? &old : nullptr, &error, &refused))
        return true;
    // Only a directory that refuses new files gets its file overwritten in
    // place. A full disk or a failing one keeps the old file whole instead:
    // the caller can take the record elsewhere.
    int inPlaceError = 0;
    if (exists && refused && OverwriteInPlace(target, bytes, size, &inPlaceError))
        return true;
    // The first refusal says most: the one that stopped the safe way.
    Tell(why, strerror(error ? error : inPlaceError));
    return false;
}

// Why the open file cannot be taken as a plain file, or "" when it can.
static std::string NotPlain(int fd, struct stat &st)
{
    if (fstat(fd, &st) != 0)
        return strerror(errno);
    return S_ISREG(st.st_mode) ? "" : FILE_NOT_A_FILE;
}

// Reads at most maxBytes of a plain file, from its start or up to its end.
static FileReadResult ReadPlainFile(const char *path, size_t maxBytes, bool fromEnd,
                                    std::vector<unsigned char> &bytes, bool *whole, std::string *why)
{
    bytes.clear();
    if (whole)
        *whole = false;
    // Not blocking: a pipe by that name must not hang the start-up.
    int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        int error = errno;
        Tell(why, strerror(error));
        return error == ENOENT ? FILE_MISSING : FILE_UNREADABLE;
    }
    struct stat st;
    std::string problem = NotPlain(fd, st);
    if (problem.empty()) {
        size_t size = size_t(st.st_size);
        off_t from = fromEnd && size > maxBytes ? off_t(size - maxBytes) : 0;
        bytes.resize(maxBytes);
        size_t count = 0;
        while (count < maxBytes) {
            ssize_t got = pread(fd, bytes.data() + count, maxBytes - count, from + off_t(count));
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0)
                problem = strerror(errno);
            if (got <= 0)
                break;
            count += size_t(got);
        }
        bytes.resize(count);
        if (whole)
            *whole = from == 0 && size <= maxBytes;
    }
    close(fd);
    if (!problem.empty()) {
        bytes.clear();
        Tell(why, problem.c_str());
        return FILE_UNREADABLE;
    }
    return FILE_READ;
}

bool FileModified(const char *path, long long *ns)
{
    struct stat st;
    if (stat(path, &st) != 0)
        return false;
    *ns = static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
    return true;
}

// Tries the lock until it is had or the time is up; a signal's interruption
// is only a try that did not get it.
static bool TakeLock(int fd, int waitMs)
{
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    for (;;) {
        if (flock(fd, LOCK_EX | LOCK_NB) == 0)
            return true;
        if (errno != EWOULDBLOCK && errno != EINTR)
            return false;
        if (std::chrono::steady_clock::now() >= end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(FILE_LOCK_RETRY_MS));
    }
}

bool LockFile(const std::string &path, int waitMs, FileLock *lock, std::string *why)
{
    UnlockFile(lock);
    // Beside the real file, so that every name leading to it shares one lock.
    std::string target = LinkTarget(path);
    if (target.empty())
        target = path;
    std::string lockPath = target + FILE_LOCK_SUFFIX;
    int fd = open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, FILE_LOCK_MODE);
    if (fd < 0) {
        int error = errno;
        // A directory that takes no new file: the file itself carries the
        // lock, which works there because its contents are then rewritten in
        // place, never replaced by another file.
        fd = open(target.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            Tell(why, strerror(error));
            return false;
        }
    }
    if (!TakeLock(fd, waitMs)) {
        Tell(why, errno == EWOULDBLOCK || errno == EINTR ? FILE_LOCK_HELD : strerror(errno));
        close(fd);
        return false;
    }
    lock->fd = fd;
    return true;
}

void UnlockFile(FileLock *lock)
{
    if (lock->fd < 0)
        return;
    // Closing lets go of the lock with the descriptor.
    close(lock->fd);
    lock->fd = -1;
}
FileReadResult ReadFileHead(const char *path, size_t maxBytes, std::vector<unsigned char> &bytes, std::string *why)
{
    return ReadPlainFile(path, maxBytes, false, bytes, nullptr, why);
}

FileReadResult ReadFileTail(const char *path, size_t maxBytes, std::vector<unsigned char> &bytes, bool *whole,
                            std::string *why)
{
    return ReadPlainFile(path, maxBytes, true, bytes, whole, why);
}

bool AppendToFile(const char *path, const std::string &text, const std::string &header, std::string *why)
{
    if (!WriteAllowed(path, why))
        return false;
    // Not blocking: a pipe by that name, with or without a reader, is
    // refused below before anything is written to it.
    const int flags = O_APPEND | O_CREAT | O_NONBLOCK | O_CLOEXEC;
    int fd = open(path, O_RDWR | flags, FILE_NEW_MODE);
    bool readable = fd >= 0;
    // A file the player may add to but not read still takes the line.
    if (fd < 0 && errno == EACCES)
        fd = open(path, O_WRONLY | flags, FILE_NEW_MODE);
    if (fd < 0) {
        Tell(why, strerror(errno));
        return false;
    }
    struct stat st;
    std::string problem = NotPlain(fd, st);
    if (problem.empty()) {
        std::string bytes;
        if (st.st_size == 0) {
            bytes = header;
        } else {
            // Where the last byte cannot be read, the newline goes in
            // anyway: it costs an empty line at most.
            char last = 0;
            if (!readable || pread(fd, &last, 1, st.st_size - 1) != 1)
                last = 0;
            if (last != '\n')
                bytes = "\n";
        }
        bytes += text;
        // One write, so that a line another copy of the game appends never
        // lands inside this one.
        ssize_t wrote;
        do {
            wrote = write(fd, bytes.data(), bytes.size());
        } while (wrote < 0 && errno == EINTR);
        if (wrote < 0)
            problem = strerror(errno);
        else if (size_t(wrote) != bytes.size())
            problem = strerror(ENOSPC);   // cut short: the next append starts on a new line
        else if (fsync(fd) != 0)
            problem = strerror(errno);
    }
    if (close(fd) != 0 && problem.empty())
        problem = strerror(errno);
    if (!problem.empty()) {
        Tell(why, problem.c_str());
        return false;
    }
    return true;
}

// "<name>.XXXXXX" exactly, as mkostemp fills the pattern in.
static bool TemporaryOf(const std::string &entry, const std::string &name)
{
    if (entry.size() != name.size() + 1 + FILE_TEMP_LETTERS || entry.compare(0, name.size(), name) != 0 ||
        entry[name.size()] != '.')
        return false;
    for (size_t i = name.size() + 1; i < entry.size(); i++) {
        char c = entry[i];
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')))
            return false;
    }
    return true;
}

int RemoveStaleTemporaries(const std::string &dir, const std::vector<std::string> &names, int olderThanS)
{
    DIR *d = opendir(dir.c_str());
    if (!d)
        return 0;
    int removed = 0;
    time_t before = time(nullptr) - olderThanS;
    while (dirent *e = readdir(d)) {
        std::string entry = e->d_name;
        bool ours = false;
        for (const std::string &name : names)
            ours = ours || TemporaryOf(entry, name);
        struct stat st;
        std::string path = dir + "/" + entry;
        // Never through a link, never another user's, never one still being written.
        if (!ours || lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != geteuid() ||
            st.st_mtime >= before)
            continue;
        if (unlink(path.c_str()) == 0)
            removed++;
    }
    closedir(d);
    return removed;
}
