#include "vand_core/qt/MetaTypes.h"

#include <QStandardPaths>
#include <QString>

#include <mutex>

namespace vand::core {

void RegisterQtMetaTypes() {
  static std::once_flag once;
  std::call_once(once, [] {
    qRegisterMetaType<CL::Osc>("CL::Osc");
    qRegisterMetaType<CL::OscProperties>("CL::OscProperties");
    qRegisterMetaType<CL::SfxProperties>("CL::SfxProperties");
    qRegisterMetaType<CL::OutputPath>("CL::OutputPath");
    qRegisterMetaType<CL::NetworkPath>("CL::NetworkPath");
    qRegisterMetaType<CL::NetworkPathVectorT>("CL::NetworkPathVectorT");
    qRegisterMetaType<TL::BarsBeats>("TL::BarsBeats");
    qRegisterMetaType<cmn::VandEvent*>("cmn::VandEvent*");
    qRegisterMetaType<const cmn::VandEvent*>("const cmn::VandEvent*");
    qRegisterMetaType<vand::ShowIdentity>("vand::ShowIdentity");
    qRegisterMetaType<std::string>("std::string");
    qRegisterMetaType<UInt8>("UInt8");
    qRegisterMetaType<UInt16>("UInt16");
    qRegisterMetaType<UInt32>("UInt32");
    qRegisterMetaType<Int16>("Int16");
    qRegisterMetaType<Int32>("Int32");
  });
}

void InitDataFolderFromQt() {
  const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
  if (!base.isEmpty()) {
    vand::SetDefaultDataFolder(std::filesystem::path(base.toStdString()) / "pelorin");
  }
}

}  // namespace vand::core
