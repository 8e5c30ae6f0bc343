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

PackagedVorbisFile::PackagedVorbisFile(std::string path)
    : DecodedAudioFile(std::move(path))
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
    load_ = QtConcurrent::run(QThreadPool::globalInstance(), [this] {
        std::lock_guard lock(loadMutex_);
        if (closing_)
            return;
        try {
            const auto [pcm, sampleRate, channels] = ExtractAudioData_();
            storeDecoded_(QByteArray(reinterpret_cast<const char*>(pcm.data()), static_cast<qsizetype>(pcm.size())),
                          channels, static_cast<int>(sampleRate));
            QMetaObject::invokeMethod(this, &PackagedVorbisFile::isReady, Qt::QueuedConnection);
        } catch (const SfxException& e) {
            announceFailure_(QString::fromUtf8(e.what()));
        } catch (const std::exception& e) {
            announceFailure_(QString::fromStdString(Path()) + QStringLiteral(": ") + QString::fromUtf8(e.what()));
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
        bytes = kit::ReadWholeFile(Path(), kMaxFileBytes);
    } catch (const std::exception&) {
        throw SfxException("SFX File Failed to Open: " + Path());
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

} // namespace vand::audio
