#include "showcontrol/OscSettings.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>

#include <cmath>
#include <stdexcept>

#include "showcontrol/FileReplace.h"

namespace vand::osc {

namespace {

const QString kVersion = QStringLiteral("1.0");

// The port of a version "1.0" file, or 0 when it is not a whole number in
// the range of a UDP port.
int ListenPortOf(const QJsonValue& value)
{
    if (!value.isDouble())
        return 0;
    const double number = value.toDouble();
    if (number != std::floor(number) || number < 1 || number > 65535)
        return 0;
    return static_cast<int>(number);
}

QString JsonText(const QJsonValue& value)
{
    if (value.isUndefined())
        return QStringLiteral("(missing)");
    if (value.isDouble())
        return QString::number(value.toDouble(), 'g', 17);
    // Arrays, objects and scalars alike: wrap in an array to print.
    const QByteArray json = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(json.mid(1, json.size() - 2));
}

} // namespace

void OscSettings::Load(const std::string& path)
{
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) {
        qWarning("Failed to open osc settings file.");
        return;
    }
    const QByteArray bytes = file.readAll();
    file.close();
    const QJsonObject root = QJsonDocument::fromJson(bytes).object();
    if (root.value(QStringLiteral("version")).toString() != kVersion)
        return;

    const QJsonValue enabled = root.value(QStringLiteral("oscEnabled"));
    oscEnabled = enabled.isBool() && enabled.toBool();

    const QJsonValue port = root.value(QStringLiteral("oscListenPort"));
    oscListenPort = ListenPortOf(port);
    if (oscListenPort == 0) {
        qWarning().noquote() << "Invalid OSC listen port" << JsonText(port) << "in" << file.fileName()
                             << "(a whole number from 1 to 65535 is needed); using" << kDefaultListenPort;
        oscListenPort = kDefaultListenPort;
    }
}

void OscSettings::Save(const std::string& path) const
{
    QJsonObject root;
    root.insert(QStringLiteral("version"), kVersion);
    root.insert(QStringLiteral("oscEnabled"), oscEnabled);
    root.insert(QStringLiteral("oscListenPort"), oscListenPort);

    const QString fileName = QString::fromStdString(path);
    const QString folder = QFileInfo(fileName).absolutePath();
    if (!QDir().mkpath(folder))
        throw std::runtime_error("Failed to create path for saving osc settings: " + folder.toStdString());

    try {
        ReplaceFileContent(fileName, QJsonDocument(root).toJson(QJsonDocument::Indented));
    } catch (const std::runtime_error& e) {
        throw std::runtime_error("Failed to save osc settings to " + fileName.toStdString() + ": " + e.what());
    }
}

} // namespace vand::osc
