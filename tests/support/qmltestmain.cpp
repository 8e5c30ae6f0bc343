// Runner of the Qt Quick tests: every engine gets the project's QML modules,
// and every warning an engine reports (a binding, reference or type error, a
// QML type's own warning) fails the test function that is running, or the
// run when no test function is, as QmlWarningGuard fails a C++ test.
#include <QByteArray>
#include <QList>
#include <QObject>
#include <QQmlEngine>
#include <QQmlError>
#include <QTest>
#include <QtQuickTest>

#include "ui/QmlEngineSetup.h"

#ifdef VAND_QML_TEST_ENGINE_HOOK
// A test's own additions to every engine (image providers, stand-ins): a
// function of the test's sources, named by the compile definition
// VAND_QML_TEST_ENGINE_HOOK.
void VAND_QML_TEST_ENGINE_HOOK(QQmlEngine& engine);
#endif

class VandQmlTestSetup : public QObject
{
    Q_OBJECT
public slots:
    void qmlEngineAvailable(QQmlEngine* engine)
    {
        vand::qt::PrepareQmlEngine(*engine);
#ifdef VAND_QML_TEST_ENGINE_HOOK
        VAND_QML_TEST_ENGINE_HOOK(*engine);
#endif
        connect(engine, &QQmlEngine::warnings, this, &VandQmlTestSetup::FailOnWarnings);
    }

private:
    static void FailOnWarnings(const QList<QQmlError>& warnings)
    {
        for (const QQmlError& warning : warnings) {
            const QByteArray text = ("QML warning: " + warning.toString()).toUtf8();
            const QByteArray file = warning.url().toString().toUtf8();
            QTest::qFail(text.constData(), file.constData(), warning.line());
        }
    }
};

int main(int argc, char** argv)
{
    QTEST_SET_MAIN_SOURCE_PATH
    VandQmlTestSetup setup;
    return quick_test_main_with_setup(argc, argv, VAND_QML_TEST_NAME, nullptr, &setup);
}

#include "qmltestmain.moc"
