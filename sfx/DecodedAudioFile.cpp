#include "sfx/DecodedAudioFile.h"

#include <utility>

namespace vand::audio {

DecodedAudioFile::DecodedAudioFile(std::string path)
    : path_(std::move(path))
{
}

DecodedAudioFile::~DecodedAudioFile() = default;

void DecodedAudioFile::storeDecoded_(QByteArray pcm, unsigned int channels, int sampleRate)
{
    buffer_ = std::move(pcm);
    if (channels > 0 && sampleRate > 0) {
        format_.setSampleFormat(QAudioFormat::Int16);
        format_.setChannelCount(static_cast<int>(channels));
        format_.setSampleRate(sampleRate);
        duration_ = static_cast<float>(static_cast<double>(buffer_.size()) / (channels * 2.0) / sampleRate);
    }
    ready_ = true;
}

bool DecodedAudioFile::isDecoded_() const
{
    return ready_;
}

QAudioFormat DecodedAudioFile::decodedFormat_() const
{
    return ready_ ? format_ : QAudioFormat();
}

std::pair<const char*, const char*> DecodedAudioFile::Read() const
{
    if (!ready_)
        return {nullptr, nullptr};
    return {buffer_.constData(), buffer_.constData() + buffer_.size()};
}

float DecodedAudioFile::Duration() const
{
    return ready_ ? duration_ : 0.0f;
}

unsigned int DecodedAudioFile::ChannelCount() const
{
    return ready_ ? static_cast<unsigned int>(format_.channelCount()) : 0u;
}

double DecodedAudioFile::SampleRate() const
{
    return ready_ ? format_.sampleRate() : 0.0;
}

std::string DecodedAudioFile::Path() const
{
    return path_;
}

// UInt8 8, Int16 16, Int32 and Float 32, unset 0.
int DecodedAudioFile::BitsPerSample() const
{
    return ready_ ? format_.bytesPerSample() * 8 : 0;
}

} // namespace vand::audio
