// Runner of the Qt Quick tests: every engine gets the project's QML modules.
#include <QObject>
#include <QQmlEngine>
#include <QtQuickTest>

#include "ui/QmlEngineSetup.h"

class VandQmlTestSetup : public QObject
{
    Q_OBJECT
public slots:
    void qmlEngineAvailable(QQmlEngine* engine) { vand::qt::PrepareQmlEngine(*engine); }
};

QUICK_TEST_MAIN_WITH_SETUP(VAND_QML_TEST_NAME, VandQmlTestSetup)

#include "qmltestmain.moc"
