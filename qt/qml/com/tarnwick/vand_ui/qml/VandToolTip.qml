pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls.Basic

// Styled tooltip over `host`. Delay, timeout and placement are left to the
// host. Until it is first shown only these settings exist: its popup is built
// then, so a view full of tipped controls builds no popups at start.
QtObject {
    id: root

    // The item the tip stands over.
    property Item host: null
    property string text
    property int delay: 0
    property int timeout: -1
    property bool visible: false
    // The popup's y over the host; NaN keeps the style's place above it.
    property real y: NaN
    readonly property real height: popup ? popup.height : 0
    readonly property bool opened: popup !== null && popup.opened
    // The popup, once built.
    property ToolTip popup: null

    onVisibleChanged: {
        if (!visible || popup || !host)
            return;
        const tip = popupComponent.createObject(host) as ToolTip;
        if (!isNaN(root.y))
            tip.y = Qt.binding(() => root.y);
        // Shown through the binding, so that the delay applies.
        tip.visible = Qt.binding(() => root.visible);
        popup = tip;
    }

    readonly property Component popupComponent: Component {
        ToolTip {
            id: control

            text: root.text
            delay: root.delay
            timeout: root.timeout

            VandTheme { id: theme }

            contentItem: Text {
                text: control.text
                font: theme.default_font
                color: theme.light_text_color
            }

            background: Rectangle {
                color: theme.lighter_bg_color_popup
                border.color: theme.light_border_color
            }
        }
    }
}
