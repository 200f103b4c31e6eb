#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

// Bytes of exactly the requested size, flush against an inaccessible page
// (after the last byte, or before the first). libyuv is not built with
// AddressSanitizer, so a guard page is what catches its reads past a plane.
enum class Guard { After, Before };

class GuardedBytes
{
public:
    GuardedBytes(std::size_t size, Guard guard)
    {
        const std::size_t page = std::size_t(sysconf(_SC_PAGESIZE));
        const std::size_t body = (size + page - 1) / page * page;
        m_length = body + page;
        void *base = mmap(nullptr, m_length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (base == MAP_FAILED)
            std::abort();
        m_base = static_cast<std::uint8_t *>(base);
        if (guard == Guard::After) {
            mprotect(m_base + body, page, PROT_NONE);
            m_data = m_base + body - size;
        } else {
            mprotect(m_base, page, PROT_NONE);
            m_data = m_base + page;
        }
        m_size = size;
    }
    ~GuardedBytes() { munmap(m_base, m_length); }
    GuardedBytes(const GuardedBytes &) = delete;
    GuardedBytes &operator=(const GuardedBytes &) = delete;

    std::uint8_t *data() const { return m_data; }
    std::size_t size() const { return m_size; }

private:
    std::uint8_t *m_base = nullptr;
    std::uint8_t *m_data = nullptr;
    std::size_t m_length = 0;
    std::size_t m_size = 0;
};
