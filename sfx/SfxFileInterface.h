#pragma once

// The in-memory PCM source of one sound file, and the engine's exception.
//
// Threads: see each reader. Once a reader has announced that it is ready, its
// PCM, duration and format no longer change and may be read from any thread.

#include "sfx/SfxExport.h"

#include <exception>
#include <string>
#include <utility>

namespace vand::audio {

class SFX_EXPORT SfxFileInterface
{
public:
    SfxFileInterface();
    SfxFileInterface(const SfxFileInterface& other);
    SfxFileInterface& operator=(const SfxFileInterface& other);
    virtual ~SfxFileInterface();

    // Begin and end of the decoded PCM bytes; the same range on every call
    // once the reader is ready, an empty range before.
    virtual std::pair<const char*, const char*> Read() const = 0;
    // Seconds of one pass.
    virtual float Duration() const = 0;
    virtual unsigned int ChannelCount() const = 0;
    // Frames per second.
    virtual double SampleRate() const = 0;
    // The path given at construction.
    virtual std::string Path() const = 0;
    virtual int BitsPerSample() const = 0;
};

// A failure of the engine itself, with a message.
class SFX_EXPORT SfxException : public std::exception
{
public:
    explicit SfxException(std::string message);
    SfxException(const SfxException& other);
    SfxException& operator=(const SfxException& other);
    ~SfxException() override;

    const char* what() const noexcept override;

private:
    std::string message_;
};

} // namespace vand::audio
