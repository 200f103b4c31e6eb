#include "app/session_bus.h"

#include "core/percent_encoding.h"

#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <map>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// One part of a D-Bus address: "unix:path=/run/user/1000/bus".
struct AddressPart
{
    std::string transport;
    std::map<std::string, std::string> keys;
    std::string text;
};

std::vector<AddressPart> parseAddress(const std::string &address)
{
    std::vector<AddressPart> parts;
    size_t start = 0;
    while (start <= address.size()) {
        size_t end = address.find(';', start);
        if (end == std::string::npos)
            end = address.size();
        const std::string text = address.substr(start, end - start);
        start = end + 1;
        const size_t colon = text.find(':');
        if (text.empty() || colon == std::string::npos)
            continue;
        AddressPart part{text.substr(0, colon), {}, text};
        size_t at = colon + 1;
        while (at < text.size()) {
            size_t comma = text.find(',', at);
            if (comma == std::string::npos)
                comma = text.size();
            const std::string pair = text.substr(at, comma - at);
            at = comma + 1;
            const size_t equals = pair.find('=');
            // Values are percent-escaped.
            if (equals != std::string::npos)
                part.keys[pair.substr(0, equals)] = percentDecoded(pair.substr(equals + 1));
        }
        parts.push_back(std::move(part));
    }
    return parts;
}

int millisecondsLeft(Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? int(left) : 0;
}

// Waits for `events` on `fd` until the deadline; false when it passed.
bool waitFor(int fd, short events, Clock::time_point deadline)
{
    for (;;) {
        pollfd entry{fd, events, 0};
        const int ready = ::poll(&entry, 1, millisecondsLeft(deadline));
        if (ready > 0)
            return true;
        if (ready == 0 || errno != EINTR)
            return false;
    }
}

// A non-blocking socket connected to `address`, or -1 (`error` says why).
// A connection still in progress when the deadline comes is given up.
int connectTo(const sockaddr *address, socklen_t length, int family, Clock::time_point deadline, int &error)
{
    const int fd = ::socket(family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error = errno;
        return -1;
    }
    if (::connect(fd, address, length) == 0)
        return fd;
    if (errno == EINPROGRESS || errno == EAGAIN) {
        if (waitFor(fd, POLLOUT, deadline)) {
            int result = 0;
            socklen_t size = sizeof result;
            if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &result, &size) == 0 && result == 0)
                return fd;
            error = result;
        } else {
            error = ETIMEDOUT;
        }
    } else {
        error = errno;
    }
    ::close(fd);
    return -1;
}

int connectPart(const AddressPart &part, Clock::time_point deadline, int &error, bool &known)
{
    known = true;
    if (part.transport == "unix" && (part.keys.count("path") || part.keys.count("abstract"))) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const bool abstract = part.keys.count("path") == 0;
        const std::string &name = abstract ? part.keys.at("abstract") : part.keys.at("path");
        // An abstract name starts with a NUL byte in the address.
        const size_t offset = abstract ? 1 : 0;
        if (name.size() + offset >= sizeof address.sun_path) {
            error = ENAMETOOLONG;
            return -1;
        }
        std::memcpy(address.sun_path + offset, name.data(), name.size());
        const auto length = socklen_t(offsetof(sockaddr_un, sun_path) + offset + name.size() + (abstract ? 0 : 1));
        return connectTo(reinterpret_cast<const sockaddr *>(&address), length, AF_UNIX, deadline, error);
    }
    if (part.transport == "tcp" && part.keys.count("host") && part.keys.count("port")) {
        // A name to look up could hang in the resolver: numbers only.
        addrinfo hints{};
        hints.ai_socktype = SOCK_STREAM;
        hints.ai_flags = AI_NUMERICHOST | AI_NUMERICSERV;
        addrinfo *found = nullptr;
        if (::getaddrinfo(part.keys.at("host").c_str(), part.keys.at("port").c_str(), &hints, &found) != 0 || !found) {
            known = false;
            return -1;
        }
        const int fd = connectTo(found->ai_addr, found->ai_addrlen, found->ai_family, deadline, error);
        ::freeaddrinfo(found);
        return fd;
    }
    known = false;
    return -1;
}

bool sendAll(int fd, const std::string &bytes, Clock::time_point deadline)
{
    size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t put = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (put > 0) {
            sent += size_t(put);
            continue;
        }
        if (put < 0 && errno == EINTR)
            continue;
        if (put < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) && waitFor(fd, POLLOUT, deadline))
            continue;
        return false;
    }
    return true;
}

// Reads until `enough` says the bytes suffice, the peer closes, or the
// deadline passes. The bytes read so far in `bytes`.
template <typename Enough>
bool receiveUntil(int fd, std::string &bytes, Enough enough, Clock::time_point deadline, bool &closed)
{
    closed = false;
    char chunk[256];
    while (!enough(bytes)) {
        if (!waitFor(fd, POLLIN, deadline))
            return false;
        const ssize_t got = ::recv(fd, chunk, sizeof chunk, 0);
        if (got < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (got <= 0) {
            closed = true;
            return false;
        }
        bytes.append(chunk, size_t(got));
        if (bytes.size() > 4096)
            break;
    }
    return true;
}

// The bus daemon's Hello, the first call every client makes, marshalled
// little-endian: a method call with a path, a destination, an interface, a
// member and no body.
std::string helloMessage()
{
    std::string message{'l', 1, 0, 1};
    const auto put32 = [&message](std::uint32_t value) {
        for (int shift = 0; shift < 32; shift += 8)
            message += char((value >> shift) & 0xff);
    };
    const auto align = [&message](size_t to) {
        while (message.size() % to != 0)
            message += '\0';
    };
    put32(0); // body length
    put32(1); // serial
    const size_t lengthAt = message.size();
    put32(0);                                  // header fields' length, filled in below
    const size_t fieldsStart = message.size(); // 16: already 8-aligned
    const auto field = [&](char code, char type, const std::string &value) {
        align(8);
        message += code;
        message += '\1';
        message += type;
        message += '\0';
        align(4);
        put32(std::uint32_t(value.size()));
        message += value;
        message += '\0';
    };
    field(1, 'o', "/org/freedesktop/DBus");
    field(6, 's', "org.freedesktop.DBus");
    field(2, 's', "org.freedesktop.DBus");
    field(3, 's', "Hello");
    const auto fieldsLength = std::uint32_t(message.size() - fieldsStart);
    for (int i = 0; i < 4; ++i)
        message[lengthAt + size_t(i)] = char((fieldsLength >> (8 * i)) & 0xff);
    align(8);
    return message;
}

std::string hexOf(const std::string &text)
{
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (const unsigned char c : text) {
        hex += digits[c >> 4];
        hex += digits[c & 15];
    }
    return hex;
}

SessionBusProbe ask(int fd, const std::string &where, Clock::time_point deadline)
{
    const auto silent = [&where](const char *what) { return SessionBusProbe{SessionBusAnswer::Silent, where, what}; };
    const auto answers = [&where](const char *what) { return SessionBusProbe{SessionBusAnswer::Answers, where, what}; };
    std::string greeting(1, '\0');
    greeting += "AUTH EXTERNAL " + hexOf(std::to_string(::getuid())) + "\r\n";
    if (!sendAll(fd, greeting, deadline))
        return silent("takes no handshake");
    std::string reply;
    bool closed = false;
    if (!receiveUntil(
            fd, reply, [](const std::string &bytes) { return bytes.find("\r\n") != std::string::npos; }, deadline,
            closed))
        return closed ? answers("closed the connection at the handshake") : silent("no answer to the handshake");
    // A refusal is an answer: Qt's connection then fails at once too.
    if (reply.compare(0, 3, "OK ") != 0)
        return answers("refused the handshake");
    if (!sendAll(fd, "BEGIN\r\n" + helloMessage(), deadline))
        return silent("takes no Hello");
    std::string message;
    if (!receiveUntil(
            fd, message, [](const std::string &bytes) { return bytes.size() >= 16; }, deadline, closed))
        return closed ? answers("closed the connection at the Hello") : silent("no answer to the Hello");
    if ((message[0] != 'l' && message[0] != 'B') || message[1] < 1 || message[1] > 4)
        return answers("answered the Hello with something other than a message");
    return answers("answered the Hello");
}

} // namespace

SessionBusProbe probeSessionBus(const std::string &address, int timeoutMs)
{
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    SessionBusProbe result;
    bool anyKnown = false;
    for (const AddressPart &part : parseAddress(address)) {
        int error = 0;
        bool known = false;
        const int fd = connectPart(part, deadline, error, known);
        if (!known)
            continue; // as libdbus does, the next part is tried
        anyKnown = true;
        if (fd < 0) {
            if (error == ETIMEDOUT)
                return {SessionBusAnswer::Silent, part.text, "no connection in time"};
            result = {SessionBusAnswer::Unreachable, part.text, std::strerror(error)};
            continue;
        }
        result = ask(fd, part.text, deadline);
        ::close(fd);
        return result;
    }
    if (!anyKnown)
        return {SessionBusAnswer::NotChecked, address, "no part of a kind asked here"};
    return result;
}
