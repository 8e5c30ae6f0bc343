#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <tuple>
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

  const EventSequence<Fermata>& GetFermatas() const { return Of<Fermata>(); }
  const EventSequence<Vamp>& GetVamps() const { return Of<Vamp>(); }
  const EventSequence<Cut>& GetCuts() const { return Of<Cut>(); }
  const EventSequence<Repeat>& GetRepeats() const { return Of<Repeat>(); }
  const EventSequence<Transpose>& GetTranspositions() const { return Of<Transpose>(); }
  const EventSequence<Click>& GetClicks() const { return Of<Click>(); }
  const EventSequence<TempoScale>& GetTempoScales() const { return Of<TempoScale>(); }
  const EventSequence<Osc>& GetOscs() const { return Of<Osc>(); }
  const MarkerSequence& GetMarkers() const { return Of<Marker>(); }
  const EventSequence<Caesura>& GetDisplayCaesurasRef() const { return Of<Caesura>(); }
  const EventSequence<UnknownEvent>& GetUnknownEvents() const { return unknown_; }

  EventSequence<Fermata>& GetFermatas() { return Of<Fermata>(); }
  EventSequence<Vamp>& GetVamps() { return Of<Vamp>(); }
  EventSequence<Cut>& GetCuts() { return Of<Cut>(); }
  EventSequence<Repeat>& GetRepeats() { return Of<Repeat>(); }
  EventSequence<Transpose>& GetTranspositions() { return Of<Transpose>(); }
  EventSequence<Click>& GetClicks() { return Of<Click>(); }
  EventSequence<TempoScale>& GetTempoScales() { return Of<TempoScale>(); }
  EventSequence<Osc>& GetOscs() { return Of<Osc>(); }
  MarkerSequence& GetMarkers() { return Of<Marker>(); }
  EventSequence<Caesura>& GetDisplayCaesurasRef() { return Of<Caesura>(); }

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

  template <class T>
  const EventSequence<T>& Of() const {
    return std::get<EventSequence<T>>(records_);
  }
  template <class T>
  EventSequence<T>& Of() {
    return std::get<EventSequence<T>>(records_);
  }

  // One sequence per record class (CL::WithRecordType), in code order.
  std::tuple<EventSequence<Vamp>, EventSequence<Repeat>, EventSequence<Cut>, EventSequence<Transpose>,
             EventSequence<TempoScale>, MarkerSequence, EventSequence<Click>, EventSequence<Fermata>,
             EventSequence<Caesura>, EventSequence<Osc>>
      records_;
  EventSequence<UnknownEvent> unknown_;
};

}  // namespace CL
