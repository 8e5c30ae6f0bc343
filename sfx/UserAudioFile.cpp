#include "sfx/UserAudioFile.h"

#include "kit/Log.h"
#include "sfx/CustomAudioParameters.h"
#include "vand_audio/SoundFileDecoder.h"

#include <QFuture>
#include <QThreadPool>
#include <QUrl>
#include <QtConcurrent/QtConcurrentRun>

#include <deque>
#include <mutex>
#include <utility>
#include <vector>

namespace vand::audio {

namespace {

// Frames decoded per buffer handed to the reader.
constexpr std::size_t kFramesPerBuffer = 4096;

QAudioDecoder::Error ErrorOf(vand_audio::DecodeFailure failure)
{
    switch (failure) {
    case vand_audio::DecodeFailure::Resource:
        return QAudioDecoder::ResourceError;
    case vand_audio::DecodeFailure::Format:
        return QAudioDecoder::FormatError;
    case vand_audio::DecodeFailure::AccessDenied:
        return QAudioDecoder::AccessDeniedError;
    case vand_audio::DecodeFailure::NotSupported:
        return QAudioDecoder::NotSupportedError;
    }
    return QAudioDecoder::ResourceError;
}

std::string ErrorMessage(QAudioDecoder::Error error)
{
    return "Error decoding audio file: " + std::to_string(static_cast<int>(error));
}

void LogFailure(const std::string& path, const std::string& reason)
{
    kit::Log(kit::LogLevel::Warning, "sfx", "Cannot decode the audio file " + path + ": " + reason);
}

// A "file:" URL names its local file; any other text is a path.
std::string LocalPath(const std::string& path)
{
    const QString text = QString::fromStdString(path);
    if (text.startsWith(QLatin1String("file:"), Qt::CaseInsensitive))
        return QUrl(text, QUrl::TolerantMode).toLocalFile().toStdString();
    return path;
}

} // namespace

// What the decoding task and the reader share. The task owns the decoder;
// buffers travel through `buffers` under the lock.
struct UserAudioFile::Decoding
{
    explicit Decoding(const std::string& path)
        : decoder(path)
    {
    }

    vand_audio::SoundFileDecoder decoder;
    std::atomic<bool> stop{false};
    std::mutex lock;
    std::deque<QByteArray> buffers;
    QFuture<void> task;
};

UserAudioFile::UserAudioFile(std::string path)
    : DecodedAudioFile(std::move(path))
{
    try {
        decoding_ = std::make_shared<Decoding>(LocalPath(Path()));
    } catch (const vand_audio::DecodeError& e) {
        LogFailure(Path(), e.what());
        throw vand::sfx::CustomAudioException("warning", ErrorMessage(ErrorOf(e.Failure())));
    }

    Decoding* decoding = decoding_.get();
    decoding->task = QtConcurrent::run(QThreadPool::globalInstance(), [this, decoding] {
        const std::size_t channels = decoding->decoder.Channels();
        std::vector<std::int16_t> samples(kFramesPerBuffer * channels);
        try {
            while (!decoding->stop) {
                const std::size_t frames = decoding->decoder.Read(samples.data(), kFramesPerBuffer);
                if (frames == 0)
                    break;
                {
                    std::lock_guard lock(decoding->lock);
                    decoding->buffers.emplace_back(reinterpret_cast<const char*>(samples.data()),
                                                   static_cast<qsizetype>(frames * channels * sizeof(std::int16_t)));
                }
                QMetaObject::invokeMethod(this, &UserAudioFile::onBufferReady_, Qt::QueuedConnection);
            }
            if (!decoding->stop)
                QMetaObject::invokeMethod(this, &UserAudioFile::onFinished_, Qt::QueuedConnection);
        } catch (const vand_audio::DecodeError& e) {
            LogFailure(Path(), e.what());
            const QAudioDecoder::Error error = ErrorOf(e.Failure());
            QMetaObject::invokeMethod(
                this, [this, error] { onError_(error); }, Qt::QueuedConnection);
        }
    });
}

UserAudioFile::~UserAudioFile()
{
    if (decoding_) {
        decoding_->stop = true;
        decoding_->task.waitForFinished();
    }
}

void UserAudioFile::onBufferReady_()
{
    std::deque<QByteArray> buffers;
    {
        std::lock_guard lock(decoding_->lock);
        buffers.swap(decoding_->buffers);
    }
    for (const QByteArray& buffer : buffers)
        decoded_.append(buffer);
}

void UserAudioFile::onError_(QAudioDecoder::Error error)
{
    emit loadFailed(QStringLiteral("warning"), QString::fromStdString(ErrorMessage(error)));
}

void UserAudioFile::onFinished_()
{
    onBufferReady_();
    storeDecoded_(std::exchange(decoded_, QByteArray()), decoding_->decoder.Channels(),
                  static_cast<int>(decoding_->decoder.SampleRate()));
    kit::Log(kit::LogLevel::Debug, "sfx",
             "Duration is: " + QString::number(Duration()).toStdString() + " inside the UserAudioFile::onFinished_()");
    emit isReady();
}

QAudioFormat UserAudioFile::Format() const
{
    return decodedFormat_();
}

} // namespace vand::audio
