#pragma once

#include <cstring>
#include <ostream>
#include <string>
#include <type_traits>
#include <vector>

#include "TL/BarsBeats.h"
#include "cmn/SequenceTemplate.h"
#include "cmn/Types.h"

namespace TL {

// A key signature from its tick on.
struct Key {
  UInt32 tick{0};
  UInt16 mode{0};        // 0 major, 1 minor
  Int16 sharpsFlats{0};  // > 0 sharps, < 0 flats
  static constexpr unsigned char evt_code = 'k';
  std::string WriteString() const;
};

// A tempo from its tick on.
struct Tempo {
  UInt32 tick{0};
  UInt32 usPerQuarter{500000};
  static constexpr unsigned char evt_code = 't';
  // 60e6 / usPerQuarter * 24 / clocksPerClick; bpm(24) is quarter notes per
  // minute. 0 for a zero tempo or clocksPerClick 0.
  double bpm(int clocksPerClick) const;
  std::string WriteString() const;
};

// A meter from its tick on; shown as "numerator/denominator".
struct Meter {
  UInt32 tick{0};
  UInt8 numerator{4};
  UInt8 denominator{4};  // the real value: 4, 8, ...
  UInt8 clocksPerClick{24};
  UInt8 thirtySecondsPerQuarter{8};
  static constexpr unsigned char evt_code = 'm';
  std::string WriteString() const;
};

static_assert(sizeof(Key) == 8 && std::is_trivially_copyable_v<Key>);
static_assert(sizeof(Tempo) == 8 && std::is_trivially_copyable_v<Tempo>);
static_assert(sizeof(Meter) == 8 && std::is_trivially_copyable_v<Meter>);

std::ostream& operator<<(std::ostream& os, const Key& k);
std::ostream& operator<<(std::ostream& os, const Tempo& t);
std::ostream& operator<<(std::ostream& os, const Meter& m);

// An ordered (ascending tick), copyable sequence of timeline records.
template <class T>
class TimelineSequence : public cmn::SequenceTemplate<T> {
 public:
  static_assert(std::is_trivially_copyable_v<T>);
  using cmn::SequenceTemplate<T>::SequenceTemplate;

  void Write(std::ostream& os) const override {
    os.put(static_cast<char>(T::evt_code));
    const UInt32 count = static_cast<UInt32>(this->items_.size());
    const char le[4] = {static_cast<char>(count & 0xFF), static_cast<char>((count >> 8) & 0xFF),
                        static_cast<char>((count >> 16) & 0xFF), static_cast<char>((count >> 24) & 0xFF)};
    os.write(le, 4);
    if (!this->items_.empty()) {
      os.write(reinterpret_cast<const char*>(this->items_.data()),
               static_cast<std::streamsize>(this->items_.size() * sizeof(T)));
    }
  }
};

// Keys, tempos and meters of one song; copyable.
class Timeline {
 public:
  const TimelineSequence<Key>& GetKeys() const { return keys_; }
  const TimelineSequence<Tempo>& GetTempos() const { return tempos_; }
  const TimelineSequence<Meter>& GetMeters() const { return meters_; }
  TimelineSequence<Key>& GetKeys() { return keys_; }
  TimelineSequence<Tempo>& GetTempos() { return tempos_; }
  TimelineSequence<Meter>& GetMeters() { return meters_; }

 private:
  TimelineSequence<Key> keys_;
  TimelineSequence<Tempo> tempos_;
  TimelineSequence<Meter> meters_;
};

}  // namespace TL
