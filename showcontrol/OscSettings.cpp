#include "showcontrol/OscSettings.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QString>

#include <rapidjson/prettywriter.h>
#include <rapidjson/stringbuffer.h>

#include <cstdint>
#include <filesystem>
#include <stdexcept>

#include "kit/File.h"
#include "kit/Json.h"

namespace vand::osc {

namespace {

constexpr char kVersion[] = "1.0";
// Far beyond the three members of the file; a larger one is not read.
constexpr std::uintmax_t kMaxFileBytes = 1024 * 1024;

// The port of a version "1.0" file, or 0 when it is not a whole number in
// the range of a UDP port.
int ListenPortOf(const kit::json::Value& value)
{
    try {
        return static_cast<int>(kit::json::IntegerValue(value, "oscListenPort", std::string(),
                                                        OscSettings::kMinListenPort, OscSettings::kMaxListenPort));
    } catch (const kit::json::Error&) {
        return 0;
    }
}

// A member's value as the warning shows it: numbers as plain numbers, every
// other value as its JSON text.
QString JsonText(const kit::json::Value* value)
{
    if (!value)
        return QStringLiteral("(missing)");
    if (value->IsNumber())
        return QString::number(value->GetDouble(), 'g', 17);
    return QString::fromStdString(kit::json::Write(*value));
}

} // namespace

void OscSettings::Load(const std::string& path)
{
    std::string bytes;
    try {
        bytes = kit::ReadWholeFile(std::filesystem::u8path(path), kMaxFileBytes);
    } catch (const std::runtime_error&) {
        qWarning("Failed to open osc settings file.");
        return;
    }
    // A document that is not a JSON object reads as an empty one, which has
    // no version.
    rapidjson::Document root;
    try {
        kit::json::Parse(root, bytes);
    } catch (const kit::json::Error&) {
        return;
    }
    if (!root.IsObject())
        return;
    const kit::json::Value* version = kit::json::Find(root, "version");
    if (!version || !version->IsString()
        || std::string_view(version->GetString(), version->GetStringLength()) != kVersion)
        return;

    const kit::json::Value* enabled = kit::json::Find(root, "oscEnabled");
    oscEnabled = enabled && enabled->IsBool() && enabled->GetBool();

    const auto port = root.FindMember("oscListenPort");
    const kit::json::Value* portValue = port == root.MemberEnd() ? nullptr : &port->value;
    oscListenPort = portValue ? ListenPortOf(*portValue) : 0;
    if (oscListenPort == 0) {
        qWarning().noquote() << "Invalid OSC listen port" << JsonText(portValue) << "in" << QString::fromStdString(path)
                             << "(a whole number from 1 to 65535 is needed); using" << kDefaultListenPort;
        oscListenPort = kDefaultListenPort;
    }
}

void OscSettings::Save(const std::string& path) const
{
    // Members in key order, four-space indentation, a newline at the end.
    rapidjson::StringBuffer buffer;
    rapidjson::PrettyWriter<rapidjson::StringBuffer> writer(buffer);
    writer.SetIndent(' ', 4);
    writer.StartObject();
    writer.Key("oscEnabled");
    writer.Bool(oscEnabled);
    writer.Key("oscListenPort");
    writer.Int(oscListenPort);
    writer.Key("version");
    writer.String(kVersion);
    writer.EndObject();
    const std::string text = std::string(buffer.GetString(), buffer.GetSize()) + "\n";

    const QString fileName = QString::fromStdString(path);
    const QString folder = QFileInfo(fileName).absolutePath();
    if (!QDir().mkpath(folder))
        throw std::runtime_error("Failed to create path for saving osc settings: " + folder.toStdString());

    try {
        kit::WriteFileAtomically(std::filesystem::u8path(path), text);
    } catch (const std::runtime_error& e) {
        throw std::runtime_error("Failed to save osc settings to " + path + ": " + e.what());
    }
}

} // namespace vand::osc
