#include "sfx/CustomAudioParameters.h"

#include <utility>

namespace vand::audio {

CustomAudioParameters::CustomAudioParameters() = default;

CustomAudioParameters::CustomAudioParameters(QString name, QString file, QString outputPath, QString networkPatch,
                                             int repeats, std::uint32_t fadeIn, std::uint32_t fadeOut, double volume,
                                             double reverb, double pan, CustomAudioCommand command)
    : fields_{std::move(name),
              std::move(file),
              std::move(outputPath),
              std::move(networkPatch),
              repeats,
              fadeIn,
              fadeOut,
              volume,
              reverb,
              pan,
              command}
{
}

CustomAudioParameters::CustomAudioParameters(Fields fields)
    : fields_(std::move(fields))
{
}

CustomAudioParameters::CustomAudioParameters(const CustomAudioParameters& other) = default;

// A move leaves the source's texts empty.
CustomAudioParameters::CustomAudioParameters(CustomAudioParameters&& other) noexcept
    : fields_(std::exchange(other.fields_, Fields()))
{
}

CustomAudioParameters& CustomAudioParameters::operator=(const CustomAudioParameters& other)
{
    Fields fields = other.fields_;
    // The name and the command stay the target's own.
    fields.name = fields_.name;
    fields.command = fields_.command;
    fields_ = std::move(fields);
    return *this;
}

CustomAudioParameters& CustomAudioParameters::operator=(CustomAudioParameters&& other) noexcept
{
    if (this != &other)
        fields_ = std::exchange(other.fields_, Fields());
    return *this;
}

CustomAudioParameters::~CustomAudioParameters() = default;

QString CustomAudioParameters::name() const
{
    return fields_.name;
}
QString CustomAudioParameters::file() const
{
    return fields_.file;
}
QString CustomAudioParameters::networkPatch() const
{
    return fields_.networkPatch;
}
QString CustomAudioParameters::outputPath() const
{
    return fields_.outputPath;
}
int CustomAudioParameters::repeats() const
{
    return fields_.repeats;
}
std::uint32_t CustomAudioParameters::fadeIn() const
{
    return fields_.fadeIn;
}
std::uint32_t CustomAudioParameters::fadeOut() const
{
    return fields_.fadeOut;
}
double CustomAudioParameters::volume() const
{
    return fields_.volume;
}
double CustomAudioParameters::reverb() const
{
    return fields_.reverb;
}
double CustomAudioParameters::pan() const
{
    return fields_.pan;
}
CustomAudioCommand CustomAudioParameters::command() const
{
    return fields_.command;
}

void CustomAudioParameters::file(const QString& file)
{
    fields_.file = file;
}
void CustomAudioParameters::networkPatch(const QString& networkPatch)
{
    fields_.networkPatch = networkPatch;
}
void CustomAudioParameters::outputPath(const QString& outputPath)
{
    fields_.outputPath = outputPath;
}
void CustomAudioParameters::repeats(int repeats)
{
    fields_.repeats = repeats;
}
void CustomAudioParameters::fadeIn(std::uint32_t fadeIn)
{
    fields_.fadeIn = fadeIn;
}
void CustomAudioParameters::fadeOut(std::uint32_t fadeOut)
{
    fields_.fadeOut = fadeOut;
}
void CustomAudioParameters::volume(double volume)
{
    fields_.volume = volume;
}
void CustomAudioParameters::reverb(double reverb)
{
    fields_.reverb = reverb;
}
void CustomAudioParameters::pan(double pan)
{
    fields_.pan = pan;
}
void CustomAudioParameters::commandIndex(CustomAudioCommand command)
{
    fields_.command = command;
}

CustomAudioParameters::Builder CustomAudioParameters::builder()
{
    return Builder();
}

CustomAudioParameters::Builder::Builder() = default;

CustomAudioParameters::Builder& CustomAudioParameters::Builder::name(const QString& name)
{
    fields_.name = name;
    return *this;
}
CustomAudioParameters::Builder& CustomAudioParameters::Builder::file(const QString& file)
{
    fields_.file = file;
    return *this;
}
CustomAudioParameters::Builder& CustomAudioParameters::Builder::outputPath(const QString& outputPath)
{
    fields_.outputPath = outputPath;
    return *this;
}
CustomAudioParameters::Builder& CustomAudioParameters::Builder::networkPatch(const QString& networkPatch)
{
    fields_.networkPatch = networkPatch;
    return *this;
}
CustomAudioParameters::Builder& CustomAudioParameters::Builder::repeats(int repeats)
{
    fields_.repeats = repeats;
    return *this;
}
CustomAudioParameters::Builder& CustomAudioParameters::Builder::fadeIn(std::uint32_t fadeIn)
{
    fields_.fadeIn = fadeIn;
    return *this;
}
CustomAudioParameters::Builder& CustomAudioParameters::Builder::fadeOut(std::uint32_t fadeOut)
{
    fields_.fadeOut = fadeOut;
    return *this;
}
CustomAudioParameters::Builder& CustomAudioParameters::Builder::volume(double volume)
{
    fields_.volume = volume;
    return *this;
}
CustomAudioParameters::Builder& CustomAudioParameters::Builder::reverb(double reverb)
{
    fields_.reverb = reverb;
    return *this;
}
CustomAudioParameters::Builder& CustomAudioParameters::Builder::pan(double pan)
{
    fields_.pan = pan;
    return *this;
}
CustomAudioParameters::Builder& CustomAudioParameters::Builder::command(CustomAudioCommand command)
{
    fields_.command = command;
    return *this;
}

CustomAudioParameters CustomAudioParameters::Builder::build() const
{
    return CustomAudioParameters(fields_);
}

} // namespace vand::audio

namespace vand::sfx {

CustomAudioException::CustomAudioException(const std::string& priority, const std::string& message)
    : priority_(priority)
    , message_(message)
{
}

CustomAudioException::CustomAudioException(const CustomAudioException& other) = default;
CustomAudioException::CustomAudioException(CustomAudioException&& other) noexcept = default;
CustomAudioException& CustomAudioException::operator=(const CustomAudioException& other) = default;
CustomAudioException& CustomAudioException::operator=(CustomAudioException&& other) noexcept = default;
CustomAudioException::~CustomAudioException() = default;

std::string CustomAudioException::Message() const
{
    return message_;
}
std::string CustomAudioException::Priority() const
{
    return priority_;
}
const char* CustomAudioException::what() const noexcept
{
    return message_.c_str();
}

} // namespace vand::sfx
