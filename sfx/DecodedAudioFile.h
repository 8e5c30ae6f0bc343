#pragma once

// What both effect-file readers share: the decoded PCM (interleaved signed
// 16-bit), its layout and length, all final from the moment the reader is
// ready, and the signals that announce the end of loading.
//
// Threads: the decoded data is stored once, by any thread; from then on the
// accessors give it to any thread without a lock. Before, they give an empty
// range, zeros and an unset format.

#include "sfx/SfxExport.h"
#include "sfx/SfxFileInterface.h"

#include <QAudioFormat>
#include <QByteArray>
#include <QObject>
#include <QString>

#include <atomic>
#include <string>

namespace vand::audio {

class SFX_EXPORT DecodedAudioFile : public QObject, public SfxFileInterface
{
    Q_OBJECT

public:
    ~DecodedAudioFile() override;

    std::pair<const char*, const char*> Read() const final;
    // Frames / rate.
    float Duration() const final;
    unsigned int ChannelCount() const final;
    double SampleRate() const final;
    std::string Path() const final;
    int BitsPerSample() const final;

signals:
    // Once, on the reader's thread, when the PCM is final.
    void isReady();
    // Instead of isReady when the file cannot be played.
    void loadFailed(const QString& priority, const QString& message);

protected:
    explicit DecodedAudioFile(std::string path);

    // Keeps the whole PCM and its layout (Int16); the reader is ready from
    // then on. Call once.
    void storeDecoded_(QByteArray pcm, unsigned int channels, int sampleRate);
    bool isDecoded_() const;
    QAudioFormat decodedFormat_() const;

private:
    const std::string path_;
    QByteArray buffer_;
    QAudioFormat format_;
    float duration_ = 0.0f;
    std::atomic<bool> ready_{false};
};

} // namespace vand::audio
