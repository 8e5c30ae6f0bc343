#include "sfx/SfxAudioStream.h"

#include "sfx/PackagedVorbisFile.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace vand::audio {

SfxAudioStream::SfxAudioStream(std::shared_ptr<vand::audio::sfx::SfxDto> record, const SfxFileInterface* file,
                               QObject* parent)
    : QIODevice(parent)
    , remainingRepeats_(record->repeats())
    , repeatCount_(record->repeats())
    , record_(std::move(record))
    , file_(file)
{
    if (file_ == nullptr) {
        ownFile_ = std::make_unique<PackagedVorbisFile>(record_->effectPath());
        file_ = ownFile_.get();
    }
    if (record_->reverb() > SfxAudioFilterInterface::EPSILON)
        filters_.push_back(std::make_unique<SfxReverbFilter>(record_));
    if (std::fabs(record_->pan() - 0.5f) > SfxAudioFilterInterface::EPSILON)
        filters_.push_back(std::make_unique<SfxPanFilter>(record_));
    frameSize_ = static_cast<int>(file_->ChannelCount()) * (file_->BitsPerSample() / 8);
    if (frameSize_ < 1)
        frameSize_ = 4;
}

SfxAudioStream::~SfxAudioStream() = default;

bool SfxAudioStream::open(OpenMode mode)
{
    if (mode != QIODevice::ReadOnly)
        return false;
    const auto [begin, end] = file_->Read();
    {
        std::lock_guard lock(positionLock_);
        dataBegin_ = begin;
        // Whole frames only, so that every chunk starts on a frame.
        const std::ptrdiff_t size = (begin != nullptr && end > begin) ? end - begin : 0;
        dataEnd_ = begin == nullptr ? nullptr : begin + (size - size % frameSize_);
        readPosition_ = dataBegin_;
    }
    // Unbuffered: no read-ahead, so that jumps, filters and progress act on
    // what the sink takes next.
    return QIODevice::open(mode | QIODevice::Unbuffered);
}

void SfxAudioStream::close()
{
    resetStream();
    QIODevice::close();
}

qint64 SfxAudioStream::remainingBytes_() const
{
    if (dataBegin_ == nullptr)
        return 0;
    const qint64 length = dataEnd_ - dataBegin_;
    const qint64 passes = remainingRepeats_ < 0 ? 1 : remainingRepeats_;
    return (dataEnd_ - readPosition_) + passes * length + padding_;
}

qint64 SfxAudioStream::bytesAvailable() const
{
    std::lock_guard lock(positionLock_);
    return remainingBytes_();
}

qint64 SfxAudioStream::size() const
{
    std::lock_guard lock(positionLock_);
    if (remainingRepeats_ < 0)
        return 0;
    return pos() + remainingBytes_();
}

bool SfxAudioStream::canReadLine() const
{
    return false;
}

qint64 SfxAudioStream::readData(char* data, qint64 maxSize)
{
    bool exhausted = false;
    bool passesLeft = false;
    {
        std::lock_guard lock(positionLock_);
        if (readPosition_ == dataEnd_) {
            passesLeft = remainingRepeats_ != 0;
            exhausted = !passesLeft || dataBegin_ == dataEnd_;
            if (!exhausted) {
                // A jump landed on the end of a pass: the next pass follows.
                if (remainingRepeats_ != -1)
                    --remainingRepeats_;
                readPosition_ = dataBegin_;
            }
        }
    }
    if (exhausted) {
        if (passesLeft)
            emit aboutToClose();
        return padWithSilence_(data, maxSize);
    }
    const qint64 n = FilterData_(data, maxSize, 0);
    {
        std::lock_guard lock(positionLock_);
        if (readPosition_ < dataEnd_ || remainingRepeats_ == 0)
            return n;
        if (remainingRepeats_ != -1)
            --remainingRepeats_;
        readPosition_ = dataBegin_;
    }
    if (maxSize - n > 0)
        return n + FilterData_(data, maxSize - n, n);
    return n;
}

qint64 SfxAudioStream::writeData(const char*, qint64)
{
    return -1;
}

qint64 SfxAudioStream::padWithSilence_(char* data, qint64 maxSize)
{
    qint64 n = 0;
    {
        std::lock_guard lock(positionLock_);
        if (padding_ <= 0)
            return -1;
        n = std::min(padding_, maxSize - maxSize % frameSize_);
        padding_ -= n;
    }
    std::memset(data, 0, static_cast<std::size_t>(n));
    return n;
}

void SfxAudioStream::setMinimumLength(qint64 bytes)
{
    std::lock_guard lock(positionLock_);
    if (remainingRepeats_ < 0 || dataBegin_ == nullptr)
        return;
    const qint64 missing = bytes - remainingBytes_();
    if (missing > 0)
        padding_ += missing + (frameSize_ - missing % frameSize_) % frameSize_;
}

void SfxAudioStream::advanceStream(std::uint64_t count)
{
    std::lock_guard lock(positionLock_);
    readPosition_ += count;
}

qint64 SfxAudioStream::FilterData_(char* data, qint64 maxSize, qint64 offset)
{
    qint64 len = 0;
    double now = 0.0;
    {
        std::lock_guard lock(positionLock_);
        len = std::min<qint64>(maxSize, dataEnd_ - readPosition_);
        len -= len % frameSize_;
        if (len > 0) {
            std::memcpy(data + offset, readPosition_, static_cast<std::size_t>(len));
            readPosition_ += len;
        }
        now = progressLocked_();
    }
    const unsigned int channels = file_->ChannelCount();
    if (len > 0 && channels > 0 && file_->BitsPerSample() == 16) {
        auto* samples = reinterpret_cast<std::int16_t*>(data + offset);
        const qint64 frames = len / (2 * static_cast<qint64>(channels));
        for (const auto& filter : filters_)
            filter->apply(samples, frames, channels);
    }
    emit progressChanged(now);
    return len;
}

double SfxAudioStream::duration() const
{
    int remaining = 0;
    {
        std::lock_guard lock(positionLock_);
        remaining = remainingRepeats_;
    }
    if (remaining < 0)
        return std::numeric_limits<double>::infinity();
    return (static_cast<double>(remaining) + 1.0) * static_cast<double>(file_->Duration());
}

double SfxAudioStream::progress() const
{
    std::lock_guard lock(positionLock_);
    return progressLocked_();
}

double SfxAudioStream::progressLocked_() const
{
    if (dataBegin_ == nullptr || dataEnd_ == nullptr || dataBegin_ == dataEnd_)
        return 0.0;
    const double length = static_cast<double>(dataEnd_ - dataBegin_);
    const double total = (static_cast<double>(repeatCount_) + 1.0) * length;
    if (total <= 0.0)
        return 0.0;
    return ((static_cast<double>(repeatCount_) - remainingRepeats_) * length
            + static_cast<double>(readPosition_ - dataBegin_))
           / total;
}

void SfxAudioStream::resetStream()
{
    {
        std::lock_guard lock(positionLock_);
        if (dataBegin_ == nullptr)
            return;
        remainingRepeats_ = record_->repeats();
        readPosition_ = dataBegin_;
        padding_ = 0;
    }
    if (isOpen())
        QIODevice::seek(0);
}

void SfxAudioStream::setPosition(double position)
{
    std::lock_guard lock(positionLock_);
    if (dataBegin_ == nullptr || dataEnd_ == nullptr)
        return;
    const std::int64_t length = dataEnd_ - dataBegin_;
    if (length < 1)
        return;
    if (!(position > 0.0))
        position = 0.0; // NaN too
    if (position > 1.0)
        position = 1.0;
    std::int64_t offset = static_cast<std::int64_t>(static_cast<double>(length) * position);
    offset -= offset % frameSize_;
    if (offset > length)
        offset = length - length % frameSize_;
    readPosition_ = dataBegin_ + offset;
}

} // namespace vand::audio
