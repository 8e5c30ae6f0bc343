#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "CL/EventSequence.h"
#include "CL/Events.h"

namespace CL {

// The edit events of one song, by kind, each kind ordered by start.
// The getters return references into the log: records stay put until they
// are removed (undo/redo and replacing the log replace records).
class SongLog {
 public:
  SongLog() = default;
  SongLog(const SongLog&) = default;  // deep copy
  SongLog& operator=(const SongLog&) = default;
  SongLog(SongLog&&) noexcept = default;
  SongLog& operator=(SongLog&&) noexcept = default;

  const EventSequence<Fermata>& GetFermatas() const { return fermatas_; }
  const EventSequence<Vamp>& GetVamps() const { return vamps_; }
  const EventSequence<Cut>& GetCuts() const { return cuts_; }
  const EventSequence<Repeat>& GetRepeats() const { return repeats_; }
  const EventSequence<Transpose>& GetTranspositions() const { return transpositions_; }
  const EventSequence<Click>& GetClicks() const { return clicks_; }
  const EventSequence<TempoScale>& GetTempoScales() const { return tempoScales_; }
  const EventSequence<Osc>& GetOscs() const { return oscs_; }
  const MarkerSequence& GetMarkers() const { return markers_; }
  const EventSequence<Caesura>& GetDisplayCaesurasRef() const { return caesuras_; }
  const EventSequence<UnknownEvent>& GetUnknownEvents() const { return unknown_; }

  EventSequence<Fermata>& GetFermatas() { return fermatas_; }
  EventSequence<Vamp>& GetVamps() { return vamps_; }
  EventSequence<Cut>& GetCuts() { return cuts_; }
  EventSequence<Repeat>& GetRepeats() { return repeats_; }
  EventSequence<Transpose>& GetTranspositions() { return transpositions_; }
  EventSequence<Click>& GetClicks() { return clicks_; }
  EventSequence<TempoScale>& GetTempoScales() { return tempoScales_; }
  EventSequence<Osc>& GetOscs() { return oscs_; }
  MarkerSequence& GetMarkers() { return markers_; }
  EventSequence<Caesura>& GetDisplayCaesurasRef() { return caesuras_; }

  // Attacca state: 0 play when cued, 1 continue into the next song, 2 skip.
  // attaccaSet tells whether the log sets it (otherwise the show's default holds).
  UInt8 attacca{0};
  bool attaccaSet{false};

  // Adds a record of a song event code (or an UnknownEvent); returns the stored
  // record. Throws std::invalid_argument for sound-effect codes.
  cmn::VandEvent& Add(std::unique_ptr<cmn::VandEvent> event);
  cmn::VandEvent& Add(const cmn::VandEvent& event) { return Add(event.Clone()); }
  // Takes a stored record out; null when it is not stored here.
  std::unique_ptr<cmn::VandEvent> Remove(const cmn::VandEvent* event);
  // Puts a stored record whose start changed back in order.
  void Resort(const cmn::VandEvent* event);

  // The record of this code and id; among several, the one starting at
  // preferredStart, else the first. Null when none.
  cmn::VandEvent* Find(unsigned char code, const std::string& id, UInt32 preferredStart = 0);
  const cmn::VandEvent* Find(unsigned char code, const std::string& id, UInt32 preferredStart = 0) const;
  bool HasId(unsigned char code, const std::string& id) const;

  // Every record ordered by start, then code, then id.
  std::vector<const cmn::VandEvent*> GetAllEvents() const;
  std::vector<cmn::VandEvent*> GetAllEvents();
  // Every record of one code, in order; empty for codes not stored here.
  std::vector<const cmn::VandEvent*> GetEventsOfCode(unsigned char code) const;
  std::size_t EventCount() const;
  bool IsEmpty() const { return EventCount() == 0 && !attaccaSet; }

 private:
  template <class F>
  void ForEachSequence(F&& f) const;
  template <class F>
  void WithSequenceOfCode(unsigned char code, F&& f) const;

  EventSequence<Fermata> fermatas_;
  EventSequence<Vamp> vamps_;
  EventSequence<Cut> cuts_;
  EventSequence<Repeat> repeats_;
  EventSequence<Transpose> transpositions_;
  EventSequence<Click> clicks_;
  EventSequence<TempoScale> tempoScales_;
  EventSequence<Osc> oscs_;
  MarkerSequence markers_;
  EventSequence<Caesura> caesuras_;
  EventSequence<UnknownEvent> unknown_;
};

}  // namespace CL
