#include "InstanceMapping.h"

#include "audio/VolumeTaper.h"
#include "sfx/SfxManifest.h"

#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace vand::sfxhost {

using vand::audio::SfxType;
using vand::audio::sfx::SfxDto;

namespace {

// A dialog's 0..100 as a record's 0..1.
float Fraction(double percent, const char* what) {
  if (std::isnan(percent)) throw std::invalid_argument(std::string("The ") + what + " is not a number.");
  return static_cast<float>(std::clamp(percent / 100.0, 0.0, 1.0));
}

// Seconds as the dialogs' fade fields show them: "1.5", "2", "0".
QString SecondsText(std::uint16_t milliseconds) {
  return QString::number(static_cast<double>(milliseconds) / 1000.0, 'g', 6);
}

}  // namespace

std::uint16_t RecordFade(int milliseconds) {
  return static_cast<std::uint16_t>(
      std::clamp(milliseconds, 0, static_cast<int>(std::numeric_limits<std::uint16_t>::max())));
}

SfxDto RecordOfRequest(const InstanceRequest& request, const vand::sfx::SfxManifest& catalogue,
                       const std::string& eventId, const std::string& outputPath) {
  const std::string effectId = request.effectId.toStdString();
  const std::optional<SfxType> type = catalogue.type(effectId);
  const std::optional<std::string> path = catalogue.path(effectId);
  if (!type || !path) throw std::invalid_argument("The sound-effect catalogue has no effect \"" + effectId + "\".");
  if (std::isnan(request.volume)) throw std::invalid_argument("The volume is not a number.");
  return SfxDto::builder()
      .name(request.name.toStdString())
      .outputPath(outputPath)
      .effectId(effectId)
      .effectPath(*path)
      .eventId(eventId)
      .type(*type)
      .repeats(request.repeats < 0 ? -1 : request.repeats)
      .fadeIn(RecordFade(request.fadeIn))
      .fadeOut(RecordFade(request.fadeOut))
      .volume(static_cast<float>(std::clamp(request.volume, 0.0, 1.0)))
      .pan(Fraction(request.pan, "pan"))
      .reverb(Fraction(request.reverb, "reverb"))
      .build();
}

InstanceDialogValues DialogValuesOfRecord(const SfxDto& record) {
  InstanceDialogValues values;
  values.name = QString::fromStdString(record.name());
  values.effectId = QString::fromStdString(record.effectId());
  values.volume = vand::qt::PositionOfLinearGain(record.volume());
  values.pan = static_cast<double>(record.pan()) * 100.0;
  values.reverb = static_cast<double>(record.reverb()) * 100.0;
  values.fadeIn = SecondsText(record.fadeIn());
  values.fadeOut = SecondsText(record.fadeOut());
  values.loop = record.repeats() < 0;
  return values;
}

vand::audio::CustomAudioParameters ParametersOfEntry(const CustomEntry& entry) {
  if (!entry.fileUrl.isLocalFile())
    throw std::invalid_argument("\"" + entry.fileUrl.toString().toStdString() + "\" is not a file on this computer.");
  if (std::isnan(entry.volume)) throw std::invalid_argument("The volume is not a number.");
  const QString file = entry.fileUrl.toLocalFile();
  using vand::audio::CustomAudioCommand;
  return vand::audio::CustomAudioParameters::builder()
      .name(QFileInfo(file).completeBaseName())
      .file(file)
      .repeats(entry.loop ? -1 : 0)
      .fadeIn(RecordFade(entry.fadeIn))
      .fadeOut(RecordFade(entry.fadeOut))
      .volume(std::clamp(entry.volume, 0.0, 1.0))
      .reverb(0.0)
      .pan(Fraction(entry.pan, "pan"))
      .command(entry.commandIndex == 1 ? CustomAudioCommand::STOP : CustomAudioCommand::PLAY)
      .build();
}

QString InstanceSummary(const SfxDto& record, const vand::sfx::SfxManifest& catalogue) {
  const QString name = QString::fromStdString(record.name());
  const std::optional<std::string> display = catalogue.displayName(record.effectId());
  if (!display) return name;
  return QStringLiteral("%1 (%2)").arg(name, QString::fromStdString(*display));
}

}  // namespace vand::sfxhost
