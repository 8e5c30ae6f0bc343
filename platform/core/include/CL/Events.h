#pragma once

#include <memory>
#include <string>
#include <type_traits>

#include "CL/Properties.h"
#include "cmn/EventCodes.h"
#include "cmn/Types.h"
#include "cmn/VandEvent.h"

namespace CL {

// A region (start < end) carrying one whole number.
class RegionEvent : public cmn::VandEvent {
 public:
  int int_value() const override { return value_; }
  bool IsPairedEvent() const override { return true; }
  void SetIntValue(int v) { value_ = v; }

 protected:
  RegionEvent() = default;
  RegionEvent(unsigned char code, UInt32 start, UInt32 end, std::string id, int v)
      : cmn::VandEvent(code, start, end, std::move(id)), value_{v} {}
  int value_{0};
};

// Loops between start and end `count` times; 0 loops until told to leave.
class Vamp final : public RegionEvent {
 public:
  static constexpr unsigned char kCode = codes::kVamp;
  Vamp() : RegionEvent(kCode, 0, 0, {}, 0) {}
  Vamp(UInt32 start, UInt32 end, std::string id, int count) : RegionEvent(kCode, start, end, std::move(id), count) {}
  std::unique_ptr<cmn::VandEvent> Clone() const override { return std::make_unique<Vamp>(*this); }
};

// Plays the region `count` times (1 to 500).
class Repeat final : public RegionEvent {
 public:
  static constexpr unsigned char kCode = codes::kRepeat;
  Repeat() : RegionEvent(kCode, 0, 0, {}, 1) {}
  Repeat(UInt32 start, UInt32 end, std::string id, int count) : RegionEvent(kCode, start, end, std::move(id), count) {}
  std::unique_ptr<cmn::VandEvent> Clone() const override { return std::make_unique<Repeat>(*this); }
};

// Jumps from start to end.
class Cut final : public RegionEvent {
 public:
  static constexpr unsigned char kCode = codes::kCut;
  Cut() : RegionEvent(kCode, 0, 0, {}, 0) {}
  Cut(UInt32 start, UInt32 end, std::string id, int v) : RegionEvent(kCode, start, end, std::move(id), v) {}
  std::unique_ptr<cmn::VandEvent> Clone() const override { return std::make_unique<Cut>(*this); }
};

// Transposes the region by -6 to 6 half steps.
class Transpose final : public RegionEvent {
 public:
  static constexpr unsigned char kCode = codes::kTranspose;
  Transpose() : RegionEvent(kCode, 0, 0, {}, 0) {}
  Transpose(UInt32 start, UInt32 end, std::string id, int halfSteps)
      : RegionEvent(kCode, start, end, std::move(id), halfSteps) {}
  std::unique_ptr<cmn::VandEvent> Clone() const override { return std::make_unique<Transpose>(*this); }
};

// The click resolution over the region (a note length in 32nds).
class Click final : public RegionEvent {
 public:
  static constexpr unsigned char kCode = codes::kClick;
  Click() : RegionEvent(kCode, 0, 0, {}, 8) {}
  Click(UInt32 start, UInt32 end, std::string id, int clickValue)
      : RegionEvent(kCode, start, end, std::move(id), clickValue) {}
  std::unique_ptr<cmn::VandEvent> Clone() const override { return std::make_unique<Click>(*this); }
};

// A skip: plays through, or jumps to its end when told to continue.
class Fermata final : public RegionEvent {
 public:
  static constexpr unsigned char kCode = codes::kFermata;
  Fermata() : RegionEvent(kCode, 0, 0, {}, 0) {}
  Fermata(UInt32 start, UInt32 end, std::string id, int v) : RegionEvent(kCode, start, end, std::move(id), v) {}
  std::unique_ptr<cmn::VandEvent> Clone() const override { return std::make_unique<Fermata>(*this); }
};

// Scales the tempo over the region by a factor from 0.5 to 2.0.
class TempoScale final : public cmn::VandEvent {
 public:
  static constexpr unsigned char kCode = codes::kTempoScale;
  TempoScale() : cmn::VandEvent(kCode, 0, 0, {}) {}
  TempoScale(UInt32 start, UInt32 end, std::string id, double factor)
      : cmn::VandEvent(kCode, start, end, std::move(id)), factor_{factor} {}
  float float_value() const override { return static_cast<float>(factor_); }
  bool IsPairedEvent() const override { return true; }
  double factor() const { return factor_; }
  void SetFactor(double f) { factor_ = f; }
  std::unique_ptr<cmn::VandEvent> Clone() const override { return std::make_unique<TempoScale>(*this); }

 private:
  double factor_{1.0};
};

// A named position.
class Marker final : public cmn::VandEvent {
 public:
  static constexpr unsigned char kCode = codes::kMarker;
  Marker() : cmn::VandEvent(kCode, 0, 0, {}) {}
  Marker(UInt32 tick, std::string text, std::string id)
      : cmn::VandEvent(kCode, tick, 0, std::move(id)), text_(std::move(text)) {}
  // Start, text value and id of any event.
  explicit Marker(const cmn::VandEvent& e) : cmn::VandEvent(kCode, e.start(), 0, e.EventId()), text_(e.value()) {}
  const std::string& value() const override { return text_; }
  void SetText(std::string t) { text_ = std::move(t); }
  std::unique_ptr<cmn::VandEvent> Clone() const override { return std::make_unique<Marker>(*this); }

 private:
  std::string text_;
};

// Holds playback at its tick until told to continue.
class Caesura final : public cmn::VandEvent {
 public:
  static constexpr unsigned char kCode = codes::kCaesura;
  Caesura() : cmn::VandEvent(kCode, 0, 0, {}) {}
  Caesura(UInt32 tick, std::string id, int v) : cmn::VandEvent(kCode, tick, 0, std::move(id)), value_{v} {}
  int int_value() const override { return value_; }
  std::unique_ptr<cmn::VandEvent> Clone() const override { return std::make_unique<Caesura>(*this); }

 private:
  int value_{0};
};

// Sends an OSC command when playback reaches its tick.
class Osc final : public cmn::VandEvent {
 public:
  static constexpr unsigned char kCode = codes::kOsc;
  Osc() : cmn::VandEvent(kCode, 0, 0, {}) {}
  Osc(UInt32 tick, std::string id, OscProperties props)
      : cmn::VandEvent(kCode, tick, 0, std::move(id)), props_(std::move(props)) {}
  OscProperties osc_properties() const override { return props_; }
  const OscProperties& GetOscProperties() const { return props_; }
  void SetOscProperties(OscProperties p) { props_ = std::move(p); }
  std::unique_ptr<cmn::VandEvent> Clone() const override { return std::make_unique<Osc>(*this); }

 private:
  OscProperties props_;
};

// A show-level sound-effect instance: code 'Q', or 'R' when ambient.
class Sfx final : public cmn::VandEvent {
 public:
  Sfx() : cmn::VandEvent(codes::kSfx, 0, 0, {}) {}
  Sfx(UInt32 tick, std::string id, SfxProperties props, bool ambient = false)
      : cmn::VandEvent(ambient ? codes::kAmbientSfx : codes::kSfx, tick, 0, std::move(id)), props_(std::move(props)) {}
  SfxProperties sfx_properties() const override { return props_; }
  const SfxProperties& GetSfxProperties() const { return props_; }
  void SetSfxProperties(SfxProperties p) { props_ = std::move(p); }
  bool IsAmbient() const { return code_ == codes::kAmbientSfx; }
  std::unique_ptr<cmn::VandEvent> Clone() const override { return std::make_unique<Sfx>(*this); }

 private:
  SfxProperties props_;
};

// An event of a code this version does not know, kept as read so that saving
// writes it back. `raw` is the event's JSON object text.
class UnknownEvent final : public cmn::VandEvent {
 public:
  UnknownEvent() = default;
  UnknownEvent(unsigned char code, UInt32 start, UInt32 end, std::string id, std::string raw)
      : cmn::VandEvent(code, start, end, std::move(id)), raw_(std::move(raw)) {}
  bool IsPairedEvent() const override { return end_ != 0; }
  const std::string& Raw() const { return raw_; }
  std::unique_ptr<cmn::VandEvent> Clone() const override { return std::make_unique<UnknownEvent>(*this); }

 private:
  std::string raw_;
};

// A copy of any event record, keeping its dynamic type.
std::shared_ptr<cmn::VandEvent> CopyVandEvent(const cmn::VandEvent& event);

// The record class of each song event code, in one place: returns
// f(std::type_identity<Record>{}) for a song event code, otherwise() for any
// other code.
template <class F, class G>
decltype(auto) WithRecordType(unsigned char code, F&& f, G&& otherwise) {
  switch (code) {
    case codes::kVamp: return f(std::type_identity<Vamp>{});
    case codes::kRepeat: return f(std::type_identity<Repeat>{});
    case codes::kCut: return f(std::type_identity<Cut>{});
    case codes::kTranspose: return f(std::type_identity<Transpose>{});
    case codes::kTempoScale: return f(std::type_identity<TempoScale>{});
    case codes::kMarker: return f(std::type_identity<Marker>{});
    case codes::kClick: return f(std::type_identity<Click>{});
    case codes::kFermata: return f(std::type_identity<Fermata>{});
    case codes::kCaesura: return f(std::type_identity<Caesura>{});
    case codes::kOsc: return f(std::type_identity<Osc>{});
    default: return otherwise();
  }
}

// A default record of the class that stores `code` in a song; null for other codes.
std::unique_ptr<cmn::VandEvent> MakeSongRecord(unsigned char code);
// True when `event` is of the record class its code is stored as.
bool IsRecordOfItsCode(const cmn::VandEvent& event);

}  // namespace CL
