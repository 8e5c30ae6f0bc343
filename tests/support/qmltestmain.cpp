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

int main(int argc, char** argv)
{
    QTEST_SET_MAIN_SOURCE_PATH
    VandQmlTestSetup setup;
    return quick_test_main_with_setup(argc, argv, VAND_QML_TEST_NAME, nullptr, &setup);
}

#include "qmltestmain.moc"
