import QtQuick
import QtTest
import com.tarnwick.vand_ui
import com.tarnwick.musical_ui

// The window's own decisions: one selection across both lists, the button
// enabled only with a selection, the index it reports, and the scroll bar
// only when the rows overflow.
TestCase {
    id: testCase
    name: "ChangelogManagerWindow"
    when: windowShown

    Component {
        id: windowComponent
        ChangelogManagerWindow {}
    }

    Component {
        id: modelComponent
        ListModel {}
    }

    SignalSpy { id: localSpy; signalName: "loadSelectedLocal" }
    SignalSpy { id: serverSpy; signalName: "loadSelectedServer" }

    function rows(count) {
        const model = createTemporaryObject(modelComponent, testCase);
        for (let i = 0; i < count; ++i)
            model.append({ version: "1." + i, modified: "Jan 0" + (i % 9 + 1) + " 2024 10:00 AM" });
        return model;
    }

    function openWindow(localRows, serverRows) {
        const window = createTemporaryObject(windowComponent, testCase);
        window.localModel = rows(localRows);
        window.serverModel = rows(serverRows);
        window.visible = true;
        waitForRendering(window.contentItem);
        localSpy.target = window;
        serverSpy.target = window;
        localSpy.clear();
        serverSpy.clear();
        return window;
    }

    function listView(window, side) {
        return findChild(findChild(window, side), "listView");
    }

    function clickRow(window, side, row) {
        const view = listView(window, side);
        view.positionViewAtIndex(row, ListView.Contain);
        const item = view.itemAtIndex(row);
        verify(item, side + " row " + row);
        mouseClick(item);
    }

    function test_nothingSelectedAtStart() {
        const window = openWindow(3, 2);
        compare(window.title, "Event Log Manager");
        compare(findChild(window, "localList").index, -1);
        compare(findChild(window, "serverList").index, -1);
        const button = findChild(window, "loadSelectedButton");
        verify(!button.enabled);
        mouseClick(button);
        compare(localSpy.count, 0);
        compare(serverSpy.count, 0);
    }

    function test_oneSelectionAcrossBothLists() {
        const window = openWindow(3, 2);
        clickRow(window, "localList", 1);
        compare(findChild(window, "localList").index, 1);
        verify(findChild(window, "loadSelectedButton").enabled);
        clickRow(window, "serverList", 0);
        compare(findChild(window, "localList").index, -1);
        compare(findChild(window, "serverList").index, 0);
        mouseClick(findChild(window, "loadSelectedButton"));
        compare(localSpy.count, 0);
        compare(serverSpy.count, 1);
        compare(serverSpy.signalArguments[0][0], 0);
        // And back: the local row takes the selection again.
        clickRow(window, "localList", 2);
        compare(findChild(window, "serverList").index, -1);
    }

    function test_loadReportsTheRow_data() {
        return [
            { tag: "local first row", side: "localList", row: 0 },
            { tag: "local last row", side: "localList", row: 2 },
            { tag: "server second row", side: "serverList", row: 1 },
            { tag: "server row below the fold", side: "serverList", row: 24 },
        ];
    }

    function test_loadReportsTheRow(data) {
        const window = openWindow(3, 25);
        clickRow(window, data.side, data.row);
        mouseClick(findChild(window, "loadSelectedButton"));
        const spy = data.side === "localList" ? localSpy : serverSpy;
        const other = data.side === "localList" ? serverSpy : localSpy;
        compare(spy.count, 1);
        compare(spy.signalArguments[0][0], data.row);
        compare(other.count, 0);
        // The window stays; its owner closes it.
        verify(window.visible);
    }

    function test_rowsShowBothRoles() {
        const window = openWindow(1, 0);
        const item = listView(window, "localList").itemAtIndex(0);
        compare(findChild(item, "versionText").text, "1.0");
        compare(findChild(item, "modifiedText").text, "Jan 01 2024 10:00 AM");
        const header = findChild(findChild(window, "localList"), "headerLabel1");
        compare(header.text, "Modified");
        fuzzyCompare(findChild(item, "modifiedText").width, header.width, 0.01);
    }

    function test_scrollBarOnlyOnOverflow_data() {
        return [
            { tag: "three rows", count: 3, shown: false },
            { tag: "no rows", count: 0, shown: false },
            { tag: "forty rows", count: 40, shown: true },
        ];
    }

    function test_scrollBarOnlyOnOverflow(data) {
        const window = openWindow(data.count, 0);
        const bar = findChild(findChild(window, "localList"), "scrollBar");
        compare(bar.visible, data.shown);
    }
}
