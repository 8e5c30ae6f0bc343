#pragma once

#include <memory>
#include <string>

#include "CL/Properties.h"
#include "cmn/Types.h"

namespace cmn {

// One change-log event: a one-byte code, an id, start and end ticks and the
// values of its kind. Point events have end 0. Records are the CL:: classes
// (CL/Events.h); this base holds what every kind shares.
class VandEvent {
 public:
  virtual ~VandEvent();

  virtual unsigned char code() const;
  virtual const std::string& EventId() const;
  virtual UInt32 abs_time() const;  // the start tick
  virtual UInt32 start() const;
  virtual void start(UInt32 tick);
  virtual UInt32 end() const;
  // Point events keep end 0 whatever is set.
  virtual void end(UInt32 tick);
  virtual const std::string& value() const;
  virtual int int_value() const;
  virtual float float_value() const;  // tempo factor, 1.0 = 100 %
  virtual CL::OscProperties osc_properties() const;
  virtual CL::SfxProperties sfx_properties() const;
  virtual bool IsPairedEvent() const;
  virtual UInt32 GetLengthTicks() const;  // end - start for regions, else 0
  virtual std::unique_ptr<VandEvent> Clone() const = 0;

  // Same code, id, start, end and values.
  bool operator==(const VandEvent& other) const;
  bool operator!=(const VandEvent& other) const { return !(*this == other); }

  void SetEventId(std::string id) { id_ = std::move(id); }

 protected:
  VandEvent() = default;
  VandEvent(unsigned char code, UInt32 start, UInt32 end, std::string id);
  VandEvent(const VandEvent&) = default;
  VandEvent& operator=(const VandEvent&) = default;
  VandEvent(VandEvent&&) = default;
  VandEvent& operator=(VandEvent&&) = default;

  unsigned char code_{0};
  UInt32 start_{0};
  UInt32 end_{0};
  std::string id_;
};

}  // namespace cmn
