pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import QtQuick.Window

// The "SFX Manager" window: the sound-effect source files on the left, the
// show's instances on the right with a play/stop button each, and Create,
// Edit, Delete and Close. It keeps only the selection and the instances it
// started (`playing`); the host fills the two models, answers the request
// signals and reports ended sounds through `sfxFinished`. While an instance
// started here plays, nothing can be created, edited or deleted.
Window {
    id: root

    // Rows with the roles sfxid and displayname.
    property alias availableSoundEffectsModel: sourceList.model
    // Rows with the roles eventId, summary and isReady.
    property alias soundEffectInstancesModel: instanceList.model
    property string selectedSfxEffectId: ""
    property string selectedSfxInstanceEventId: ""
    // Event ids of the instances started here that have not ended yet.
    property var playing: []

    signal playSfx(string eventId)
    signal stopSfx(string eventId)
    signal resetSfxButton(string eventId)
    signal sfxFinished(string eventId)
    signal soundEffectSelected(var index)
    signal playStateUpdated()
    signal playStateUpdatedExternally(string eventId)
    signal addSoundEffectInstanceClicked(string effectId)
    signal editSoundEffectInstanceClicked(string eventId)
    signal deleteSoundEffectInstanceClicked(string eventId)
    signal requestClose()

    function playingContains(eventId) {
        return root.playing.indexOf(eventId) !== -1;
    }

    function removeFromPlaying(eventId) {
        root.playing = root.playing.filter((id) => id !== eventId);
        root.playStateUpdated();
    }

    function addToPlaying(eventId) {
        root.playing = root.playing.concat([eventId]);
        root.playStateUpdated();
    }

    function enableModificationButtons() {
        return root.selectedSfxInstanceEventId !== "" && root.playing.length === 0;
    }

    function enableCreationButton() {
        return root.playing.length === 0 && sourceList.count > 0;
    }

    title: qsTr("SFX Manager")
    visible: true
    width: 800
    height: 600
    minimumWidth: 640
    minimumHeight: 480
    color: theme.dark_background_color

    // Handled here and not by the rows: a row scrolled out of view has no
    // delegate to hear it.
    onSfxFinished: (eventId) => root.removeFromPlaying(eventId)
    onClosing: root.requestClose()

    // The buttons follow the state only when it is announced.
    onPlayStateUpdated: {
        createButton.enabled = root.enableCreationButton();
        editButton.enabled = root.enableModificationButtons();
        deleteButton.enabled = root.enableModificationButtons();
    }

    VandTheme { id: theme }

    QtObject {
        id: actions

        function create() {
            if (!root.enableCreationButton())
                return;
            root.addSoundEffectInstanceClicked(root.selectedSfxEffectId);
            root.playStateUpdated();
        }

        function edit() {
            if (!root.enableModificationButtons())
                return;
            const eventId = root.selectedSfxInstanceEventId;
            root.stopSfx(eventId);
            root.editSoundEffectInstanceClicked(eventId);
            root.playStateUpdated();
        }

        function remove() {
            if (!root.enableModificationButtons())
                return;
            const eventId = root.selectedSfxInstanceEventId;
            root.stopSfx(eventId);
            root.deleteSoundEffectInstanceClicked(eventId);
            root.selectedSfxInstanceEventId = "";
            root.playStateUpdated();
        }


        function selectInstance(index, eventId) {
            if (eventId === root.selectedSfxInstanceEventId)
                return;
            if (instanceList.currentIndex !== index) {
                instanceList.currentIndex = index;
            } else {
                root.selectedSfxInstanceEventId = eventId;
                root.playStateUpdated();
            }
            instanceList.forceActiveFocus();
        }

        function togglePlaying(eventId, button) {
            if (root.playingContains(eventId)) {
                root.stopSfx(eventId);
                root.removeFromPlaying(eventId);
                button.handleClick(false);
            } else {
                root.playSfx(eventId);
                root.addToPlaying(eventId);
                button.handleClick(true);
            }
        }
    }

    Rectangle {
        objectName: "background"
        anchors.fill: parent
        color: theme.dark_background_color
    }

    Item {
        id: keyScope
        objectName: "keyScope"
        anchors.fill: parent
        focus: true

        Keys.onEscapePressed: root.close()
        Keys.onReturnPressed: root.close()

        ColumnLayout {
            anchors.fill: parent
            anchors.margins: 15
            spacing: 0

            RowLayout {
                spacing: 10
                Layout.fillWidth: true
                Layout.fillHeight: true

                ColumnLayout {
                    spacing: 10
                    Layout.preferredWidth: root.width * 0.4
                    Layout.fillWidth: true
                    Layout.fillHeight: true

                    Text {
                        objectName: "sourceHeader"
                        text: qsTr("SFX Source Files")
                        font.pixelSize: 16
                        color: theme.light_text_color
                        horizontalAlignment: Text.AlignHCenter
                        verticalAlignment: Text.AlignVCenter
                        Layout.fillWidth: true
                        Layout.preferredHeight: 32
                    }

                    Rectangle {
                        color: theme.default_bg_color
                        Layout.fillWidth: true
                        Layout.fillHeight: true

                        BasicBevel {}

                        ListView {
                            id: sourceList
                            objectName: "sourceList"
                            anchors.fill: parent
                            activeFocusOnTab: true
                            highlightFollowsCurrentItem: true
                            boundsBehavior: Flickable.StopAtBounds
                            clip: true

                            onCurrentItemChanged: {
                                const row = currentItem;
                                root.selectedSfxEffectId = row ? row.my_id : "";
                                root.soundEffectSelected(currentIndex);
                                root.selectedSfxInstanceEventId = "";
                                sourceList.forceActiveFocus();
                            }

                            Keys.onTabPressed: (event) => {
                                instanceList.forceActiveFocus();
                                event.accepted = true;
                            }
                            Keys.onBacktabPressed: (event) => {
                                closeButton.forceActiveFocus();
                                event.accepted = true;
                            }
                            Keys.onSpacePressed: actions.create()

                            delegate: Item {
                                id: sourceRow
                                objectName: "sourceRow"

                                required property int index
                                required property string sfxid
                                required property string displayname
                                readonly property string my_id: sfxid
                                readonly property bool isCurrent: ListView.isCurrentItem

                                width: ListView.view.width - sourceScrollBar.width
                                height: 40

                                Rectangle {
                                    anchors.fill: parent
                                    color: sourceRow.isCurrent ? Qt.lighter(theme.default_bg_color, 1.3)
                                                               : theme.default_bg_color
                                }

                                FocusHighlight {
                                    anchors.fill: parent
                                    visible: sourceRow.isCurrent && sourceList.activeFocus
                                }

                                Text {
                                    id: sourceName
                                    objectName: "sourceName"
                                    x: 10
                                    width: parent.width - 20
                                    anchors.verticalCenter: parent.verticalCenter
                                    text: sourceRow.displayname
                                    color: "white"
                                    font: theme.default_font
                                    elide: Text.ElideRight

                                    HoverHandler { id: sourceNameHover }

                                    VandToolTip {

                                        host: sourceName
                                        text: sourceRow.displayname
                                        delay: 1000
                                        timeout: 5000
                                        visible: sourceNameHover.hovered && sourceName.truncated
                                    }
                                }

                                MouseArea {
                                    objectName: "sourceRowArea"
                                    anchors.fill: parent
                                    onClicked: sourceList.currentIndex = sourceRow.index
                                    onDoubleClicked: actions.create()
                                }
                            }

                            ScrollBar.vertical: CustomScrollBar {
                                id: sourceScrollBar
                                policy: ScrollBar.AlwaysOn
                            }
                        }

                        Rectangle {
                            objectName: "sourceFocusFrame"
                            anchors.fill: parent
                            color: "transparent"
                            border.width: 2
                            border.color: theme.default_selected_color_intense
                            opacity: 0.7
                            visible: sourceList.activeFocus
                        }
                    }
                }

                ColumnLayout {
                    id: rightColumn
                    spacing: 10
                    Layout.preferredWidth: root.width * 0.6
                    Layout.fillWidth: true
                    Layout.fillHeight: true

                    Text {
                        objectName: "instancesHeader"
                        text: qsTr("Instances")
                        font.pixelSize: 16
                        color: theme.light_text_color
                        horizontalAlignment: Text.AlignHCenter
                        verticalAlignment: Text.AlignVCenter
                        Layout.fillWidth: true
                        Layout.preferredHeight: 32
                    }

                    Rectangle {
                        color: theme.default_bg_color
                        Layout.fillWidth: true
                        Layout.fillHeight: true

                        BasicBevel {}

                        ListView {
                            id: instanceList
                            objectName: "instanceList"
                            anchors.fill: parent
                            activeFocusOnTab: true
                            keyNavigationEnabled: true
                            boundsBehavior: Flickable.StopAtBounds
                            clip: true
                            currentIndex: -1

                            onCurrentItemChanged: {
                                const row = currentItem;
                                root.selectedSfxInstanceEventId = row ? row.delegateEventId : "";
                                root.playStateUpdated();
                            }

                            // As Edit: nothing while an instance started here
                            // plays.
                            Keys.onSpacePressed: actions.edit()

                            delegate: Item {
                                id: instanceRow
                                objectName: "instanceRow"

                                required property int index
                                required property string eventId
                                required property string summary
                                required property bool isReady
                                readonly property string delegateEventId: eventId
                                readonly property bool isCurrent: ListView.isCurrentItem

                                width: ListView.view.width - instanceScrollBar.width
                                height: 40

                                Rectangle {
                                    anchors.fill: parent
                                    color: instanceRow.isCurrent ? Qt.lighter(theme.default_bg_color, 1.3)
                                                                 : theme.default_bg_color
                                }

                                FocusHighlight {
                                    anchors.fill: parent
                                    visible: instanceRow.isCurrent && instanceList.activeFocus
                                }

                                MouseArea {
                                    objectName: "instanceRowArea"
                                    width: parent.width * 0.75
                                    height: parent.height
                                    onClicked: actions.selectInstance(instanceRow.index, instanceRow.eventId)
                                    onDoubleClicked: {
                                        if (instanceRow.eventId !== root.selectedSfxInstanceEventId
                                                || !root.enableModificationButtons())
                                            return;
                                        root.stopSfx(root.selectedSfxInstanceEventId);
                                        root.editSoundEffectInstanceClicked(instanceRow.eventId);
                                    }
                                }

                                RowLayout {
                                    anchors.fill: parent
                                    anchors.margins: 5

                                    Text {
                                        objectName: "instanceEventId"
                                        text: instanceRow.eventId
                                        color: "gray"
                                        font.pixelSize: 12
                                        elide: Text.ElideRight
                                        Layout.preferredWidth: instanceRow.width * 0.25
                                    }

                                    Text {
                                        id: summaryText
                                        objectName: "instanceSummary"
                                        text: instanceRow.summary
                                        color: "white"
                                        font: theme.default_font
                                        elide: Text.ElideRight
                                        verticalAlignment: Text.AlignVCenter
                                        Layout.fillWidth: true

                                        HoverHandler { id: summaryHover }

                                        VandToolTip {

                                            host: summaryText
                                            text: instanceRow.summary
                                            delay: 1000
                                            timeout: 5000
                                            visible: summaryHover.hovered && summaryText.truncated
                                        }
                                    }

                                    SfxPlayButton {
                                        id: rowPlayButton
                                        objectName: "rowPlayButton"
                                        playing: root.playingContains(instanceRow.eventId)
                                        buttonManagesState: false
                                        Layout.preferredWidth: 24
                                        Layout.preferredHeight: 24

                                        MouseArea {
                                            objectName: "rowPlayArea"
                                            anchors.fill: parent
                                            onClicked: actions.togglePlaying(instanceRow.eventId, rowPlayButton)
                                        }
                                    }
                                }

                                // An instance that is not ready takes no clicks.
                                Rectangle {
                                    objectName: "notReadyCover"
                                    anchors.fill: parent
                                    z: 10
                                    color: "#80000000"
                                    visible: !instanceRow.isReady

                                    MouseArea {
                                        anchors.fill: parent
                                        acceptedButtons: Qt.AllButtons
                                        hoverEnabled: true
                                        onWheel: (wheel) => wheel.accepted = false
                                    }
                                }
                            }

                            ScrollBar.vertical: CustomScrollBar {
                                id: instanceScrollBar
                                policy: ScrollBar.AlwaysOn
                            }
                        }

                        Rectangle {
                            objectName: "instanceFocusFrame"
                            anchors.fill: parent
                            color: "transparent"
                            border.width: 2
                            border.color: theme.default_selected_color_intense
                            opacity: 0.7
                            visible: instanceList.activeFocus
                        }
                    }
                }
            }

            RowLayout {
                objectName: "buttonRow"
                spacing: 10
                Layout.preferredHeight: 50
                Layout.preferredWidth: rightColumn.width
                Layout.fillWidth: false
                Layout.alignment: Qt.AlignRight
                Layout.topMargin: 10

                FlatButton {
                    id: createButton
                    objectName: "createButton"
                    text: qsTr("Create")
                    enabled: root.enableCreationButton()
                    onClicked: actions.create()
                }

                FlatButton {
                    id: editButton
                    objectName: "editButton"
                    text: qsTr("Edit")
                    enabled: root.enableModificationButtons()
                    onClicked: actions.edit()
                }

                FlatButton {
                    id: deleteButton
                    objectName: "deleteButton"
                    text: qsTr("Delete")
                    enabled: root.enableModificationButtons()
                    onClicked: actions.remove()
                }

                Item {
                    Layout.fillWidth: true
                }

                FlatButton {
                    id: closeButton
                    objectName: "closeButton"
                    text: qsTr("Close")
                    isDefault: true
                    onClicked: root.close()
                }
            }
        }
    }
}
