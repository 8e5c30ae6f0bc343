import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Window
import Qt5Compat.GraphicalEffects

// The system's dark drop-down list. Its own key rules: Space opens and picks,
// Enter/Return pick and report `activated` (or `enterPressed` while closed),
// Up/Down only move inside the open list. The list is kept inside its window.
// Reads `theme` from the document that places it.
Item {
    id: root

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
        const row = control.popup.contentItem.currentIndex;
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

    // Places the list below the control, or moves it up so that it ends 6 px
    // above the bottom of the window (the list cannot leave its window).
    function checkScreenFloor() {
        const win = root.Window.window;
        if (!win)
            return;
        const corner = root.mapToItem(null, 0, 0);
        const overlap = (corner.y + control.popup.height) - win.height;
        if (overlap > 0)
            control.popup.y = control.height - 1 - overlap - 35;
        else
            control.popup.y = control.height - 1;
    }

    implicitWidth: control.implicitWidth
    implicitHeight: control.implicitHeight

    Component.onCompleted: isCompleted = true

    DropShadow {
        anchors.fill: control
        source: control.background
        horizontalOffset: root.offsetSize / 2
        verticalOffset: root.offsetSize
        radius: 8
        spread: 0
        samples: 32
        color: "#66000000"
        transparentBorder: true
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

            width: ListView.view ? ListView.view.width : implicitWidth
            implicitHeight: 40
            highlighted: ListView.isCurrentItem
            padding: 0

            readonly property string rowText: root.getDisplayText(typeof modelData === "undefined" ? undefined : modelData,
                                                                  typeof model === "undefined" ? undefined : model)

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
                        control.currentIndex = index;
                        control.triggerActivated();
                        control.popup.close();
                    }
                }
            }
        }

        popup: Popup {
            id: choicesPopup
            objectName: "choices"

            readonly property real windowHeight: root.Window.window ? root.Window.window.height : Screen.height

            x: 0
            y: control.height - 1
            width: Math.max(control.width, root.minimumPopupWidth)
            height: Math.min(listView.contentHeight + topPadding + bottomPadding,
                             Screen.height / 2, Math.max(0, windowHeight - 10))
            padding: 1

            onAboutToShow: {
                control.arrowSelection = false;
                listView.currentIndex = Qt.binding(() => control.highlightedIndex);
                root.checkScreenFloor();
            }
            // The rows exist only while the list is shown, so its height
            // settles after opening.
            onOpened: root.checkScreenFloor()
            onHeightChanged: if (visible) root.checkScreenFloor()

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
