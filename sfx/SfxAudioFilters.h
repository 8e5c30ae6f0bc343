#pragma once

// In-place filters over chunks of interleaved signed 16-bit PCM, built from
// an effect's record when its stream is made.
//
// Threads: a filter is used by one thread at a time (its stream's).

#include "sfx/SfxDto.h"
#include "sfx/SfxExport.h"

#include <QObject>

#include <cstdint>
#include <memory>
#include <vector>

namespace vand::audio {

class SFX_EXPORT SfxAudioFilterInterface
{
public:
    virtual ~SfxAudioFilterInterface();
    virtual void apply(std::int16_t* samples, std::int64_t frames, std::uint32_t channels) = 0;

    // A pan or reverb setting within this of its neutral value builds no
    // filter.
    static const float EPSILON;
};

// A linear balance: the first channel is scaled by 1 - pan, every other
// channel by pan, clamped to the 16-bit range.
class SFX_EXPORT SfxPanFilter : public QObject, public SfxAudioFilterInterface
{
    Q_OBJECT

public:
    // Copies the record's pan; later changes of the record do not reach it.
    SfxPanFilter(std::shared_ptr<vand::audio::sfx::SfxDto> record, QObject* parent = nullptr);
    ~SfxPanFilter() override;

    void apply(std::int16_t* samples, std::int64_t frames, std::uint32_t channels) override;

private:
    float pan_;
};

// A feedback delay line of 5512 frames mixed under the dry signal, softly
// clipped, ramped in and out over the first and last 441 frames of each chunk.
class SFX_EXPORT SfxReverbFilter : public QObject, public SfxAudioFilterInterface
{
    Q_OBJECT

public:
    SfxReverbFilter(std::shared_ptr<vand::audio::sfx::SfxDto> record, QObject* parent = nullptr);
    ~SfxReverbFilter() override;

    // The output is clamped to the 16-bit range and fed back into the line.
    void apply(std::int16_t* samples, std::int64_t frames, std::uint32_t channels) override;

    // x when |x| < 0.5, otherwise sign(x) (1 - e^(-2 (|x| - 0.5))).
    static float softclip(float x);

private:
    float reverb_;
    std::vector<std::int16_t> delay_;
};

} // namespace vand::audio
