// The game's sound synthesis for the page's audio worklet: a module of its
// own with no JavaScript glue, since a worklet's scope cannot run the glue
// of the page's module. The worklet instantiates it from the module the page
// compiled and posted, then renders one block per callback: the mixer and its
// buffer are made once here, and rendering allocates nothing.

#include "sound/sound_mixer.h"
#include "sound_boundary.h"

#include <array>
#include <cstdint>
#include <new>

namespace {

// The worklet's block is 128 frames; more is rendered in several calls.
constexpr int kMaxFrames = 128;

alignas(SoundMixer) unsigned char g_mixerStorage[sizeof(SoundMixer)];
SoundMixer *g_mixer = nullptr;
std::array<float, kMaxFrames> g_block{};

} // namespace

extern "C" {

// Makes the mixer for a mono output at sampleRate; once only.
__attribute__((export_name("sound_start"))) int sound_start(int sampleRate, std::uint32_t seed)
{
    if (!g_mixer)
        g_mixer = new (g_mixerStorage) SoundMixer(sampleRate, 1, seed);
    return g_mixer->sampleRate();
}

// Where the rendered frames are; kMaxFrames floats.
__attribute__((export_name("sound_block"))) float *sound_block()
{
    return g_block.data();
}

__attribute__((export_name("sound_block_frames"))) int sound_block_frames()
{
    return kMaxFrames;
}

// Renders up to kMaxFrames frames into the block; returns how many.
__attribute__((export_name("sound_render"))) int sound_render(int frames)
{
    if (!g_mixer || frames <= 0)
        return 0;
    const int count = frames < kMaxFrames ? frames : kMaxFrames;
    g_mixer->render(g_block.data(), std::size_t(count));
    return count;
}

__attribute__((export_name("sound_set_wipe_amount"))) void sound_set_wipe_amount(double amount)
{
    if (g_mixer)
        g_mixer->setWipeAmount(amount);
}

__attribute__((export_name("sound_set_banner_shown"))) void sound_set_banner_shown(int shown)
{
    if (g_mixer)
        g_mixer->setBannerShown(shown != 0);
}

__attribute__((export_name("sound_tap"))) void sound_tap()
{
    if (g_mixer)
        g_mixer->tap();
}

__attribute__((export_name("sound_set_enabled"))) void sound_set_enabled(int enabled)
{
    if (g_mixer)
        g_mixer->setEnabled(enabled != 0);
}

} // extern "C"
