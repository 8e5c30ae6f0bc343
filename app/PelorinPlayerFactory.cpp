#include "app/PelorinPlayerFactory.h"

#ifndef VAND_BUILD_IDENTIFIER
#define VAND_BUILD_IDENTIFIER ""
#endif

namespace vand::qt {

PelorinPlayerFactory::PelorinPlayerFactory()
{
    displayName = QStringLiteral("Pelorin");
    folderName = QStringLiteral("pelorin");
    productType = 1;
    versionMajor = 2;
    versionMinor = 15;
    versionPatch = 1;
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
