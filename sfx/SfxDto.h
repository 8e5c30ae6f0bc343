#pragma once

// The value record of one sound-effect instance, its intervals and its type.
//
// Threads: plain values; no shared state. A record may be built, copied and
// read on any thread, one thread at a time per object.

#include "sfx/SfxExport.h"

#include <compare>
#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

enum class IntervalType : std::int32_t { SEQUENCE = 0, SONG = 1 };

// A stretch of time during which an effect is active.
class SFX_EXPORT IntervalInterface
{
public:
    virtual ~IntervalInterface();
    virtual void type(IntervalType type) = 0;
    virtual IntervalType type() const = 0;
};

namespace vand::audio {

enum class SfxType : std::int32_t { AMBIENT = 0, PRIMARY = 1, USER_PROVIDED = 2 };

// A stretch of one song; start and end are in the caller's unit.
class SFX_EXPORT SongInterval : public IntervalInterface
{
public:
    SongInterval();
    SongInterval(std::string index, std::uint32_t start, std::uint32_t end);
    SongInterval(const SongInterval& other);
    SongInterval(SongInterval&& other) noexcept;
    SongInterval& operator=(const SongInterval& other);
    SongInterval& operator=(SongInterval&& other) noexcept;
    ~SongInterval() override;

    void type(IntervalType type) override;
    IntervalType type() const override;

    const std::string& index() const;
    void setIndex(const std::string& index);
    std::uint32_t start() const;
    void setStart(std::uint32_t start);
    std::uint32_t end() const;
    void setEnd(std::uint32_t end);

private:
    std::string index_;
    std::uint32_t start_ = 0;
    std::uint32_t end_ = 0;
    IntervalType type_ = IntervalType::SONG;
};

SFX_EXPORT std::ostream& operator<<(std::ostream& os, SfxType type);
SFX_EXPORT std::ostream& operator<<(std::ostream& os, const SongInterval& interval);

} // namespace vand::audio

namespace vand::audio::sfx {

// One sound-effect instance. Made by SfxDtoBuilder, by the full constructor,
// or by copying or moving another record; there is no default constructor.
//
// The record holds only SONG intervals: every way in (constructors, copies,
// addActiveInterval, the builder) copies SONG intervals and drops the others.
class SFX_EXPORT SfxDto
{
    // Every field but the intervals, with the values a builder starts from.
    struct Fields
    {
        std::string name;
        std::string outputPath;
        std::string effectId;
        std::string effectPath;
        std::string eventId;
        SfxType type = SfxType::PRIMARY;
        std::int32_t effectIdIndex = 0;
        std::int32_t repeats = 0;
        std::uint16_t fadeIn = 0;
        std::uint16_t fadeOut = 0;
        float volume = 1.0f;
        float reverb = 0.0f;
        float pan = 0.5f;
    };

public:
    class SfxDtoBuilder;

    // Copies the SONG elements of `intervals`; takes no ownership of them.
    SfxDto(std::string name, std::string outputPath, std::string effectId, std::string effectPath,
           const std::vector<IntervalInterface*>& intervals, SfxType type, std::int32_t effectIdIndex,
           std::int32_t repeats, std::uint16_t fadeIn, std::uint16_t fadeOut, float volume, float reverb, float pan,
           const std::string& eventId);
    SfxDto(const SfxDto& other);
    SfxDto(SfxDto&& other) noexcept;
    // Takes every field but the event id: the target stays the same change-log
    // event and takes the source's settings.
    SfxDto& operator=(const SfxDto& other);
    SfxDto& operator=(SfxDto&& other) noexcept;
    ~SfxDto();

    const std::string& name() const;
    const std::string& outputPath() const;
    const std::string& effectId() const;
    const std::string& effectPath() const;
    const std::string& eventId() const;
    const std::vector<std::unique_ptr<IntervalInterface>>& activeIntervals() const;
    SfxType type() const;
    std::int32_t effectIdIndex() const;
    std::int32_t repeats() const;
    std::uint16_t fadeIn() const;
    std::uint16_t fadeOut() const;
    float volume() const;
    float reverb() const;
    float pan() const;

    // None of the setters checks its value.
    void setName(const std::string& name);
    void setOutputPath(const std::string& outputPath);
    void setEffectId(const std::string& effectId);
    void setEffectPath(const std::string& effectPath);
    void setEventId(const std::string& eventId);
    void setType(SfxType type);
    void setEffectIdIndex(std::int32_t effectIdIndex);
    void setRepeats(std::int32_t repeats);
    void setFadeIn(std::uint16_t fadeIn);
    void setFadeOut(std::uint16_t fadeOut);
    void setVolume(float volume);
    void setReverb(float reverb);
    void setPan(float pan);

    // Appends a copy of a SONG interval; any other interval is ignored.
    void addActiveInterval(const IntervalInterface& interval);

    // True when an interval of song `index` covers start..end (its start at
    // most `start`, its end at least `end`). A SEQUENCE interval in the list
    // throws std::runtime_error.
    bool isActiveInterval(const std::string& index, std::uint32_t start, std::uint32_t end) const;

    static SfxDtoBuilder builder();

    // Orders by name, outputPath, effectId, effectPath, type, effectIdIndex,
    // repeats, fadeIn, fadeOut, volume, reverb, pan; the event id and the
    // intervals take no part. A NaN volume, reverb or pan makes the records
    // unordered, so such a record is not equal even to itself.
    std::partial_ordering operator<=>(const SfxDto& other) const;
    bool operator==(const SfxDto& other) const;

    class SFX_EXPORT SfxDtoBuilder
    {
    public:
        SfxDtoBuilder();
        SfxDtoBuilder(const SfxDtoBuilder& other);
        SfxDtoBuilder(SfxDtoBuilder&& other) noexcept;
        SfxDtoBuilder& operator=(const SfxDtoBuilder& other);
        SfxDtoBuilder& operator=(SfxDtoBuilder&& other) noexcept;
        ~SfxDtoBuilder();

        SfxDtoBuilder& name(const std::string& name);
        SfxDtoBuilder& outputPath(const std::string& outputPath);
        SfxDtoBuilder& effectId(const std::string& effectId);
        SfxDtoBuilder& effectPath(const std::string& effectPath);
        SfxDtoBuilder& eventId(const std::string& eventId);
        SfxDtoBuilder& type(SfxType type);
        SfxDtoBuilder& effectIdIndex(std::int32_t effectIdIndex);
        SfxDtoBuilder& repeats(std::int32_t repeats);
        SfxDtoBuilder& fadeIn(std::uint16_t fadeIn);
        SfxDtoBuilder& fadeOut(std::uint16_t fadeOut);
        SfxDtoBuilder& volume(float volume);
        SfxDtoBuilder& reverb(float reverb);
        SfxDtoBuilder& pan(float pan);
        // Takes a copy of a SONG interval; any other interval is ignored.
        SfxDtoBuilder& addActiveInterval(const IntervalInterface& interval);

        // Unchecked. An AMBIENT record always repeats endlessly: its repeats
        // is -1 whatever the builder holds. The builder stays usable.
        SfxDto build() const;

    private:
        Fields fields_;
        std::vector<std::unique_ptr<SongInterval>> activeIntervals_;
    };

private:
    SfxDto(Fields fields, std::vector<std::unique_ptr<IntervalInterface>> intervals);

    Fields fields_;
    std::vector<std::unique_ptr<IntervalInterface>> activeIntervals_;
};

using SfxDtoBuilder = SfxDto::SfxDtoBuilder;

// "SfxDto{'name': '...', ...}" without a line break; the event id is not
// written.
SFX_EXPORT std::ostream& operator<<(std::ostream& os, const SfxDto& dto);

} // namespace vand::audio::sfx
