#include "app/PelorinPlayerFactory.h"

namespace vand::qt {

PelorinPlayerFactory::PelorinPlayerFactory()
{
    displayName = QStringLiteral("Pelorin");
    folderName = QStringLiteral("pelorin");
    productType = 1;
    // Version and build identifier come from the build (vand_version).
    versionMajor = VAND_VERSION_MAJOR;
    versionMinor = VAND_VERSION_MINOR;
    versionPatch = VAND_VERSION_PATCH;
    buildIdentifier = QStringLiteral(VAND_BUILD_IDENTIFIER);
    aboutLogoUrl = QStringLiteral("qrc:/images/pelorin_logo_light_long");
    cornerLogoUrl = QStringLiteral("qrc:/images/pelorin");
    showAlbumArt = true;
    showAudioManager = true;
    showFade = true;
    showScore = true;
    showMixer = false;
    timelineFadeRegion = true;
    oscEnabled = true;
    hideClickToolNotice = false;
}

PelorinPlayerFactory::~PelorinPlayerFactory() = default;

} // namespace vand::qt
