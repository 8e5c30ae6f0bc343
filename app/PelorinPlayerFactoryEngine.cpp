// Joins app_core (with VAND_PLAYER_ENGINE=1) once the player engine libraries
// exist; the include below names the engine's product class header.
#include "app/PelorinPlayerFactory.h"

#include "platform/player/Pelorin2AudioInterface.h"

namespace vand::qt {

std::unique_ptr<AudioInterface> PelorinPlayerFactory::CreateAudioInterface(
    const QString& showFolder, std::shared_ptr<vand::PlayerOscCallback> oscCallback)
{
    const std::string dataFolder = DataFolderPath().toUtf8().toStdString();
    const std::string show = showFolder.toUtf8().toStdString();
    std::unique_ptr<AudioInterface> engine =
        std::make_unique<vand::Pelorin2AudioInterface>(show, dataFolder, oscCallback);
    engine->ThrowIfThreadExceptions();
    return engine;
}

} // namespace vand::qt
