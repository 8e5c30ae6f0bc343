pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Window

// The system's dark drop-down list. Its own key rules: Space opens and picks,
// Enter/Return pick and report `activated` (or `enterPressed` while closed),
// Up/Down only move inside the open list. The list opens in a frameless
// window of its own under the box, so it may reach beyond its dialog (up to
// half the screen), and is moved up where it would run off the screen; a
// press elsewhere in the dialog, Escape, or the dialog moving or losing the
// focus closes it.
Item {
    id: root

    VandTheme { id: theme }

    property alias model: control.model
    property alias textRole: control.textRole
    property alias valueRole: control.valueRole
    property alias currentIndex: control.currentIndex
    property alias currentValue: control.currentValue
    property alias count: control.count
    property alias displayText: control.displayText
    property alias delegate: control.delegate
    property alias choices: control.popup
    property alias comboControl: control
    property alias mainLabel: label
    property int minimumPopupWidth: -1
    property int offsetSize: 2
    property bool isCompleted: false
    property font font: theme.default_font
    property color default_bg_color: "#1b1b1b"
    property color default_popup_bg_color: Qt.lighter("#1b1b1b", 1.8)
    // The window that shows the list; made at the first opening.
    property Window listWindow: null
    // Where the list lies: its top edge relative to the control (below it,
    // or moved up at the bottom of the screen), its width and its height.
    property real listY: control.height - 1
    readonly property int listWidth: Math.ceil(Math.max(control.width, minimumPopupWidth))
    readonly property int listHeight: Math.floor(Math.min(listView.contentHeight + choicesPopup.topPadding
                                                          + choicesPopup.bottomPadding, Screen.height / 2))

    signal activated(int index)
    signal enterPressed()

    function valueAt(index: int): int {
        return control.valueAt(index);
    }

    function indexOfValue(value: int): int {
        return control.indexOfValue(value);
    }

    function handleKeyPressed(event) {
        const open = control.popup.visible;
        const list = control.popup.contentItem;
        switch (event.key) {
        case Qt.Key_Space:
            if (!open) {
                control.popup.open();
            } else {
                choosePopupRow();
                control.popup.close();
            }
            event.accepted = true;
            break;
        case Qt.Key_Enter:
        case Qt.Key_Return:
            if (!open) {
                root.enterPressed();
            } else {
                choosePopupRow();
                control.triggerActivated();
                control.popup.close();
            }
            event.accepted = true;
            break;
        case Qt.Key_Up:
            if (open) {
                list.currentIndex = Math.max(0, list.currentIndex - 1);
                control.arrowSelection = true;
            }
            event.accepted = true;
            break;
        case Qt.Key_Down:
            if (open) {
                list.currentIndex = Math.min(control.count - 1, list.currentIndex + 1);
                control.arrowSelection = true;
            }
            event.accepted = true;
            break;
        default:
            break;
        }
    }

    // The list's current row becomes the chosen row.
    function choosePopupRow() {
        const row = (control.popup.contentItem as ListView).currentIndex;
        if (row !== -1 && row !== control.currentIndex)
            control.currentIndex = row;
    }

    // Text of a row of the default delegate.
    function getDisplayText(modelData, rowModel) {
        if (control.textRole) {
            let shown;
            if (modelData !== undefined && modelData !== null)
                shown = typeof modelData === "string" ? modelData : modelData[control.textRole];
            else if (rowModel !== undefined && rowModel !== null)
                shown = rowModel[control.textRole];
            return shown === undefined || shown === null ? qsTr("Undefined") : String(shown);
        }
        return modelData === undefined || modelData === null ? "" : String(modelData);
    }

    // Qt Quick's Qt.application has `screens`; qmllint's type of it does not.
    function screensOf(application) {
        return application.screens;
    }

    // The first of the application's screens whose rectangle holds the point
    // (edges included), or null.
    function determineScreen(point) {
        const screens = screensOf(Qt.application);
        for (let i = 0; i < screens.length; ++i) {
            const s = screens[i];
            if (point.x >= s.virtualX && point.x <= s.virtualX + s.width
                    && point.y >= s.virtualY && point.y <= s.virtualY + s.height)
                return s;
        }
        return null;
    }

    // Places the list below the control, or moves it up so that it does not
    // run off the bottom of the screen the control is on.
    function checkScreenFloor() {
        if (!root.Window.window)
            return;
        const corner = root.mapToGlobal(0, 0);
        const screen = determineScreen(corner);
        if (!screen)
            return;
        const overlap = (corner.y + listHeight) - (screen.virtualY + screen.height);
        if (overlap > 0)
            listY = control.height - 1 - overlap - 35;
        else
            listY = control.height - 1;
    }

    // Puts the list's window where the list lies relative to the control and
    // shows it.
    function placeListWindow() {
        if (!listWindow || !root.Window.window || !control.popup.visible)
            return;
        const corner = root.mapToGlobal(0, listY);
        listWindow.x = Math.round(corner.x);
        listWindow.y = Math.round(corner.y);
        listWindow.visible = true;
    }

    function settleList() {
        checkScreenFloor();
        placeListWindow();
    }

    Component {
        id: listWindowComponent

        // A window of the tool-tip kind, which no platform makes the active
        // window: the dialog keeps the keyboard focus, the control keeps the
        // list open and its keys act on it.
        Window {
            objectName: "choicesWindow"
            flags: Qt.ToolTip | Qt.FramelessWindowHint | Qt.WindowDoesNotAcceptFocus
            transientParent: root.Window.window
            width: Math.max(1, root.listWidth)
            height: Math.max(1, root.listHeight)
            color: root.default_bg_color
        }
    }

    implicitWidth: control.implicitWidth
    implicitHeight: control.implicitHeight

    Component.onCompleted: isCompleted = true
    onListHeightChanged: if (choicesPopup.visible) settleList()

    // A press anywhere else in the dialog closes the list and still reaches
    // what lies under it; a press on the control is its own (it toggles).
    MouseArea {
        id: outsidePress
        objectName: "outsidePress"
        parent: root.Window.window ? root.Window.window.contentItem : root
        anchors.fill: parent
        z: 1000000
        visible: choicesPopup.visible
        acceptedButtons: Qt.AllButtons
        onPressed: (mouse) => {
            mouse.accepted = false;
            const onControl = control.mapFromItem(outsidePress, mouse.x, mouse.y);
            if (!control.contains(onControl))
                control.popup.close();
        }
    }

    Shortcut {
        sequence: "Escape"
        enabled: choicesPopup.visible
        onActivated: control.popup.close()
    }

    Connections {
        target: choicesPopup.visible ? root.Window.window : null
        function onXChanged() { control.popup.close(); }
        function onYChanged() { control.popup.close(); }
        function onActiveChanged() {
            if (!root.Window.window.active)
                control.popup.close();
        }
        function onVisibleChanged() { control.popup.close(); }
    }

    VandDropShadow {
        anchors.fill: control
        source: control.background
        horizontalOffset: root.offsetSize / 2
        verticalOffset: root.offsetSize
        radius: 8
        spread: 0
        samples: 32
        color: "#66000000"
        transparentBorder: true
        // Drawn once, and again only when the box changes.
        cached: true
    }

    ComboBox {
        id: control
        objectName: "comboControl"

        property bool arrowSelection: false

        function triggerActivated() {
            root.activated(control.currentIndex);
        }

        anchors.fill: parent
        implicitHeight: 30
        font: root.font
        enabled: root.enabled

        Keys.onPressed: (event) => root.handleKeyPressed(event)
        // The control's own release handling would pick or toggle once more.
        Keys.onReleased: (event) => {
            if (event.key === Qt.Key_Space || event.key === Qt.Key_Enter || event.key === Qt.Key_Return)
                event.accepted = true;
        }

        background: Rectangle {
            implicitWidth: 120
            implicitHeight: 40
            radius: 0
            color: !control.enabled ? Qt.lighter("#525252", 0.50)
                 : control.pressed ? Qt.lighter(root.default_bg_color, 0.8)
                 : control.hovered ? Qt.lighter(root.default_bg_color, 1.3)
                 : root.default_bg_color

            BasicBevel {}

            Rectangle {
                objectName: "focusBorder"
                anchors.fill: parent
                color: "transparent"
                border.width: 2
                border.color: theme.default_selected_color_intense
                opacity: 0.7
                visible: control.activeFocus
            }
        }

        contentItem: Item {}

        Text {
            id: label
            objectName: "mainLabel"
            x: 8
            height: control.height
            width: control.width - indicatorCanvas.width - 15
            text: control.displayText
            font: root.font
            verticalAlignment: Text.AlignVCenter
            elide: Text.ElideRight
            color: !control.enabled ? "gray" : (control.pressed ? "silver" : "white")
        }

        indicator: Canvas {
            id: indicatorCanvas
            x: control.width - width - control.rightPadding
            y: control.topPadding + (control.availableHeight - height) / 2
            width: 12
            height: 8
            contextType: "2d"

            readonly property bool pressedState: control.pressed
            readonly property bool enabledState: control.enabled
            onPressedStateChanged: requestPaint()
            onEnabledStateChanged: requestPaint()

            onPaint: {
                const ctx = getContext("2d");
                ctx.reset();
                ctx.moveTo(0, 0);
                ctx.lineTo(width, 0);
                ctx.lineTo(width / 2, height);
                ctx.closePath();
                ctx.fillStyle = !control.enabled ? "gray" : (control.pressed ? "silver" : "white");
                ctx.fill();
            }
        }

        delegate: ItemDelegate {
            id: row

            required property var model
            required property int index

            width: ListView.view ? ListView.view.width : implicitWidth
            implicitHeight: 40
            highlighted: ListView.isCurrentItem
            padding: 0

            readonly property string rowText: root.getDisplayText(row.model.modelData, row.model)

            contentItem: Rectangle {
                color: row.highlighted || (rowMouse.containsMouse && !control.arrowSelection)
                       ? Qt.lighter(root.default_popup_bg_color, 1.3) : root.default_popup_bg_color

                Text {
                    id: rowLabel
                    objectName: "rowText"
                    x: 5
                    width: parent.width - 10
                    height: parent.height
                    text: row.rowText
                    color: "white"
                    font: root.font
                    verticalAlignment: Text.AlignVCenter
                    elide: Text.ElideRight

                    ToolTip.text: row.rowText
                    ToolTip.visible: rowMouse.containsMouse && rowLabel.truncated
                    ToolTip.delay: 1000
                    ToolTip.timeout: 5000
                }

                MouseArea {
                    id: rowMouse
                    anchors.fill: parent
                    hoverEnabled: true
                    onEntered: control.arrowSelection = false
                    onClicked: {
                        control.currentIndex = row.index;
                        control.triggerActivated();
                        control.popup.close();
                    }
                }
            }
        }

        popup: Popup {
            id: choicesPopup
            objectName: "choices"

            // In its own window the list fills it; the window lies where
            // the list belongs.
            x: 0
            y: root.listWindow ? 0 : root.listY
            width: root.listWindow ? root.listWindow.width : root.listWidth
            height: root.listWindow ? root.listWindow.height : root.listHeight
            padding: 1

            onAboutToShow: {
                control.arrowSelection = false;
                listView.currentIndex = Qt.binding(() => control.highlightedIndex);
                root.settleList();
            }
            onOpened: {
                // The first opening makes the window and moves the list
                // into it, where it opens again.
                if (!root.listWindow) {
                    root.listWindow = listWindowComponent.createObject(root);
                    choicesPopup.parent = root.listWindow.contentItem;
                }
                // The rows exist only while the list is shown, so its height
                // settles after opening.
                Qt.callLater(root.settleList);
            }
            onClosed: if (root.listWindow) root.listWindow.visible = false

            background: Rectangle {
                color: root.default_bg_color
                border.width: 0
                BasicBevel {}
            }

            contentItem: ListView {
                id: listView
                objectName: "choicesList"
                clip: true
                implicitHeight: contentHeight
                model: control.popup.visible ? control.delegateModel : null
                currentIndex: control.highlightedIndex
                highlightMoveDuration: 0
                boundsBehavior: Flickable.StopAtBounds

                // Lies over the list, not in its scrolling content.
                Component.onCompleted: scrollHandle.parent = listView

                Rectangle {
                    id: scrollHandle
                    objectName: "scrollHandle"
                    x: listView.width - width
                    width: 10
                    y: listView.visibleArea.yPosition * listView.height
                    height: listView.visibleArea.heightRatio * listView.height
                    color: "#69696a"

                    MouseArea {
                        property real grabY: 0
                        anchors.fill: parent
                        onPressed: (mouse) => grabY = mouse.y
                        onPositionChanged: (mouse) => {
                            const range = listView.height - scrollHandle.height;
                            if (range <= 0)
                                return;
                            const barY = Math.min(range, Math.max(0, scrollHandle.y + mouse.y - grabY));
                            listView.contentY = listView.originY
                                    + (barY / range) * (listView.contentHeight - listView.height);
                        }
                    }
                }
            }
        }
    }
}
