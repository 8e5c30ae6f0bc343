#include "vand_pelorin2/Pelorin2AudioInterface.h"

namespace vand {
namespace {

player::EngineOptions ProductOptions(player::EngineOptions options) {
  options.dataSubfolder = Pelorin2AudioInterface::kDataSubfolder;
  options.logPrefix = Pelorin2AudioInterface::kLogPrefix;
  return options;
}

}  // namespace

Pelorin2AudioInterface::Pelorin2AudioInterface(const std::string& showFolderUtf8, const std::string& dataFolderUtf8,
                                               std::shared_ptr<vand::PlayerOscCallback> osc)
    : Pelorin2AudioInterface(showFolderUtf8, dataFolderUtf8, std::move(osc), player::EngineOptions{}) {}

Pelorin2AudioInterface::Pelorin2AudioInterface(const std::string& showFolderUtf8, const std::string& dataFolderUtf8,
                                               std::shared_ptr<vand::PlayerOscCallback> osc,
                                               player::EngineOptions options)
    : AudioInterface(showFolderUtf8, dataFolderUtf8, std::move(osc), ProductOptions(std::move(options))) {}

Pelorin2AudioInterface::~Pelorin2AudioInterface() = default;

void Pelorin2AudioInterface::DoOscProcessing(bool on) { AudioInterface::DoOscProcessing(on); }

void Pelorin2AudioInterface::SetOscControlDefaultPort(std::uint16_t port) {
  AudioInterface::SetOscControlDefaultPort(port);
}

}  // namespace vand
