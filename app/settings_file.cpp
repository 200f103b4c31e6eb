#include "app/settings_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <filesystem>
#include <memory>
#include <mutex>
#include <thread>

namespace {

std::string errorText(int error)
{
    return std::strerror(error);
}

// Reads a whole plain file of at most kMaximumFileSize bytes. The open does
// not wait (a FIFO, a device), and the descriptor, not the name, is checked
// for a plain file, so nothing can be swapped in between.
SettingsFileBytes readNow(const std::string &path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return {};
        return {SettingsFileBytes::Outcome::Unreadable, {}, errorText(errno)};
    }
    SettingsFileBytes result{SettingsFileBytes::Outcome::Read, {}, {}};
    struct stat status
    { };
    if (::fstat(fd, &status) != 0) {
        result = {SettingsFileBytes::Outcome::Unreadable, {}, errorText(errno)};
    } else if (!S_ISREG(status.st_mode)) {
        result = {SettingsFileBytes::Outcome::Unreadable, {}, "not a plain file"};
    } else {
        const size_t limit = size_t(kMaximumSettingsFileSize);
        std::string bytes(limit + 1, '\0');
        size_t total = 0;
        while (total < bytes.size()) {
            const ssize_t got = ::read(fd, bytes.data() + total, bytes.size() - total);
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0) {
                result = {SettingsFileBytes::Outcome::Unreadable, {}, errorText(errno)};
                break;
            }
            if (got == 0)
                break;
            total += size_t(got);
        }
        if (result.outcome == SettingsFileBytes::Outcome::Read) {
            if (total > limit) {
                result = {SettingsFileBytes::Outcome::Unreadable, {}, "larger than 64 KB, which no settings file is"};
            } else {
                bytes.resize(total);
                result.bytes = std::move(bytes);
            }
        }
    }
    ::close(fd);
    return result;
}

} // namespace

SettingsFileBytes readSettingsFileWithin(const std::string &path, int timeoutMs)
{
    struct Shared
    {
        std::mutex mutex;
        std::condition_variable done;
        bool finished = false;
        SettingsFileBytes result;
    };
    const auto shared = std::make_shared<Shared>();
    std::thread([shared, name = path] {
        SettingsFileBytes result = readNow(name);
        const std::lock_guard lock(shared->mutex);
        shared->result = std::move(result);
        shared->finished = true;
        shared->done.notify_all();
    }).detach();
    std::unique_lock lock(shared->mutex);
    if (!shared->done.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&shared] { return shared->finished; }))
        return {SettingsFileBytes::Outcome::Unreadable, {}, "no answer within " + std::to_string(timeoutMs) + " ms"};
    return std::move(shared->result);
}

// Writes `bytes` beside `path` and renames the new file over it, which
// replaces it at once: a crash or a full disk leaves the old file as it was,
// never half of each. Something other than a plain file in its place is
// left alone. Returns why it failed, or nothing.
std::string writeSettingsFile(const SettingsFileJob &job)
{
    const std::filesystem::path target(job.path);
    std::error_code error;
    std::filesystem::create_directories(target.parent_path(), error);
    if (error)
        return "cannot create the folder of";
    struct stat status
    { };
    if (::lstat(job.path.c_str(), &status) == 0 && !S_ISREG(status.st_mode))
        return "something other than a plain file is in the place of";
    std::string fresh = (target.parent_path() / ".frostpane.conf.XXXXXX").string();
    const int fd = ::mkostemp(fresh.data(), O_CLOEXEC);
    if (fd < 0)
        return "cannot write beside";
    size_t total = 0;
    bool written = true;
    while (total < job.bytes.size()) {
        const ssize_t put = ::write(fd, job.bytes.data() + total, job.bytes.size() - total);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0) {
            written = false;
            break;
        }
        total += size_t(put);
    }
    if (::close(fd) != 0)
        written = false;
    if (!written) {
        ::unlink(fresh.c_str());
        return "cannot write";
    }
    if (::rename(fresh.c_str(), job.path.c_str()) != 0) {
        ::unlink(fresh.c_str());
        return "cannot replace";
    }
    return {};
}
