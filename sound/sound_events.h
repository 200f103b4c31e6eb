#pragma once

#include <atomic>
#include <cstdint>

// What the game tells the sound, written by the GUI thread and read by
// whichever thread renders. Lock-free atomics only: neither side ever waits.
// The banner's edge is found here, so a banner reported shown on every frame
// asks for one chime per appearance.
class SoundEvents
{
public:
    // Fraction of the picture wiped in the last camera frame, 0..1; anything
    // else (NaN, negative) counts as nothing, above 1 as 1.
    void setWipeAmount(double amount);
    void setBannerShown(bool shown);
    void tap();
    void wentOn();
    void setEnabled(bool enabled);

    double wipeAmount() const { return m_wipeAmount.load(std::memory_order_relaxed); }
    bool isEnabled() const { return m_enabled.load(std::memory_order_relaxed); }
    // Counters that only grow (and wrap); a reader compares with what it saw.
    std::uint32_t chimeRequests() const { return m_chimes.load(std::memory_order_relaxed); }
    std::uint32_t tapRequests() const { return m_taps.load(std::memory_order_relaxed); }
    std::uint32_t wentOnRequests() const { return m_wentOn.load(std::memory_order_relaxed); }

private:
    static_assert(std::atomic<double>::is_always_lock_free);
    static_assert(std::atomic<std::uint32_t>::is_always_lock_free);

    std::atomic<double> m_wipeAmount{0.0};
    std::atomic<bool> m_bannerShown{false};
    std::atomic<bool> m_enabled{true};
    std::atomic<std::uint32_t> m_chimes{0};
    std::atomic<std::uint32_t> m_taps{0};
    std::atomic<std::uint32_t> m_wentOn{0};
};
