#include "sound/sound_events.h"

void SoundEvents::setWipeAmount(double amount)
{
    if (!(amount > 0.0))
        amount = 0.0;
    else if (amount > 1.0)
        amount = 1.0;
    m_wipeAmount.store(amount, std::memory_order_relaxed);
}

void SoundEvents::setBannerShown(bool shown)
{
    if (m_bannerShown.exchange(shown, std::memory_order_relaxed) != shown && shown)
        m_chimes.fetch_add(1, std::memory_order_relaxed);
}

void SoundEvents::tap()
{
    m_taps.fetch_add(1, std::memory_order_relaxed);
}

void SoundEvents::wentOn()
{
    m_wentOn.fetch_add(1, std::memory_order_relaxed);
}

void SoundEvents::setEnabled(bool enabled)
{
    m_enabled.store(enabled, std::memory_order_relaxed);
}
