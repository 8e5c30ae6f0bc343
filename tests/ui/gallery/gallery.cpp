// Writes PNG pictures of the library's controls (gallery, input dialog, About
// box, acknowledgements, editing controls, two edit-tool dialogs, the
// packaging page and its report) into a folder, for looking at them. A tool,
// not a test:
//   QT_QPA_PLATFORM=offscreen ui_controls_gallery <folder>
// Shader effects (drop shadows, glows) are drawn only with a display, e.g.
// under xvfb-run.
#include <QDir>
#include <QGuiApplication>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickStyle>
#include <QQuickWindow>
#include <QTemporaryDir>
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

std::unique_ptr<QObject> Create(QQmlEngine& engine, const QString& url, const QVariantMap& properties = {})
{
    QQmlComponent component(&engine, QUrl(url));
    std::unique_ptr<QObject> object(component.createWithInitialProperties(properties));
    if (!object)
        std::cerr << component.errorString().toStdString();
    return object;
}

// Fills a dialog's pickers the way a tool controller does.
void FillPickers(QObject* dialog, const QStringList& bars, int inBar, int outBar, const QVariantList& inBeats,
                 const QVariantList& outBeats, int inBeat, int outBeat)
{
    const auto set = [dialog](const char* name, const QVariant& model, int index) {
        if (auto* picker = dialog->findChild<QObject*>(QLatin1String(name))) {
            picker->setProperty("model", model);
            picker->setProperty("currentIndex", index);
        }
    };
    QVariantList barRows; // rows with the role "bar", as the bar list model gives them
    for (const QString& bar : bars)
        barRows.append(QVariantMap{{QStringLiteral("bar"), bar}});
    set("inBarInput", barRows, inBar);
    set("outBarInput", barRows, outBar);
    set("inBeatInput", inBeats, inBeat);
    set("outBeatInput", outBeats, outBeat);
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

    vand::qt::InputDialogController input("You have unsaved changes.  If you quit now, they will be lost forever.",
                                          "Unsaved Changes", 1, nullptr, &engine, {}, true);
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
    ok &= Save(controller.GetAcknowledgementsWindow()->GetQmlObject(), folder, QStringLiteral("acknowledgements.png"));

    std::unique_ptr<QObject> editing = Create(engine, QStringLiteral("qrc:/gallery/EditingGallery.qml"));
    ok &= editing && Save(editing.get(), folder, QStringLiteral("editing_controls.png"));

    std::unique_ptr<QObject> rangeTool = Create(engine, QStringLiteral("qrc:/gallery/SampleRangeTool.qml"));
    if (rangeTool) {
        FillPickers(rangeTool.get(), {"1", "2", "3", "4"}, 0, 2, {1, 2, 3, 4}, {1, 2, 3}, 1, 2);
        ok &= Save(rangeTool.get(), folder, QStringLiteral("edit_tool_range.png"));
    } else {
        ok = false;
    }

    std::unique_ptr<QObject> pointTool = Create(engine, QStringLiteral("qrc:/gallery/SamplePointTool.qml"));
    if (pointTool) {
        FillPickers(pointTool.get(), {"12", "13"}, 1, 1, {1, 2, 3}, {1, 2, 3}, 2, 2);
        ok &= Save(pointTool.get(), folder, QStringLiteral("edit_tool_point.png"));
    } else {
        ok = false;
    }

    // The page keeps its fields in a settings file; the gallery's goes away.
    QTemporaryDir settingsFolder;
    std::unique_ptr<QObject> packager =
        Create(engine, QStringLiteral("qrc:/gallery/PackagerSample.qml"),
               {{QStringLiteral("settingsFileName"), settingsFolder.filePath(QStringLiteral("packager.ini"))}});
    if (packager) {
        ok &= Save(packager.get(), folder, QStringLiteral("packager.png"));
        QMetaObject::invokeMethod(
            packager.get(), "report",
            Q_ARG(QVariant,
                  QVariant(QStringLiteral("Packaged 3 songs into /home/crew/Shows/Demo/package.\n"
                                          "Warning: 02 Opening Number.mid has no tempo map; 120 BPM assumed.\n"
                                          "Warning: score page 14 is missing."))));
        ok &= Save(packager.get(), folder, QStringLiteral("packager_report.png"));
    } else {
        ok = false;
    }
    return ok ? 0 : 1;
}
