#pragma once

#include <QString>
#include <memory>
#include <string>

class AudioInterface;
class Interface;
class QObject;
class QQmlEngine;

namespace vand {

class AppSettings;
class PlayerOscCallback;

// Product identity (names, folders, version, logos, feature switches) and the
// factory of the product's player engine.
class PlayerFactory
{
public:
    PlayerFactory();
    PlayerFactory(const PlayerFactory&) = delete;
    PlayerFactory& operator=(const PlayerFactory&) = delete;

    // Creates and starts the product's player engine; the caller owns it.
    virtual std::unique_ptr<AudioInterface> CreateAudioInterface(
        const QString& showFolder, std::shared_ptr<vand::PlayerOscCallback> oscCallback) = 0;
    virtual ~PlayerFactory();
    // The mixer controller for the main window's mixer item; the base makes none.
    virtual std::unique_ptr<QObject> CreateMixerController(QObject* mixerItem, QQmlEngine* engine,
                                                           std::shared_ptr<vand::AppSettings> settings,
                                                           std::shared_ptr<Interface> player);

    // "major.minor.patch".
    QString VersionString() const;
    QString BuildIdentifier() const;
    // Absolute path of the data folder; created with its parents when missing.
    QString DataFolderPath() const;
    // Path of the error-log folder; created with its parents when missing.
    // Throws std::filesystem::filesystem_error when it cannot be created.
    std::string ErrorLogFolder() const;

    QString displayName;
    QString folderName;
    int productType = 0;
    int versionMajor = 0;
    int versionMinor = 0;
    int versionPatch = 0;
    QString buildIdentifier;
    QString aboutLogoUrl;
    QString cornerLogoUrl;
    bool showAlbumArt = false;
    bool showAudioManager = false;
    bool showFade = false;
    bool showScore = false;
    bool showMixer = false;
    bool timelineFadeRegion = true;
    bool oscEnabled = true;
    bool hideClickToolNotice = false;
};

} // namespace vand
