#pragma once

// A request to play or stop a user audio file, and the library's exception
// with a priority.
//
// Threads: plain values; no shared state.

#include "sfx/SfxExport.h"

#include <QString>

#include <cstdint>
#include <exception>
#include <string>

namespace vand::audio {

// Stored and handed back; the controller operation that receives a record
// decides between playing and stopping.
enum class CustomAudioCommand : std::int32_t { PLAY = 0, STOP = 1 };

class SFX_EXPORT CustomAudioParameters
{
    // The record's values; a builder starts from the same defaults.
    struct Fields
    {
        QString name;
        QString file;
        QString outputPath;
        QString networkPatch;
        int repeats = 0;
        std::uint32_t fadeIn = 0;
        std::uint32_t fadeOut = 0;
        double volume = 0.0;
        double reverb = 0.0;
        double pan = 0.0;
        CustomAudioCommand command = CustomAudioCommand::PLAY;
    };

public:
    class Builder;

    CustomAudioParameters();
    CustomAudioParameters(QString name, QString file, QString outputPath, QString networkPatch, int repeats,
                          std::uint32_t fadeIn, std::uint32_t fadeOut, double volume, double reverb, double pan,
                          CustomAudioCommand command);
    CustomAudioParameters(const CustomAudioParameters& other);
    CustomAudioParameters(CustomAudioParameters&& other) noexcept;
    // Takes every field but `name` and `command`: the target keeps its own
    // name and command and plays the source's file its way.
    CustomAudioParameters& operator=(const CustomAudioParameters& other);
    // Takes every field.
    CustomAudioParameters& operator=(CustomAudioParameters&& other) noexcept;
    ~CustomAudioParameters();

    QString name() const;
    QString file() const;
    QString networkPatch() const;
    QString outputPath() const;
    int repeats() const;
    std::uint32_t fadeIn() const;
    std::uint32_t fadeOut() const;
    double volume() const;
    double reverb() const;
    double pan() const;
    CustomAudioCommand command() const;

    // Unchecked. The name is set only through the builder.
    void file(const QString& file);
    void networkPatch(const QString& networkPatch);
    void outputPath(const QString& outputPath);
    void repeats(int repeats);
    void fadeIn(std::uint32_t fadeIn);
    void fadeOut(std::uint32_t fadeOut);
    void volume(double volume);
    void reverb(double reverb);
    void pan(double pan);
    void commandIndex(CustomAudioCommand command);

    static Builder builder();

    class SFX_EXPORT Builder
    {
    public:
        Builder& name(const QString& name);
        Builder& file(const QString& file);
        Builder& outputPath(const QString& outputPath);
        Builder& networkPatch(const QString& networkPatch);
        Builder& repeats(int repeats);
        Builder& fadeIn(std::uint32_t fadeIn);
        Builder& fadeOut(std::uint32_t fadeOut);
        Builder& volume(double volume);
        Builder& reverb(double reverb);
        Builder& pan(double pan);
        Builder& command(CustomAudioCommand command);
        // The builder's values, unchanged and unchecked.
        CustomAudioParameters build() const;

    private:
        friend class CustomAudioParameters;
        Builder();

        Fields fields_;
    };

private:
    explicit CustomAudioParameters(Fields fields);

    Fields fields_;
};

} // namespace vand::audio

namespace vand::sfx {

// Thrown on the custom-audio paths; receivers tell how grave it is by
// Priority ("error" or "warning") and show Message.
class SFX_EXPORT CustomAudioException : public std::exception
{
public:
    CustomAudioException(const std::string& priority, const std::string& message);
    CustomAudioException(const CustomAudioException& other);
    CustomAudioException(CustomAudioException&& other) noexcept;
    CustomAudioException& operator=(const CustomAudioException& other);
    CustomAudioException& operator=(CustomAudioException&& other) noexcept;
    ~CustomAudioException() override;

    std::string Message() const;
    std::string Priority() const;
    const char* what() const noexcept override;

private:
    std::string priority_;
    std::string message_;
};

} // namespace vand::sfx
