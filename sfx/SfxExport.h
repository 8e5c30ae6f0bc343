#pragma once

// The one export macro of the sfx library. The library is built with hidden
// visibility; only what carries SFX_EXPORT is part of its binary interface.

#include <QtCore/qglobal.h>

#if defined(SFX_BUILDING_LIBRARY)
#define SFX_EXPORT Q_DECL_EXPORT
#else
#define SFX_EXPORT Q_DECL_IMPORT
#endif
