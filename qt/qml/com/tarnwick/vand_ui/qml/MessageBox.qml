import QtQuick
import QtQuick.Layouts

// Bare text panel shown as the root of a view window; no wrapping, no scrolling.
Item {
    property alias text: label.text

    width: 500
    height: 500

    ColumnLayout {
        anchors.fill: parent

        Text {
            id: label
            Layout.alignment: Qt.AlignLeft | Qt.AlignTop
        }
    }
}
