#include "app/settings_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
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

namespace {

// No chain of links is longer (the kernel's own limit for a path).
constexpr int kMaximumLinks = 40;

struct LinkEnd
{
    std::string path;    // where the file is (or is to be) replaced
    bool linked = false; // reached through at least one symbolic link
    std::string problem; // why nothing may be written there
};

// The file `path` names after every symbolic link on the way: a dotfiles
// folder's file behind ~/.config/frostpane/frostpane.conf. Relative links
// count from the folder of the link.
LinkEnd followLinks(const std::string &path)
{
    LinkEnd end{path, false, {}};
    for (int hop = 0; hop <= kMaximumLinks; ++hop) {
        struct stat status
        { };
        if (::lstat(end.path.c_str(), &status) != 0) {
            if (errno != ENOENT)
                end.problem = "cannot look at (" + errorText(errno) + ")";
            return end;
        }
        if (!S_ISLNK(status.st_mode))
            return end;
        std::string target(size_t(std::max<off_t>(status.st_size, 0)) + 256, '\0');
        const ssize_t length = ::readlink(end.path.c_str(), target.data(), target.size());
        if (length < 0 || size_t(length) >= target.size()) {
            end.problem = "cannot read the link at";
            return end;
        }
        target.resize(size_t(length));
        const std::filesystem::path next(target);
        end.path = next.is_absolute() ? target : (std::filesystem::path(end.path).parent_path() / next).string();
        end.linked = true;
    }
    end.problem = "more than 40 links in a row end nowhere at";
    return end;
}

} // namespace

SettingsFileWrite writeSettingsFile(const SettingsFileJob &job,
                                    const std::function<void(const std::string &)> &temporary)
{
    const auto failed = [](std::string why) { return SettingsFileWrite{std::move(why), {}}; };
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(job.path).parent_path(), error);
    if (error)
        return failed("cannot create the folder of");
    const LinkEnd end = followLinks(job.path);
    if (!end.problem.empty())
        return failed(end.problem);
    const std::filesystem::path target(end.path);
    SettingsFileWrite result;
    struct stat status
    { };
    if (::lstat(end.path.c_str(), &status) == 0) {
        if (!S_ISREG(status.st_mode))
            return failed("something other than a plain file is in the place of");
        // Renaming over it gives this name a new file; the other names keep
        // the old one. Writing in place instead would risk a half-written
        // file on a crash, which is worse than a link taken apart.
        if (status.st_nlink > 1)
            result.notice = "the file had " + std::to_string(status.st_nlink - 1)
                            + " other name(s) (hard links), which keep the old values; saved under this name alone:";
    } else if (end.linked && !std::filesystem::is_directory(target.parent_path(), error)) {
        return failed("a link points into a folder that is not there (" + target.parent_path().string()
                      + "); nothing is created on the far side of");
    }
    // A hidden name beside the file: ".frostpane.conf.XXXXXX".
    std::string hidden(1, '.');
    hidden += target.filename().string();
    hidden += ".XXXXXX";
    std::string fresh = (target.parent_path() / hidden).string();
    const int fd = ::mkostemp(fresh.data(), O_CLOEXEC);
    if (fd < 0)
        return failed("cannot write beside");
    if (temporary)
        temporary(fresh);
    const auto gone = [&temporary] {
        if (temporary)
            temporary({});
    };
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
        gone();
        return failed("cannot write");
    }
    if (::rename(fresh.c_str(), end.path.c_str()) != 0) {
        ::unlink(fresh.c_str());
        gone();
        return failed("cannot replace");
    }
    gone();
    return result;
}
