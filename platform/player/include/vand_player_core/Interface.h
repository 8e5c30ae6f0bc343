#pragma once

// The player engine as the application sees it.
//
// Threads: every call comes on the GUI thread unless its comment says "any
// thread". Transport calls only queue a command for the engine thread and
// return; the engine applies queued commands in order at its next block
// (about 10 ms later at most). Queries answer from atomics or immutable
// snapshots and never wait for the engine thread. Events (notify::
// EventObserver), OSC callbacks and fade completions are raised without any
// engine lock held, from the engine thread.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "CL/ChangeLog.h"
#include "CL/Editor.h"
#include "CL/Events.h"
#include "CL/Properties.h"
#include "CL/SongLog.h"
#include "TL/BarsBeats.h"
#include "TL/Timeline.h"
#include "cmn/Types.h"
#include "cmn/VandEvent.h"
#include "kit/NumericStringCompare.h"
#include "vand_audio/VolumeType.h"
#include "vand_midi/MidiEndPoint.h"
#include "vand_player_core/LearnedCommand.h"

// Song number -> song name, in the engine's song order.
using SongNameMap = std::map<std::string, std::string, kit::NumericStringCompare>;

class Interface {
 public:
  virtual ~Interface();

  // --- lifecycle ---
  // Stops playback, closes the output and MIDI and joins the engine threads.
  // Idempotent. Afterwards queries still answer and transport calls do nothing.
  virtual void Shutdown() = 0;

  // --- transport ---
  virtual void Play() = 0;
  virtual void Pause(bool fadeCompleted) = 0;
  virtual void Stop() = 0;
  virtual void Continue() = 0;
  virtual void FlowControlExit() = 0;
  virtual void NextSong() = 0;
  virtual void PrevSong() = 0;
  // Fades to silence over `seconds`; `done` runs once, on the engine thread.
  virtual void Fade(std::function<void()> done, float seconds) = 0;
  // Ramps the master level to `level` (linear) over `seconds`, then `done`.
  virtual void FadeTo(std::function<void()> done, float seconds, float level) = 0;
  virtual void CancelFade() = 0;
  virtual bool IsStopped() const = 0;
  virtual bool GetIsPlaying() const = 0;  // any thread
  virtual bool GetIsPaused() const = 0;
  virtual bool GetIsFaded() const = 0;
  virtual UInt32 GetTickIndex() const = 0;  // any thread

  // --- position ---
  virtual void Seek(UInt32 tick) = 0;
  virtual bool SeekToBar(const std::string& bar) = 0;
  virtual void SeekToNextMeasure() = 0;
  virtual void SeekToPreviousMeasure() = 0;
  virtual void SeekRight() = 0;
  virtual void SeekLeft() = 0;

  // --- songs ---
  // Throws std::invalid_argument for an unknown song.
  virtual void LoadSong(const std::string& song) = 0;
  virtual void LoadSongAtTime(const std::string& song, UInt32 tick) = 0;
  virtual bool SongExists(const std::string& song) const = 0;
  virtual std::string GetActualSongNumber(const std::string& requested) const = 0;
  virtual std::string GetCurrentSongNumber() const = 0;  // any thread
  virtual SongNameMap GetSongNamesBySongNumber() const = 0;
  virtual UInt32 GetSongLength(const std::string& song) const = 0;
  virtual UInt32 GetSongStartTickIndex(const std::string& song) const = 0;
  virtual UInt32 GetSongAudioStartTick(const std::string& song) const = 0;
  virtual UInt32 GetSongAudioEndTick(const std::string& song) const = 0;
  virtual UInt32 GetCurrentStartTickIndex() const = 0;
  virtual UInt32 GetMinStartTickIndex() const = 0;
  virtual unsigned char GetAttacca(const std::string& song) const = 0;
  virtual void SetAttacca(const std::string& song, unsigned char state) = 0;
  // 1-based page -> (song, tick where it starts); std::out_of_range when unknown.
  virtual std::pair<std::string, UInt32> LookupPage(unsigned page) const = 0;

  // --- bars, beats and timeline data ---
  virtual TL::TimelineSequence<TL::BarsBeats> GetBarsBeats(const std::string& song,
                                                           bool withClickEdits = true) const = 0;
  virtual TL::BarsBeats GetBarBeatByTick(UInt32 tick, bool withClickEdits = true, bool atOrBefore = false) const = 0;
  virtual TL::BarsBeats GetBarBeatLeftByTick(UInt32 tick) const = 0;
  virtual std::string GetBarString(UInt32 tick) const = 0;
  virtual UInt32 GetAvailableShiftAfterBarBeat(UInt32 tick, bool withClickEdits) const = 0;
  virtual std::vector<int> GetClickValues(UInt32 start, UInt32 end) const = 0;
  virtual TL::Timeline GetTimeline() const = 0;
  virtual const CL::SongLog* GetSongLog() const = 0;
  virtual std::vector<cmn::VandEvent*> GetMarkers() = 0;
  virtual std::vector<std::unique_ptr<cmn::VandEvent>> GetChangeLogPanelEvents() = 0;

  // --- change log ---
  virtual CL::Editor* GetChangeLogEditor() = 0;
  virtual void SetChangelogFilename(const std::string& name) = 0;
  virtual std::string GetChangelogFilename() const = 0;
  virtual void LoadNewChangeLog() = 0;
  virtual std::string SaveChangelog(unsigned major, unsigned minor) = 0;
  virtual std::string GetLogVersion() const = 0;
  virtual std::string GetTempoScaleWarnings() const = 0;
  virtual std::string GetModifiedClickEditLog() const = 0;
  virtual unsigned GetInvertedLoopEventCount() const = 0;
  virtual std::string GetInvertedLoopEventDescription() const = 0;
  // Why each change log newer than the one loaded with the show could not be
  // read (one sentence each, naming its file; newest first). Empty when the
  // newest log was read. Those files are never written over.
  virtual std::vector<std::string> GetUnreadableChangeLogs() const = 0;
  virtual std::filesystem::path GetShowDirectory() const = 0;

  // --- output and volume ---
  virtual void SetOutputDeviceUid(const char* uid) = 0;
  virtual std::string GetOutputDeviceUid() const = 0;
  // No sound output takes the engine's audio: playback goes on silently, and
  // the engine reopens an output by itself as soon as one can be opened.
  // Any thread.
  virtual bool IsOutputLost() const { return false; }
  virtual void SetVolume(double gain, vand_audio::VolumeType type) = 0;
  virtual void SetVolume(double gain) = 0;
  virtual double GetVolume() const = 0;
  virtual const std::map<std::string, CL::OutputPath>& GetOutputPathMap() const = 0;
  virtual void onAddOutputhPath(const CL::OutputPath& path) = 0;
  virtual void onRemoveOutputhPath(const CL::OutputPath& path) = 0;

  // --- OSC ---
  virtual const CL::NetworkPathVectorT& GetNetworks() const = 0;
  // Any thread (the OSC sender calls it on the engine thread).
  virtual const CL::NetworkPath& GetNetwork(const std::string& networkId) const = 0;
  virtual void SetOscControlDefaultPort(std::uint16_t port) = 0;
  // Whether the timeline's OSC events go to the engine's OSC callback; on from
  // the start. Receiving OSC commands has nothing to do with it.
  virtual void DoOscProcessing(bool on) = 0;

  // --- MIDI ---
  virtual std::map<unsigned char, std::string> GetCommandNames() const = 0;
  virtual std::map<unsigned char, midi_commands::LearnedCommand> GetLearnedCommands() const = 0;
  virtual bool IsMidiCommandLearning(unsigned char cmd) const = 0;
  virtual void LearnMidiCommand(unsigned char cmd) = 0;
  virtual void SetMidiCommand(unsigned char cmd, unsigned char status, unsigned char channel, unsigned char note) = 0;
  virtual std::vector<int> GetAllowedCommandStatuses() const = 0;
  virtual std::vector<MidiEndPoint> GetMidiSources() const = 0;
  virtual void SetMidiSource(int index) = 0;
  virtual bool HasMidiSource() const = 0;
  virtual unsigned char GetConnectedSourceIndex() const = 0;
};
