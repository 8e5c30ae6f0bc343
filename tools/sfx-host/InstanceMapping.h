#pragma once

// What the sound-effect dialogs send, as the library's records, and back.
//
// The dialogs hold pan and reverb as 0 to 100 and the volume as a linear gain
// (the instance dialog shows it on the volume taper); records hold pan and
// reverb as 0 to 1, fades as unsigned 16-bit milliseconds and a loop as
// repeats -1.
//
// Threads: plain functions of their arguments.

#include "sfx/CustomAudioParameters.h"
#include "sfx/SfxDto.h"

#include <QString>
#include <QUrl>

#include <string>

namespace vand::sfx {
class SfxManifest;
}  // namespace vand::sfx

namespace vand::sfxhost {

// The values of the instance dialog's createRequest and changeRequest.
struct InstanceRequest {
  QString name;
  QString outputPath;
  QString effectId;
  double volume = 1.0;  // linear gain
  double pan = 50.0;    // 0 to 100
  double reverb = 0.0;  // 0 to 100
  int fadeIn = 0;       // milliseconds
  int fadeOut = 0;
  int repeats = 0;
};

// The values of the custom audio dialog's updateCustomAudioEntry.
struct CustomEntry {
  QUrl fileUrl;
  int commandIndex = 0;
  double volume = 1.0;  // linear gain
  double pan = 50.0;    // 0 to 100
  int fadeIn = 0;       // milliseconds
  int fadeOut = 0;
  bool loop = false;
};

// What the instance dialog shows for a stored record.
struct InstanceDialogValues {
  QString name;
  QString effectId;
  double volume = 1.0;  // volume-taper position
  double pan = 50.0;
  double reverb = 0.0;
  QString fadeIn;  // seconds, as typed
  QString fadeOut;
  bool loop = false;
};

// Fade milliseconds as a record holds them: below 0 gives 0, above 65535
// gives 65535.
std::uint16_t RecordFade(int milliseconds);

// The record of a dialog request under `eventId`. The type and the effect's
// file come from the catalogue; `outputPath` is the record's output path (the
// dialog shows none, so an edit passes the stored one). Pan and reverb are
// clamped to 0..1 and the gain to 0..1. std::invalid_argument for an effect
// the catalogue does not hold and for a NaN volume, pan or reverb.
vand::audio::sfx::SfxDto RecordOfRequest(const InstanceRequest& request, const vand::sfx::SfxManifest& catalogue,
                                         const std::string& eventId, const std::string& outputPath);

InstanceDialogValues DialogValuesOfRecord(const vand::audio::sfx::SfxDto& record);

// The parameters of a custom audio entry: a local file, named by its base
// name, played on the default output (no output path, no network patch),
// without reverb. std::invalid_argument for a URL that is not a local file
// and for a NaN volume or pan.
vand::audio::CustomAudioParameters ParametersOfEntry(const CustomEntry& entry);

// The instance list's line: "Name (Effect Display Name)", or the bare name
// when the catalogue does not know the effect.
QString InstanceSummary(const vand::audio::sfx::SfxDto& record, const vand::sfx::SfxManifest& catalogue);

}  // namespace vand::sfxhost
