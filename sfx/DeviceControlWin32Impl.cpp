#include "DeviceControlWin32Impl.h"

#include "kit/Log.h"

#include <QAudioDevice>
#include <QMediaDevices>

#include <mutex>
#include <set>

namespace vand::audio {

namespace {

// Hands out one wide copy of each device id for the life of the process, so a
// record's `id` never dangles whoever holds the record longest.
const wchar_t* internedId(const QString& id)
{
    static std::mutex mutex;
    static auto* ids = new std::set<std::wstring, std::less<>>; // outlives static destructors
    std::wstring wide = id.toStdWString();
    std::lock_guard<std::mutex> lock(mutex);
    return ids->insert(std::move(wide)).first->c_str();
}

} // namespace

DeviceControlWin32Impl::~DeviceControlWin32Impl() = default;

std::vector<AudioDevice> DeviceControlWin32Impl::GetOutputDevices() const
{
    std::vector<AudioDevice> devices;
    const QList<QAudioDevice> outputs = QMediaDevices::audioOutputs();
    devices.reserve(static_cast<std::size_t>(outputs.size()));
    for (const QAudioDevice& output : outputs) {
        const QByteArray id = output.id();
        devices.emplace_back(internedId(QString::fromUtf8(id)), output.description().toStdString(), id.toStdString());
    }
    if (devices.empty())
        kit::Log(kit::LogLevel::Warning, "sfx", "No audio output devices found.");
    return devices;
}

} // namespace vand::audio
