#pragma once

#include <memory>
#include <string>

#include "vand_pelorin/AudioInterface.h"
#include "vand_player_core/PlayerOscCallback.h"

namespace vand {

// The product's engine: AudioInterface with the product's identity (its
// files under <data>/pelorin2, its log prefix).
class Pelorin2AudioInterface : public AudioInterface {
 public:
  Pelorin2AudioInterface(const std::string& showFolderUtf8, const std::string& dataFolderUtf8,
                         std::shared_ptr<vand::PlayerOscCallback> osc);
  // With engine options (tests: a manual clock, a MIDI backend); the product's
  // data sub-folder and log prefix are set whatever the options say.
  Pelorin2AudioInterface(const std::string& showFolderUtf8, const std::string& dataFolderUtf8,
                         std::shared_ptr<vand::PlayerOscCallback> osc, vand::player::EngineOptions options);
  ~Pelorin2AudioInterface() override;

  void DoOscProcessing(bool on) override;
  void SetOscControlDefaultPort(std::uint16_t port) override;

  static constexpr const char* kDataSubfolder = "pelorin2";
  static constexpr const char* kLogPrefix = "pelorin2";
};

}  // namespace vand
