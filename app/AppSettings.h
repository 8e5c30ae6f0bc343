#pragma once

#include <QObject>
#include <QString>
#include <memory>

#include "showcontrol/MidiManagerServices.h"
#include "ui/DialogSettings.h"

class QSettings;

namespace vand {

// The user's persistent application settings, kept in an INI file. Values live
// in memory after Load and are written back by Save; the per-dialog choices
// go straight through to the store.
class AppSettings : public QObject, public vand::qt::DialogSettings, public vand::qt::MidiSourceSettings
{
    Q_OBJECT
public:
    explicit AppSettings(std::unique_ptr<QSettings> settings);
    ~AppSettings() override;

    // Reads the four top-level keys from the file as it is now (changes made
    // to it elsewhere included). A number that does not convert to a finite
    // value keeps its fallback. False when the store reports an error.
    bool Load();
    // Writes the four top-level keys and syncs the store. False when the store
    // reports an error.
    bool Save() override;

    double GetDefaultVolume() const { return defaultVolume_; }
    void SetDefaultVolume(double volume) { defaultVolume_ = volume; }

    const QString& GetDefaultOutputDeviceString() const { return defaultOutputDevice_; }
    void SetDefaultOutputDeviceString(const QString& device) { defaultOutputDevice_ = device; }

    void SetShowDialog(const QString& name, bool show) override;
    bool GetShowDialog(const QString& name) override;

    QString GetMidiSourceName() const override { return currentMidiSourceName; }
    void SetMidiSourceName(const QString& name) override { currentMidiSourceName = name; }

private:
    double volumeFallback_ = 1.0;
    double clickVolumeFallback_ = 1.0;
    QString deviceFallback_;
    std::unique_ptr<QSettings> settings_;
    double defaultVolume_ = 1.0;
    double clickVolume_ = 1.0;
    QString defaultOutputDevice_;

public:
    // Read and written directly by the MIDI manager.
    QString currentMidiSourceName;
};

} // namespace vand
