import QtQuick
import QtQuick.Controls.Basic
import QtTest
import com.tarnwick.vand_ui

Item {
    id: top
    width: 500
    height: 200

    VandTheme { id: theme }

    CustomTabBar {
        id: tabBar
        width: 480
        currentIndex: 0
        CustomTabButton { id: tabA; text: "Playlist"; source: "qrc:/images/info_icon.svg"; hoverEnabled: true }
        CustomTabButton { id: tabB; text: "Markers"; source: "qrc:/images/info_icon.svg"; hoverEnabled: true }
        CustomTabButton { id: tabC; text: "Events"; source: "qrc:/images/info_icon.svg"; hoverEnabled: true }
    }

    TabBar {
        id: modeBar
        y: 100
        spacing: 0
        background: Rectangle { color: theme.default_bg_color }
        ModeTabButton { id: modeA; text: "Music Edit"; font: theme.default_font; hoverEnabled: true }
        ModeTabButton { id: modeB; text: "Score"; font: theme.default_font; hoverEnabled: true }
    }

    TestCase {
        name: "Tabs"
        when: windowShown

        function init() {
            tabBar.currentIndex = 0;
            tabB.showHoverEffect = false;
            tabB.enabled = true;
            modeBar.currentIndex = 0;
            modeB.enabled = true;
            mouseMove(top, 490, 190);
        }

        function test_bottom_line_open_under_selected_data() {
            return [ { tag: "first", index: 0 }, { tag: "middle", index: 1 }, { tag: "last", index: 2 } ];
        }

        function test_bottom_line_open_under_selected(data) {
            tabBar.currentIndex = data.index;
            const tab = [tabA, tabB, tabC][data.index];
            const before = findChild(tabBar, "lineBeforeSelected");
            const after = findChild(tabBar, "lineAfterSelected");
            const inBar = tab.mapToItem(tabBar, 0, 0).x;
            compare(before.x + before.width, inBar);
            compare(after.x, inBar + tab.width);
            compare(before.y, tabBar.height - 1);
            verify(tab.isSelected);
            compare(findChild(tab, "label").color, theme.tab_selected_text_color);
            verify(tab.font.bold);
        }

        function test_width_from_content() {
            verify(tabA.width > 0);
            compare(tabA.width, Math.floor(1.3 * tabA.contentItem.implicitWidth));
        }

        function test_hover_without_effect_changes_nothing() {
            const background = findChild(tabB, "background");
            const colour = background.color;
            mouseMove(tabB, 10, 10);
            tryVerify(() => tabB.hovered);
            compare(background.color, colour);
            compare(findChild(tabB, "topStrip").color, Qt.color("transparent"));
        }

        function test_selected_hovered_with_effect_is_white() {
            tabBar.currentIndex = 1;
            tabB.showHoverEffect = true;
            mouseMove(tabB, 10, 10);
            tryVerify(() => tabB.hovered);
            compare(findChild(tabB, "topStrip").color, Qt.color("white"));
            compare(findChild(tabB, "background").color, theme.default_bg_hover_color);
        }

        function test_mode_tabs() {
            compare(modeA.height, 35);
            compare(findChild(modeA, "label").color, Qt.color("white"));
            compare(findChild(modeB, "label").color, Qt.color("gray"));
            mouseMove(modeA, 10, 10);
            tryVerify(() => modeA.hovered);
            compare(findChild(modeA, "cursorArea").cursorShape, Qt.ArrowCursor);
            mouseMove(modeB, 10, 10);
            tryVerify(() => modeB.hovered);
            compare(findChild(modeB, "cursorArea").cursorShape, Qt.PointingHandCursor);
            compare(findChild(modeB, "background").color, Qt.lighter(theme.default_bg_color, 1.3));
            modeB.enabled = false;
            compare(findChild(modeB, "label").color, Qt.color("dimgray"));
        }
    }
}
