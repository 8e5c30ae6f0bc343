#pragma once

// Our player engine.
//
// Threads, decided once:
// - Calls come on the GUI thread unless Interface says otherwise.
// - One engine thread runs the block loop, driven by an OutputClock (the
//   PulseAudio clock, which falls back to silence without a sound server; a
//   silent null clock; or a test's manual clock). Each block is a control
//   tick: it applies the queued commands in order, advances playback, and
//   publishes to the output thread what to render. The output thread renders
//   only from what the blocks published (see engine/Renderer.h).
// - Events a block raises while playing reach observers when the audio is
//   heard (the stream's latency later); what a command raises goes out at once.
// - Transport calls only queue a command (and update atomics where a query
//   must see the change at once, e.g. LoadSong's current song); they never
//   wait for the engine thread, so Stop from a fade completion cannot deadlock.
// - The engine thread publishes events, OSC callbacks and fade completions
//   after each block with no lock held, in the order it decided them. Files
//   are written on a worker thread; songs are decoded on another one.
// - Queries read atomics or immutable snapshots (the show model, the plan).

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>

#include "vand_player_core/Interface.h"
#include "vand_player_core/PlayerOscCallback.h"

namespace vand::player {

class MidiBackend;
class OutputClock;

struct EngineOptions {
  std::shared_ptr<OutputClock> clock;    // null: a PulseClock (sound, or silence without a server)
  std::shared_ptr<MidiBackend> midi;     // null: no MIDI inputs
  std::string dataSubfolder = "engine";  // the engine's files under the data folder
  std::string logPrefix = "engine";      // prefix of the engine's messages on standard error
};

}  // namespace vand::player

class AudioInterface : public Interface {
 public:
  ~AudioInterface() override;
  AudioInterface(const AudioInterface&) = delete;
  AudioInterface& operator=(const AudioInterface&) = delete;

  // Rethrows, once, the first failure of the engine thread's start-up.
  void ThrowIfThreadExceptions();

  // Master gain times the fade gain: the level the output applies.
  double GetOutputGain() const;
  // Tests and benchmarks: waits until the songs the engine keeps are decoded
  // and its files are written. False after the timeout.
  bool WaitUntilSettled(std::chrono::milliseconds timeout);
  // Songs whose audio the engine holds (decoded or decoding).
  std::size_t SongsHeld() const;

  // --- Interface ---
  void Shutdown() override;

  void Play() override;
  void Pause(bool fadeCompleted) override;
  void Stop() override;
  void Continue() override;
  void FlowControlExit() override;
  void NextSong() override;
  void PrevSong() override;
  void Fade(std::function<void()> done, float seconds) override;
  void FadeTo(std::function<void()> done, float seconds, float level) override;
  void CancelFade() override;
  bool IsStopped() const override;
  bool GetIsPlaying() const override;
  bool GetIsPaused() const override;
  bool GetIsFaded() const override;
  UInt32 GetTickIndex() const override;

  void Seek(UInt32 tick) override;
  bool SeekToBar(const std::string& bar) override;
  void SeekToNextMeasure() override;
  void SeekToPreviousMeasure() override;
  void SeekRight() override;
  void SeekLeft() override;

  void LoadSong(const std::string& song) override;
  void LoadSongAtTime(const std::string& song, UInt32 tick) override;
  bool SongExists(const std::string& song) const override;
  std::string GetActualSongNumber(const std::string& requested) const override;
  std::string GetCurrentSongNumber() const override;
  virtual SongNameMap GetSongNamesBySongNumber() const override;
  UInt32 GetSongLength(const std::string& song) const override;
  UInt32 GetSongStartTickIndex(const std::string& song) const override;
  UInt32 GetSongAudioStartTick(const std::string& song) const override;
  UInt32 GetSongAudioEndTick(const std::string& song) const override;
  UInt32 GetCurrentStartTickIndex() const override;
  UInt32 GetMinStartTickIndex() const override;
  unsigned char GetAttacca(const std::string& song) const override;
  void SetAttacca(const std::string& song, unsigned char state) override;
  std::pair<std::string, UInt32> LookupPage(unsigned page) const override;

  TL::TimelineSequence<TL::BarsBeats> GetBarsBeats(const std::string& song, bool withClickEdits = true) const override;
  TL::BarsBeats GetBarBeatByTick(UInt32 tick, bool withClickEdits = true, bool atOrBefore = false) const override;
  TL::BarsBeats GetBarBeatLeftByTick(UInt32 tick) const override;
  std::string GetBarString(UInt32 tick) const override;
  UInt32 GetAvailableShiftAfterBarBeat(UInt32 tick, bool withClickEdits) const override;
  std::vector<int> GetClickValues(UInt32 start, UInt32 end) const override;
  TL::Timeline GetTimeline() const override;
  const CL::SongLog* GetSongLog() const override;
  std::vector<cmn::VandEvent*> GetMarkers() override;
  std::vector<std::unique_ptr<cmn::VandEvent>> GetChangeLogPanelEvents() override;

  CL::Editor* GetChangeLogEditor() override;
  void SetChangelogFilename(const std::string& name) override;
  std::string GetChangelogFilename() const override;
  void LoadNewChangeLog() override;
  std::string SaveChangelog(unsigned major, unsigned minor) override;
  std::string GetLogVersion() const override;
  std::string GetTempoScaleWarnings() const override;
  std::string GetModifiedClickEditLog() const override;
  unsigned GetInvertedLoopEventCount() const override;
  std::string GetInvertedLoopEventDescription() const override;
  std::vector<std::string> GetUnreadableChangeLogs() const override;
  std::filesystem::path GetShowDirectory() const override;

  void SetOutputDeviceUid(const char* uid) override;
  std::string GetOutputDeviceUid() const override;
  bool IsOutputLost() const override;
  void SetVolume(double gain, vand_audio::VolumeType type) override;
  void SetVolume(double gain) override;
  double GetVolume() const override;
  const std::map<std::string, CL::OutputPath>& GetOutputPathMap() const override;
  void onAddOutputhPath(const CL::OutputPath& path) override;
  void onRemoveOutputhPath(const CL::OutputPath& path) override;

  const CL::NetworkPathVectorT& GetNetworks() const override;
  const CL::NetworkPath& GetNetwork(const std::string& networkId) const override;
  void SetOscControlDefaultPort(std::uint16_t port) override;
  void DoOscProcessing(bool on) override;

  std::map<unsigned char, std::string> GetCommandNames() const override;
  std::map<unsigned char, midi_commands::LearnedCommand> GetLearnedCommands() const override;
  bool IsMidiCommandLearning(unsigned char cmd) const override;
  void LearnMidiCommand(unsigned char cmd) override;
  void SetMidiCommand(unsigned char cmd, unsigned char status, unsigned char channel, unsigned char note) override;
  std::vector<int> GetAllowedCommandStatuses() const override;
  std::vector<MidiEndPoint> GetMidiSources() const override;
  void SetMidiSource(int index) override;
  bool HasMidiSource() const override;
  unsigned char GetConnectedSourceIndex() const override;

 protected:
  // Removes what interrupted saves left in the show folder, loads the show
  // (songs whose audio cannot be read stay listed, unplayable) and its newest
  // change log that reads, and starts the engine thread. Throws
  // std::runtime_error (show.json cannot be read) or CL::ChangeLogVersionError.
  AudioInterface(const std::string& showFolder, const std::string& dataFolder,
                 std::shared_ptr<vand::PlayerOscCallback> osc);
  AudioInterface(const std::string& showFolder, const std::string& dataFolder,
                 std::shared_ptr<vand::PlayerOscCallback> osc, vand::player::EngineOptions options);

 private:
  class Impl;
  std::shared_ptr<Impl> impl_;
};
