import QtQuick
import QtTest
import com.tarnwick.vand_ui
import com.tarnwick.musical_ui

Item {
    id: top
    width: 800
    height: 600

    JumpToBar {
        id: jump
    }

    // Stands in for the main controller: answers each submission as told,
    // synchronously inside ok().
    QtObject {
        id: receiver
        property string answer: "none" // "found", "missing" or "none"
        property var submitted: []
    }

    Connections {
        target: jump
        function onOk() {
            receiver.submitted.push(jump.barNum);
            if (receiver.answer === "found")
                jump.result(true);
            else if (receiver.answer === "missing")
                jump.result(false);
        }
    }

    TestCase {
        name: "JumpToBar"
        when: windowShown

        property var popup: findChild(jump, "jumpToBarPopup")
        property var field: findChild(jump, "barField")

        function init() {
            receiver.answer = "none";
            receiver.submitted = [];
            jump.promptText = "Enter Bar Number";
        }

        function cleanup() {
            jump.exit();
            tryVerify(function() { return !popup.visible; });
        }

        function openPopup() {
            jump.open();
            tryVerify(function() { return popup.opened; });
            tryVerify(function() { return field.activeFocus; });
        }

        function typeText(text) {
            for (let i = 0; i < text.length; ++i)
                keyClick(text[i]);
        }

        function test_layout() {
            openPopup();
            compare(popup.width, 280);
            compare(popup.height, 50);
            compare(popup.x, 300);
            compare(popup.y, 220);
            compare(field.width, 120);
            compare(field.height, 40);
            compare(findChild(jump, "cancelButton").width, 60);
            compare(findChild(jump, "okButton").width, 60);
            const fresh = createTemporaryObject(Qt.createComponent("qrc:/qt/qml/com/tarnwick/musical_ui/qml/JumpToBar.qml"), top);
            compare(fresh.barNum, "0");
            compare(fresh.promptText, "Enter Bar Number");
        }

        function test_returnWithABarThatExistsCloses() {
            receiver.answer = "found";
            openPopup();
            typeText("12");
            keyClick(Qt.Key_Return);
            compare(receiver.submitted, ["12"]);
            compare(jump.barNum, "12");
            tryVerify(function() { return !popup.visible; });
            compare(field.text, "");
        }

        function test_returnWithAMissingBarStaysOpenWithTheMessage() {
            receiver.answer = "missing";
            openPopup();
            typeText("999");
            keyClick(Qt.Key_Return);
            compare(jump.barNum, "999");
            verify(popup.opened);
            compare(field.text, "Bar not found!");
            compare(field.selectedText, "Bar not found!");
            keyClick("5");
            compare(field.text, "5");
        }

        function test_okWithAMissingBarStaysOpenWithTheMessage() {
            receiver.answer = "missing";
            openPopup();
            typeText("999");
            mouseClick(findChild(jump, "okButton"));
            compare(receiver.submitted, ["999"]);
            verify(popup.opened);
            compare(field.text, "Bar not found!");
            compare(field.selectedText, "Bar not found!");
        }

        function test_okWithABarThatExistsCloses() {
            receiver.answer = "found";
            openPopup();
            typeText("7");
            mouseClick(findChild(jump, "okButton"));
            compare(receiver.submitted, ["7"]);
            tryVerify(function() { return !popup.visible; });
            compare(field.text, "");
        }

        function test_okWithoutAnAnswerCloses() {
            // The score view's page prompt never answers.
            openPopup();
            typeText("3");
            mouseClick(findChild(jump, "okButton"));
            compare(jump.barNum, "3");
            tryVerify(function() { return !popup.visible; });
        }

        function test_returnWithoutAnAnswerStaysOpenAndEmpty() {
            openPopup();
            typeText("3");
            keyClick(Qt.Key_Return);
            compare(jump.barNum, "3");
            verify(popup.opened);
            compare(field.text, "");
            verify(field.activeFocus);
        }

        function test_emptySubmissionSendsEmptyText() {
            openPopup();
            keyClick(Qt.Key_Return);
            compare(receiver.submitted, [""]);
            compare(jump.barNum, "");
        }

        function test_reopeningShowsAnEmptyField_data() {
            return [
                { tag: "after a failed jump, Escape", close: "escape" },
                { tag: "after a failed jump, Cancel", close: "cancel" },
                { tag: "after a failed jump, press outside", close: "outside" },
            ];
        }
        function test_reopeningShowsAnEmptyField(data) {
            receiver.answer = "missing";
            openPopup();
            typeText("999");
            keyClick(Qt.Key_Return);
            compare(field.text, "Bar not found!");
            typeText("4");
            if (data.close === "escape")
                keyClick(Qt.Key_Escape);
            else if (data.close === "cancel")
                mouseClick(findChild(jump, "cancelButton"));
            else
                mouseClick(top, 750, 550);
            tryVerify(function() { return !popup.visible; });
            compare(field.text, "");
            openPopup();
            compare(field.text, "");
            verify(findChild(jump, "prompt").visible);
        }

        function test_promptShowsOnlyWhileEmpty() {
            const prompt = findChild(jump, "prompt");
            jump.promptText = "Enter Page";
            openPopup();
            compare(prompt.text, "Enter Page");
            verify(prompt.visible);
            compare(field.placeholderText, "");
            keyClick("2");
            verify(!prompt.visible);
            keyClick(Qt.Key_Backspace);
            verify(prompt.visible);
        }
    }
}
