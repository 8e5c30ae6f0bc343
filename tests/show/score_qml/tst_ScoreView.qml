import QtQuick
import QtTest
import com.tarnwick.musical_ui
import "qrc:/qt/qml/com/tarnwick/musical_ui/qml/ScoreLayout.js" as ScoreLayout

Item {
    id: top
    width: 1000
    height: 800

    Component {
        id: viewComponent
        ScoreView {}
    }

    SignalSpy {
        id: pageSpy
        signalName: "pageChanged"
    }

    TestCase {
        name: "ScoreView"
        when: windowShown

        function pages(count, provider) {
            const list = [];
            for (let i = 1; i <= count; ++i)
                list.push("image://" + (provider || "testpages") + "/p" + i);
            return list;
        }

        function numbers(count) {
            const list = [];
            for (let i = 1; i <= count; ++i)
                list.push(i);
            return list;
        }

        // A view as the controller leaves it: numbers and list set, then
        // updateImages() from the event queue.
        function makeView(list, pageNumbers, twoUp) {
            const view = createTemporaryObject(viewComponent, top,
                                               {width: top.width, height: top.height, twoUpMode: twoUp === true});
            verify(view);
            view.pageNumbers = pageNumbers;
            view.imageListModel = list;
            view.updateImages();
            pageSpy.target = view;
            pageSpy.clear();
            return view;
        }

        function image(view, name) {
            const item = findChild(view, name);
            verify(item, name);
            return item;
        }

        function waitUntilShown(view) {
            tryVerify(function() {
                const left = image(view, "leftPageShown");
                const right = image(view, "rightPageShown");
                return left.status !== Image.Loading && right.status !== Image.Loading
                        && !image(view, "leftPageBack").visible && !image(view, "rightPageBack").visible;
            });
        }

        function button(view, name) {
            const item = findChild(view, name);
            verify(item, name);
            return item;
        }

        function test_slotsShowTheSpreadOfTheIndex_data() {
            // "" is a blank slot; a fresh view starts at index 0, so an index
            // beyond the list leaves the left slot as index 0 showed it.
            const P = function(n) { return "image://testpages/p" + n; };
            return [
                {tag: "single, 5 pages, 0", count: 5, twoUp: false, index: 0, left: P(1), right: ""},
                {tag: "single, 5 pages, 1", count: 5, twoUp: false, index: 1, left: P(2), right: ""},
                {tag: "single, 5 pages, 2", count: 5, twoUp: false, index: 2, left: P(3), right: ""},
                {tag: "single, 5 pages, 3", count: 5, twoUp: false, index: 3, left: P(4), right: ""},
                {tag: "single, 5 pages, 4", count: 5, twoUp: false, index: 4, left: P(5), right: ""},
                {tag: "single, 5 pages, 5", count: 5, twoUp: false, index: 5, left: P(1), right: ""},
                {tag: "single, 4 pages, 3", count: 4, twoUp: false, index: 3, left: P(4), right: ""},
                {tag: "single, 4 pages, 4", count: 4, twoUp: false, index: 4, left: P(1), right: ""},
                {tag: "double, 5 pages, 0", count: 5, twoUp: true, index: 0, left: "", right: P(1)},
                {tag: "double, 5 pages, 1", count: 5, twoUp: true, index: 1, left: P(2), right: P(3)},
                {tag: "double, 5 pages, 2", count: 5, twoUp: true, index: 2, left: P(2), right: P(3)},
                {tag: "double, 5 pages, 3", count: 5, twoUp: true, index: 3, left: P(4), right: P(5)},
                {tag: "double, 5 pages, 4", count: 5, twoUp: true, index: 4, left: P(4), right: P(5)},
                {tag: "double, 5 pages, 5", count: 5, twoUp: true, index: 5, left: "", right: ""},
                {tag: "double, 4 pages, 0", count: 4, twoUp: true, index: 0, left: "", right: P(1)},
                {tag: "double, 4 pages, 1", count: 4, twoUp: true, index: 1, left: P(2), right: P(3)},
                {tag: "double, 4 pages, 2", count: 4, twoUp: true, index: 2, left: P(2), right: P(3)},
                {tag: "double, 4 pages, 3", count: 4, twoUp: true, index: 3, left: P(4), right: ""},
                {tag: "double, 4 pages, 4", count: 4, twoUp: true, index: 4, left: P(4), right: ""},
                {tag: "double, 4 pages, 5", count: 4, twoUp: true, index: 5, left: "", right: ""},
            ];
        }
        function test_slotsShowTheSpreadOfTheIndex(data) {
            const view = makeView(pages(data.count), numbers(data.count), data.twoUp);
            waitUntilShown(view);
            view.currentIndex = data.index;
            waitUntilShown(view);
            compare(view.currentImage1, data.left);
            compare(view.currentImage2, data.right);
            compare(String(image(view, "leftPageShown").source), data.left);
            compare(image(view, "rightPage").visible, data.twoUp);
        }

        function test_buttonsAskForThePageOfTheNewIndex_data() {
            return [
                {tag: "single, Previous at the start", twoUp: false, index: 0, button: "previousButton", page: 1},
                {tag: "single, Previous", twoUp: false, index: 3, button: "previousButton", page: 3},
                {tag: "single, Next", twoUp: false, index: 2, button: "nextButton", page: 4},
                {tag: "single, Next at the end", twoUp: false, index: 4, button: "nextButton", page: 5},
                {tag: "double, Next from the first spread", twoUp: true, index: 0, button: "nextButton", page: 3},
                {tag: "double, Next to the last page", twoUp: true, index: 2, button: "nextButton", page: 5},
                {tag: "double, Previous to the first spread", twoUp: true, index: 1, button: "previousButton",
                 page: 1},
                {tag: "double, Previous", twoUp: true, index: 4, button: "previousButton", page: 3},
            ];
        }
        function test_buttonsAskForThePageOfTheNewIndex(data) {
            const view = makeView(pages(5), numbers(5), data.twoUp);
            view.currentIndex = data.index;
            mouseClick(button(view, data.button));
            compare(pageSpy.count, 1);
            compare(pageSpy.signalArguments[0][0], data.page);
            // The view waits for the player's page to come back.
            compare(view.currentIndex, data.index);
        }

        // A cover page 0, a gap at 3 and a duplicate 5: the view names and
        // asks for the package's page numbers, not index + 1.
        function test_pageNumbersComeFromTheList_data() {
            return [
                {tag: "cover", index: 0, text: "Page 0 of 7", previous: 0, next: 1},
                {tag: "before the gap", index: 2, text: "Page 2 of 7", previous: 1, next: 4},
                {tag: "after the gap", index: 3, text: "Page 4 of 7", previous: 2, next: 5},
                {tag: "first of two 5s", index: 4, text: "Page 5 of 7", previous: 4, next: 5},
                {tag: "second of two 5s", index: 5, text: "Page 5 of 7", previous: 5, next: 6},
            ];
        }
        function test_pageNumbersComeFromTheList(data) {
            const view = makeView(pages(7), [0, 1, 2, 4, 5, 5, 6], false);
            view.currentIndex = data.index;
            compare(findChild(view, "pageText").text, data.text);
            mouseClick(button(view, "previousButton"));
            mouseClick(button(view, "nextButton"));
            compare(pageSpy.count, 2);
            compare(pageSpy.signalArguments[0][0], data.previous);
            compare(pageSpy.signalArguments[1][0], data.next);
        }

        // Without pages the buttons would ask for page 1 or 0 mid-show.
        function test_noNavigationWithoutPages_data() {
            return [
                {tag: "no list yet", list: null, text: "No Score"},
                {tag: "empty list", list: [], text: "Page 1 of 0"},
            ];
        }
        function test_noNavigationWithoutPages(data) {
            const view = makeView(data.list, data.list, false);
            compare(findChild(view, "pageText").text, data.text);
            for (const name of ["previousButton", "nextButton"]) {
                compare(button(view, name).enabled, false, name);
                mouseClick(button(view, name));
            }
            view.showPrevious();
            view.showNext();
            compare(pageSpy.count, 0);
        }

        // The shown image keeps the old page until the new one is ready, so
        // a turn never flashes a blank page.
        function test_shownImageChangesOnlyOnceTheNewPageIsReady() {
            const view = makeView(pages(5, "slowpages"), numbers(5), false);
            const shown = image(view, "leftPageShown");
            const back = image(view, "leftPageBack");
            compare(view.currentImage1, "image://slowpages/p1");
            tryVerify(function() { return slowPages.pendingCount("p1") > 0; });
            slowPages.release("p1");
            tryCompare(shown, "status", Image.Ready);

            view.currentIndex = 1;
            tryVerify(function() { return slowPages.pendingCount("p2") > 0; });
            tryCompare(back, "visible", true);
            compare(view.currentImage1, "image://slowpages/p1");
            compare(String(shown.source), "image://slowpages/p1");
            compare(shown.status, Image.Ready);

            slowPages.release("p2");
            tryCompare(view, "currentImage1", "image://slowpages/p2");
            compare(back.visible, false);
            tryCompare(shown, "status", Image.Ready);
        }

        // Page 4 of a list with a cover page and a gap sits at index 3.
        function test_enteredPageGoesThroughTheList_data() {
            return [
                {tag: "a page", text: "4", index: 3},
                {tag: "the cover", text: "0", index: 0},
                {tag: "a page the list lacks", text: "3", index: 1},
                {tag: "not a number", text: "abc", index: 1},
                {tag: "a fraction", text: "2.5", index: 1},
            ];
        }
        function test_enteredPageGoesThroughTheList(data) {
            const view = makeView(pages(5), [0, 1, 2, 4, 5], false);
            view.currentIndex = 1;
            const prompt = findChild(view, "pagePrompt");
            compare(prompt.promptText, "Enter Page");
            compare(button(view, "goToPageButton").visible, false);
            prompt.open();
            const popup = findChild(prompt, "jumpToBarPopup");
            tryVerify(function() { return popup.opened; });
            const field = findChild(prompt, "barField");
            tryVerify(function() { return field.activeFocus; });
            for (let i = 0; i < data.text.length; ++i)
                keyClick(data.text[i]);
            keyClick(Qt.Key_Return);
            compare(view.currentIndex, data.index);
            compare(pageSpy.count, 0);
            prompt.exit();
            tryVerify(function() { return !popup.visible; });
        }

        function test_doublePageButtonOpensTheBook() {
            const view = makeView(pages(5), numbers(5), false);
            const area = findChild(view, "pageArea");
            const singleWidth = view.baseWidth;
            compare(singleWidth, area.width);
            view.currentIndex = 2;
            waitUntilShown(view);
            compare(view.currentImage2, "");

            const toggle = button(view, "pageModeButton");
            compare(toggle.text, "Double Page");
            mouseClick(toggle);
            compare(view.twoUpMode, true);
            compare(toggle.text, "Single Page");
            compare(view.baseWidth, singleWidth / 2);
            // Loaded at once, without waiting for a page event.
            compare(view.currentImage1, "image://testpages/p2");
            compare(view.currentImage2, "image://testpages/p3");

            mouseClick(toggle);
            compare(view.twoUpMode, false);
            compare(view.currentImage1, "image://testpages/p3");
            compare(view.currentImage2, "");
        }

        // A new list (a new show) replaces the pages of both slots.
        function test_newListReplacesBothPages() {
            const view = makeView(pages(5), numbers(5), true);
            view.currentIndex = 1;
            waitUntilShown(view);
            const other = ["image://testpages/q1", "image://testpages/q2", "image://testpages/q3"];
            view.pageNumbers = numbers(3);
            view.imageListModel = other;
            view.updateImages();
            compare(view.currentImage1, "image://testpages/q2");
            compare(view.currentImage2, "image://testpages/q3");
        }

        function test_zoomKeepsTheCentre_data() {
            return [
                {tag: "fits before and after", contentX: 0, area: 800, oldWidth: 400, newWidth: 700, x: 0},
                {tag: "from fitting to wider", contentX: 0, area: 800, oldWidth: 800, newWidth: 1600, x: 400},
                {tag: "left part in view", contentX: 100, area: 800, oldWidth: 1600, newWidth: 2400, x: 350},
                {tag: "near the left", contentX: 0, area: 800, oldWidth: 4000, newWidth: 4400, x: 40},
                {tag: "clamped at the left", contentX: 0, area: 800, oldWidth: 1000, newWidth: 900, x: 0},
                // Centred content: its middle stays in the middle.
                {tag: "from a centred page", contentX: 0, area: 800, oldWidth: 400, newWidth: 1200, x: 200},
                {tag: "clamped at the right", contentX: 1200, area: 800, oldWidth: 2000, newWidth: 1000, x: 200},
                {tag: "zoom out to fitting", contentX: 500, area: 800, oldWidth: 1600, newWidth: 800, x: 0},
            ];
        }
        function test_zoomKeepsTheCentre(data) {
            const x = ScoreLayout.zoomedContentX(data.contentX, data.area, data.oldWidth, data.newWidth);
            fuzzyCompare(x, data.x, 1e-9);
            if (x > 0 && x < data.newWidth - data.area) {
                // The point at the centre stays at the centre.
                const before = (data.contentX + data.area / 2 - ScoreLayout.centreOffset(data.area, data.oldWidth))
                        / data.oldWidth;
                fuzzyCompare((x + data.area / 2) / data.newWidth, before, 1e-9);
            }
        }

        // At zoom 1 the pages sit in the middle of the area, unscrolled;
        // zoomed in, the area scrolls to keep its centre.
        function test_zoomSliderScrollsAroundTheCentre() {
            const view = makeView(pages(5), numbers(5), false);
            waitUntilShown(view);
            const area = findChild(view, "pageArea");
            const row = findChild(view, "pageRow");
            const shown = image(view, "leftPageShown");
            // Laid out on the next frame.
            tryVerify(function() { return area.height > 0 && shown.paintedWidth > 0; });
            compare(area.contentX, 0);
            verify(shown.paintedWidth < area.width);
            // The painted page starts where centring puts it.
            fuzzyCompare(row.x + (shown.width - shown.paintedWidth) / 2, (area.width - shown.paintedWidth) / 2, 1);

            const slider = findChild(view, "zoomSlider");
            slider.value = 3;
            compare(slider.lastZoom, 3);
            const painted = shown.paintedWidth;
            verify(painted > area.width);
            fuzzyCompare(area.contentX, (painted - area.width) / 2, 1);
            slider.value = 1;
            compare(area.contentX, 0);
        }
    }
}
