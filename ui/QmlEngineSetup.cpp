#include "QmlEngineSetup.h"

#include <QQmlEngine>
#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(com_tarnwick_vand_uiPlugin)
Q_IMPORT_QML_PLUGIN(com_tarnwick_pelorin2_uiPlugin)

namespace vand::qt {

void PrepareQmlEngine(QQmlEngine& engine)
{
    const QString path = QStringLiteral("qrc:/qt/qml");
    if (!engine.importPathList().contains(path))
        engine.addImportPath(path);
}

} // namespace vand::qt
