// The file system's work on the player's own files: replacing a file's
// contents whole, and reading one that may be anything at all (a pipe, a
// directory, a file of a gigabyte) without hanging or taking it all in.
#ifndef PAPERLUNE_PLATFORM_FILES_H
#define PAPERLUNE_PLATFORM_FILES_H

#include <cstddef>
#include <string>
#include <vector>

// Replaces the contents of the file `path` finally leads to (through its
// symbolic links) with `size` bytes: as a new file beside it, synced and
// renamed over it, the directory synced after, so that a failure at any
// step leaves the old file whole. The file keeps its mode (and owner, where
// that may be handed on); a new one gets the usual mode under the umask.
// Where no file can be made beside it (a directory the player may not write
// in, holding a file they may), the old bytes are overwritten in one write.
// False when the contents could not be replaced; `why` then says why.
bool ReplaceFileContents(const char *path, const void *bytes, size_t size, std::string *why = nullptr);

enum FileReadResult {
    FILE_READ,
    FILE_MISSING,      // nothing there, or a link to nothing
    FILE_UNREADABLE,   // there, but not to be read: `why` says why
};
// Reads at most `maxBytes` from the start of a plain file. Anything else by
// that name (a pipe, a directory, a device) is unreadable, and is never
// waited on.
FileReadResult ReadFileHead(const char *path, size_t maxBytes, std::vector<unsigned char> &bytes,
                            std::string *why = nullptr);

// Appends `text` to the end of the file `path` in a single write (the file
// opened with O_APPEND, so that two programs appending at once each add
// whole pieces), then syncs it. The file is made when it is not there. When
// it is empty, `header` goes first, in the same write; when its last byte is
// no newline (a line cut short by a crash), a newline does. Nothing already
// in the file is ever changed. Anything but a plain file by that name (a
// pipe, a directory) is refused without waiting. False when the bytes could
// not all be written; `why` then says why.
bool AppendToFile(const char *path, const std::string &text, const std::string &header,
                  std::string *why = nullptr);

// Reads at most the last `maxBytes` of a plain file, as ReadFileHead reads
// its first ones; `whole` says whether that was the whole file (otherwise
// the bytes start somewhere inside it).
FileReadResult ReadFileTail(const char *path, size_t maxBytes, std::vector<unsigned char> &bytes, bool *whole,
                            std::string *why = nullptr);

// The directory part of a path: "." for a bare name, "/" for the root.
std::string DirectoryOf(const std::string &path);

// Makes the entries of a directory (a rename, a new file or directory in
// it) survive a power cut. A file system that cannot sync one is no failure.
void SyncDirectory(const std::string &dir);

// When the file was last changed, in nanoseconds; false when it cannot be
// told.
bool FileModified(const char *path, long long *ns);

// An exclusive lock over the work of one process on a file: a copy of the
// game reading, merging and replacing the progress file, or appending to a
// file beside it, while another copy may be about to do the same.
struct FileLock {
    int fd = -1;   // -1: nothing held
};
// The lock file of `path` is "<path>.lock" beside the file the path finally
// leads to. It is made when missing and never removed: a removed lock file
// would let the next two copies lock two different files.
extern const char FILE_LOCK_SUFFIX[];
// Takes the lock of `path` (an flock on its lock file, or on the file itself
// where no lock file can be made, as in a directory the player may not
// write in), waiting at most waitMs for a holder to let go. False when it
// could not be had; `why` then says why, and nothing is held.
bool LockFile(const std::string &path, int waitMs, FileLock *lock, std::string *why = nullptr);
void UnlockFile(FileLock *lock);

// Removes what replacing a file left behind when the process was killed
// midway: in `dir`, the player's own plain files named "<name>.XXXXXX" (the
// name of a file replaced there, then six letters or digits) last changed
// more than `olderThanS` seconds ago, so that a copy of the game saving at
// this moment keeps its own. Returns how many were removed.
int RemoveStaleTemporaries(const std::string &dir, const std::vector<std::string> &names, int olderThanS);

// For tests that stop the game between two writes: from now on every write
// of ReplaceFileContents and AppendToFile for which `allow` returns false
// fails before it touches anything, as if the process had been killed just
// before it. Null: every write goes ahead.
void SetFileWriteGate(bool (*allow)(const char *path));

#endif
