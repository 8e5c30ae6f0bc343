import QtQuick
import QtTest
import com.tarnwick.vand_ui
import com.tarnwick.musical_ui

Item {
    id: top
    width: 400
    height: 300

    NetworkEditWindow {
        id: editor
    }

    // Stands in for the OSC manager's controller: records the requests and
    // refuses a field when told, synchronously inside the request.
    QtObject {
        id: receiver
        property var requests: []
        property string refuse: ""
    }

    Connections {
        target: editor
        function onCreateRequest(ip, port, mode, name) {
            receiver.requests.push(["create", ip, port, mode, name]);
            editor.invalidField = receiver.refuse;
        }
        function onChangeRequest(ip, port, mode, networkName, networkId) {
            receiver.requests.push(["change", ip, port, mode, networkName, networkId]);
            editor.invalidField = receiver.refuse;
        }
    }

    TestCase {
        name: "NetworkEditWindow"
        when: windowShown

        property var okButton: findChild(editor, "okButton")
        property var cancelButton: findChild(editor, "cancelButton")
        property var portField: findChild(editor, "portField")
        property var ipField: findChild(editor, "ipField")

        function init() {
            receiver.requests = [];
            receiver.refuse = "";
            editor.isEdit = false;
            editor.networkName = "Desk";
            editor.ipAddress = "10.0.0.2";
            editor.port = 9000;
            editor.mode = "udp";
            editor.networkId = "";
            editor.show();
            tryVerify(function() { return editor.visible; });
        }

        function cleanup() {
            editor.close();
        }

        function test_titleFollowsTheKindOfRequest() {
            compare(editor.title, "Create Network Destination");
            editor.isEdit = true;
            compare(editor.title, "Edit Network Destination");
        }

        function test_nameFieldHasTheFocusWhenShown() {
            tryVerify(function() { return findChild(editor, "nameField").field.activeFocus; });
        }

        function test_okCreatesAndCloses() {
            mouseClick(okButton);
            compare(receiver.requests, [["create", "10.0.0.2", 9000, "udp", "Desk"]]);
            verify(!editor.visible);
        }

        function test_okWhileEditingChangesAndKeepsTheId() {
            editor.isEdit = true;
            editor.networkId = "desk";
            editor.mode = "tcp";
            mouseClick(okButton);
            compare(receiver.requests, [["change", "10.0.0.2", 9000, "tcp", "Desk", "desk"]]);
            verify(!editor.visible);
        }

        function test_cancelSendsNothing() {
            mouseClick(cancelButton);
            compare(receiver.requests, []);
            verify(!editor.visible);
        }

        // The port handed on is the text as left, when it is up to five
        // digits; anything else is 0, which the receiver refuses.
        function test_portTextBecomesANumber_data() {
            return [
                { tag: "digits", text: "8080", port: 8080 },
                { tag: "blanks around", text: " 53000 ", port: 53000 },
                { tag: "five digits", text: "99999", port: 99999 },
                { tag: "six digits", text: "123456", port: 0 },
                { tag: "trailing letters", text: "12ab", port: 0 },
                { tag: "negative", text: "-5", port: 0 },
                { tag: "empty", text: "", port: 0 },
            ];
        }
        function test_portTextBecomesANumber(data) {
            portField.text = data.text;
            mouseClick(okButton);
            compare(receiver.requests[0][2], data.port);
        }

        function test_portPropertyFillsTheField() {
            editor.port = 8000;
            compare(portField.text, "8000");
        }

        // A refused field keeps the window open and marked until edited.
        function test_refusedFieldStaysOpenAndMarked_data() {
            return [
                { tag: "address", field: "ipAddress" },
                { tag: "port", field: "port" },
            ];
        }
        function test_refusedFieldStaysOpenAndMarked(data) {
            const field = data.field === "port" ? portField : ipField;
            const normal = String(field.backgroundColor); // a copy, not a reference
            receiver.refuse = data.field;
            mouseClick(okButton);
            verify(editor.visible);
            compare(editor.invalidField, data.field);
            verify(!Qt.colorEqual(field.backgroundColor, normal));
            verify(findChild(editor, "invalidHint").visible);
            tryVerify(function() { return field.field.activeFocus; });
            // Typing clears the mark; an accepted OK then closes.
            field.field.selectAll();
            field.textEdited();
            compare(editor.invalidField, "");
            verify(Qt.colorEqual(field.backgroundColor, normal));
            receiver.refuse = "";
            mouseClick(okButton);
            verify(!editor.visible);
            compare(receiver.requests.length, 2);
        }
    }
}
