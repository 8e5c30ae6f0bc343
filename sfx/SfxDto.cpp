#include "sfx/SfxDto.h"

#include <stdexcept>
#include <utility>

IntervalInterface::~IntervalInterface() = default;

namespace vand::audio {

SongInterval::SongInterval() = default;

SongInterval::SongInterval(std::string index, std::uint32_t start, std::uint32_t end)
    : index_(std::move(index)), start_(start), end_(end), type_(IntervalType::SONG)
{
}

SongInterval::SongInterval(const SongInterval& other) = default;
SongInterval::SongInterval(SongInterval&& other) noexcept = default;
SongInterval& SongInterval::operator=(const SongInterval& other) = default;
SongInterval& SongInterval::operator=(SongInterval&& other) noexcept = default;
SongInterval::~SongInterval() = default;

void SongInterval::type(IntervalType type) { type_ = type; }
IntervalType SongInterval::type() const { return type_; }
const std::string& SongInterval::index() const { return index_; }
void SongInterval::setIndex(const std::string& index) { index_ = index; }
std::uint32_t SongInterval::start() const { return start_; }
void SongInterval::setStart(std::uint32_t start) { start_ = start; }
std::uint32_t SongInterval::end() const { return end_; }
void SongInterval::setEnd(std::uint32_t end) { end_ = end; }

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

template<typename Pointer>
void appendSongCopy(std::vector<Pointer>& target, const IntervalInterface& interval)
{
    if (const SongInterval* song = asSongInterval(interval))
        target.push_back(std::make_unique<SongInterval>(song->index(), song->start(), song->end()));
}

std::vector<std::unique_ptr<IntervalInterface>>
songCopies(const std::vector<std::unique_ptr<IntervalInterface>>& intervals)
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
               std::int32_t repeats, std::uint16_t fadeIn, std::uint16_t fadeOut, float volume,
               float reverb, float pan, const std::string& eventId)
    : name_(std::move(name)),
      outputPath_(std::move(outputPath)),
      effectId_(std::move(effectId)),
      effectPath_(std::move(effectPath)),
      eventId_(eventId),
      type_(type),
      effectIdIndex_(effectIdIndex),
      repeats_(repeats),
      fadeIn_(fadeIn),
      fadeOut_(fadeOut),
      volume_(volume),
      reverb_(reverb),
      pan_(pan)
{
    for (const IntervalInterface* interval : intervals) {
        if (interval)
            appendSongCopy(activeIntervals_, *interval);
    }
}

SfxDto::SfxDto(const SfxDto& other)
    : name_(other.name_),
      outputPath_(other.outputPath_),
      effectId_(other.effectId_),
      effectPath_(other.effectPath_),
      eventId_(other.eventId_),
      activeIntervals_(songCopies(other.activeIntervals_)),
      type_(other.type_),
      effectIdIndex_(other.effectIdIndex_),
      repeats_(other.repeats_),
      fadeIn_(other.fadeIn_),
      fadeOut_(other.fadeOut_),
      volume_(other.volume_),
      reverb_(other.reverb_),
      pan_(other.pan_)
{
}

SfxDto::SfxDto(SfxDto&& other) noexcept
    : name_(std::move(other.name_)),
      outputPath_(std::move(other.outputPath_)),
      effectId_(std::move(other.effectId_)),
      effectPath_(std::move(other.effectPath_)),
      eventId_(std::move(other.eventId_)),
      activeIntervals_(std::move(other.activeIntervals_)),
      type_(other.type_),
      effectIdIndex_(other.effectIdIndex_),
      repeats_(other.repeats_),
      fadeIn_(other.fadeIn_),
      fadeOut_(other.fadeOut_),
      volume_(other.volume_),
      reverb_(other.reverb_),
      pan_(other.pan_)
{
    other.name_.clear();
    other.outputPath_.clear();
    other.effectId_.clear();
    other.effectPath_.clear();
    other.eventId_.clear();
    other.activeIntervals_.clear();
}

SfxDto& SfxDto::operator=(const SfxDto& other)
{
    if (this == &other)
        return *this;
    // eventId_ stays: the record keeps naming its own change-log event.
    name_ = other.name_;
    outputPath_ = other.outputPath_;
    effectId_ = other.effectId_;
    effectPath_ = other.effectPath_;
    activeIntervals_ = songCopies(other.activeIntervals_);
    type_ = other.type_;
    effectIdIndex_ = other.effectIdIndex_;
    repeats_ = other.repeats_;
    fadeIn_ = other.fadeIn_;
    fadeOut_ = other.fadeOut_;
    volume_ = other.volume_;
    reverb_ = other.reverb_;
    pan_ = other.pan_;
    return *this;
}

SfxDto& SfxDto::operator=(SfxDto&& other) noexcept
{
    if (this == &other)
        return *this;
    // Unlike the copy, a move carries the event id over.
    name_ = std::move(other.name_);
    outputPath_ = std::move(other.outputPath_);
    effectId_ = std::move(other.effectId_);
    effectPath_ = std::move(other.effectPath_);
    eventId_ = std::move(other.eventId_);
    activeIntervals_ = std::move(other.activeIntervals_);
    type_ = other.type_;
    effectIdIndex_ = other.effectIdIndex_;
    repeats_ = other.repeats_;
    fadeIn_ = other.fadeIn_;
    fadeOut_ = other.fadeOut_;
    volume_ = other.volume_;
    reverb_ = other.reverb_;
    pan_ = other.pan_;
    other.name_.clear();
    other.outputPath_.clear();
    other.effectId_.clear();
    other.effectPath_.clear();
    other.eventId_.clear();
    other.activeIntervals_.clear();
    return *this;
}

SfxDto::~SfxDto() = default;

const std::string& SfxDto::name() const { return name_; }
const std::string& SfxDto::outputPath() const { return outputPath_; }
const std::string& SfxDto::effectId() const { return effectId_; }
const std::string& SfxDto::effectPath() const { return effectPath_; }
const std::string& SfxDto::eventId() const { return eventId_; }
const std::vector<std::unique_ptr<IntervalInterface>>& SfxDto::activeIntervals() const { return activeIntervals_; }
SfxType SfxDto::type() const { return type_; }
std::int32_t SfxDto::effectIdIndex() const { return effectIdIndex_; }
std::int32_t SfxDto::repeats() const { return repeats_; }
std::uint16_t SfxDto::fadeIn() const { return fadeIn_; }
std::uint16_t SfxDto::fadeOut() const { return fadeOut_; }
float SfxDto::volume() const { return volume_; }
float SfxDto::reverb() const { return reverb_; }
float SfxDto::pan() const { return pan_; }

void SfxDto::setName(const std::string& name) { name_ = name; }
void SfxDto::setOutputPath(const std::string& outputPath) { outputPath_ = outputPath; }
void SfxDto::setEffectId(const std::string& effectId) { effectId_ = effectId; }
void SfxDto::setEffectPath(const std::string& effectPath) { effectPath_ = effectPath; }
void SfxDto::setEventId(const std::string& eventId) { eventId_ = eventId; }
void SfxDto::setType(SfxType type) { type_ = type; }
void SfxDto::setEffectIdIndex(std::int32_t effectIdIndex) { effectIdIndex_ = effectIdIndex; }
void SfxDto::setRepeats(std::int32_t repeats) { repeats_ = repeats; }
void SfxDto::setFadeIn(std::uint16_t fadeIn) { fadeIn_ = fadeIn; }
void SfxDto::setFadeOut(std::uint16_t fadeOut) { fadeOut_ = fadeOut; }
void SfxDto::setVolume(float volume) { volume_ = volume; }
void SfxDto::setReverb(float reverb) { reverb_ = reverb; }
void SfxDto::setPan(float pan) { pan_ = pan; }

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
    if (auto c = name_ <=> other.name_; c != 0)
        return c;
    if (auto c = outputPath_ <=> other.outputPath_; c != 0)
        return c;
    if (auto c = effectId_ <=> other.effectId_; c != 0)
        return c;
    if (auto c = effectPath_ <=> other.effectPath_; c != 0)
        return c;
    if (auto c = type_ <=> other.type_; c != 0)
        return c;
    if (auto c = effectIdIndex_ <=> other.effectIdIndex_; c != 0)
        return c;
    if (auto c = repeats_ <=> other.repeats_; c != 0)
        return c;
    if (auto c = fadeIn_ <=> other.fadeIn_; c != 0)
        return c;
    if (auto c = fadeOut_ <=> other.fadeOut_; c != 0)
        return c;
    // A NaN gives unordered, which is not equivalent and so ends the walk.
    if (auto c = volume_ <=> other.volume_; c != 0)
        return c;
    if (auto c = reverb_ <=> other.reverb_; c != 0)
        return c;
    return pan_ <=> other.pan_;
}

bool SfxDto::operator==(const SfxDto& other) const
{
    return (*this <=> other) == std::partial_ordering::equivalent;
}

SfxDto::SfxDtoBuilder::SfxDtoBuilder() = default;

SfxDto::SfxDtoBuilder::SfxDtoBuilder(const SfxDtoBuilder& other)
    : name_(other.name_),
      outputPath_(other.outputPath_),
      effectId_(other.effectId_),
      effectPath_(other.effectPath_),
      eventId_(other.eventId_),
      type_(other.type_),
      effectIdIndex_(other.effectIdIndex_),
      repeats_(other.repeats_),
      fadeIn_(other.fadeIn_),
      fadeOut_(other.fadeOut_),
      volume_(other.volume_),
      reverb_(other.reverb_),
      pan_(other.pan_)
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

SfxDto::SfxDtoBuilder& SfxDto::SfxDtoBuilder::name(const std::string& name) { name_ = name; return *this; }
SfxDto::SfxDtoBuilder& SfxDto::SfxDtoBuilder::outputPath(const std::string& outputPath) { outputPath_ = outputPath; return *this; }
SfxDto::SfxDtoBuilder& SfxDto::SfxDtoBuilder::effectId(const std::string& effectId) { effectId_ = effectId; return *this; }
SfxDto::SfxDtoBuilder& SfxDto::SfxDtoBuilder::effectPath(const std::string& effectPath) { effectPath_ = effectPath; return *this; }
SfxDto::SfxDtoBuilder& SfxDto::SfxDtoBuilder::eventId(const std::string& eventId) { eventId_ = eventId; return *this; }
SfxDto::SfxDtoBuilder& SfxDto::SfxDtoBuilder::type(SfxType type) { type_ = type; return *this; }
SfxDto::SfxDtoBuilder& SfxDto::SfxDtoBuilder::effectIdIndex(std::int32_t effectIdIndex) { effectIdIndex_ = effectIdIndex; return *this; }
SfxDto::SfxDtoBuilder& SfxDto::SfxDtoBuilder::repeats(std::int32_t repeats) { repeats_ = repeats; return *this; }
SfxDto::SfxDtoBuilder& SfxDto::SfxDtoBuilder::fadeIn(std::uint16_t fadeIn) { fadeIn_ = fadeIn; return *this; }
SfxDto::SfxDtoBuilder& SfxDto::SfxDtoBuilder::fadeOut(std::uint16_t fadeOut) { fadeOut_ = fadeOut; return *this; }
SfxDto::SfxDtoBuilder& SfxDto::SfxDtoBuilder::volume(float volume) { volume_ = volume; return *this; }
SfxDto::SfxDtoBuilder& SfxDto::SfxDtoBuilder::reverb(float reverb) { reverb_ = reverb; return *this; }
SfxDto::SfxDtoBuilder& SfxDto::SfxDtoBuilder::pan(float pan) { pan_ = pan; return *this; }

SfxDto::SfxDtoBuilder& SfxDto::SfxDtoBuilder::addActiveInterval(const IntervalInterface& interval)
{
    appendSongCopy(activeIntervals_, interval);
    return *this;
}

SfxDto SfxDto::SfxDtoBuilder::build() const
{
    std::vector<IntervalInterface*> intervals;
    intervals.reserve(activeIntervals_.size());
    for (const auto& interval : activeIntervals_)
        intervals.push_back(interval.get());
    // An ambient effect plays for as long as it is active.
    const std::int32_t repeats = type_ == SfxType::AMBIENT ? -1 : repeats_;
    return SfxDto(name_, outputPath_, effectId_, effectPath_, intervals, type_, effectIdIndex_, repeats,
                  fadeIn_, fadeOut_, volume_, reverb_, pan_, eventId_);
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
    return os << ", 'type': " << dto.type()
              << ", 'effectIdIndex': " << dto.effectIdIndex()
              << ", 'repeats': " << dto.repeats()
              << ", 'fadeIn': " << dto.fadeIn()
              << ", 'fadeOut': " << dto.fadeOut()
              << ", 'volume': " << dto.volume()
              << ", 'reverb': " << dto.reverb()
              << ", 'pan': " << dto.pan()
              << "}";
}

} // namespace vand::audio::sfx
