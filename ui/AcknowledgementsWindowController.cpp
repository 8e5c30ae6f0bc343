#include "AcknowledgementsWindowController.h"

#include <QFile>
#include <QUrl>

#include "ui/ViewProperty.h"

namespace vand::qt {

AcknowledgementsWindowController::AcknowledgementsWindowController(QObject* parent, QQmlEngine* engine,
                                                                   const QString& path)
    : QmlController(engine, QUrl(QStringLiteral("qrc:/qt/qml/com/tarnwick/vand_ui/qml/AcknowledgementsWindow.qml")),
                    parent, true)
{
    QFile file(path);
    QString text;
    if (file.open(QIODevice::ReadOnly | QIODevice::Text))
        text = QString::fromUtf8(file.readAll());
    else
        text = QStringLiteral("Error: Unable to Load Acknowledgements.");
    file.close();

    SetViewProperty(rootObject_, "acknowledgementText", text);
}

} // namespace vand::qt
