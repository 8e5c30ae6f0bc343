#include "AppQmlEngineSetup.h"

#include <QQmlEngine>
#include <QtQml/qqmlextensionplugin.h>

#include "show/ScoreImageProvider.h"
#include "ui/QmlEngineSetup.h"

Q_IMPORT_QML_PLUGIN(com_tarnwick_musical_uiPlugin)

namespace vand::qt {

void PrepareAppQmlEngine(QQmlEngine& engine)
{
    PrepareQmlEngine(engine);
    RegisterScoreImageProvider(engine);
}

} // namespace vand::qt
