// Pictures of the edit-tool dialogs on the demo show, for looking at them,
// not a check of pixels, written into the working folder:
//   edit_tools_new.png   the ten dialogs opened by the toolbar's buttons
//   edit_tools_edit.png  the ten dialogs opened on an existing event
//   click_values.png     the click dialog with its list of values open
//   click_icons.png      every note icon, tinted as the dialog tints it
// Each dialog stands under a strip with its window title (there is no window
// manager to draw one). Labelled "look"; the test script leaves it out.
// Under Xvfb (QT_QPA_PLATFORM=xcb) the graphical effects are drawn too.

#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QQmlComponent>
#include <QQuickWindow>
#include <QTest>
#include <functional>
#include <memory>
#include <vector>

#include "AppFixture.h"
#include "Grab.h"
#include "MainWindowFixture.h"
#include "app/MusicalMainController.h"
#include "edit/EditController.h"
#include "edittools/CaesuraToolController.h"
#include "edittools/ClickToolController.h"
#include "edittools/CountToolControllers.h"
#include "edittools/MarkerToolController.h"
#include "edittools/OscToolController.h"
#include "edittools/RangeToolControllers.h"
#include "model/EditModel.h"

using vand::qt::EditToolController;

namespace {

// The pictures side by side in rows of five.
QImage Sheet(const std::vector<QImage>& pictures)
{
    const int perRow = 5;
    std::vector<int> rowHeights((pictures.size() + perRow - 1) / perRow, 0);
    std::vector<int> rowWidths(rowHeights.size(), 0);
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        rowHeights[i / perRow] = std::max(rowHeights[i / perRow], pictures[i].height());
        rowWidths[i / perRow] += pictures[i].width() + 16;
    }
    int height = 16;
    for (int h : rowHeights)
        height += h + 16;
    QImage sheet(*std::max_element(rowWidths.begin(), rowWidths.end()) + 16, height, QImage::Format_RGB32);
    sheet.fill(QColor("#101010"));
    QPainter painter(&sheet);
    int y = 16;
    for (std::size_t row = 0; row < rowHeights.size(); ++row) {
        int x = 16;
        for (std::size_t i = row * perRow; i < std::min(pictures.size(), (row + 1) * perRow); ++i) {
            painter.drawImage(x, y, pictures[i]);
            x += pictures[i].width() + 16;
        }
        y += rowHeights[row] + 16;
    }
    return sheet;
}

} // namespace

class LookEditTools : public QObject, public app_test::MainWindowFixture<>
{
    Q_OBJECT
private:
    cmn::VandEvent* Listed(const std::string& id) const
    {
        auto* model = controller->GetEditModel().get();
        for (const auto& event : model->changeLogPanelEvents) {
            if (event->EventId() == id)
                return event.get();
        }
        for (cmn::VandEvent* marker : model->markers) {
            if (marker->EventId() == id)
                return marker;
        }
        return nullptr;
    }
    // Pictures the dialog of the tool just opened, then cancels it.
    QImage Take(EditToolController* tool)
    {
        auto* dialog = tool ? qobject_cast<QQuickWindow*>(tool->GetQmlObject()) : nullptr;
        if (!dialog || !QTest::qWaitForWindowExposed(dialog))
            return {};
        QTest::qWait(50);
        const QImage picture = vand::test::GrabWithTitle(dialog);
        dialog->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return picture;
    }

private slots:
    void initTestCase()
    {
        SetUpTestCase();
        factory = std::make_unique<app_test::TestFactory>();
        factory->hideClickToolNotice = true;
        Build();
        factory->script->clock->Pump();
        QCoreApplication::sendPostedEvents();
    }

    void cleanupTestCase()
    {
        controller.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void lookAtNewEvents()
    {
        // Point tools at a tick after bar 2 beat 3, ranges over bars 2 and 3.
        const std::vector<std::pair<const char*, std::function<EditToolController*()>>> buttons{
            {"caesura", [this] { return controller->GetCaesuraTool(); }},
            {"click", [this] { return controller->GetClickTool(); }},
            {"cut", [this] { return controller->GetCutTool(); }},
            {"marker", [this] { return controller->GetMarkerTool(); }},
            {"osc", [this] { return controller->GetOscTool(); }},
            {"repeat", [this] { return controller->GetRepeatTool(); }},
            {"skip", [this] { return controller->GetSkipTool(); }},
            {"tempo", [this] { return controller->GetTempoTool(); }},
            {"transpose", [this] { return controller->GetTransposeTool(); }},
            {"vamp", [this] { return controller->GetVampTool(); }}};
        std::vector<QImage> pictures;
        for (const auto& [button, tool] : buttons) {
            const QByteArray signal = QByteArray(button) + "ButtonPressed";
            const bool point = QByteArray("caesura marker osc").contains(button);
            if (point)
                QMetaObject::invokeMethod(window, signal.constData(), Q_ARG(int, 4510));
            else
                QMetaObject::invokeMethod(window, signal.constData(), Q_ARG(int, 3500), Q_ARG(int, 7500));
            pictures.push_back(Take(tool()));
            QVERIFY(!pictures.back().isNull());
        }
        QVERIFY(Sheet(pictures).save(QDir::current().filePath(QStringLiteral("edit_tools_new.png"))));
    }

    void lookAtExistingEvents()
    {
        std::vector<QImage> pictures;
        const std::vector<std::pair<std::string, std::string>> events{
            {"1", "N9"}, {"2", "L1"},  {"3", "B5"},  {"1", "E5"},  {"1", "S1"},
            {"1", "A5"}, {"2", "M11"}, {"1", "D10"}, {"2", "C13"}, {"2", "V3"}};
        const std::vector<std::function<EditToolController*()>> tools{
            [this] { return controller->GetCaesuraTool(); },   [this] { return controller->GetClickTool(); },
            [this] { return controller->GetCutTool(); },       [this] { return controller->GetMarkerTool(); },
            [this] { return controller->GetOscTool(); },       [this] { return controller->GetRepeatTool(); },
            [this] { return controller->GetSkipTool(); },      [this] { return controller->GetTempoTool(); },
            [this] { return controller->GetTransposeTool(); }, [this] { return controller->GetVampTool(); }};
        for (std::size_t i = 0; i < events.size(); ++i) {
            LoadSong(events[i].first);
            cmn::VandEvent* event = Listed(events[i].second);
            QVERIFY(event);
            controller->onEditButton(event);
            pictures.push_back(Take(tools[i]()));
            QVERIFY(!pictures.back().isNull());
        }
        QVERIFY(Sheet(pictures).save(QDir::current().filePath(QStringLiteral("edit_tools_edit.png"))));
    }

    void lookAtTheClickValues()
    {
        LoadSong("2");
        controller->onEditButton(Listed("L1"));
        auto* dialog = qobject_cast<QQuickWindow*>(controller->GetClickTool()->GetQmlObject());
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        QObject* values = dialog->findChild<QObject*>(QStringLiteral("clickCountInput"));
        QMetaObject::invokeMethod(values->property("choices").value<QObject*>(), "open");
        QTest::qWait(200);
        // The open list is a window of its own: drawn over the dialog where
        // it lies.
        auto* list = values->property("listWindow").value<QQuickWindow*>();
        QVERIFY(list && list->isVisible());
        const QImage framed = vand::test::GrabWithTitle(dialog);
        const QPoint at = list->position() - dialog->position() + QPoint(0, framed.height() - dialog->height());
        QImage picture(std::max(framed.width(), at.x() + list->width()),
                       std::max(framed.height(), at.y() + list->height()), QImage::Format_RGB32);
        picture.fill(Qt::black);
        QPainter painter(&picture);
        painter.drawImage(0, 0, framed);
        painter.drawImage(at, list->grabWindow());
        painter.end();
        QVERIFY(picture.save(QDir::current().filePath(QStringLiteral("click_values.png"))));
        dialog->close();
    }

    void lookAtTheClickIcons()
    {
        QQmlComponent component(&engine);
        component.setData("import QtQuick\nimport Qt5Compat.GraphicalEffects\n"
                          "Window { width: 15 * 48 + 16; height: 72; color: '#2b2b2b'; visible: true\n"
                          "  Row { x: 8; y: 8; spacing: 8\n"
                          "    Repeater { model: [1, 2, 3, 4, 6, 7, 8, 12, 14, 16, 24, 28, 30, 31, 32]\n"
                          "      Column { Image { width: 40; height: 40; sourceSize: Qt.size(40, 40)\n"
                          "          source: 'qrc:/images/notehead-' + modelData + '.svg'\n"
                          "          layer.enabled: true; layer.effect: ColorOverlay { color: '#ffffff' } }\n"
                          "        Text { text: modelData; color: 'white'; width: 40;"
                          " horizontalAlignment: Text.AlignHCenter } } } } }",
                          QUrl(QStringLiteral("qrc:/look/Icons.qml")));
        std::unique_ptr<QObject> sheet(component.create());
        QVERIFY2(sheet, qPrintable(component.errorString()));
        auto* icons = qobject_cast<QQuickWindow*>(sheet.get());
        QVERIFY(QTest::qWaitForWindowExposed(icons));
        QTest::qWait(100);
        QVERIFY(icons->grabWindow().save(QDir::current().filePath(QStringLiteral("click_icons.png"))));
    }
};

QTEST_MAIN(LookEditTools)
#include "look_edittools.moc"
