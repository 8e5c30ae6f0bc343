#include "sfx/PackagedVorbisFile.h"

#include "kit/File.h"
#include "vand_audio/OggVorbisDecoder.h"

#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

#include <exception>

namespace vand::audio {

namespace {

// Larger effect files are refused unread: they could not decode within the
// codec's limit anyway.
constexpr std::uintmax_t kMaxFileBytes = vand_audio::kMaxPcmBytes;

} // namespace

PackagedVorbisFile::PackagedVorbisFile(std::string path) : path_(std::move(path))
{
    LoadBuffer_();
}

PackagedVorbisFile::~PackagedVorbisFile()
{
    closing_ = true;
    load_.waitForFinished();
}

void PackagedVorbisFile::LoadBuffer_()
{
    ready_ = false;
    load_ = QtConcurrent::run(QThreadPool::globalInstance(), [this] {
        std::lock_guard lock(loadMutex_);
        if (closing_)
            return;
        try {
            auto [pcm, sampleRate, channels] = ExtractAudioData_();
            buffer_.append(reinterpret_cast<const char*>(pcm.data()), static_cast<qsizetype>(pcm.size()));
            format_.setSampleFormat(QAudioFormat::Int16);
            format_.setChannelCount(static_cast<int>(channels));
            format_.setSampleRate(static_cast<int>(sampleRate));
            duration_ = static_cast<float>(static_cast<double>(buffer_.size())
                                           / (static_cast<double>(channels) * sampleRate * 2.0));
            ready_ = true;
            QMetaObject::invokeMethod(this, &PackagedVorbisFile::isReady, Qt::QueuedConnection);
        } catch (const SfxException& e) {
            announceFailure_(QString::fromUtf8(e.what()));
        } catch (const std::exception& e) {
            announceFailure_(QString::fromStdString(path_) + QStringLiteral(": ") + QString::fromUtf8(e.what()));
        }
    });
}

void PackagedVorbisFile::announceFailure_(const QString& message)
{
    QMetaObject::invokeMethod(
        this, [this, message] { emit loadFailed(QStringLiteral("error"), message); }, Qt::QueuedConnection);
}

std::tuple<std::vector<unsigned char>, double, unsigned int> PackagedVorbisFile::ExtractAudioData_() const
{
    std::string bytes;
    try {
        bytes = kit::ReadWholeFile(path_, kMaxFileBytes);
    } catch (const std::exception&) {
        throw SfxException("SFX File Failed to Open: " + path_);
    }
    double sampleRate = 0.0;
    unsigned int channels = 0;
    std::vector<unsigned char> pcm = Decode_(bytes, sampleRate, channels);
    return {std::move(pcm), sampleRate, channels};
}

std::vector<unsigned char> PackagedVorbisFile::Decode_(const std::string& bytes, double& sampleRate,
                                                       unsigned int& channels)
{
    vand_audio::OggVorbisDecoder decoder(reinterpret_cast<const unsigned char*>(bytes.data()),
                                         static_cast<std::int64_t>(bytes.size()));
    std::vector<unsigned char> pcm = decoder.Decode();
    sampleRate = decoder.SampleRate();
    channels = decoder.Channels();
    return pcm;
}

std::pair<const char*, const char*> PackagedVorbisFile::Read() const
{
    if (!ready_)
        return {nullptr, nullptr};
    return {buffer_.constData(), buffer_.constData() + buffer_.size()};
}

float PackagedVorbisFile::Duration() const { return ready_ ? duration_ : 0.0f; }

unsigned int PackagedVorbisFile::ChannelCount() const
{
    return ready_ ? static_cast<unsigned int>(format_.channelCount()) : 0u;
}

double PackagedVorbisFile::SampleRate() const { return ready_ ? format_.sampleRate() : 0.0; }

std::string PackagedVorbisFile::Path() const { return path_; }

int PackagedVorbisFile::BitsPerSample() const { return ready_ ? format_.bytesPerSample() * 8 : 0; }

} // namespace vand::audio
