// Writes PNG pictures of the library's controls (gallery, input dialog, About
// box, acknowledgements) into a folder, for looking at them. A tool, not a test:
//   QT_QPA_PLATFORM=offscreen ui_controls_gallery <folder>
#include <QDir>
#include <QGuiApplication>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickStyle>
#include <QQuickWindow>
#include <QTest>
#include <iostream>
#include <memory>

#include "Grab.h"
#include "ui/AboutWindowController.h"
#include "ui/InputDialogController.h"
#include "ui/QmlEngineSetup.h"

namespace {

bool Save(QObject* object, const QString& folder, const QString& name)
{
    QTest::qWait(200); // let animations and images settle before the picture
    const QString path = QDir(folder).filePath(name);
    const bool ok = vand::test::GrabToPng(object, path);
    std::cout << (ok ? "wrote " : "FAILED ") << path.toStdString() << '\n';
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    QQuickStyle::setStyle(QStringLiteral("Basic"));
    QGuiApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QDir().mkpath(folder);

    QQmlEngine engine;
    vand::qt::PrepareQmlEngine(engine);
    bool ok = true;

    QQmlComponent gallery(&engine, QUrl(QStringLiteral("qrc:/gallery/ControlsGallery.qml")));
    std::unique_ptr<QObject> galleryWindow(gallery.create());
    if (!galleryWindow) {
        std::cerr << gallery.errorString().toStdString();
        return 1;
    }
    ok &= Save(galleryWindow.get(), folder, QStringLiteral("controls.png"));

    vand::qt::InputDialogController input(
        "You have unsaved changes.  If you quit now, they will be lost forever.", "Unsaved Changes", 1,
        nullptr, &engine, {}, true);
    input.SetConfirmationPreamble(QStringLiteral("Read the <a href=\"https://example.invalid\">notes</a> first."));
    input.SetProperty(QStringLiteral("negateButtonText"), QStringLiteral("Cancel"));
    input.SetProperty(QStringLiteral("showNegateButton"), true);
    std::unique_ptr<QObject> inputWindow(input.GetQmlObject());
    ok &= Save(inputWindow.get(), folder, QStringLiteral("input_dialog.png"));

    QQmlComponent aboutHost(&engine);
    aboutHost.setData("import QtQuick\nimport com.tarnwick.vand_ui\n"
                      "Window { width: 800; height: 500; visible: true; color: \"#202020\"\n"
                      " AboutWindow { objectName: \"about\" } }\n",
                      QUrl(QStringLiteral("qrc:/gallery/AboutHost.qml")));
    std::unique_ptr<QObject> aboutWindow(aboutHost.create());
    if (!aboutWindow) {
        std::cerr << aboutHost.errorString().toStdString();
        return 1;
    }
    auto* about = aboutWindow->findChild<QObject*>(QStringLiteral("about"));
    vand::qt::AboutWindowController controller(
        about, &engine, QStringLiteral(VAND_VERSION), QStringLiteral("qrc:/images/pelorin_logo_light_long"),
        QStringLiteral(":/qt/qml/com/tarnwick/pelorin2_ui/resources/text/acknowledgements.txt"), QString());
    QMetaObject::invokeMethod(about, "open");
    ok &= Save(aboutWindow.get(), folder, QStringLiteral("about.png"));

    QMetaObject::invokeMethod(about, "acknowledgementsClicked");
    ok &= Save(controller.GetAcknowledgementsWindow()->GetQmlObject(), folder,
               QStringLiteral("acknowledgements.png"));
    return ok ? 0 : 1;
}
