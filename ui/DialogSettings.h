#pragma once

#include <QString>

namespace vand::qt {

// Where the message dialog keeps the user's "Do not show again" answers, one
// per dialog name. GUI thread only.
class DialogSettings
{
public:
    virtual ~DialogSettings() = default;

    // True unless the user asked not to see the named dialog again.
    virtual bool GetShowDialog(const QString& name) = 0;
    virtual void SetShowDialog(const QString& name, bool show) = 0;
};

} // namespace vand::qt
