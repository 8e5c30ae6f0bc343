#include "app/PlayerFactory.h"

#include <QDir>
#include <QObject>
#include <QStandardPaths>
#include <filesystem>

namespace vand {

PlayerFactory::PlayerFactory() = default;

PlayerFactory::~PlayerFactory() = default;

std::unique_ptr<QObject> PlayerFactory::CreateMixerController(QObject*, QQmlEngine*, std::shared_ptr<vand::AppSettings>,
                                                              std::shared_ptr<Interface>)
{
    return {};
}

QString PlayerFactory::VersionString() const
{
    return QStringLiteral("%1.%2.%3").arg(versionMajor).arg(versionMinor).arg(versionPatch);
}

QString PlayerFactory::BuildIdentifier() const
{
    return buildIdentifier;
}

QString PlayerFactory::DataFolderPath() const
{
    const QString local = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    const QDir folder(QDir::cleanPath(QDir(local + QStringLiteral("/../") + folderName).absolutePath()));
    if (!folder.exists())
        QDir().mkpath(folder.absolutePath());
    return folder.absolutePath();
}

std::string PlayerFactory::ErrorLogFolder() const
{
    const QString shared = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    const std::filesystem::path folder = std::filesystem::path(shared.toStdU16String()) / folderName.toStdU16String();
    if (!std::filesystem::exists(folder))
        std::filesystem::create_directories(folder);
    return folder.string();
}

} // namespace vand
