// Pictures of the sound-effect views, for looking at them, not a check of
// pixels, written into the working folder as <window objectName>.png:
//   pin_icons.png                  the two pin icons, at their size and enlarged
//   active_audio.png               the active-audio list
//   sfx_manager.png                the manager window, one instance playing
//   instance_tool.png              the instance dialog editing an instance
//   custom_audio_tool.png          the custom audio dialog with a file chosen
//   custom_audio_tool_effect.png   the same dialog on a library effect
// Each window stands under a strip with its title (there is no window
// manager to draw one). Labelled "look"; the test script leaves it out.
// Under Xvfb (QT_QPA_PLATFORM=xcb) the graphical effects are drawn too.

#include <QImage>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickWindow>
#include <QTest>
#include <memory>

#include "Grab.h"
#include "QmlWarningGuard.h"
#include "ui/QmlEngineSetup.h"

class LookSfxViews : public QObject
{
    Q_OBJECT
private slots:
    void lookAtTheViews()
    {
        vand::test::QmlWarningGuard guard;
        QQmlEngine engine;
        vand::qt::PrepareQmlEngine(engine);
        QQmlComponent component(&engine, QUrl("qrc:/look/SfxScenes.qml"));
        QVERIFY2(component.isReady(), qPrintable(component.errorString()));
        std::unique_ptr<QObject> scenes(component.create());
        QVERIFY(scenes);

        for (const char* name : {"pin_icons", "active_audio", "sfx_manager", "instance_tool", "custom_audio_tool",
                                 "custom_audio_tool_effect"}) {
            auto* window = scenes->findChild<QQuickWindow*>(name);
            QVERIFY2(window, name);
            QVERIFY2(QTest::qWaitForWindowExposed(window), name);
            QTest::qWait(50);
            QVERIFY(vand::test::GrabWithTitle(window).save(QStringLiteral("%1.png").arg(name)));
        }
        QVERIFY2(guard.warnings().isEmpty(), qPrintable(guard.warnings().join('\n')));
    }
};

QTEST_MAIN(LookSfxViews)
#include "look_sfxviews.moc"
