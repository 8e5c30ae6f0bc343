pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls.Basic

// Compact pop-up menu as wide as its longest entry.
Menu {
    id: menu

    readonly property Item themeInstance: VandTheme { id: theme }

    width: {
        let result = 0;
        let padding = 0;
        for (let i = 0; i < count; ++i) {
            const item = itemAt(i);
            if (!item)
                continue;
            if (item.contentItem)
                result = Math.max(item.contentItem.implicitWidth, result);
            padding = Math.max(item.padding, padding);
        }
        return result + padding * 2 + 20;
    }

    delegate: MenuItem {
        id: menuItem

        implicitWidth: parent ? parent.width : 0
        implicitHeight: 40

        contentItem: Text {
            leftPadding: menuItem.checkable && menuItem.indicator ? menuItem.indicator.width : 0
            rightPadding: menuItem.subMenu && menuItem.arrow ? menuItem.arrow.width : 0
            text: menuItem.text
            font: menuItem.font
            color: theme.default_text_color
            horizontalAlignment: Text.AlignLeft
            verticalAlignment: Text.AlignVCenter
            elide: Text.ElideRight
        }

        arrow: Canvas {
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
            opacity: menuItem.enabled ? 1 : 0.3
            color: menuItem.highlighted ? Qt.lighter(theme.lighter_bg_color_popup, 1.25) : "transparent"
        }
    }

    background: Rectangle {
        color: theme.lighter_bg_color_popup
    }
}
