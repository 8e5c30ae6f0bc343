#include "cmn/VandEvent.h"

#include "CL/Events.h"

namespace cmn {

namespace {
const std::string kEmpty;
}

VandEvent::VandEvent(unsigned char code, UInt32 start, UInt32 end, std::string id)
    : code_{code}, start_{start}, end_{end}, id_(std::move(id)) {}

VandEvent::~VandEvent() = default;

unsigned char VandEvent::code() const { return code_; }
const std::string& VandEvent::EventId() const { return id_; }
UInt32 VandEvent::abs_time() const { return start(); }
UInt32 VandEvent::start() const { return start_; }
void VandEvent::start(UInt32 tick) { start_ = tick; }
UInt32 VandEvent::end() const { return end_; }
void VandEvent::end(UInt32 tick) { end_ = IsPairedEvent() ? tick : 0; }
const std::string& VandEvent::value() const { return kEmpty; }
int VandEvent::int_value() const { return 0; }
float VandEvent::float_value() const { return 0.0f; }
CL::OscProperties VandEvent::osc_properties() const { return {}; }
CL::SfxProperties VandEvent::sfx_properties() const { return {}; }
bool VandEvent::IsPairedEvent() const { return false; }

UInt32 VandEvent::GetLengthTicks() const {
  if (!IsPairedEvent()) return 0;
  return end() > start() ? end() - start() : 0;
}

bool VandEvent::operator==(const VandEvent& o) const {
  if (this == &o) return true;
  if (code() != o.code() || EventId() != o.EventId() || start() != o.start() || end() != o.end() ||
      value() != o.value() || int_value() != o.int_value() || IsPairedEvent() != o.IsPairedEvent()) {
    return false;
  }
  const float a = float_value();
  const float b = o.float_value();
  if (!(a == b) && !(a != a && b != b)) return false;  // NaN equals NaN here
  if (!(osc_properties() == o.osc_properties())) return false;
  if (!(sfx_properties() == o.sfx_properties())) return false;
  const auto* ua = dynamic_cast<const CL::UnknownEvent*>(this);
  const auto* ub = dynamic_cast<const CL::UnknownEvent*>(&o);
  if ((ua == nullptr) != (ub == nullptr)) return false;
  if (ua && ua->Raw() != ub->Raw()) return false;
  return true;
}

}  // namespace cmn

namespace CL {

std::shared_ptr<cmn::VandEvent> CopyVandEvent(const cmn::VandEvent& event) {
  return std::shared_ptr<cmn::VandEvent>(event.Clone());
}

std::unique_ptr<cmn::VandEvent> MakeSongRecord(unsigned char code) {
  return WithRecordType(
      code,
      [](auto record) -> std::unique_ptr<cmn::VandEvent> {
        return std::make_unique<typename decltype(record)::type>();
      },
      []() -> std::unique_ptr<cmn::VandEvent> { return nullptr; });
}

bool IsRecordOfItsCode(const cmn::VandEvent& event) {
  return WithRecordType(
      event.code(),
      [&event](auto record) { return dynamic_cast<const typename decltype(record)::type*>(&event) != nullptr; },
      [] { return false; });
}

}  // namespace CL
