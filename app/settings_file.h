#pragma once

#include <cstdint>
#include <string>

// The one settings file's bytes, read and written with the C library alone
// and bounded: a worker may still be stuck in a system call (a hung network
// home) when the game ends, and nothing here may wait for the GUI.

// No settings file is larger; a larger one is refused unread.
inline constexpr std::int64_t kMaximumSettingsFileSize = 64 * 1024;

// What reading one file gave.
struct SettingsFileBytes
{
    enum class Outcome { Missing, Read, Unreadable } outcome = Outcome::Missing;
    std::string bytes;
    std::string reason; // why it could not be read
};

// Reads the whole plain file at `path` on a worker, waited for at most
// `timeoutMs`: a file on a hung network home leaves the worker stuck, never
// the caller. The open does not wait (a FIFO, a device), and the descriptor,
// not the name, is checked for a plain file.
SettingsFileBytes readSettingsFileWithin(const std::string &path, int timeoutMs);

struct SettingsFileJob
{
    std::string path;
    std::string bytes;
    std::uint64_t number = 0;
};

// Writes `job.bytes` beside `job.path` and renames the new file over it,
// which replaces it at once: a crash or a full disk leaves the old file as it
// was, never half of each. Something other than a plain file in its place is
// left alone. Returns why it failed, or nothing.
std::string writeSettingsFile(const SettingsFileJob &job);
