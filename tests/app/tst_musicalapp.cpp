// The application object's life: it makes its own QGuiApplication, so this
// test runs without one.

#include <QGuiApplication>
#include <QPointer>
#include <QQmlEngine>
#include <QQuickWindow>
#include <QTest>
#include <QTimer>
#include <cstddef>
#include <memory>

#include "AppFixture.h"
#include "app/MusicalApp.h"
#include "notify/CallbackDispatcher.h"

using app_test::DataFolder;

namespace {

// What was alive when the application's QML engine was destroyed.
struct Observed
{
    QList<QPointer<QWindow>> windows;
    int windowsAliveAtEngineEnd = -1;
};

// Ends the event loop as soon as it runs, after noting the open windows and
// watching the QML engine.
class QuittingFactory : public app_test::TestFactory
{
public:
    explicit QuittingFactory(Observed* observed)
        : observed_(observed)
    {
    }

    std::unique_ptr<AudioInterface> CreateAudioInterface(const QString& showFolder,
                                                         std::shared_ptr<vand::PlayerOscCallback> callback) override
    {
        QTimer::singleShot(0, qApp, [observed = observed_] {
            QQmlEngine* engine = nullptr;
            for (QWindow* window : QGuiApplication::topLevelWindows()) {
                observed->windows << window;
                if (!engine)
                    engine = qmlEngine(window);
            }
            if (engine) {
                QObject::connect(engine, &QObject::destroyed, [observed] {
                    int alive = 0;
                    for (const auto& window : observed->windows)
                        alive += window.isNull() ? 0 : 1;
                    observed->windowsAliveAtEngineEnd = alive;
                });
            }
            QCoreApplication::exit(0);
        });
        return TestFactory::CreateAudioInterface(showFolder, std::move(callback));
    }

private:
    Observed* observed_;
};

} // namespace

class TestMusicalApp : public QObject
{
    Q_OBJECT
private slots:
    // The process-wide dispatcher outlives the application: a subscription
    // left behind would be called with a dangling target by the next one.
    void cleanup() { QCOMPARE(notify::callbackDispatcher->CallbackCount(), std::size_t(0)); }

    void viewsAreGoneBeforeTheEngine()
    {
        DataFolder folder;
        Observed observed;
        char name[] = "tst_musicalapp";
        char* argv[] = {name, nullptr};
        int argc = 1;
        {
            vand::qt::MusicalApp app(argc, argv, std::make_unique<QuittingFactory>(&observed));
            QCOMPARE(app.ExitCode(), 0);
        }
        QVERIFY(!observed.windows.isEmpty());
        QCOMPARE(observed.windowsAliveAtEngineEnd, 0);
    }
};

QTEST_APPLESS_MAIN(TestMusicalApp)
#include "tst_musicalapp.moc"
