#include "sfx/SfxRepository.h"

#include "CL/ActiveChangeLog.h"
#include "CL/ChangeLog.h"
#include "CL/Editor.h"
#include "CL/Events.h"

#include <iostream>
#include <stdexcept>

namespace vand::audio {

using vand::audio::sfx::SfxDto;

namespace {

// The event id held by `id`, or std::invalid_argument naming the operation.
const std::string& EventIdOf(const std::any& id, const char* operation)
{
    const auto* text = std::any_cast<std::string>(&id);
    if (text == nullptr)
        throw std::invalid_argument(std::string("ChangeLogSfxRepository::") + operation
                                    + " requires a std::string for the event id");
    return *text;
}

// The first sound-effect event of the log with this id, or null.
CL::Sfx* FindFirst(CL::ChangeLog& log, const std::string& eventId)
{
    for (CL::Sfx* event : log.GetSfxs()) {
        if (event->EventId() == eventId)
            return event;
    }
    return nullptr;
}

} // namespace

SfxRepository::~SfxRepository() = default;

ChangeLogSfxRepository::ChangeLogSfxRepository(CL::Editor* editor)
    : editor_(editor)
{
}
ChangeLogSfxRepository::ChangeLogSfxRepository(const ChangeLogSfxRepository& other) = default;
ChangeLogSfxRepository& ChangeLogSfxRepository::operator=(const ChangeLogSfxRepository& other) = default;
ChangeLogSfxRepository::~ChangeLogSfxRepository() = default;

CL::Editor& ChangeLogSfxRepository::Editor_() const
{
    if (editor_ == nullptr)
        throw std::logic_error("The sound-effect store has no change-log editor to write with.");
    return *editor_;
}

SfxDto ChangeLogSfxRepository::MapToDto(const CL::Sfx& event)
{
    const CL::SfxProperties& properties = event.GetSfxProperties();
    return SfxDto::builder()
        .name(properties.name())
        .effectId(properties.effectId())
        .effectPath(properties.effectId() + ".sfx")
        .type(event.IsAmbient() ? SfxType::AMBIENT : SfxType::PRIMARY)
        .volume(properties.volume())
        .fadeIn(properties.fadeIn)
        .fadeOut(properties.fadeOut)
        .repeats(properties.repeats())
        .eventId(event.EventId())
        .pan(properties.pan())
        .reverb(properties.reverb())
        .outputPath(properties.outputPath())
        .effectIdIndex(properties.effectIdIndex())
        .build();
}

CL::Sfx ChangeLogSfxRepository::MapToEvent(const SfxDto& record)
{
    CL::SfxProperties properties;
    properties.setEffectId(record.effectId());
    properties.setEffectIdIndex(record.effectIdIndex());
    properties.setName(record.name());
    properties.setVolume(record.volume());
    properties.setPan(record.pan());
    properties.setReverb(record.reverb());
    properties.fadeIn = record.fadeIn();
    properties.fadeOut = record.fadeOut();
    properties.setOutputPath(record.outputPath());
    properties.setRepeats(record.repeats());
    std::cout << "event id " << record.eventId() << std::endl;
    return CL::Sfx(0, record.eventId(), properties, record.type() == SfxType::AMBIENT);
}

void ChangeLogSfxRepository::Save(SfxDto record)
{
    CL::Editor& editor = Editor_();
    editor.AddSoundEffect(MapToEvent(record));
}

std::vector<SfxDto> ChangeLogSfxRepository::Get()
{
    CL::ActiveChangeLogExclusive guard;
    const std::vector<CL::Sfx*> events = guard.Get().GetSfxs();
    std::vector<SfxDto> records;
    records.reserve(events.size());
    for (const CL::Sfx* event : events)
        records.push_back(MapToDto(*event));
    return records;
}

std::optional<SfxDto> ChangeLogSfxRepository::GetById(std::any id)
{
    const std::string& eventId = EventIdOf(id, "GetById");
    CL::ActiveChangeLogExclusive guard;
    for (SfxDto& record : Get()) {
        if (record.eventId() == eventId)
            return std::move(record);
    }
    return std::nullopt;
}

void ChangeLogSfxRepository::Update(std::any id, SfxDto record)
{
    const std::string& eventId = EventIdOf(id, "Update");
    CL::Editor& editor = Editor_();
    CL::ActiveChangeLogExclusive guard;
    CL::Sfx* event = FindFirst(guard.Get(), eventId);
    if (event == nullptr)
        return;
    const CL::Sfx changed = MapToEvent(record);
    editor.EditSoundEffectSFXPropertyValues(*event, changed.sfx_properties());
    // The editor changes the settings only; whether the effect is ambient is
    // the event's code, written here in place under the same guard, so the
    // event keeps its place in the log.
    if (event->IsAmbient() != changed.IsAmbient())
        *event = CL::Sfx(event->start(), event->EventId(), event->GetSfxProperties(), changed.IsAmbient());
}

void ChangeLogSfxRepository::Delete(std::any id)
{
    const std::string& eventId = EventIdOf(id, "Delete");
    CL::Editor& editor = Editor_();
    CL::ActiveChangeLogExclusive guard;
    if (const CL::Sfx* event = FindFirst(guard.Get(), eventId))
        editor.DeleteEvent(*event);
}

std::string ChangeLogSfxRepository::GenerateEventId()
{
    return "sfx." + Editor_().GetNextSfxEventIdSuffix();
}

std::string ChangeLogSfxRepository::PreviewEventId()
{
    return "sfx." + Editor_().PreviewNextSfxEventId();
}

} // namespace vand::audio
