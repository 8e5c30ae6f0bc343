pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls.Basic
import com.tarnwick.vand_ui as Vand

// Single-line text field sunk into the surface. Selects its whole text when
// it gains the focus; Copy, Cut and Paste on a right click (that menu is
// built the first time it opens).
Rectangle {
    id: root

    property alias text: field.text
    property alias textColor: field.color
    property alias editable: field.enabled
    property alias horizontalAlignment: field.horizontalAlignment
    property int textIndent: 5
    property alias font: field.font
    property alias field: field
    property alias backgroundColor: background.color
    property alias rectHeight: root.implicitHeight

    signal editingFinished()
    signal textEdited()

    color: "transparent"
    clip: true
    implicitHeight: field.implicitHeight + 6
    implicitWidth: field.implicitWidth

    // Focus given to the item goes on into the field.
    onActiveFocusChanged: if (activeFocus && !field.activeFocus) field.forceActiveFocus()

    Rectangle {
        id: background
        objectName: "background"
        anchors.fill: parent
        color: field.enabled ? Qt.lighter(Vand.VandThemeValues.default_bg_color, 1.25)
                             : Qt.lighter(Qt.lighter(Vand.VandThemeValues.default_bg_color, 1.25), .8)

        RecessedBevel {}

        Rectangle {
            objectName: "focusBorder"
            anchors.fill: parent
            color: "transparent"
            border.width: 2
            border.color: Vand.VandThemeValues.default_selected_color_intense
            opacity: 0.7
            visible: field.activeFocus
        }
    }

    TextInput {
        id: field
        objectName: "field"
        anchors.fill: parent
        anchors.leftMargin: root.textIndent
        color: enabled ? Vand.VandThemeValues.default_text_color : Qt.lighter(Vand.VandThemeValues.default_text_color, 0.8)
        font: Vand.VandThemeValues.default_font
        verticalAlignment: TextInput.AlignVCenter
        selectByMouse: true
        selectionColor: Vand.VandThemeValues.default_selected_color_intense
        activeFocusOnTab: true
        clip: true

        onActiveFocusChanged: if (activeFocus) selectAll()
        onEditingFinished: root.editingFinished()
        onTextEdited: root.textEdited()
    }

    MouseArea {
        anchors.fill: field
        acceptedButtons: Qt.RightButton
        onClicked: {
            if (!root.contextMenu)
                root.contextMenu = contextMenuComponent.createObject(root) as VandCustomMenu;
            root.contextMenu.open();
        }
    }

    // Built on the first right click. A bound component keeps its creation
    // context only through createObject (Qt 6.4's Loader gives it another).
    property VandCustomMenu contextMenu: null

    Component {
        id: contextMenuComponent

        VandCustomMenu {
            objectName: "contextMenu"
            parent: root

            Action {
                objectName: "copyAction"
                text: qsTr("Copy")
                enabled: field.selectedText !== ""
                onTriggered: field.copy()
            }
            Action {
                objectName: "cutAction"
                text: qsTr("Cut")
                enabled: field.selectedText !== ""
                onTriggered: field.cut()
            }
            Action {
                objectName: "pasteAction"
                text: qsTr("Paste")
                onTriggered: field.paste()
            }
        }
    }
}
