#include "audio/OutputPathsManagerController.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QQuickWindow>
#include <QUrl>
#include <QUuid>
#include <QVariant>
#include <cstdint>
#include <filesystem>
#include <iostream>
#include <limits>
#include <stdexcept>
#include <system_error>

#include "audio/DeviceNames.h"
#include "cmn/ShowIdentity.h"
#include "kit/Log.h"
#include "ui/ViewProperty.h"

namespace vand::qt {

namespace {

const char* kWindowUrl = "qrc:/qt/qml/com/tarnwick/musical_ui/qml/OutputPathsWindow.qml";
const char* kDeviceFileName = "outputpathdevices.json";
const char* kDefaultDeviceEntry = "(default)";
const char* kPathErrorTitle = "Output Path Not Changed";
const char* kSaveErrorTitle = "Error Saving Output Paths";

bool IsBlank(char c)
{
    // What ECMAScript's \s matches in a narrow string.
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The number that an existing name carries when it is `name`, or `name`
// followed by one blank and digits: 1 for the bare name, the digits' value
// otherwise. False when it does not match or the number does not fit.
bool NumberOfMatchingName(const std::string& existing, const std::string& name, std::uint64_t& number)
{
    if (existing.size() < name.size() || existing.compare(0, name.size(), name) != 0)
        return false;
    const std::string rest = existing.substr(name.size());
    if (rest.empty()) {
        number = 1;
        return true;
    }
    if (rest.size() < 2 || !IsBlank(rest[0]))
        return false;
    std::uint64_t value = 0;
    constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
    for (size_t i = 1; i < rest.size(); ++i) {
        const char c = rest[i];
        if (c < '0' || c > '9')
            return false;
        const auto digit = static_cast<std::uint64_t>(c - '0');
        // The next name must still be countable: the largest number counted
        // is one below the 64-bit limit.
        if (value > (kMax - 1 - digit) / 10)
            return false;
        value = value * 10 + digit;
    }
    number = value;
    return true;
}

} // namespace

OutputPathsManagerController::OutputPathsManagerController(const std::map<std::string, CL::OutputPath>& paths,
                                                           QQmlEngine* engine, QObject* parent,
                                                           const std::string& showFolder)
    : QmlController(engine, QUrl(QString::fromLatin1(kWindowUrl)), parent, true)
    , model_(std::make_shared<OutputPathsModel>())
{
    if (!rootObject_)
        throw std::runtime_error("The Output Paths window could not be built.");
    deviceFilePath_ = (showFolder.empty() ? Directories::GetShowDirectory() : showFolder) + "/" + kDeviceFileName;

    SetViewProperty(rootObject_, "model", QVariant::fromValue<QObject*>(model_.get()));
    connect(rootObject_, SIGNAL(createPathRequest(QString, QString)), this,
            SLOT(onPathCreationRequest(QString, QString)));
    connect(rootObject_, SIGNAL(changePathRequest(QString, QString)), this,
            SLOT(onPathChangeRequest(QString, QString)));
    connect(rootObject_, SIGNAL(deleteOutputPath()), this, SLOT(onDeleteOutputPath()));
    connect(rootObject_, SIGNAL(closeWindow()), this, SLOT(onCloseWindow()));
    connect(model_.get(), &OutputPathsModel::AddOutputPathSignal, this,
            &OutputPathsManagerController::AddOutputPathSignal);
    connect(model_.get(), &OutputPathsModel::RemoveOutputPathSignal, this,
            &OutputPathsManagerController::RemoveOutputPathSignal);

    devices_ = vand::audio::DeviceControlWin32().GetOutputDevices();
    QStringList names{QString::fromLatin1(kDefaultDeviceEntry)};
    QStringList ids{QString()};
    for (const vand::audio::AudioDevice& device : devices_) {
        names << QString::fromStdString(DeviceDisplayName(device, devices_));
        ids << QString::fromStdString(device.narrowId);
    }
    SetViewProperty(rootObject_, "deviceList", names);
    SetViewProperty(rootObject_, "deviceIds", ids);

    // The change log carries the devices of the machine that made the paths;
    // this machine's come from its own file.
    const std::map<std::string, CL::OutputPath> assigned = LoadDeviceFile();
    for (const auto& [id, path] : paths) {
        const auto entry = assigned.find(id);
        const std::string deviceId = entry == assigned.end() ? std::string() : entry->second.GetDeviceId();
        model_->AddOrUpdatePath(CL::OutputPath(path.GetId(), path.GetName(), deviceId, DeviceNameForId(deviceId)));
    }
    SetViewProperty(rootObject_, "notice", notice_);
    if (model_->rowCount() > 0)
        SetViewProperty(rootObject_, "currentIndex", 0);
}

OutputPathsManagerController::~OutputPathsManagerController()
{
    if (auto* window = qobject_cast<QQuickWindow*>(rootObject_.data()))
        window->close();
}

std::string OutputPathsManagerController::DeviceNameForId(const std::string& deviceId) const
{
    for (const vand::audio::AudioDevice& device : devices_) {
        if (device.narrowId == deviceId)
            return DeviceDisplayName(device, devices_);
    }
    return {};
}

std::string OutputPathsManagerController::DeviceIdForName(const std::string& deviceName) const
{
    for (const vand::audio::AudioDevice& device : devices_) {
        if (DeviceDisplayName(device, devices_) == deviceName)
            return device.narrowId;
    }
    return {};
}

std::string OutputPathsManagerController::MakeUniquePathName(const std::string& name) const
{
    std::uint64_t highest = 0;
    for (int row = 0; row < model_->rowCount(); ++row) {
        std::uint64_t number = 0;
        if (NumberOfMatchingName(model_->GetPath(row).GetName(), name, number) && number > highest)
            highest = number;
    }
    if (highest == 0)
        return name;
    return name + " " + std::to_string(highest + 1);
}

bool OutputPathsManagerController::DeviceOfEntry(int entry, std::string& deviceId, std::string& deviceName) const
{
    if (entry == 0) {
        deviceId.clear();
        deviceName = kDefaultDeviceEntry;
        return true;
    }
    if (entry < 0 || static_cast<size_t>(entry) > devices_.size())
        return false;
    const vand::audio::AudioDevice& device = devices_.at(static_cast<size_t>(entry - 1));
    deviceId = device.narrowId;
    deviceName = DeviceDisplayName(device, devices_);
    return true;
}

int OutputPathsManagerController::CurrentRow() const
{
    return rootObject_ ? rootObject_->property("currentIndex").toInt() : -1;
}

int OutputPathsManagerController::ChosenDeviceEntry() const
{
    return rootObject_ ? rootObject_->property("pathDeviceIndex").toInt() : -1;
}

template <typename Action>
void OutputPathsManagerController::Reported(const char* title, Action&& action)
{
    try {
        action();
    } catch (const std::exception& e) {
        emit error(e.what(), title);
    } catch (...) {
        emit error("Unknown error.", title);
    }
}

void OutputPathsManagerController::onPathCreationRequest(QString pathName, QString)
{
    bool created = false;
    Reported(kPathErrorTitle, [&] {
        std::string deviceId;
        std::string deviceName;
        // No entry chosen: the default device.
        const int entry = std::max(0, ChosenDeviceEntry());
        if (!DeviceOfEntry(entry, deviceId, deviceName))
            throw std::runtime_error("The chosen output device is not in the list.");
        const std::string id = QUuid::createUuid().toString(QUuid::WithoutBraces).toStdString();
        model_->AddOrUpdatePath(CL::OutputPath(id, MakeUniquePathName(pathName.toStdString()), deviceId, deviceName));
        created = true;
    });
    if (created)
        SaveOutputPathDevices();
}

void OutputPathsManagerController::onPathChangeRequest(QString pathName, QString)
{
    const int row = CurrentRow();
    if (row < 0 || row >= model_->rowCount())
        return;
    bool changed = false;
    Reported(kPathErrorTitle, [&] {
        const CL::OutputPath old = model_->GetPath(row);
        std::string deviceId = old.GetDeviceId();
        std::string deviceName = old.GetDeviceName();
        // No entry chosen (the path's device is not on this machine): the
        // path keeps its device.
        const int entry = ChosenDeviceEntry();
        if (entry != -1 && !DeviceOfEntry(entry, deviceId, deviceName))
            throw std::runtime_error("The chosen output device is not in the list.");
        // The name is taken as typed: a change may repeat another path's name.
        changed = model_->setData(model_->index(row), QVariant::fromValue(CL::OutputPath(
                                                          old.GetId(), pathName.toStdString(), deviceId, deviceName)));
    });
    if (changed)
        SaveOutputPathDevices();
}

void OutputPathsManagerController::onDeleteOutputPath()
{
    // The file keeps the deleted path's device until the next write.
    Reported(kPathErrorTitle, [&] { model_->RemovePath(CurrentRow()); });
}

void OutputPathsManagerController::onCloseWindow()
{
    std::cout << "CloseWindow_" << std::endl;
    Reported(kPathErrorTitle, [&] { SetVisible(false); });
}

void OutputPathsManagerController::SaveOutputPathDevices()
{
    if (writeBlocked_)
        return;
    std::map<std::string, CL::OutputPath> paths;
    for (int row = 0; row < model_->rowCount(); ++row) {
        CL::OutputPath path = model_->GetPath(row);
        paths[path.GetId()] = std::move(path);
    }
    Reported(kSaveErrorTitle, [&] { WriteOutputPathDevices(deviceFilePath_, std::move(paths)); });
}

std::map<std::string, CL::OutputPath> OutputPathsManagerController::LoadDeviceFile()
{
    std::error_code ec;
    if (!std::filesystem::exists(std::filesystem::u8path(deviceFilePath_), ec) && !ec)
        return {};
    try {
        return ReadOutputPathDevices(deviceFilePath_);
    } catch (const std::exception& e) {
        SetAside(e.what());
    } catch (...) {
        SetAside("unknown error");
    }
    return {};
}

void OutputPathsManagerController::SetAside(const std::string& reason)
{
    const QString from = QString::fromStdString(deviceFilePath_);
    const QString stem = from + QStringLiteral(".unreadable-")
                         + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString to = stem;
    for (int n = 2; QFileInfo::exists(to) && n < 100; ++n)
        to = stem + QLatin1Char('-') + QString::number(n);
    if (!QFileInfo::exists(to) && QFile::rename(from, to)) {
        kit::Log(kit::LogLevel::Warning, "audio",
                 "The output path device file " + deviceFilePath_ + " could not be read (" + reason
                     + "); it was kept as " + to.toStdString() + ".");
        notice_ = QStringLiteral("The device file could not be read and was kept as \"%1\". "
                                 "Choose the output devices of the paths again.")
                      .arg(QFileInfo(to).fileName());
        return;
    }
    writeBlocked_ = true;
    kit::Log(kit::LogLevel::Error, "audio",
             "The output path device file " + deviceFilePath_ + " could not be read (" + reason
                 + ") nor set aside: device choices are not saved until the show is loaded again.");
    notice_ = QStringLiteral("The device file \"%1\" could not be read nor set aside. "
                             "Device choices are not saved until the show is loaded again.")
                  .arg(QString::fromLatin1(kDeviceFileName));
}

} // namespace vand::qt
