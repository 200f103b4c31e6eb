#pragma once

#include <cstdint>
#include <functional>
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

// How one write went.
struct SettingsFileWrite
{
    std::string error;  // why nothing was written, or nothing
    std::string notice; // written, but worth a line in the log
};

// Writes `job.bytes` beside the file and renames the new file over it,
// which replaces it at once: a crash or a full disk leaves the old file as it
// was, never half of each. When `job.path` is a symbolic link (dotfiles kept
// in a folder of their own), the file the links end at is replaced and the
// link stays; a link to a file that is not there creates it, but only in a
// folder that is there (a folder missing on the far side of a link is a
// drive not mounted, or a dotfiles folder moved away). Something other than
// a plain file at the end is left alone. A plain file with other names (hard
// links) is replaced under this name alone, and the notice says so.
// `temporary` is told the new file's name once it exists and an empty name
// once it is gone (renamed or removed), so that whoever ends the process
// while the write still hangs can remove it.
SettingsFileWrite writeSettingsFile(const SettingsFileJob &job,
                                    const std::function<void(const std::string &)> &temporary = {});
