#include "sfx/SfxAudioFilters.h"

#include <cmath>
#include <utility>

namespace vand::audio {

namespace {

constexpr std::int64_t kReverbFrames = 5512;
constexpr std::int64_t kRampFrames = 441;

// Truncated toward zero into the 16-bit range; NaN gives silence.
std::int16_t ToSample(float value)
{
    if (std::isnan(value))
        return 0;
    if (value >= 32767.0f)
        return 32767;
    if (value <= -32768.0f)
        return -32768;
    return static_cast<std::int16_t>(static_cast<std::int32_t>(value));
}

} // namespace

const float SfxAudioFilterInterface::EPSILON = 0.001f;

SfxAudioFilterInterface::~SfxAudioFilterInterface() = default;

SfxPanFilter::SfxPanFilter(std::shared_ptr<vand::audio::sfx::SfxDto> record, QObject* parent)
    : QObject(parent)
    , pan_(record->pan())
{
}

SfxPanFilter::~SfxPanFilter() = default;

void SfxPanFilter::apply(std::int16_t* samples, std::int64_t frames, std::uint32_t channels)
{
    const float first = 1.0f - pan_;
    for (std::int64_t i = 0; i < frames; ++i) {
        std::int16_t* frame = samples + i * channels;
        for (std::uint32_t c = 0; c < channels; ++c)
            frame[c] = ToSample(static_cast<float>(frame[c]) * (c == 0 ? first : pan_));
    }
}

SfxReverbFilter::SfxReverbFilter(std::shared_ptr<vand::audio::sfx::SfxDto> record, QObject* parent)
    : QObject(parent)
    , reverb_(record->reverb())
{
}

SfxReverbFilter::~SfxReverbFilter() = default;

float SfxReverbFilter::softclip(float x)
{
    const float magnitude = std::fabs(x);
    if (magnitude < 0.5f)
        return x;
    return std::copysign(1.0f - std::exp(-2.0f * (magnitude - 0.5f)), x);
}

void SfxReverbFilter::apply(std::int16_t* samples, std::int64_t frames, std::uint32_t channels)
{
    if (frames <= 0 || channels == 0)
        return;
    const std::size_t lineSize = static_cast<std::size_t>(channels) * kReverbFrames;
    delay_.resize(lineSize, 0);

    std::size_t k = 0;
    for (std::int64_t i = 0; i < frames; ++i) {
        float ramp = 1.0f;
        if (i <= kRampFrames - 1)
            ramp = static_cast<float>(i) / static_cast<float>(kRampFrames);
        else if (i > frames - kRampFrames)
            ramp = static_cast<float>(frames - i) / static_cast<float>(kRampFrames);
        std::int16_t* frame = samples + i * channels;
        for (std::uint32_t c = 0; c < channels; ++c) {
            const float dry = static_cast<float>(frame[c]) / 32767.0f;
            const float wet = softclip(static_cast<float>(delay_[k + c]) / 32767.0f * 0.5f);
            const std::int16_t out = ToSample((wet * ramp * reverb_ + dry) * 32767.0f);
            frame[c] = out;
            delay_[k + c] = out;
        }
        k = (k + channels) % lineSize;
    }
}

} // namespace vand::audio
