pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts

// Dark menu whose entries show their keyboard shortcut in the platform's
// notation.
// The root is "control": inside an entry "menu" names the entry's own
// `menu` property, which is null once the entry leaves its menu.
Menu {
    id: control

    property string backgroundColor: theme.lighter_bg_color_popup.toString()
    // Platform whose shortcut notation is shown; tests set it.
    property string platformName: Qt.platform.os
    // Least room between an entry's text and its shortcut label.
    readonly property int entryGap: 24

    // Held in a property: a child item of a Menu would become one of its entries.
    readonly property Item themeInstance: VandTheme { id: theme }

    // As wide as its widest entry (text, shortcut label and a gap between
    // them, or text and submenu arrow), never narrower than the style's menu.
    contentWidth: {
        let widest = 0;
        for (let i = 0; i < count; ++i) {
            const item = itemAt(i);
            if (!item || !item.contentItem)
                continue;
            const label = item.contentItem.shortcutLabel;
            const gap = label && label.text !== "" ? entryGap : 0;
            const arrow = item.subMenu && item.arrow ? item.arrow.width : 0;
            widest = Math.max(widest, item.contentItem.implicitWidth + item.leftPadding + item.rightPadding
                                      + gap + arrow);
        }
        return widest;
    }

    // macOS draws modifier symbols; every other platform uses the Windows
    // names, where a shortcut written with "Cmd" has already become "Ctrl".
    function formatShortCutAsNativeString(shortcut) {
        if (shortcut === undefined || shortcut === null)
            return "";
        let text = String(shortcut);
        if (text === "")
            return "";
        const platform = String(platformName).toLowerCase();
        text = text.toUpperCase();
        if (platform === "osx" || platform === "macos") {
            return text.split("CMD").join("⌘")
                       .split("CTRL").join("^")
                       .split("SHIFT").join("⇧")
                       .split("BACKSPACE").join("⌫")
                       .split("ALT").join("⌥")
                       .split("+").join("")
                       .split(" ").join("Space")
                       .split("RIGHT").join("▶");
        }
        return text.split("CMD").join("INVALID")
                   .split("CTRL").join("Ctrl")
                   .split("SHIFT").join("Shift")
                   .split("ALT").join("Alt")
                   .split("BACKSPACE").join("Backspace")
                   .split(" ").join("Space")
                   .split("RIGHT").join("Right Arrow");
    }

    delegate: MenuItem {
        id: menuItem
        objectName: "vandCustomMenuItem"

        implicitHeight: 40

        contentItem: RowLayout {
            readonly property alias shortcutLabel: shortcutLabel
            spacing: 0

            Text {
                objectName: "entryText"
                Layout.fillWidth: true
                text: menuItem.text
                font.pixelSize: theme.default_font.pixelSize
                horizontalAlignment: Text.AlignLeft
                verticalAlignment: Text.AlignVCenter
                elide: Text.ElideRight
                color: menuItem.enabled ? theme.light_text_color : Qt.darker(theme.light_text_color, 2.5)
            }
            Text {
                id: shortcutLabel
                objectName: "shortcutText"
                visible: !menuItem.subMenu
                text: menuItem.action && menuItem.action.shortcut !== undefined
                      ? control.formatShortCutAsNativeString(menuItem.action.shortcut) : ""
                font.pixelSize: theme.default_font.pixelSize
                verticalAlignment: Text.AlignVCenter
                color: Qt.darker(theme.light_text_color, 2.5)
            }
            Item {
                implicitWidth: 0
            }
        }

        arrow: Canvas {
            objectName: "submenuArrow"
            x: menuItem.width - width
            implicitWidth: 40
            implicitHeight: 40
            visible: menuItem.subMenu
            onVisibleChanged: requestPaint()
            onPaint: {
                const ctx = getContext("2d");
                ctx.reset();
                ctx.fillStyle = menuItem.highlighted ? "#ffffff" : "#AAAAAA";
                ctx.moveTo(15, 15);
                ctx.lineTo(width - 15, height / 2);
                ctx.lineTo(15, height - 15);
                ctx.closePath();
                ctx.fill();
            }
            Connections {
                target: menuItem
                function onHighlightedChanged() { (menuItem.arrow as Canvas).requestPaint(); }
            }
        }

        background: Rectangle {
            implicitHeight: 40
            color: menuItem.highlighted ? theme.default_selected_color : control.backgroundColor
        }
    }
}
