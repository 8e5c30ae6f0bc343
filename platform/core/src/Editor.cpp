#include "CL/Editor.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <limits>
#include <mutex>
#include <set>
#include <stdexcept>

#include "ActiveChangeLogInternal.h"
#include "CL/ActiveChangeLog.h"

namespace CL {

namespace {

using Lock = std::lock_guard<std::recursive_mutex>;
using codes::Noun;

std::string WithArticle(const std::string& noun) {
  const bool vowel = !noun.empty() && std::string("aeiouAEIOU").find(noun[0]) != std::string::npos;
  return (vowel ? "an " : "a ") + noun;
}

std::string Capitalised(std::string s) {
  if (!s.empty() && s[0] >= 'a' && s[0] <= 'z') s[0] = static_cast<char>(s[0] - 'a' + 'A');
  return s;
}

[[noreturn]] void Refuse(const std::string& text) { throw EditorError(text); }

// base, or base_2, base_3 ... whichever the song does not use for the code.
std::string FreeId(const std::string& base, const SongLog* log, unsigned char code) {
  return codes::FreeId(base, [log, code](const std::string& id) { return log != nullptr && log->HasId(code, id); });
}

bool Overlaps(const cmn::VandEvent& a, const cmn::VandEvent& b) { return a.start() < b.end() && b.start() < a.end(); }

// Values a sound effect cannot be saved with.
void CheckSfxProperties(const SfxProperties& props) {
  if (!std::isfinite(props.volume()) || !std::isfinite(props.pan()) || !std::isfinite(props.reverb())) {
    Refuse("Sound-effect volume, pan and reverb must be numbers.");
  }
}

}  // namespace

std::vector<int> GetAffectedCodes(const std::vector<HistoryItem>& items) {
  std::set<int> codes;
  for (const auto& item : items) codes.insert(item.codes.begin(), item.codes.end());
  return std::vector<int>(codes.begin(), codes.end());
}

struct Editor::Change {
  std::unique_ptr<cmn::VandEvent> before;  // null: the record was added
  std::unique_ptr<cmn::VandEvent> after;   // null: the record was deleted
};

struct Editor::Action {
  HistoryItem item;
  std::vector<Change> changes;
};

struct Editor::SongHistory {
  std::deque<Action> undo;
  std::vector<Action> redo;
};

Editor::Editor() = default;

Editor::Editor(ChangeLog log) : log_(std::move(log)) {}

Editor::~Editor() {
  Lock lock(ActiveChangeLogMutex());
  if (registeredActive_ && ActiveChangeLogUnlocked() == &log_) SetActiveChangeLog(nullptr);
}

void Editor::SetChangeLog(ChangeLog log) {
  Lock lock(ActiveChangeLogMutex());
  log_ = std::move(log);
  history_.clear();
  lastEditedCodes_.reset();
}

void Editor::LoadChangeLogFile(const std::filesystem::path& logdata, const std::filesystem::path& identityFile) {
  ChangeLog loaded(logdata, identityFile);  // reads before anything changes
  SetChangeLog(std::move(loaded));
}

void Editor::MakeActive() {
  Lock lock(ActiveChangeLogMutex());
  SetActiveChangeLog(&log_);
  registeredActive_ = true;
}

void Editor::SetSongInfoProvider(const SongInfoProvider* provider) {
  Lock lock(ActiveChangeLogMutex());
  provider_ = provider;
}

void Editor::SelectSongLogForEditing(const std::string& song) {
  Lock lock(ActiveChangeLogMutex());
  if (song.empty()) throw std::invalid_argument("No song number was given.");
  if (provider_ != nullptr && !provider_->HasSong(song)) {
    throw std::invalid_argument("The show has no song \"" + song + "\".");
  }
  song_ = song;
}

const SongLog* Editor::GetSelectedSongLog() const {
  Lock lock(ActiveChangeLogMutex());
  return song_.empty() ? nullptr : log_.FindSongLog(song_);
}

cmn::VANDVersion Editor::GetVersion() const {
  Lock lock(ActiveChangeLogMutex());
  return log_.GetVersion();
}

SongLog& Editor::SelectedLogOrThrow() {
  if (song_.empty()) Refuse("No song is selected for editing.");
  return log_.GetOrCreateSongLog(song_);
}

// Checks a record as it would be stored in the selected song; `self` is the
// stored record it replaces (null for a new one).
void Editor::Validate(const SongLog& songLog, const cmn::VandEvent& e, const cmn::VandEvent* self) const {
  const unsigned char code = e.code();
  const std::string noun = Noun(code);
  if (e.EventId().size() > codes::kMaxIdBytes) Refuse("The event id is too long.");
  UInt32 songStart = 0;
  UInt32 songEnd = std::numeric_limits<UInt32>::max();
  if (provider_ != nullptr) {
    songStart = provider_->GetSongStartTick(song_);
    songEnd = provider_->GetSongLengthTicks(song_);
  }
  if (e.IsPairedEvent()) {
    if (e.end() <= e.start()) Refuse(Capitalised(WithArticle(noun)) + " must end after it starts.");
    if (e.start() < songStart) Refuse("Events cannot start before the song starts.");
    if (e.end() > songEnd) Refuse("Events cannot end after the song ends.");
  } else {
    if (e.start() < songStart) Refuse("Events cannot start before the song starts.");
    if (e.start() > songEnd) Refuse("Events cannot lie after the song ends.");
  }

  const codes::EventKind* kind = codes::FindEventKind(code);
  switch (kind ? kind->value : codes::ValueKind::None) {
    case codes::ValueKind::Int:
    case codes::ValueKind::Factor: {
      const double v = kind->value == codes::ValueKind::Factor ? static_cast<const TempoScale&>(e).factor()
                                                               : static_cast<double>(e.int_value());
      if (!codes::InLimits(*kind, v)) Refuse(codes::LimitRule(*kind, v));
      if (code == codes::kClick && provider_ != nullptr) {
        const std::vector<int> allowed = provider_->GetAllowedClickValues(song_, e.start(), e.end());
        if (std::find(allowed.begin(), allowed.end(), e.int_value()) == allowed.end()) {
          Refuse("The click value " + std::to_string(e.int_value()) + " is not allowed over this range.");
        }
      }
      break;
    }
    case codes::ValueKind::Text:
      if (e.value().size() > codes::kMaxTextBytes) Refuse("The " + noun + "'s text is too long.");
      break;
    case codes::ValueKind::Osc: {
      const auto& p = static_cast<const Osc&>(e).GetOscProperties();
      if (p.Message().size() > codes::kMaxTextBytes || p.NetworkId().size() > codes::kMaxIdBytes) {
        Refuse("The OSC command is too long.");
      }
      break;
    }
    default: break;
  }

  if (!e.IsPairedEvent()) return;
  // Regions of one kind never overlap; loops and jumps never overlap each other.
  for (const cmn::VandEvent* other : songLog.GetEventsOfCode(code)) {
    if (other != self && Overlaps(e, *other)) {
      Refuse(Capitalised(WithArticle(noun)) + " cannot overlap another " + noun + " (" + other->EventId() + ").");
    }
  }
  if (codes::IsFlowRegionCode(code)) {
    for (const codes::EventKind& flow : codes::kEventKinds) {
      if (flow.flow == codes::FlowKind::None || flow.code == code) continue;
      for (const cmn::VandEvent* other : songLog.GetEventsOfCode(flow.code)) {
        if (other != self && Overlaps(e, *other)) {
          Refuse(Capitalised(WithArticle(noun)) + " cannot overlap " + WithArticle(flow.noun) + " (" +
                 other->EventId() + ").");
        }
      }
    }
  }
}

cmn::VandEvent& Editor::FindOrThrow(SongLog& songLog, const cmn::VandEvent& event) {
  cmn::VandEvent* stored = songLog.Find(event.code(), event.EventId(), event.start());
  if (stored == nullptr) {
    Refuse("The " + Noun(event.code()) + " " + event.EventId() + " could not be found in song " + song_ + ".");
  }
  return *stored;
}

void Editor::Record(Action action) {
  lastEditedCodes_ = action.item.codes;
  auto& slot = history_[action.item.song];
  if (!slot) slot = std::make_unique<SongHistory>();
  slot->redo.clear();
  slot->undo.push_back(std::move(action));
  while (slot->undo.size() > kMaxHistory) slot->undo.pop_front();
}

// Replaces the stored record by a modified copy's values, in place.
template <class Modify>
void Editor::ModifyInPlace(const cmn::VandEvent& event, const char* verb, Modify&& modify) {
  SongLog& songLog = SelectedLogOrThrow();
  cmn::VandEvent& stored = FindOrThrow(songLog, event);
  std::unique_ptr<cmn::VandEvent> candidate = stored.Clone();
  modify(*candidate);
  Validate(songLog, *candidate, &stored);
  const int code = stored.code();
  if (*candidate == stored) {
    lastEditedCodes_ = std::vector<int>{code};
    return;
  }
  std::unique_ptr<cmn::VandEvent> before = stored.Clone();
  const bool moved = candidate->start() != stored.start();
  modify(stored);
  if (moved) songLog.Resort(&stored);
  Action action;
  action.item =
      HistoryItem{{code}, song_, std::string(verb) + " " + codes::EditName(stored.code()) + " " + stored.EventId()};
  action.changes.push_back(Change{std::move(before), stored.Clone()});
  Record(std::move(action));
}

void Editor::AddEvent(const cmn::VandEvent& event) {
  Lock lock(ActiveChangeLogMutex());
  const unsigned char code = event.code();
  if (!codes::IsSongEventCode(code)) {
    Refuse(Capitalised(WithArticle(Noun(code))) + " cannot be added to a song.");
  }
  if (!IsRecordOfItsCode(event)) Refuse("The event record does not match its code.");
  SongLog& songLog = SelectedLogOrThrow();
  std::unique_ptr<cmn::VandEvent> record = event.Clone();
  if (record->EventId().empty()) {
    record->SetEventId(GetSuggestedEventIdAtTick(record->start(), code));
  } else if (songLog.HasId(code, record->EventId())) {
    record->SetEventId(FreeId(record->EventId(), &songLog, code));
  }
  Validate(songLog, *record, nullptr);
  std::unique_ptr<cmn::VandEvent> after = record->Clone();
  const std::string id = record->EventId();
  songLog.Add(std::move(record));
  Action action;
  action.item = HistoryItem{{code}, song_, "Add " + codes::EditName(code) + " " + id};
  action.changes.push_back(Change{nullptr, std::move(after)});
  Record(std::move(action));
}

void Editor::EditEventStartEndValues(const cmn::VandEvent& event, UInt32 start, UInt32 end, bool adjustLeft,
                                     bool adjustRight) {
  (void)adjustLeft;
  (void)adjustRight;  // the caller has already applied which edge moved
  Lock lock(ActiveChangeLogMutex());
  ModifyInPlace(event, "Move", [start, end](cmn::VandEvent& e) {
    e.start(start);
    e.end(end);  // point events keep end 0
  });
}

void Editor::EditEventStringValue(const cmn::VandEvent& event, const std::string& value) {
  Lock lock(ActiveChangeLogMutex());
  if (event.code() != codes::kMarker) Refuse("Only a marker has a text to change.");
  ModifyInPlace(event, "Change", [&value](cmn::VandEvent& e) { static_cast<Marker&>(e).SetText(value); });
}

void Editor::EditEventIntValue(const cmn::VandEvent& event, int value) {
  Lock lock(ActiveChangeLogMutex());
  const unsigned char code = event.code();
  if (!codes::HasIntValue(code)) {
    Refuse(Capitalised(WithArticle(Noun(code))) + " has no number to change.");
  }
  ModifyInPlace(event, "Change", [value](cmn::VandEvent& e) { static_cast<RegionEvent&>(e).SetIntValue(value); });
}

void Editor::EditEventFloatValue(const cmn::VandEvent& event, double value) {
  Lock lock(ActiveChangeLogMutex());
  if (event.code() != codes::kTempoScale) Refuse("Only a tempo scale has a factor to change.");
  ModifyInPlace(event, "Change", [value](cmn::VandEvent& e) { static_cast<TempoScale&>(e).SetFactor(value); });
}

void Editor::EditEventOscPropertyValues(const cmn::VandEvent& event, const OscProperties& props) {
  Lock lock(ActiveChangeLogMutex());
  if (event.code() != codes::kOsc) Refuse("Only an OSC command has OSC properties to change.");
  ModifyInPlace(event, "Change", [&props](cmn::VandEvent& e) { static_cast<Osc&>(e).SetOscProperties(props); });
}

void Editor::EditEventSFXPropertyValues(const cmn::VandEvent& event, const SfxProperties& props) {
  Lock lock(ActiveChangeLogMutex());
  if (!codes::IsSfxCode(event.code())) Refuse("Only a sound effect has sound-effect properties to change.");
  EditSoundEffectSFXPropertyValues(event, props);
}

void Editor::DeleteEvent(const cmn::VandEvent& event) {
  Lock lock(ActiveChangeLogMutex());
  const unsigned char code = event.code();
  if (codes::IsSfxCode(code)) {
    Sfx* stored = log_.FindSfx(event.EventId());
    if (stored == nullptr) Refuse("The sound effect " + event.EventId() + " could not be found.");
    log_.RemoveSfx(stored);
    return;
  }
  SongLog& songLog = SelectedLogOrThrow();
  cmn::VandEvent& stored = FindOrThrow(songLog, event);
  const std::string id = stored.EventId();
  std::unique_ptr<cmn::VandEvent> removed = songLog.Remove(&stored);
  Action action;
  action.item = HistoryItem{{code}, song_, "Delete " + codes::EditName(code) + " " + id};
  action.changes.push_back(Change{std::move(removed), nullptr});
  Record(std::move(action));
}

void Editor::DeleteEvent(std::shared_ptr<cmn::VandEvent> event) {
  if (!event) Refuse("No event was given to delete.");
  DeleteEvent(*event);
}

bool Editor::CanUndo() const {
  Lock lock(ActiveChangeLogMutex());
  const auto it = history_.find(song_);
  return it != history_.end() && !it->second->undo.empty();
}

bool Editor::CanRedo() const {
  Lock lock(ActiveChangeLogMutex());
  const auto it = history_.find(song_);
  return it != history_.end() && !it->second->redo.empty();
}

void Editor::Apply(const Action& action, bool forward) {
  SongLog& songLog = log_.GetOrCreateSongLog(action.item.song);
  auto removeLike = [&songLog](const cmn::VandEvent& like) {
    if (cmn::VandEvent* current = songLog.Find(like.code(), like.EventId(), like.start())) songLog.Remove(current);
  };
  if (forward) {
    for (const Change& c : action.changes) {
      if (c.before) removeLike(*c.before);
      if (c.after) songLog.Add(c.after->Clone());
    }
  } else {
    for (auto it = action.changes.rbegin(); it != action.changes.rend(); ++it) {
      if (it->after) removeLike(*it->after);
      if (it->before) songLog.Add(it->before->Clone());
    }
  }
}

std::vector<HistoryItem> Editor::Step(bool undo) {
  const auto it = history_.find(song_);
  if (it == history_.end()) return {};
  SongHistory& h = *it->second;
  Action action;
  if (undo) {
    if (h.undo.empty()) return {};
    action = std::move(h.undo.back());
    h.undo.pop_back();
  } else {
    if (h.redo.empty()) return {};
    action = std::move(h.redo.back());
    h.redo.pop_back();
  }
  Apply(action, !undo);
  lastEditedCodes_ = action.item.codes;
  std::vector<HistoryItem> out{action.item};
  if (undo) {
    h.redo.push_back(std::move(action));
  } else {
    h.undo.push_back(std::move(action));
  }
  return out;
}

std::vector<HistoryItem> Editor::Undo() {
  Lock lock(ActiveChangeLogMutex());
  return Step(true);
}

std::vector<HistoryItem> Editor::Redo() {
  Lock lock(ActiveChangeLogMutex());
  return Step(false);
}

std::vector<int> Editor::GetEditedCodes() const {
  Lock lock(ActiveChangeLogMutex());
  if (!lastEditedCodes_) throw EditorHistoryNoActionError("No edit has been made to this change log yet.");
  return *lastEditedCodes_;
}

std::string Editor::GetSuggestedEventIdAtTick(UInt32 tick, unsigned char code) const {
  Lock lock(ActiveChangeLogMutex());
  std::string label;
  if (provider_ != nullptr && !song_.empty()) {
    const TL::BarsBeats bb = provider_->GetBarBeatAtOrBefore(song_, tick);
    label = bb.bar_number();
    if (bb.beat != 1) label += "." + std::to_string(bb.beat);
  } else {
    label = std::to_string(tick);
  }
  const SongLog* songLog = song_.empty() ? nullptr : log_.FindSongLog(song_);
  return FreeId(codes::GeneratedId(code, label), songLog, code);
}

void Editor::UpdateNetworks(const NetworkPathVectorT& networks) {
  Lock lock(ActiveChangeLogMutex());
  log_.SetNetworks(networks);
}

std::map<std::string, const cmn::VandEvent*> Editor::GetEventsByEventId() const {
  Lock lock(ActiveChangeLogMutex());
  std::map<std::string, const cmn::VandEvent*> out;
  if (const SongLog* songLog = song_.empty() ? nullptr : log_.FindSongLog(song_)) {
    for (const cmn::VandEvent* e : songLog->GetAllEvents()) out.emplace(e->EventId(), e);
  }
  for (const Sfx* s : log_.GetSfxs()) out.emplace(s->EventId(), s);
  return out;
}

const Sfx& Editor::AddSoundEffect(const Sfx& sfx) {
  Lock lock(ActiveChangeLogMutex());
  CheckSfxProperties(sfx.GetSfxProperties());
  Sfx copy(sfx);
  if (copy.EventId().empty()) copy.SetEventId("sfx." + GetNextSfxEventIdSuffix());
  return log_.AppendSfx(copy);
}

void Editor::EditSoundEffectSFXPropertyValues(const cmn::VandEvent& event, const SfxProperties& props) {
  Lock lock(ActiveChangeLogMutex());
  CheckSfxProperties(props);
  Sfx* stored = log_.FindSfx(event.EventId());
  if (stored == nullptr) Refuse("The sound effect " + event.EventId() + " could not be found.");
  stored->SetSfxProperties(props);
}

UInt32 Editor::FirstFreeSfxSuffix() const {
  std::set<std::string> ids;
  for (const Sfx* s : log_.GetSfxs()) ids.insert(s->EventId());
  UInt32 n = log_.GetNextSfxSuffix();
  while (ids.count("sfx." + std::to_string(n)) && n < std::numeric_limits<UInt32>::max()) ++n;
  return n;
}

std::string Editor::GetNextSfxEventIdSuffix() {
  Lock lock(ActiveChangeLogMutex());
  const UInt32 n = FirstFreeSfxSuffix();
  log_.SetNextSfxSuffix(n + 1);
  return std::to_string(n);
}

std::string Editor::PreviewNextSfxEventId() const {
  Lock lock(ActiveChangeLogMutex());
  return std::to_string(FirstFreeSfxSuffix());
}

void Editor::SetAttacca(const std::string& song, UInt8 state) {
  Lock lock(ActiveChangeLogMutex());
  if (state > 2) throw std::invalid_argument("An attacca state is 0, 1 or 2.");
  SongLog& songLog = log_.GetOrCreateSongLog(song);
  songLog.attacca = state;
  songLog.attaccaSet = true;
}

void Editor::SetOutputPath(const OutputPath& path) {
  Lock lock(ActiveChangeLogMutex());
  log_.SetOutputPath(path);
}

void Editor::RemoveOutputPath(const std::string& id) {
  Lock lock(ActiveChangeLogMutex());
  log_.RemoveOutputPath(id);
}

}  // namespace CL
