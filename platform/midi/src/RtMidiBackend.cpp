#include "vand_midi/RtMidiBackend.h"

#include <RtMidi.h>
#include <alsa/asoundlib.h>

#include <atomic>
#include <cctype>
#include <exception>
#include <map>
#include <optional>
#include <set>

#include "kit/Log.h"

namespace vand::midi {

namespace {

constexpr const char* kArea = "midi";
constexpr const char* kInputPortName = "input";

void SilentAlsaError(const char*, int, const char*, int, const char*, ...) {}

// Opens and closes the sequencer with libasound's own error printer silenced.
// The error text when it cannot be opened; nothing when it can.
std::optional<std::string> ProbeSequencer() {
  // The printer is process-wide; probes of several threads take turns.
  static std::mutex probeMutex;
  std::lock_guard lock(probeMutex);
  snd_lib_error_handler_t previous = snd_lib_error;
  snd_lib_error_set_handler(&SilentAlsaError);
  snd_seq_t* seq = nullptr;
  const int error = snd_seq_open(&seq, "default", SND_SEQ_OPEN_INPUT, 0);
  if (error >= 0) snd_seq_close(seq);
  snd_lib_error_set_handler(previous);
  if (error < 0) return std::string(snd_strerror(error));
  return std::nullopt;
}

// The first backend without MIDI input says so; later ones stay quiet.
void ReportInputOff(const std::string& reason) {
  static std::atomic<bool> reported{false};
  if (reported.exchange(true)) return;
  kit::Log(kit::LogLevel::Warning, kArea, "MIDI input is off: " + reason + ".");
}

// RtMidi's reports, which it would otherwise print itself (or throw from a
// thread of its own), become lines of ours.
void OnRtMidiError(RtMidiError::Type type, const std::string& text, void*) {
  if (type == RtMidiError::DEBUG_WARNING) return;
  kit::Log(type == RtMidiError::WARNING ? kit::LogLevel::Warning : kit::LogLevel::Error, kArea, "MIDI input: " + text);
}

bool IsAddress(const std::string& text) {
  const auto colon = text.find(':');
  if (colon == std::string::npos || colon == 0 || colon + 1 == text.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (i != colon && !std::isdigit(static_cast<unsigned char>(text[i]))) return false;
  }
  return true;
}

}  // namespace

std::vector<MidiEndPoint> SplitPortNames(const std::vector<std::string>& portNames) {
  std::vector<MidiEndPoint> sources;
  std::set<std::string> taken;
  std::map<std::string, int> repeats;
  for (const std::string& full : portNames) {
    std::string base = full;
    std::string id = full;
    const auto blank = full.rfind(' ');
    if (blank != std::string::npos && blank > 0 && IsAddress(full.substr(blank + 1))) {
      base = full.substr(0, blank);
      id = full.substr(blank + 1);
    }
    // A port may itself be called "Keys (2)": every name in the list differs.
    std::string name = base;
    int& repeat = repeats[base];
    while (taken.count(name) > 0) name = base + " (" + std::to_string(++repeat + 1) + ")";
    taken.insert(name);
    sources.emplace_back(std::move(name), std::move(id));
  }
  return sources;
}

RtMidiBackend::RtMidiBackend(const std::string& clientName) {
  if (auto error = ProbeSequencer()) {
    ReportInputOff("the ALSA sequencer cannot be opened (" + *error + ")");
    return;
  }
  try {
    // ALSA only: the JACK input of Debian's build fails on opening a port
    // when no JACK server runs.
    input_ = std::make_unique<RtMidiIn>(RtMidi::LINUX_ALSA, clientName);
    input_->setErrorCallback(&OnRtMidiError, nullptr);
    input_->setCallback(&RtMidiBackend::OnMessage, this);
  } catch (const RtMidiError& e) {
    input_.reset();
    ReportInputOff(e.getMessage());
  }
}

RtMidiBackend::~RtMidiBackend() {
  std::lock_guard lock(mutex_);
  CloseLocked();
  input_.reset();
}

void RtMidiBackend::OnMessage(double, std::vector<unsigned char>* message, void* self) {
  auto* backend = static_cast<RtMidiBackend*>(self);
  if (!message || !backend->handler_) return;
  try {
    backend->handler_(*message);
  } catch (const std::exception& e) {
    kit::Log(kit::LogLevel::Error, kArea, std::string("A MIDI message was dropped: ") + e.what());
  } catch (...) {
    kit::Log(kit::LogLevel::Error, kArea, "A MIDI message was dropped.");
  }
}

std::vector<std::string> RtMidiBackend::PortNamesLocked() {
  std::vector<std::string> names;
  if (!input_) return names;
  const unsigned count = input_->getPortCount();
  names.reserve(count);
  // A port that leaves while it is listed comes back without a name.
  for (unsigned i = 0; i < count; ++i) names.push_back(input_->getPortName(i));
  return names;
}

std::vector<MidiEndPoint> RtMidiBackend::ListSources() {
  std::lock_guard lock(mutex_);
  try {
    std::vector<std::string> names = PortNamesLocked();
    std::erase(names, std::string());
    return SplitPortNames(names);
  } catch (const RtMidiError& e) {
    OnRtMidiError(e.getType(), e.getMessage(), nullptr);
    return {};
  }
}

bool RtMidiBackend::Open(const MidiEndPoint& source, MessageHandler handler) {
  std::lock_guard lock(mutex_);
  CloseLocked();
  if (!input_) return false;
  try {
    const std::vector<std::string> names = PortNamesLocked();
    std::vector<std::string> named;
    std::vector<unsigned> ports;
    for (unsigned i = 0; i < names.size(); ++i) {
      if (names[i].empty()) continue;
      named.push_back(names[i]);
      ports.push_back(i);
    }
    const std::vector<MidiEndPoint> sources = SplitPortNames(named);
    for (std::size_t i = 0; i < sources.size(); ++i) {
      if (!(sources[i] == source)) continue;
      handler_ = std::move(handler);
      input_->openPort(ports[i], kInputPortName);
      if (input_->isPortOpen()) return true;
      CloseLocked();
      return false;
    }
  } catch (const RtMidiError& e) {
    OnRtMidiError(e.getType(), e.getMessage(), nullptr);
    CloseLocked();
  }
  return false;
}

void RtMidiBackend::Close() {
  std::lock_guard lock(mutex_);
  CloseLocked();
}

void RtMidiBackend::CloseLocked() {
  if (input_) {
    try {
      // Joins RtMidi's input thread.
      input_->closePort();
    } catch (const RtMidiError& e) {
      OnRtMidiError(e.getType(), e.getMessage(), nullptr);
    }
  }
  handler_ = nullptr;
}

}  // namespace vand::midi
