#pragma once

// Qt meta-types of the core records, and of std::string, which signals of
// every layer carry. The only Qt header of vand_core; link target
// vand_core_qt. Include this header rather than declaring std::string again.

#include <QMetaType>

#include <string>

#include "CL/Events.h"
#include "CL/Properties.h"
#include "TL/BarsBeats.h"
#include "cmn/ShowIdentity.h"
#include "cmn/Types.h"
#include "cmn/VandEvent.h"

Q_DECLARE_METATYPE(CL::Osc)
Q_DECLARE_METATYPE(CL::OscProperties)
Q_DECLARE_METATYPE(CL::SfxProperties)
Q_DECLARE_METATYPE(CL::OutputPath)
Q_DECLARE_METATYPE(CL::NetworkPath)
Q_DECLARE_METATYPE(CL::NetworkPathVectorT)
Q_DECLARE_METATYPE(TL::BarsBeats)
Q_DECLARE_METATYPE(cmn::VandEvent*)
Q_DECLARE_METATYPE(const cmn::VandEvent*)
Q_DECLARE_METATYPE(vand::ShowIdentity)
Q_DECLARE_METATYPE(std::string)
// UInt8 and UInt32 are Qt's built-in uchar and uint; RegisterQtMetaTypes adds
// their typedef names.

namespace vand::core {

// Registers the types above (and the names "UInt8", "UInt32", ...) so that
// queued and string-based connections can carry them. Idempotent.
void RegisterQtMetaTypes();

// Sets the default data folder (vand::SetDefaultDataFolder) to
// QStandardPaths::GenericDataLocation joined with "pelorin".
void InitDataFolderFromQt();

}  // namespace vand::core
