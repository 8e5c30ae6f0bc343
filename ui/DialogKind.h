#pragma once

#include <QString>

namespace vand::qt {

// The window type of a dialog kind code: 0 "error", 1 "warning", anything
// else "info".
inline QString DialogKindName(int kind)
{
    switch (kind) {
    case 0:
        return QStringLiteral("error");
    case 1:
        return QStringLiteral("warning");
    default:
        return QStringLiteral("info");
    }
}

} // namespace vand::qt
