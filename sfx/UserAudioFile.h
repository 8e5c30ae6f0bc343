#pragma once

// Reader of an audio file the user picked (WAV, AIFF, FLAC, Ogg, MP3, ...):
// decodes it off the calling thread into interleaved signed 16-bit PCM.
//
// Threads: lives on the thread that creates it, which must run a Qt event
// loop: the decoded buffers, the end and any error reach the reader through
// it. Decoding runs on Qt's global thread pool. Once isReady() has been
// emitted the PCM, duration and format are final and may be read from any
// thread; before that the accessors give an empty range, zeros and an unset
// format. The destructor stops the decoding and waits for it.

#include "sfx/DecodedAudioFile.h"
#include "sfx/SfxExport.h"

#include <QAudioDecoder>
#include <QAudioFormat>
#include <QByteArray>

#include <memory>
#include <string>

namespace vand::audio {

class SFX_EXPORT UserAudioFile : public DecodedAudioFile
{
    Q_OBJECT

public:
    // `path` is a local path or a "file:" URL. Opens the file and starts
    // decoding; throws vand::sfx::CustomAudioException ("warning", "Error
    // decoding audio file: " and the QAudioDecoder::Error number) when the
    // file cannot be opened or is no sound file that can be played. A failure
    // after that is reported by loadFailed, with the same priority and
    // message, and the reader never becomes ready.
    explicit UserAudioFile(std::string path);
    ~UserAudioFile() override;

    // Int16 with the file's channels and rate, once ready.
    QAudioFormat Format() const;

private slots:
    void onBufferReady_();
    void onError_(QAudioDecoder::Error error);
    void onFinished_();

private:
    struct Decoding;

    QByteArray decoded_; // the PCM decoded so far
    std::shared_ptr<Decoding> decoding_;
};

} // namespace vand::audio
