#include "sfx/SfxDto.h"

#include <stdexcept>
#include <utility>

IntervalInterface::~IntervalInterface() = default;

namespace vand::audio {

SongInterval::SongInterval() = default;

SongInterval::SongInterval(std::string index, std::uint32_t start, std::uint32_t end)
    : index_(std::move(index))
    , start_(start)
    , end_(end)
    , type_(IntervalType::SONG)
{
}

SongInterval::SongInterval(const SongInterval& other) = default;
SongInterval::SongInterval(SongInterval&& other) noexcept = default;
SongInterval& SongInterval::operator=(const SongInterval& other) = default;
SongInterval& SongInterval::operator=(SongInterval&& other) noexcept = default;
SongInterval::~SongInterval() = default;

void SongInterval::type(IntervalType type)
{
    type_ = type;
}
IntervalType SongInterval::type() const
{
    return type_;
}
const std::string& SongInterval::index() const
{
    return index_;
}
void SongInterval::setIndex(const std::string& index)
{
    index_ = index;
}
std::uint32_t SongInterval::start() const
{
    return start_;
}
void SongInterval::setStart(std::uint32_t start)
{
    start_ = start;
}
std::uint32_t SongInterval::end() const
{
    return end_;
}
void SongInterval::setEnd(std::uint32_t end)
{
    end_ = end;
}

std::ostream& operator<<(std::ostream& os, SfxType type)
{
    switch (type) {
    case SfxType::AMBIENT:
        return os << "SFX::AMBIENT";
    case SfxType::PRIMARY:
        return os << "SFX::PRIMARY";
    case SfxType::USER_PROVIDED:
        return os << "SFX::USER_PROVIDED";
    }
    return os << "Error: Unknown SFX type";
}

std::ostream& operator<<(std::ostream& os, const SongInterval& interval)
{
    return os << "{ 'index': '" << interval.index() << "', 'start': " << interval.start()
              << ", 'end': " << interval.end() << " }";
}

} // namespace vand::audio

namespace vand::audio::sfx {

namespace {

// The SONG interval behind `interval`, or null for any other interval.
const SongInterval* asSongInterval(const IntervalInterface& interval)
{
    if (interval.type() != IntervalType::SONG)
        return nullptr;
    return dynamic_cast<const SongInterval*>(&interval);
}

template <typename Pointer>
void appendSongCopy(std::vector<Pointer>& target, const IntervalInterface& interval)
{
    if (const SongInterval* song = asSongInterval(interval))
        target.push_back(std::make_unique<SongInterval>(song->index(), song->start(), song->end()));
}

std::vector<std::unique_ptr<IntervalInterface>> songCopies(
    const std::vector<std::unique_ptr<IntervalInterface>>& intervals)
{
    std::vector<std::unique_ptr<IntervalInterface>> copies;
    for (const auto& interval : intervals) {
        if (interval)
            appendSongCopy(copies, *interval);
    }
    return copies;
}

} // namespace

SfxDto::SfxDto(std::string name, std::string outputPath, std::string effectId, std::string effectPath,
               const std::vector<IntervalInterface*>& intervals, SfxType type, std::int32_t effectIdIndex,
               std::int32_t repeats, std::uint16_t fadeIn, std::uint16_t fadeOut, float volume, float reverb, float pan,
               const std::string& eventId)
    : fields_{std::move(name),
              std::move(outputPath),
              std::move(effectId),
              std::move(effectPath),
              eventId,
              type,
              effectIdIndex,
              repeats,
              fadeIn,
              fadeOut,
              volume,
              reverb,
              pan}
{
    for (const IntervalInterface* interval : intervals) {
        if (interval)
            appendSongCopy(activeIntervals_, *interval);
    }
}

SfxDto::SfxDto(Fields fields, std::vector<std::unique_ptr<IntervalInterface>> intervals)
    : fields_(std::move(fields))
    , activeIntervals_(std::move(intervals))
{
}

SfxDto::SfxDto(const SfxDto& other)
    : fields_(other.fields_)
    , activeIntervals_(songCopies(other.activeIntervals_))
{
}

// A move leaves the source with empty strings and no intervals.
SfxDto::SfxDto(SfxDto&& other) noexcept
    : fields_(std::exchange(other.fields_, Fields()))
    , activeIntervals_(std::exchange(other.activeIntervals_, {}))
{
}

SfxDto& SfxDto::operator=(const SfxDto& other)
{
    if (this == &other)
        return *this;
    auto intervals = songCopies(other.activeIntervals_);
    Fields fields = other.fields_;
    // The event id stays: the record keeps naming its own change-log event.
    fields.eventId = fields_.eventId;
    fields_ = std::move(fields);
    activeIntervals_ = std::move(intervals);
    return *this;
}

// Unlike the copy, a move carries the event id over.
SfxDto& SfxDto::operator=(SfxDto&& other) noexcept
{
    if (this != &other) {
        fields_ = std::exchange(other.fields_, Fields());
        activeIntervals_ = std::exchange(other.activeIntervals_, {});
    }
    return *this;
}

SfxDto::~SfxDto() = default;

const std::string& SfxDto::name() const
{
    return fields_.name;
}
const std::string& SfxDto::outputPath() const
{
    return fields_.outputPath;
}
const std::string& SfxDto::effectId() const
{
    return fields_.effectId;
}
const std::string& SfxDto::effectPath() const
{
    return fields_.effectPath;
}
const std::string& SfxDto::eventId() const
{
    return fields_.eventId;
}
const std::vector<std::unique_ptr<IntervalInterface>>& SfxDto::activeIntervals() const
{
    return activeIntervals_;
}
SfxType SfxDto::type() const
{
    return fields_.type;
}
std::int32_t SfxDto::effectIdIndex() const
{
    return fields_.effectIdIndex;
}
std::int32_t SfxDto::repeats() const
{
    return fields_.repeats;
}
std::uint16_t SfxDto::fadeIn() const
{
    return fields_.fadeIn;
}
std::uint16_t SfxDto::fadeOut() const
{
    return fields_.fadeOut;
}
float SfxDto::volume() const
{
    return fields_.volume;
}
float SfxDto::reverb() const
{
    return fields_.reverb;
}
float SfxDto::pan() const
{
    return fields_.pan;
}

void SfxDto::setName(const std::string& name)
{
    fields_.name = name;
}
void SfxDto::setOutputPath(const std::string& outputPath)
{
    fields_.outputPath = outputPath;
}
void SfxDto::setEffectId(const std::string& effectId)
{
    fields_.effectId = effectId;
}
void SfxDto::setEffectPath(const std::string& effectPath)
{
    fields_.effectPath = effectPath;
}
void SfxDto::setEventId(const std::string& eventId)
{
    fields_.eventId = eventId;
}
void SfxDto::setType(SfxType type)
{
    fields_.type = type;
}
void SfxDto::setEffectIdIndex(std::int32_t effectIdIndex)
{
    fields_.effectIdIndex = effectIdIndex;
}
void SfxDto::setRepeats(std::int32_t repeats)
{
    fields_.repeats = repeats;
}
void SfxDto::setFadeIn(std::uint16_t fadeIn)
{
    fields_.fadeIn = fadeIn;
}
void SfxDto::setFadeOut(std::uint16_t fadeOut)
{
    fields_.fadeOut = fadeOut;
}
void SfxDto::setVolume(float volume)
{
    fields_.volume = volume;
}
void SfxDto::setReverb(float reverb)
{
    fields_.reverb = reverb;
}
void SfxDto::setPan(float pan)
{
    fields_.pan = pan;
}

void SfxDto::addActiveInterval(const IntervalInterface& interval)
{
    appendSongCopy(activeIntervals_, interval);
}

bool SfxDto::isActiveInterval(const std::string& index, std::uint32_t start, std::uint32_t end) const
{
    for (const auto& interval : activeIntervals_) {
        // The list is reachable through activeIntervals(), so an element's
        // type may have been changed after it was added.
        switch (interval->type()) {
        case IntervalType::SEQUENCE:
            throw std::runtime_error("IntervalType::SEQUENCE not implemented yet");
        case IntervalType::SONG:
            if (const auto* song = dynamic_cast<const SongInterval*>(interval.get())) {
                if (song->index() == index && song->start() <= start && song->end() >= end)
                    return true;
            }
            break;
        }
    }
    return false;
}

SfxDto::SfxDtoBuilder SfxDto::builder()
{
    return SfxDtoBuilder();
}

std::partial_ordering SfxDto::operator<=>(const SfxDto& other) const
{
    const Fields& a = fields_;
    const Fields& b = other.fields_;
    if (auto c = a.name <=> b.name; c != 0)
        return c;
    if (auto c = a.outputPath <=> b.outputPath; c != 0)
        return c;
    if (auto c = a.effectId <=> b.effectId; c != 0)
        return c;
    if (auto c = a.effectPath <=> b.effectPath; c != 0)
        return c;
    if (auto c = a.type <=> b.type; c != 0)
        return c;
    if (auto c = a.effectIdIndex <=> b.effectIdIndex; c != 0)
        return c;
    if (auto c = a.repeats <=> b.repeats; c != 0)
        return c;
    if (auto c = a.fadeIn <=> b.fadeIn; c != 0)
        return c;
    if (auto c = a.fadeOut <=> b.fadeOut; c != 0)
        return c;
    // A NaN gives unordered, which is not equivalent and so ends the walk.
    if (auto c = a.volume <=> b.volume; c != 0)
        return c;
    if (auto c = a.reverb <=> b.reverb; c != 0)
        return c;
    return a.pan <=> b.pan;
}

bool SfxDto::operator==(const SfxDto& other) const
{
    return (*this <=> other) == std::partial_ordering::equivalent;
}

SfxDto::SfxDtoBuilder::SfxDtoBuilder() = default;

SfxDto::SfxDtoBuilder::SfxDtoBuilder(const SfxDtoBuilder& other)
    : fields_(other.fields_)
{
    for (const auto& interval : other.activeIntervals_)
        activeIntervals_.push_back(std::make_unique<SongInterval>(*interval));
}

SfxDto::SfxDtoBuilder::SfxDtoBuilder(SfxDtoBuilder&& other) noexcept = default;

SfxDto::SfxDtoBuilder& SfxDto::SfxDtoBuilder::operator=(const SfxDtoBuilder& other)
{
    if (this != &other) {
        SfxDtoBuilder copy(other);
        *this = std::move(copy);
    }
    return *this;
}

SfxDto::SfxDtoBuilder& SfxDto::SfxDtoBuilder::operator=(SfxDtoBuilder&& other) noexcept = default;
SfxDto::SfxDtoBuilder::~SfxDtoBuilder() = default;

SfxDto::SfxDtoBuilder& SfxDto::SfxDtoBuilder::name(const std::string& name)
{
    fields_.name = name;
    return *this;
}
SfxDto::SfxDtoBuilder& SfxDto::SfxDtoBuilder::outputPath(const std::string& outputPath)
{
    fields_.outputPath = outputPath;
    return *this;
}
SfxDto::SfxDtoBuilder& SfxDto::SfxDtoBuilder::effectId(const std::string& effectId)
{
    fields_.effectId = effectId;
    return *this;
}
SfxDto::SfxDtoBuilder& SfxDto::SfxDtoBuilder::effectPath(const std::string& effectPath)
{
    fields_.effectPath = effectPath;
    return *this;
}
SfxDto::SfxDtoBuilder& SfxDto::SfxDtoBuilder::eventId(const std::string& eventId)
{
    fields_.eventId = eventId;
    return *this;
}
SfxDto::SfxDtoBuilder& SfxDto::SfxDtoBuilder::type(SfxType type)
{
    fields_.type = type;
    return *this;
}
SfxDto::SfxDtoBuilder& SfxDto::SfxDtoBuilder::effectIdIndex(std::int32_t effectIdIndex)
{
    fields_.effectIdIndex = effectIdIndex;
    return *this;
}
SfxDto::SfxDtoBuilder& SfxDto::SfxDtoBuilder::repeats(std::int32_t repeats)
{
    fields_.repeats = repeats;
    return *this;
}
SfxDto::SfxDtoBuilder& SfxDto::SfxDtoBuilder::fadeIn(std::uint16_t fadeIn)
{
    fields_.fadeIn = fadeIn;
    return *this;
}
SfxDto::SfxDtoBuilder& SfxDto::SfxDtoBuilder::fadeOut(std::uint16_t fadeOut)
{
    fields_.fadeOut = fadeOut;
    return *this;
}
SfxDto::SfxDtoBuilder& SfxDto::SfxDtoBuilder::volume(float volume)
{
    fields_.volume = volume;
    return *this;
}
SfxDto::SfxDtoBuilder& SfxDto::SfxDtoBuilder::reverb(float reverb)
{
    fields_.reverb = reverb;
    return *this;
}
SfxDto::SfxDtoBuilder& SfxDto::SfxDtoBuilder::pan(float pan)
{
    fields_.pan = pan;
    return *this;
}

SfxDto::SfxDtoBuilder& SfxDto::SfxDtoBuilder::addActiveInterval(const IntervalInterface& interval)
{
    appendSongCopy(activeIntervals_, interval);
    return *this;
}

SfxDto SfxDto::SfxDtoBuilder::build() const
{
    std::vector<std::unique_ptr<IntervalInterface>> intervals;
    for (const auto& interval : activeIntervals_)
        appendSongCopy(intervals, *interval);
    Fields fields = fields_;
    // An ambient effect plays for as long as it is active.
    if (fields.type == SfxType::AMBIENT)
        fields.repeats = -1;
    return SfxDto(std::move(fields), std::move(intervals));
}

std::ostream& operator<<(std::ostream& os, const SfxDto& dto)
{
    os << "SfxDto{'name': '" << dto.name() << "'"
       << ", 'outputPath': '" << dto.outputPath() << "'"
       << ", 'effectId': '" << dto.effectId() << "'"
       << ", 'effectPath': '" << dto.effectPath() << "'"
       << ", 'activeIntervals': ";
    for (const auto& interval : dto.activeIntervals()) {
        if (const SongInterval* song = asSongInterval(*interval))
            os << *song << ", ";
    }
    return os << ", 'type': " << dto.type() << ", 'effectIdIndex': " << dto.effectIdIndex()
              << ", 'repeats': " << dto.repeats() << ", 'fadeIn': " << dto.fadeIn() << ", 'fadeOut': " << dto.fadeOut()
              << ", 'volume': " << dto.volume() << ", 'reverb': " << dto.reverb() << ", 'pan': " << dto.pan() << "}";
}

} // namespace vand::audio::sfx
