import QtQuick
import QtQuick.Layouts
import QtQuick.Window

// Window at the root of every edit-event dialog: fixed in size from its
// creation on, application-modal, with the theme that the dialog's items
// (and the frame's components without a theme of their own) read as `theme`.
// The tool controllers write `isEdit` and `eventId`; the dialog emits
// `inBarChanged()` and `inBeatChanged()` from its bar and beat panel.
Window {
    id: root

    property bool isEdit: false
    property string eventId: ""
    property alias theme: theme
    property alias topSpacer: topSpacer
    property alias windowHeight: root.height

    signal inBarChanged()
    signal inBeatChanged()
    signal windowClosing()

    width: 360
    height: 300
    title: qsTr("Edit Tool")
    modality: Qt.ApplicationModal
    flags: Qt.Dialog

    onClosing: root.windowClosing()

    // The size the dialog's own bindings give now is kept: the bindings are
    // dropped, so content that grows later cannot resize the window.
    Component.onCompleted: {
        const fixedWidth = width;
        const fixedHeight = height;
        width = fixedWidth;
        height = fixedHeight;
        minimumWidth = fixedWidth;
        maximumWidth = fixedWidth;
        minimumHeight = fixedHeight;
        maximumHeight = fixedHeight;
    }

    VandTheme { id: theme }

    Rectangle {
        objectName: "background"
        anchors.fill: parent
        color: theme.default_bg_color
    }

    RowLayout {
        id: topSpacer
        objectName: "topSpacer"
        anchors.top: parent.top
        anchors.left: parent.left
        anchors.right: parent.right
        height: root.height / 10

        Rectangle {
            color: "transparent"
            Layout.fillWidth: true
            Layout.fillHeight: true
        }
    }
}
