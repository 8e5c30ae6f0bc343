#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "CL/ChangeLog.h"
#include "CL/Errors.h"
#include "CL/Events.h"
#include "CL/Properties.h"
#include "TL/BarsBeats.h"
#include "cmn/VANDVersion.h"
#include "cmn/VandEvent.h"

namespace CL {

// One undoable action.
struct HistoryItem {
  std::vector<int> codes;   // event codes the action touched
  std::string song;         // the song it applied to
  std::string description;  // e.g. "Add Vamp V12"
};

// Every code of the items, ascending, each once.
std::vector<int> GetAffectedCodes(const std::vector<HistoryItem>& items);

// What the editor needs to know of the songs; the engine implements it.
// Called with the active-log mutex held: an implementation must not wait for
// a lock that a thread holds while calling into the editor.
class SongInfoProvider {
 public:
  virtual ~SongInfoProvider() = default;
  virtual bool HasSong(const std::string& song) const = 0;
  // Events lie within [start tick, length].
  virtual UInt32 GetSongStartTick(const std::string& song) const = 0;
  virtual UInt32 GetSongLengthTicks(const std::string& song) const = 0;
  // The grid entry at or before the tick (for suggested ids).
  virtual TL::BarsBeats GetBarBeatAtOrBefore(const std::string& song, UInt32 tick) const = 0;
  // The click values allowed over [start, end].
  virtual std::vector<int> GetAllowedClickValues(const std::string& song, UInt32 start, UInt32 end) const = 0;
};

// The change-log editor. It owns one ChangeLog for its whole life (replacing
// the log assigns into it, so its address stays). Every operation takes the
// process-wide active-log mutex (recursive), so the sound-effect calls may come
// from any thread, also from one holding ActiveChangeLogExclusive.
//
// Events are found by (code, EventId) in the selected song, start breaking
// ties, never by address: callers may pass copies. Ids are unique per song and
// code; adding a record whose id is taken (or empty) gives it a free id.
//
// Edits change records in place; adding or deleting a record never moves
// another. Undo and redo replace the records they restore.
class Editor {
 public:
  Editor();
  explicit Editor(ChangeLog log);
  ~Editor();
  Editor(const Editor&) = delete;
  Editor& operator=(const Editor&) = delete;

  // --- log management ---
  // Replaces the log (history cleared, selected song kept).
  void SetChangeLog(ChangeLog log);
  // Reads a file and makes it the log; on failure the log stays as it was.
  // Throws as ChangeLog's reading constructor.
  void LoadChangeLogFile(const std::filesystem::path& logdata, const std::filesystem::path& identityFile);
  ChangeLog& GetChangeLog() { return log_; }
  const ChangeLog& GetChangeLog() const { return log_; }
  // Registers this editor's log as the active change log (see ActiveChangeLog.h);
  // the destructor unregisters it.
  void MakeActive();

  // Song bounds, grid and click values; not owned; null = no bounds
  // (everything from tick 0 on is accepted, ids use ticks for bar labels).
  void SetSongInfoProvider(const SongInfoProvider* provider);

  // Largest number of undo steps kept per song.
  static constexpr std::size_t kMaxHistory = 500;

  // --- editing ---
  // Later event edits apply to this song. Throws std::invalid_argument for an
  // empty text or a song the provider does not know.
  void SelectSongLogForEditing(const std::string& song);
  const std::string& GetSelectedSong() const { return song_; }
  // The selected song's log; null when it has none yet.
  const SongLog* GetSelectedSongLog() const;

  cmn::VANDVersion GetVersion() const;

  void AddEvent(const cmn::VandEvent& event);
  // Moves or resizes (point events: start, stored end 0).
  void EditEventStartEndValues(const cmn::VandEvent& event, UInt32 start, UInt32 end, bool adjustLeft,
                               bool adjustRight);
  void EditEventStringValue(const cmn::VandEvent& event, const std::string& value);
  void EditEventIntValue(const cmn::VandEvent& event, int value);
  void EditEventFloatValue(const cmn::VandEvent& event, double value);
  void EditEventOscPropertyValues(const cmn::VandEvent& event, const OscProperties& props);
  // For a sound-effect event the same as EditSoundEffectSFXPropertyValues.
  void EditEventSFXPropertyValues(const cmn::VandEvent& event, const SfxProperties& props);
  // Song events of the selected song; sound-effect codes delete the first
  // show-level sound effect of that id (not undoable).
  void DeleteEvent(const cmn::VandEvent& event);
  void DeleteEvent(std::shared_ptr<cmn::VandEvent> event);

  bool CanUndo() const;
  bool CanRedo() const;
  // Undo or redo the selected song's last action; empty when there is none.
  std::vector<HistoryItem> Undo();
  std::vector<HistoryItem> Redo();
  // Codes touched by the last add, edit, delete, undo or redo. Throws
  // EditorHistoryNoActionError when there was none since the log was loaded.
  std::vector<int> GetEditedCodes() const;

  // id letter ('V' for a vamp, else the code) + bar label, + ".beat" when not
  // on beat 1; "_2", "_3" ... when taken in the selected song.
  std::string GetSuggestedEventIdAtTick(UInt32 tick, unsigned char code) const;

  void UpdateNetworks(const NetworkPathVectorT& networks);

  // Every event of the selected song plus the show-level sound effects, by id
  // (the first of equal ids).
  std::map<std::string, const cmn::VandEvent*> GetEventsByEventId() const;

  // --- show-level sound effects (any thread) ---
  // Stores a copy, id unchanged (an empty id gets "sfx." + the next suffix).
  const Sfx& AddSoundEffect(const Sfx& sfx);
  // Finds the first sound effect with the event's id. Throws EditorError when none.
  void EditSoundEffectSFXPropertyValues(const cmn::VandEvent& event, const SfxProperties& props);
  // The next free suffix (decimal text), used up; the counter is kept in the log.
  std::string GetNextSfxEventIdSuffix();
  // The suffix the next GetNextSfxEventIdSuffix gives; nothing used up.
  std::string PreviewNextSfxEventId() const;

  // --- engine-side changes (no undo) ---
  void SetAttacca(const std::string& song, UInt8 state);
  void SetOutputPath(const OutputPath& path);
  void RemoveOutputPath(const std::string& id);

 private:
  struct Change;
  struct Action;
  struct SongHistory;

  SongLog& SelectedLogOrThrow();
  cmn::VandEvent& FindOrThrow(SongLog& songLog, const cmn::VandEvent& event);
  void Validate(const SongLog& songLog, const cmn::VandEvent& e, const cmn::VandEvent* self) const;
  template <class Modify>
  void ModifyInPlace(const cmn::VandEvent& event, const char* verb, Modify&& modify);
  void Record(Action action);
  void Apply(const Action& action, bool forward);
  std::vector<HistoryItem> Step(bool undo);
  UInt32 FirstFreeSfxSuffix() const;

  ChangeLog log_;
  std::string song_;
  const SongInfoProvider* provider_{nullptr};
  std::map<std::string, std::unique_ptr<SongHistory>> history_;
  std::optional<std::vector<int>> lastEditedCodes_;
  bool registeredActive_{false};
};

}  // namespace CL
