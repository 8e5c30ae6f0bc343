#pragma once

// The store of a show's sound-effect instances, and the store kept in the
// show's change log.
//
// Threads: ChangeLogSfxRepository may be called from any thread. Its reads and
// the edits of Update and Delete hold the active change log's guard (which one
// thread may take again while holding it); it keeps no state of its own but
// the editor pointer.

#include "sfx/SfxDto.h"
#include "sfx/SfxExport.h"

#include <any>
#include <optional>
#include <string>
#include <vector>

namespace CL {
class Editor;
class Sfx;
} // namespace CL

namespace vand::audio {

class SFX_EXPORT SfxRepository
{
public:
    virtual ~SfxRepository();
    virtual void Save(vand::audio::sfx::SfxDto record) = 0;
    // Every instance.
    virtual std::vector<vand::audio::sfx::SfxDto> Get() = 0;
    virtual std::optional<vand::audio::sfx::SfxDto> GetById(std::any id) = 0;
    virtual void Update(std::any id, vand::audio::sfx::SfxDto record) = 0;
    virtual void Delete(std::any id) = 0;
    // A new id, used up.
    virtual std::string GenerateEventId() = 0;
    // The id the next GenerateEventId gives; nothing used up.
    virtual std::string PreviewEventId() = 0;
};

// Instances are the active change log's sound-effect events, keyed by their
// event id ("sfx." and a suffix) held as a std::string in the std::any. With
// equal ids the first event in the log's order counts.
class SFX_EXPORT ChangeLogSfxRepository : public SfxRepository
{
public:
    // `editor` edits the active change log; not owned, may be null for a
    // store that only reads (Save, Update, Delete and the ids then throw
    // std::logic_error).
    explicit ChangeLogSfxRepository(CL::Editor* editor);
    ChangeLogSfxRepository(const ChangeLogSfxRepository& other);
    ChangeLogSfxRepository& operator=(const ChangeLogSfxRepository& other);
    ~ChangeLogSfxRepository() override;

    // Stores the record under its event id; writes "event id <id>" to
    // standard output.
    void Save(vand::audio::sfx::SfxDto record) override;
    std::vector<vand::audio::sfx::SfxDto> Get() override;
    // std::invalid_argument when the id is not a std::string.
    std::optional<vand::audio::sfx::SfxDto> GetById(std::any id) override;
    // Replaces the settings and the kind (ambient or not) of the id's event,
    // which keeps its place in the log; no such event, no change. Writes
    // "event id <id>" to standard output.
    // std::invalid_argument when the id is not a std::string.
    void Update(std::any id, vand::audio::sfx::SfxDto record) override;
    // std::invalid_argument when the id is not a std::string.
    void Delete(std::any id) override;
    std::string GenerateEventId() override;
    std::string PreviewEventId() override;

private:
    static vand::audio::sfx::SfxDto MapToDto(const CL::Sfx& event);
    static CL::Sfx MapToEvent(const vand::audio::sfx::SfxDto& record);
    CL::Editor& Editor_() const;

    CL::Editor* editor_;
};

} // namespace vand::audio
