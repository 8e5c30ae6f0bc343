// The product's player engine, created on the data folder, with MIDI input
// from the ALSA sequencer.
#include "app/PelorinPlayerFactory.h"

#include "vand_midi/RtMidiBackend.h"
#include "vand_pelorin2/Pelorin2AudioInterface.h"

namespace vand::qt {

std::unique_ptr<AudioInterface> PelorinPlayerFactory::CreateAudioInterface(
    const QString& showFolder, std::shared_ptr<vand::PlayerOscCallback> oscCallback)
{
    const std::string dataFolder = DataFolderPath().toUtf8().toStdString();
    const std::string show = showFolder.toUtf8().toStdString();
    vand::player::EngineOptions options;
    options.midi = std::make_shared<vand::midi::RtMidiBackend>(displayName.toUtf8().toStdString());
    std::unique_ptr<AudioInterface> engine =
        std::make_unique<vand::Pelorin2AudioInterface>(show, dataFolder, oscCallback, std::move(options));
    engine->ThrowIfThreadExceptions();
    return engine;
}

} // namespace vand::qt
