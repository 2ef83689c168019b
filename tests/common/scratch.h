// Files a test writes for the code under test to read: one name space per
// test process, so that tests running side by side never share a file.
#ifndef PAPERLUNE_TESTS_SCRATCH_H
#define PAPERLUNE_TESTS_SCRATCH_H

#include <cstdint>
#include <string>
#include <vector>

// A path of this process's own for `name`, in the system's temporary directory.
std::string ScratchFile(const std::string &name);
// Writes the bytes as the whole file; false when any of it was not written.
bool WriteBytes(const std::string &path, const std::vector<uint8_t> &bytes);

#endif
