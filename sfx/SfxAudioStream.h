#pragma once

// The device an effect's audio sink pulls: serves a reader's PCM from memory,
// as many passes as the record asks, through the record's filters, and reports
// how far playback has come.
//
// Threads: used on the thread that made it (the player's run thread), where
// the sink calls readData; setPosition may come from any thread. The read
// position is guarded by a lock; the filters run outside it.

#include "sfx/SfxAudioFilters.h"
#include "sfx/SfxDto.h"
#include "sfx/SfxExport.h"
#include "sfx/SfxFileInterface.h"

#include <QIODevice>

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace vand::audio {

class SFX_EXPORT SfxAudioStream : public QIODevice
{
    Q_OBJECT

public:
    // Serves `file` (not owned); with no file it makes a PackagedVorbisFile for
    // the record's effect path and owns it. Builds the reverb filter when the
    // record's reverb passes EPSILON, then the pan filter when its pan is more
    // than EPSILON off centre.
    SfxAudioStream(std::shared_ptr<vand::audio::sfx::SfxDto> record, const SfxFileInterface* file,
                   QObject* parent = nullptr);
    ~SfxAudioStream() override;

    // ReadOnly alone; any other mode fails and leaves the stream closed. Binds
    // the stream to the file's PCM, whole frames only, and serves it
    // unbuffered.
    bool open(OpenMode mode) override;
    void close() override;
    // Bytes still to come: the rest of this pass and every pass left (one
    // for an endless effect); 0 once the last pass has been read. The device
    // is unbuffered, so nothing else waits.
    qint64 bytesAvailable() const override;
    // pos() and the bytes still to come; 0 (unknown) for an endless effect.
    // The audio sink starts playing a sound shorter than its buffer only when
    // it knows the size.
    qint64 size() const override;
    bool canReadLine() const override;

    // Seconds still to play from the start of the current pass: the file's
    // duration times the passes left, this one included; infinite for an
    // endless effect.
    double duration() const;
    // 0 to 1 over every pass of a finite effect; 0 for an endless one.
    double progress() const;

    // Rewinds to the first pass with the record's current repeats (and drops
    // any silence still to come).
    void resetStream();
    // After the last pass, silence until at least `bytes` (from now) have
    // been handed out; nothing for an endless effect. The player makes a
    // sound shorter than the sink's buffer that long, or the output would
    // never start playing it.
    void setMinimumLength(qint64 bytes);

public slots:
    // Moves to the frame at `position` (clamped to 0..1) of the current pass.
    void setPosition(double position);

signals:
    void progressChanged(double progress);

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 maxSize) override;
    void advanceStream(std::uint64_t count);

private:
    qint64 FilterData_(char* data, qint64 maxSize, qint64 offset);
    double progressLocked_() const;
    qint64 remainingBytes_() const;
    qint64 padWithSilence_(char* data, qint64 maxSize);

    int remainingRepeats_;
    const int repeatCount_;
    const char* readPosition_ = nullptr;
    const char* dataBegin_ = nullptr;
    const char* dataEnd_ = nullptr;
    std::vector<std::unique_ptr<SfxAudioFilterInterface>> filters_;
    std::shared_ptr<vand::audio::sfx::SfxDto> record_;
    std::unique_ptr<SfxFileInterface> ownFile_;
    const SfxFileInterface* file_;
    mutable std::mutex positionLock_;
    int frameSize_;
    qint64 padding_ = 0; // bytes of silence still to hand out after the last pass
};

} // namespace vand::audio
