#include "sfx/CustomAudioParameters.h"

#include <utility>

namespace vand::audio {

CustomAudioParameters::CustomAudioParameters() = default;

CustomAudioParameters::CustomAudioParameters(QString name, QString file, QString outputPath, QString networkPatch,
                                             int repeats, std::uint32_t fadeIn, std::uint32_t fadeOut,
                                             double volume, double reverb, double pan, CustomAudioCommand command)
    : name_(std::move(name)),
      file_(std::move(file)),
      outputPath_(std::move(outputPath)),
      networkPatch_(std::move(networkPatch)),
      repeats_(repeats),
      fadeIn_(fadeIn),
      fadeOut_(fadeOut),
      volume_(volume),
      reverb_(reverb),
      pan_(pan),
      command_(command)
{
}

CustomAudioParameters::CustomAudioParameters(const CustomAudioParameters& other) = default;

CustomAudioParameters::CustomAudioParameters(CustomAudioParameters&& other) noexcept
    : name_(std::exchange(other.name_, QString())),
      file_(std::exchange(other.file_, QString())),
      outputPath_(std::exchange(other.outputPath_, QString())),
      networkPatch_(std::exchange(other.networkPatch_, QString())),
      repeats_(other.repeats_),
      fadeIn_(other.fadeIn_),
      fadeOut_(other.fadeOut_),
      volume_(other.volume_),
      reverb_(other.reverb_),
      pan_(other.pan_),
      command_(other.command_)
{
}

CustomAudioParameters& CustomAudioParameters::operator=(const CustomAudioParameters& other)
{
    // name_ and command_ stay the target's own.
    file_ = other.file_;
    outputPath_ = other.outputPath_;
    networkPatch_ = other.networkPatch_;
    repeats_ = other.repeats_;
    fadeIn_ = other.fadeIn_;
    fadeOut_ = other.fadeOut_;
    volume_ = other.volume_;
    reverb_ = other.reverb_;
    pan_ = other.pan_;
    return *this;
}

CustomAudioParameters& CustomAudioParameters::operator=(CustomAudioParameters&& other) noexcept
{
    if (this == &other)
        return *this;
    name_ = std::exchange(other.name_, QString());
    file_ = std::exchange(other.file_, QString());
    outputPath_ = std::exchange(other.outputPath_, QString());
    networkPatch_ = std::exchange(other.networkPatch_, QString());
    repeats_ = other.repeats_;
    fadeIn_ = other.fadeIn_;
    fadeOut_ = other.fadeOut_;
    volume_ = other.volume_;
    reverb_ = other.reverb_;
    pan_ = other.pan_;
    command_ = other.command_;
    return *this;
}

CustomAudioParameters::~CustomAudioParameters() = default;

QString CustomAudioParameters::name() const { return name_; }
QString CustomAudioParameters::file() const { return file_; }
QString CustomAudioParameters::networkPatch() const { return networkPatch_; }
QString CustomAudioParameters::outputPath() const { return outputPath_; }
int CustomAudioParameters::repeats() const { return repeats_; }
std::uint32_t CustomAudioParameters::fadeIn() const { return fadeIn_; }
std::uint32_t CustomAudioParameters::fadeOut() const { return fadeOut_; }
double CustomAudioParameters::volume() const { return volume_; }
double CustomAudioParameters::reverb() const { return reverb_; }
double CustomAudioParameters::pan() const { return pan_; }
CustomAudioCommand CustomAudioParameters::command() const { return command_; }

void CustomAudioParameters::file(const QString& file) { file_ = file; }
void CustomAudioParameters::networkPatch(const QString& networkPatch) { networkPatch_ = networkPatch; }
void CustomAudioParameters::outputPath(const QString& outputPath) { outputPath_ = outputPath; }
void CustomAudioParameters::repeats(int repeats) { repeats_ = repeats; }
void CustomAudioParameters::fadeIn(std::uint32_t fadeIn) { fadeIn_ = fadeIn; }
void CustomAudioParameters::fadeOut(std::uint32_t fadeOut) { fadeOut_ = fadeOut; }
void CustomAudioParameters::volume(double volume) { volume_ = volume; }
void CustomAudioParameters::reverb(double reverb) { reverb_ = reverb; }
void CustomAudioParameters::pan(double pan) { pan_ = pan; }
void CustomAudioParameters::commandIndex(CustomAudioCommand command) { command_ = command; }

CustomAudioParameters::Builder CustomAudioParameters::builder()
{
    return Builder();
}

CustomAudioParameters::Builder::Builder() = default;

CustomAudioParameters::Builder& CustomAudioParameters::Builder::name(const QString& name) { name_ = name; return *this; }
CustomAudioParameters::Builder& CustomAudioParameters::Builder::file(const QString& file) { file_ = file; return *this; }
CustomAudioParameters::Builder& CustomAudioParameters::Builder::outputPath(const QString& outputPath) { outputPath_ = outputPath; return *this; }
CustomAudioParameters::Builder& CustomAudioParameters::Builder::networkPatch(const QString& networkPatch) { networkPatch_ = networkPatch; return *this; }
CustomAudioParameters::Builder& CustomAudioParameters::Builder::repeats(int repeats) { repeats_ = repeats; return *this; }
CustomAudioParameters::Builder& CustomAudioParameters::Builder::fadeIn(std::uint32_t fadeIn) { fadeIn_ = fadeIn; return *this; }
CustomAudioParameters::Builder& CustomAudioParameters::Builder::fadeOut(std::uint32_t fadeOut) { fadeOut_ = fadeOut; return *this; }
CustomAudioParameters::Builder& CustomAudioParameters::Builder::volume(double volume) { volume_ = volume; return *this; }
CustomAudioParameters::Builder& CustomAudioParameters::Builder::reverb(double reverb) { reverb_ = reverb; return *this; }
CustomAudioParameters::Builder& CustomAudioParameters::Builder::pan(double pan) { pan_ = pan; return *this; }
CustomAudioParameters::Builder& CustomAudioParameters::Builder::command(CustomAudioCommand command) { command_ = command; return *this; }

CustomAudioParameters CustomAudioParameters::Builder::build() const
{
    return CustomAudioParameters(name_, file_, outputPath_, networkPatch_, repeats_, fadeIn_, fadeOut_, volume_,
                                 reverb_, pan_, command_);
}

} // namespace vand::audio

namespace vand::sfx {

CustomAudioException::CustomAudioException(const std::string& priority, const std::string& message)
    : priority_(priority), message_(message)
{
}

CustomAudioException::CustomAudioException(const CustomAudioException& other) = default;
CustomAudioException::CustomAudioException(CustomAudioException&& other) noexcept = default;
CustomAudioException& CustomAudioException::operator=(const CustomAudioException& other) = default;
CustomAudioException& CustomAudioException::operator=(CustomAudioException&& other) noexcept = default;
CustomAudioException::~CustomAudioException() = default;

std::string CustomAudioException::Message() const { return message_; }
std::string CustomAudioException::Priority() const { return priority_; }
const char* CustomAudioException::what() const noexcept { return message_.c_str(); }

} // namespace vand::sfx
