import QtQuick
import QtQuick.Controls.Basic
import QtTest
import com.tarnwick.vand_ui
import VandTest

Item {
    id: top
    width: 200
    height: 200

    Component {
        id: controllerComponent
        PackagingStandIn {}
    }

    Component {
        id: pageComponent
        PackagerWindow {}
    }

    TestCase {
        name: "PackagerWindow"
        when: windowShown

        property int settingsRun: 0

        // Each page gets its own settings file unless told to share one.
        function makePage(settingsFile) {
            const controller = createTemporaryObject(controllerComponent, top);
            const file = settingsFile || TempFolder.path + "/packager-" + (++settingsRun) + ".ini";
            const page = createTemporaryObject(pageComponent, top, { controller: controller, settingsFileName: file });
            verify(page !== null);
            page.requestActivate();
            tryVerify(() => page.active);
            return [page, controller];
        }

        function child(page, name) {
            return findChild(page.contentItem, name);
        }

        function report(page) {
            return findChild(page, "report");
        }

        function test_title_and_first_focus() {
            const [page, controller] = makePage();
            compare(page.title, "Show Packager 1.4.2");
            compare(page.width, 720);
            compare(page.height, 625);
            verify(child(page, "showNameInput").field.activeFocus);
            verify(!child(page, "csvInput").visible);
            compare(child(page, "tabBar").currentIndex, 0);
        }

        function test_fields_reach_the_controller() {
            const [page, controller] = makePage();
            keyClick("D");
            keyClick("e");
            compare(controller.name, "De");
            const values = {
                sourceDirectory: "/src", destinationDirectory: "/dst", imageDirectory: "/img",
                soundEffectsDirectory: "/fx", sfxSourceDirectory: "/oggs", sfxDestinationDirectory: "/out",
            };
            for (const key in values) {
                page[key] = values[key];
                compare(controller[key], values[key], key);
            }
            page.advancedFeatures = true;
            verify(controller.advancedFeatures);
        }

        function test_files_come_from_the_controller() {
            const [page, controller] = makePage();
            controller.files = ["overture.mid", "finale.mid"];
            compare(page.files, ["overture.mid", "finale.mid"]);
            compare(findChild(child(page, "fileList"), "list").count, 2);
        }

        function test_buttons_call_the_controller() {
            const [page, controller] = makePage();
            mouseClick(child(page, "packageControl").button);
            compare(controller.packageCalls, 1);
            mouseClick(findChild(child(page, "tabBar"), "sfxTab"));
            const sfxButton = child(page, "packageSfxButton");
            tryVerify(() => sfxButton.visible);
            mouseClick(sfxButton);
            compare(controller.packageSfxCalls, 1);
            compare(controller.packageCalls, 1);
        }

        function test_report_data() {
            return [
                { tag: "Warning", body: "Warning: 2 files skipped", heading: "Problems Encountered", big: true },
                { tag: "Error inside", body: "Packed 3 files. Error writing x", heading: "Problems Encountered", big: true },
                { tag: "lower-case error", body: "error: disk full", heading: "Problems Encountered", big: true },
                { tag: "upper-case warning", body: "WARNING", heading: "Problems Encountered", big: true },
                { tag: "all well", body: "Packed 12 files.", heading: "Packaging Complete", big: true },
                { tag: "no body", body: "", heading: "Packaging Complete", big: false },
            ];
        }

        function test_report(data) {
            const [page, controller] = makePage();
            const popup = report(page);
            controller.report(data.body);
            tryVerify(() => popup.opened);
            compare(findChild(popup.contentItem, "heading").text, data.heading);
            compare(popup.width, data.big ? 640 : 400);
            compare(popup.height, data.big ? 480 : 100);
            compare(findChild(popup.contentItem, "detailBox").visible, data.big);
            compare(findChild(popup.contentItem, "copyButton").visible, data.big);
            compare(findChild(popup.contentItem, "detail").text, data.body);
            popup.close();
            tryVerify(() => !popup.visible);
        }

        function test_ok_resets_the_report() {
            const [page, controller] = makePage();
            const popup = report(page);
            controller.report("Packed.");
            tryVerify(() => popup.opened);
            mouseClick(findChild(popup.contentItem, "reportOkButton"));
            tryVerify(() => !popup.visible);
            verify(!controller.message);
            compare(controller.messageBody, "");
            // So the next report shows again.
            controller.report("Error: again");
            tryVerify(() => popup.opened);
            compare(findChild(popup.contentItem, "heading").text, "Problems Encountered");
            keyClick(Qt.Key_Escape);
            tryVerify(() => !popup.visible);
            verify(controller.message);
            compare(controller.messageBody, "Error: again");
        }

        function test_tab_cycle_data() {
            const order = [["showNameInput", "field"], ["sourceInput", "field"], ["sourceInput", "button"],
                           ["destinationInput", "field"], ["destinationInput", "button"],
                           ["imageInput", "field"], ["imageInput", "button"],
                           ["soundEffectsInput", "field"], ["soundEffectsInput", "button"],
                           ["packageControl", "button"], ["packageControl", "toggle"]];
            const rows = [];
            for (let i = 0; i < order.length; ++i) {
                const next = order[(i + 1) % order.length];
                const previous = order[(i + order.length - 1) % order.length];
                rows.push({ tag: order[i].join(".") + " Tab", from: order[i], key: Qt.Key_Tab, to: next });
                rows.push({ tag: order[i].join(".") + " Shift+Tab", from: order[i], key: Qt.Key_Backtab,
                            to: previous });
            }
            return rows;
        }

        function test_tab_cycle(data) {
            const [page, controller] = makePage();
            const start = child(page, data.from[0])[data.from[1]];
            const target = child(page, data.to[0])[data.to[1]];
            start.forceActiveFocus();
            verify(start.activeFocus);
            keyClick(data.key, data.key === Qt.Key_Backtab ? Qt.ShiftModifier : Qt.NoModifier);
            verify(target.activeFocus, "focus on " + page.activeFocusItem);
        }

        function test_tab_elsewhere_on_the_page_stays() {
            const [page, controller] = makePage();
            const list = findChild(child(page, "fileList"), "list");
            list.forceActiveFocus();
            keyClick(Qt.Key_Tab);
            verify(list.activeFocus);
        }

        function test_settings_restored_on_reopening() {
            const file = TempFolder.path + "/packager-restore.ini";
            let [page, controller] = makePage(file);
            page.showName = "Demo Show";
            page.sourceDirectory = "/shows/src";
            page.destinationDirectory = "/shows/out";
            page.imageDirectory = "/shows/img";
            page.soundEffectsDirectory = "/shows/fx";
            page.advancedFeatures = true;
            page.sfxSourceDirectory = "/fx/oggs";
            page.sfxDestinationDirectory = "/fx/out";
            controller.files = ["a.mid", "b.mid"];
            page.width = 800;
            page.height = 650;
            page.destroy();
            controller.destroy();
            wait(0);

            [page, controller] = makePage(file);
            compare(page.showName, "Demo Show");
            compare(page.sourceDirectory, "/shows/src");
            compare(page.destinationDirectory, "/shows/out");
            compare(page.imageDirectory, "/shows/img");
            compare(page.soundEffectsDirectory, "/shows/fx");
            verify(page.advancedFeatures);
            compare(page.sfxSourceDirectory, "/fx/oggs");
            compare(page.sfxDestinationDirectory, "/fx/out");
            compare(page.files, ["a.mid", "b.mid"]);
            compare(page.width, 800);
            compare(page.height, 650);
        }
    }
}
