#include "PanelWindow.h"

#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QUrl>
#include <QVariant>

namespace vand::test {

namespace {

QString WindowQml(const PanelWindowOptions& options)
{
    QString qml = QStringLiteral("import QtQuick\nimport QtQuick.Window\n");
    if (options.editPanel)
        qml += QStringLiteral("import QtQuick.Layouts\n");
    qml += QStringLiteral("import com.tarnwick.musical_ui\n");
    qml += QStringLiteral("Window { width: %1; height: %2; visible: true").arg(options.width).arg(options.height);
    if (options.color.isValid())
        qml += QStringLiteral("; color: \"%1\"").arg(options.color.name());
    qml += QStringLiteral("\n  property alias timelinePanel: timelinePanel\n");
    if (!options.editPanel)
        return qml + QStringLiteral("  TimeLineEditPanel { id: timelinePanel; width: parent.width } }");
    qml += QStringLiteral("  property alias editPanel: editPanel\n"
                          "  ColumnLayout { anchors.fill: parent; spacing: 0\n"
                          "    TimeLineEditPanel { id: timelinePanel; Layout.fillWidth: true }\n"
                          "    EditPanel { id: editPanel; Layout.fillWidth: true; Layout.fillHeight: true");
    if (options.oscEnable)
        qml += *options.oscEnable ? QStringLiteral("; oscEnable: true") : QStringLiteral("; oscEnable: false");
    return qml + QStringLiteral(" } } }");
}

} // namespace

std::unique_ptr<QQuickWindow> MakePanelWindow(QQmlEngine& qml, const PanelWindowOptions& options, QString& error)
{
    QQmlComponent component(&qml);
    component.setData(WindowQml(options).toUtf8(), QUrl(QStringLiteral("qrc:/vand_test/PanelWindow.qml")));
    std::unique_ptr<QQuickWindow> window(qobject_cast<QQuickWindow*>(component.create()));
    if (!window)
        error = component.errorString();
    return window;
}

QQuickItem* PanelTimeline(QQuickWindow& window)
{
    QObject* panel = window.property("timelinePanel").value<QObject*>();
    return panel ? panel->property("timelineControl").value<QQuickItem*>() : nullptr;
}

QQuickItem* PanelEditPanel(QQuickWindow& window)
{
    return window.property("editPanel").value<QQuickItem*>();
}

} // namespace vand::test
