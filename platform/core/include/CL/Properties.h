#pragma once

#include <string>
#include <vector>

#include "cmn/Types.h"

namespace CL {

// An OSC command: an address followed by blank-separated words, and the id of
// the network destination it goes to.
class OscProperties {
 public:
  OscProperties() = default;
  OscProperties(std::string message, std::string networkId)
      : message_(std::move(message)), networkId_(std::move(networkId)) {}

  const std::string& Message() const { return message_; }
  const std::string& NetworkId() const { return networkId_; }
  void Message(const std::string& m) { message_ = m; }
  void NetworkId(const std::string& id) { networkId_ = id; }

  bool operator==(const OscProperties&) const = default;

 private:
  std::string message_;
  std::string networkId_;
};

// Properties of one sound-effect instance.
class SfxProperties {
 public:
  SfxProperties() = default;

  void setEffectId(const std::string& v) { effectId_ = v; }
  void setEffectIdIndex(Int32 v) { effectIdIndex_ = v; }
  void setName(const std::string& v) { name_ = v; }
  void setVolume(float v) { volume_ = v; }
  void setPan(float v) { pan_ = v; }
  void setReverb(float v) { reverb_ = v; }
  void setOutputPath(const std::string& v) { outputPath_ = v; }
  void setRepeats(Int32 v) { repeats_ = v; }

  const std::string& name() const { return name_; }
  const std::string& effectId() const { return effectId_; }
  Int32 effectIdIndex() const { return effectIdIndex_; }
  const std::string& outputPath() const { return outputPath_; }
  float volume() const { return volume_; }
  float pan() const { return pan_; }
  float reverb() const { return reverb_; }
  Int32 repeats() const { return repeats_; }

  UInt16 fadeIn{0};   // ms
  UInt16 fadeOut{0};  // ms

  bool operator==(const SfxProperties&) const = default;

 private:
  std::string name_;
  std::string effectId_;
  Int32 effectIdIndex_{0};
  std::string outputPath_;
  float volume_{1.0f};
  float pan_{0.5f};
  float reverb_{0.0f};
  Int32 repeats_{0};
};

// A named output path; the device id is empty when no device is assigned.
class OutputPath {
 public:
  OutputPath() = default;
  OutputPath(std::string id, std::string name, std::string deviceId)
      : id_(std::move(id)), name_(std::move(name)), deviceId_(std::move(deviceId)) {}
  OutputPath(std::string id, std::string name, std::string deviceId, std::string deviceName)
      : id_(std::move(id)), name_(std::move(name)), deviceId_(std::move(deviceId)), deviceName_(std::move(deviceName)) {
  }

  const std::string& GetId() const { return id_; }
  const std::string& GetName() const { return name_; }
  const std::string& GetDeviceId() const { return deviceId_; }
  const std::string& GetDeviceName() const { return deviceName_; }

  bool operator==(const OutputPath&) const = default;

 private:
  std::string id_;
  std::string name_;
  std::string deviceId_;
  std::string deviceName_;
};

// One OSC destination.
class NetworkPath {
 public:
  NetworkPath() = default;
  NetworkPath(std::string networkId, std::string name, std::string ipAddress, Int32 port, Int32 mode = 0)
      : Mode{mode}, Port{port}, networkId_(std::move(networkId)), name_(std::move(name)),
        ipAddress_(std::move(ipAddress)) {}

  const std::string& Name() const { return name_; }
  void Name(const std::string& v) { name_ = v; }
  const std::string& NetworkId() const { return networkId_; }
  void NetworkId(const std::string& v) { networkId_ = v; }
  const std::string& IpAddress() const { return ipAddress_; }
  void IpAddress(const std::string& v) { ipAddress_ = v; }

  Int32 Mode{0};  // 1 TCP, 0 UDP
  Int32 Port{0};

  bool operator==(const NetworkPath&) const = default;

 private:
  std::string networkId_;
  std::string name_;
  std::string ipAddress_;
};

using NetworkPathVectorT = std::vector<NetworkPath>;

}  // namespace CL
