#pragma once

#include <cstddef>

// The sample formats an audio device may ask for (the four of QAudioFormat),
// named here so that synthesis and conversion need no Qt Multimedia type.
enum class SampleFormat { UInt8, Int16, Int32, Float };

std::size_t bytesPerSample(SampleFormat format);

// Writes count samples from source (nominally -1..1) into target in the given
// format, native byte order. Values outside -1..1 are clamped; integers scale
// symmetrically (1 -> 32767, -1 -> -32767, UInt8 centred on 128) and round to
// nearest. target needs no alignment: it is usually a QIODevice's byte buffer.
void convertSamples(const float *source, std::size_t count, SampleFormat format, void *target);
