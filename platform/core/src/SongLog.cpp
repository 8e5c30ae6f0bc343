#include "CL/SongLog.h"

#include <algorithm>
#include <stdexcept>
#include <type_traits>
#include <utility>

namespace CL {

namespace {

template <class T>
T& AddTyped(EventSequence<T>& seq, std::unique_ptr<cmn::VandEvent> event) {
  T* typed = dynamic_cast<T*>(event.get());
  if (typed == nullptr) throw std::invalid_argument("Event record does not match its code.");
  event.release();
  return seq.Insert(std::unique_ptr<T>(typed));
}

bool EventOrder(const cmn::VandEvent* a, const cmn::VandEvent* b) {
  if (a->start() != b->start()) return a->start() < b->start();
  if (a->code() != b->code()) return a->code() < b->code();
  return a->EventId() < b->EventId();
}

}  // namespace

// Calls f(sequence) for every sequence, in code order.
template <class F>
void SongLog::ForEachSequence(F&& f) const {
  std::apply([&f](const auto&... sequences) { (f(sequences), ...); }, records_);
  f(unknown_);
}

// Calls f(sequence) for the sequence that stores `code` (unknown codes: the
// sequence of unknown events).
template <class F>
void SongLog::WithSequenceOfCode(unsigned char code, F&& f) const {
  WithRecordType(
      code, [&](auto record) { f(Of<typename decltype(record)::type>()); }, [] {});
  f(unknown_);
}

cmn::VandEvent& SongLog::Add(std::unique_ptr<cmn::VandEvent> event) {
  if (!event) throw std::invalid_argument("No event to add.");
  if (dynamic_cast<UnknownEvent*>(event.get()) != nullptr) return AddTyped(unknown_, std::move(event));
  const unsigned char code = event->code();
  return WithRecordType(
      code,
      [&](auto record) -> cmn::VandEvent& { return AddTyped(Of<typename decltype(record)::type>(), std::move(event)); },
      [code]() -> cmn::VandEvent& {
        throw std::invalid_argument("Events of code '" + std::string(1, static_cast<char>(code)) +
                                    "' do not belong to a song.");
      });
}

std::unique_ptr<cmn::VandEvent> SongLog::Remove(const cmn::VandEvent* event) {
  std::unique_ptr<cmn::VandEvent> out;
  if (event == nullptr) return out;
  WithSequenceOfCode(event->code(), [&](const auto& seq) {
    if (!out) {
      auto& mutableSeq = const_cast<std::remove_cvref_t<decltype(seq)>&>(seq);
      if (auto p = mutableSeq.Remove(event)) out = std::move(p);
    }
  });
  return out;
}

void SongLog::Resort(const cmn::VandEvent* event) {
  if (event == nullptr) return;
  WithSequenceOfCode(event->code(), [&](const auto& seq) {
    auto& mutableSeq = const_cast<std::remove_cvref_t<decltype(seq)>&>(seq);
    if (mutableSeq.Contains(event)) mutableSeq.Resort(event);
  });
}

const cmn::VandEvent* SongLog::Find(unsigned char code, const std::string& id, UInt32 preferredStart) const {
  const cmn::VandEvent* first = nullptr;
  const cmn::VandEvent* exact = nullptr;
  WithSequenceOfCode(code, [&](const auto& seq) {
    if (exact) return;
    for (const auto& e : seq) {
      if (e.code() == code && e.EventId() == id) {
        if (!first) first = &e;
        if (e.start() == preferredStart) {
          exact = &e;
          return;
        }
      }
    }
  });
  return exact ? exact : first;
}

cmn::VandEvent* SongLog::Find(unsigned char code, const std::string& id, UInt32 preferredStart) {
  return const_cast<cmn::VandEvent*>(std::as_const(*this).Find(code, id, preferredStart));
}

bool SongLog::HasId(unsigned char code, const std::string& id) const { return Find(code, id) != nullptr; }

std::vector<const cmn::VandEvent*> SongLog::GetAllEvents() const {
  std::vector<const cmn::VandEvent*> out;
  out.reserve(EventCount());
  ForEachSequence([&](const auto& seq) {
    for (const auto& e : seq) out.push_back(&e);
  });
  std::stable_sort(out.begin(), out.end(), EventOrder);
  return out;
}

std::vector<cmn::VandEvent*> SongLog::GetAllEvents() {
  std::vector<cmn::VandEvent*> out;
  for (const cmn::VandEvent* e : std::as_const(*this).GetAllEvents()) out.push_back(const_cast<cmn::VandEvent*>(e));
  return out;
}

std::vector<const cmn::VandEvent*> SongLog::GetEventsOfCode(unsigned char code) const {
  std::vector<const cmn::VandEvent*> out;
  WithSequenceOfCode(code, [&](const auto& seq) {
    for (const auto& e : seq) {
      if (e.code() == code) out.push_back(&e);
    }
  });
  return out;
}

std::size_t SongLog::EventCount() const {
  std::size_t n = 0;
  ForEachSequence([&](const auto& seq) { n += seq.size(); });
  return n;
}

}  // namespace CL
