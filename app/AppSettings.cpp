#include "app/AppSettings.h"

#include <QSettings>
#include <QStringList>
#include <QVariant>
#include <cmath>

namespace vand {

namespace {

const QString kDefaultVolume = QStringLiteral("defaultVolume");
const QString kOutputDevice = QStringLiteral("defaultOutputDeviceString");
const QString kClickVolume = QStringLiteral("clickVolumeLinear");
const QString kMidiSource = QStringLiteral("currentMidiSourceName");
const QString kDialogsGroup = QStringLiteral("Dialogs");

// A stored gain that is not a finite number would silence or break playback;
// such a value keeps the fallback.
double ReadVolume(const QSettings& settings, const QString& key, double fallback)
{
    const QVariant stored = settings.value(key, fallback);
    bool ok = false;
    const double value = stored.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return fallback;
    return value;
}

} // namespace

AppSettings::AppSettings(std::unique_ptr<QSettings> settings)
    : QObject(nullptr)
    , settings_(std::move(settings))
{
}

AppSettings::~AppSettings() = default;

bool AppSettings::Load()
{
    // QSettings answers from its cache; this reads the file again.
    settings_->sync();
    defaultVolume_ = ReadVolume(*settings_, kDefaultVolume, volumeFallback_);
    clickVolume_ = ReadVolume(*settings_, kClickVolume, clickVolumeFallback_);
    defaultOutputDevice_ = settings_->value(kOutputDevice, deviceFallback_).toString();
    currentMidiSourceName = settings_->value(kMidiSource, QString()).toString();
    return settings_->status() == QSettings::NoError;
}

bool AppSettings::Save()
{
    settings_->setValue(kDefaultVolume, defaultVolume_);
    settings_->setValue(kOutputDevice, defaultOutputDevice_);
    settings_->setValue(kClickVolume, clickVolume_);
    settings_->setValue(kMidiSource, currentMidiSourceName);
    settings_->sync();
    return settings_->status() == QSettings::NoError;
}

void AppSettings::SetShowDialog(const QString& name, bool show)
{
    settings_->beginGroup(kDialogsGroup);
    settings_->setValue(name, QStringList{show ? QStringLiteral("true") : QStringLiteral("false")});
    settings_->endGroup();
}

bool AppSettings::GetShowDialog(const QString& name)
{
    settings_->beginGroup(kDialogsGroup);
    const QStringList stored = settings_->value(name).toStringList();
    settings_->endGroup();
    if (stored.isEmpty())
        return true;
    const QString& first = stored.first();
    return !(first.isEmpty() || first == QLatin1String("0")
             || first.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0);
}

} // namespace vand
