#pragma once

// The demo show: five short songs with tempo, meter and key changes, a pickup,
// a relabelled bar and an attacca; synthesised audio in which bars and beats
// can be heard (a click on every beat, accented on beat 1, over chords that
// change every bar); score pages; album artwork; and a change log holding a
// few events of every kind. Deterministic.
//
// The same code writes test fixtures: any show definition with synthesised
// audio, without the pictures.

#include <cstdint>
#include <filesystem>
#include <string>

#include "CL/ChangeLog.h"
#include "engine/ShowFile.h"

namespace vand::demo {

struct AudioStyle {
  enum class Format { Ogg, Flac, Wav };
  Format format = Format::Ogg;
  int sampleRate = 44100;
  int channels = 2;
  std::uint32_t tailMs = 1500;  // audio beyond the song's end (the fade box)
  bool silent = false;          // only silence (fast, for tests)
};

struct DemoOptions {
  // Test fixture: small silent WAV files, no score pages or artwork.
  bool small = false;
  bool withChangeLog = true;
  // The audio files of the full show (WAV makes a show of many megabytes).
  AudioStyle::Format format = AudioStyle::Format::Ogg;
};

inline constexpr const char* kDemoIdentifier = "demo";
inline constexpr const char* kDemoShowName = "Demo Show";
inline constexpr const char* kDemoOrganisation = "Demo Theatre Company";

// The demo's songs as show.json holds them (audio file names end in ".ogg").
vand::player::ShowDefinition DemoShowDefinition();

// The demo's change log (version 1.0).
CL::ChangeLog DemoChangeLog(const vand::player::ShowDefinition& show);

// Writes the whole demo show into `folder`. Throws std::runtime_error.
void WriteDemoShow(const std::filesystem::path& folder, const DemoOptions& options = {});

// Writes show.json, identity.json and one synthesised audio file per song
// (the extension of each song's "audio" is replaced to fit the format).
void WriteShowFolder(const std::filesystem::path& folder, vand::player::ShowDefinition show, const AudioStyle& style,
                     const std::string& organisation = kDemoOrganisation);

// Page images (one PNG per page) packed as a plain tar; needs a QGuiApplication.
void WriteScorePackage(const std::filesystem::path& file, const vand::player::ShowDefinition& show);
void WriteAlbumArtwork(const std::filesystem::path& file, const std::string& showName);

}  // namespace vand::demo
