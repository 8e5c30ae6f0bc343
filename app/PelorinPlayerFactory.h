#pragma once

#include "app/PlayerFactory.h"

namespace vand::qt {

// This product's identity and player engine.
class PelorinPlayerFactory : public vand::PlayerFactory
{
public:
    PelorinPlayerFactory();
    ~PelorinPlayerFactory() override;

    // Creates the product's engine on the data folder and raises any failure
    // of its start-up threads here. Defined in PelorinPlayerFactoryEngine.cpp.
    std::unique_ptr<AudioInterface> CreateAudioInterface(const QString& showFolder,
                                                         std::shared_ptr<vand::PlayerOscCallback> oscCallback) override;
};

} // namespace vand::qt
