#pragma once

#include <QString>
#include <QStringList>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "CL/Properties.h"
#include "audio/OutputPathsModel.h"
#include "sfx/DeviceControlWin32.h"
#include "ui/QmlController.h"

class QQmlEngine;

namespace vand::qt {

// The Output Paths window: the show's named output paths (kept by the player
// engine) and this machine's device for each (kept in the show folder's
// device file, "outputpathdevices.json"). New, changed and removed paths go
// out through AddOutputPathSignal and RemoveOutputPathSignal before the file
// or the rows change. Failures of the slots and of writing the file are
// reported through `error`. GUI thread only.
class OutputPathsManagerController : public QmlController
{
    Q_OBJECT
public:
    // Builds the window (hidden) as a child of parent over the engine's paths
    // (keyed by path id): ids and names come from the engine, devices only
    // from the device file in showFolder (empty: the current show's folder).
    // A device file that cannot be read is set aside (Notice()); a missing
    // one means no devices yet. Throws std::runtime_error when the window
    // cannot be built.
    OutputPathsManagerController(const std::map<std::string, CL::OutputPath>& paths, QQmlEngine* engine,
                                 QObject* parent, const std::string& showFolder = {});
    ~OutputPathsManagerController() override;

    std::shared_ptr<OutputPathsModel> GetModel() const { return model_; }
    const std::vector<vand::audio::AudioDevice>& GetDevices() const { return devices_; }
    // The device file's path.
    const std::string& GetDeviceFilePath() const { return deviceFilePath_; }
    // What the window says above its list about the device file; empty when
    // it was read or missing.
    QString Notice() const { return notice_; }

    // The shown name (DeviceDisplayName) of the first device with this id;
    // empty when none has.
    std::string DeviceNameForId(const std::string& deviceId) const;
    // The id of the first device shown under this name; empty when none is.
    std::string DeviceIdForName(const std::string& deviceName) const;
    // The name, or the name followed by a blank and one more than the highest
    // number that rows named "name" or "name <digits>" carry (a bare name
    // counts as 1; numbers beyond 64 bits are not counted). Never throws.
    std::string MakeUniquePathName(const std::string& name) const;
    // Writes every row's device to the device file; a failure keeps the old
    // file and is reported through `error`. Nothing is written while an
    // unreadable file could not be set aside.
    void SaveOutputPathDevices();

    // The device file: path id -> record (id, empty name, device id). Throws
    // std::runtime_error naming what is wrong.
    static std::map<std::string, CL::OutputPath> ReadOutputPathDevices(const std::string& filePath);
    // Writes the map's ids and device ids, compact, in id order, through a
    // temporary file renamed over the old one. True; throws
    // std::runtime_error, the old file unchanged, when it cannot be written.
    static bool WriteOutputPathDevices(const std::string& filePath, std::map<std::string, CL::OutputPath> paths);
    // The bytes that WriteOutputPathDevices writes.
    static std::string OutputPathDevicesText(const std::map<std::string, CL::OutputPath>& paths);

signals:
    void AddOutputPathSignal(const CL::OutputPath& path);
    void RemoveOutputPathSignal(const CL::OutputPath& path);

public slots:
    void onPathCreationRequest(QString pathName, QString pathDevice);
    void onPathChangeRequest(QString pathName, QString pathDeviceName);
    void onDeleteOutputPath();
    void onCloseWindow();

private:
    // Id and name of the window's device entry (0: the default device);
    // false for an entry the list does not have.
    bool DeviceOfEntry(int entry, std::string& deviceId, std::string& deviceName) const;
    int CurrentRow() const;
    int ChosenDeviceEntry() const;
    // Reads the device file; an unreadable one is set aside first.
    std::map<std::string, CL::OutputPath> LoadDeviceFile();
    void SetAside(const std::string& reason);
    template <typename Action>
    void Reported(const char* title, Action&& action);

    std::shared_ptr<OutputPathsModel> model_;
    std::vector<vand::audio::AudioDevice> devices_;
    std::string deviceFilePath_;
    QString notice_;
    // An unreadable file stayed in place: nothing is written over it.
    bool writeBlocked_ = false;
};

} // namespace vand::qt
