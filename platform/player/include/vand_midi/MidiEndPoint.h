#pragma once

#include <string>

// One MIDI input source.
class MidiEndPoint {
 public:
  MidiEndPoint() = default;
  MidiEndPoint(std::string name, std::string id) : name_(std::move(name)), id_(std::move(id)) {}

  const std::string& GetSourceName() const { return name_; }
  // The backend's handle of the source (e.g. "client:port").
  const std::string& GetSourceId() const { return id_; }

  bool operator==(const MidiEndPoint&) const = default;

 private:
  std::string name_;
  std::string id_;
};
