import QtQuick
import QtQuick.Layouts
import com.tarnwick.vand_ui

// Chooses an In bar and beat and, with hasOut, an Out bar and beat.
Item {
    id: control
    objectName: "timeLineStartEndSelector"

    property bool hasOut: false
    property bool showSelectAll: true
    property alias inBar: inBarSelector.currentValue
    property alias inBeat: inBeatSelector.currentValue
    property alias outBar: outBarSelector.currentValue
    property alias outBeat: outBeatSelector.currentValue
    // Model of both bar selectors: a list or a list model.
    property var barList: ["hello", "love", "wait"]
    property alias inBarControl: inBarSelector
    property alias outBarControl: outBarSelector

    signal selectAll()
    signal changedStartBarIndex(int index)
    signal changedEndBarIndex(int index)

    implicitHeight: column.implicitHeight
    implicitWidth: column.implicitWidth

    VandTheme { id: theme }

    ColumnLayout {
        id: column
        anchors.fill: parent
        spacing: 10

        GridLayout {
            objectName: "selectorGrid"
            columns: control.hasOut ? 4 : 2

            Text {
                objectName: "inBarHeader"
                text: control.hasOut ? "In Bar" : "Bar"
                color: theme.default_text_color
                font: theme.default_font
            }
            Text {
                objectName: "inBeatHeader"
                text: control.hasOut ? "In Beat" : "Beat"
                color: theme.default_text_color
                font: theme.default_font
            }
            Text {
                objectName: "outBarHeader"
                text: "Out Bar"
                visible: control.hasOut
                color: theme.default_text_color
                font: theme.default_font
            }
            Text {
                objectName: "outBeatHeader"
                text: "Out Beat"
                visible: control.hasOut
                color: theme.default_text_color
                font: theme.default_font
            }

            CustomComboBox {
                id: inBarSelector
                objectName: "inBarSelector"
                Layout.preferredWidth: 64
                model: control.barList
                onCurrentIndexChanged: control.changedStartBarIndex(inBarSelector.currentIndex)
            }
            CustomComboBox {
                id: inBeatSelector
                objectName: "inBeatSelector"
                Layout.preferredWidth: 64
                model: []
            }
            CustomComboBox {
                id: outBarSelector
                objectName: "outBarSelector"
                Layout.preferredWidth: 64
                visible: control.hasOut
                model: control.barList
                onCurrentIndexChanged: control.changedEndBarIndex(outBarSelector.currentIndex)
            }
            CustomComboBox {
                id: outBeatSelector
                objectName: "outBeatSelector"
                Layout.preferredWidth: 64
                visible: control.hasOut
                model: []
            }
        }

        FlatButton {
            objectName: "selectAllButton"
            Layout.alignment: Qt.AlignHCenter
            implicitWidth: 150
            text: "Select All"
            visible: control.showSelectAll && control.hasOut
            onClicked: control.selectAll()
        }
    }
}
