import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import com.tarnwick.vand_ui
import "ScoreLayout.js" as ScoreLayout

// The score pages: one page, or two laid out as an open book, zoomable up to
// three times. The view turns only when its controller sets currentIndex; the
// buttons ask for a page with pageChanged(page number). Each page slot loads
// a new image behind the shown one and swaps once it is ready, so pages
// change without flicker.
Item {
    id: root

    // Set by the controller, null until then: the page images' URLs and each
    // one's page number, in page order (JS arrays, hence var).
    property var imageListModel: null
    property var pageNumbers: null
    property int currentIndex: 0
    property bool twoUpMode: false
    property var imageList: imageListModel
    property alias currentImage1: leftSlot.currentImage
    property alias currentImage2: rightSlot.currentImage
    property real baseWidth: pageArea.width / (twoUpMode ? 2 : 1)
    property real baseHeight: pageArea.height

    readonly property int pageCount: imageList ? imageList.length : 0
    readonly property bool hasPages: pageCount > 0
    readonly property real zoom: zoomSlider.value
    readonly property real pageWidth: baseWidth * zoom
    // Painted width over width of the left page's image: the part of the
    // page slot that is not blank margin.
    readonly property real imageRatio: {
        const shown = leftSlot.shownImage;
        return shown.status === Image.Ready && shown.width > 0 ? shown.paintedWidth / shown.width : 1;
    }

    signal pageChanged(int value)

    // The handlers below read the state through these functions: a binding
    // on it may not be brought up to date yet while a change is handled.
    function listLength() {
        return imageList ? imageList.length : 0;
    }
    function leftIndex() {
        return ScoreLayout.leftIndex(currentIndex, twoUpMode);
    }
    function rightIndex() {
        return ScoreLayout.rightIndex(currentIndex);
    }

    // The list entry at index, or "" when there is none.
    function entryAt(index) {
        return imageList && index >= 0 && index < imageList.length ? String(imageList[index]) : "";
    }

    // The page number shown for an index: the controller's number when it
    // has one for it, else index + 1.
    function pageNumberAt(index) {
        return pageNumbers && index >= 0 && index < pageNumbers.length ? pageNumbers[index] : index + 1;
    }

    // The first index holding page number page, or -1.
    function indexOfPage(page) {
        if (!pageNumbers)
            return -1;
        for (let i = 0; i < pageNumbers.length; ++i) {
            if (pageNumbers[i] === page)
                return i;
        }
        return -1;
    }

    function showPrevious() {
        if (listLength() === 0)
            return;
        const step = twoUpMode ? 2 : 1;
        pageChanged(pageNumberAt(Math.max(0, currentIndex - step)));
    }

    function showNext() {
        if (listLength() === 0)
            return;
        const step = twoUpMode ? 2 : 1;
        pageChanged(pageNumberAt(Math.min(listLength() - 1, currentIndex + step)));
    }

    // The page prompt's entry: a page number the list holds turns the view
    // there; anything else does nothing.
    function goToEnteredPage(text) {
        const trimmed = String(text).trim();
        if (!/^[0-9]+$/.test(trimmed))
            return;
        const index = indexOfPage(Number(trimmed));
        if (index >= 0)
            currentIndex = index;
    }

    // Shows the current spread's left page (and, in double-page mode, its
    // right page) at once; called after a new list is set.
    function updateImages() {
        const index = leftIndex();
        if (twoUpMode && index < 0)
            leftSlot.currentImage = "";
        const initial = entryAt(index);
        if (initial !== "")
            leftSlot.showAtOnce(initial);
        if (twoUpMode)
            rightSlot.showAtOnce(entryAt(rightIndex()));
    }

    onCurrentIndexChanged: {
        const left = leftIndex();
        if (twoUpMode && left < 0)
            leftSlot.currentImage = "";
        leftSlot.turnTo(entryAt(left));
        if (twoUpMode) {
            const right = rightIndex();
            if (right >= listLength())
                rightSlot.currentImage = "";
            rightSlot.turnTo(entryAt(right));
        }
    }

    onTwoUpModeChanged: {
        // Single-page mode leaves the right slot empty, so only shown pages
        // stay decoded.
        if (!twoUpMode)
            rightSlot.showAtOnce("");
        updateImages();
    }

    onImageListChanged: {
        if (listLength() > 0 && leftSlot.currentImage === "")
            leftSlot.showAtOnce(entryAt(leftIndex()));
        if (twoUpMode && listLength() > rightIndex() && rightSlot.currentImage === "")
            rightSlot.showAtOnce(entryAt(rightIndex()));
    }

    // One page slot: the shown image, and above it the back image that loads
    // the next one.
    component PageSlot: Item {
        id: slot

        property string currentImage: ""
        property string imageSource: ""
        property int imageAlignment: Image.AlignHCenter
        property real imageWidth: 0
        property real imageHeight: 0
        readonly property alias shownImage: shown
        readonly property alias backImage: back

        // Shows url now, without waiting for it.
        function showAtOnce(url) {
            currentImage = url;
            imageSource = url;
            back.source = url;
        }

        // Loads target behind the shown image and shows it once it is ready.
        function turnTo(target) {
            imageSource = target;
            // Through "" so that a cached image is loaded again.
            back.source = "";
            back.source = target;
            Qt.callLater(function() { slot.swapWhenReady(); });
        }

        function swapWhenReady() {
            if (back.status === Image.Ready) {
                currentImage = imageSource;
                back.visible = false;
            } else {
                back.visible = true;
            }
        }

        Image {
            id: shown
            objectName: slot.objectName + "Shown"
            x: 0
            width: slot.imageWidth
            height: slot.imageHeight
            source: slot.currentImage
            fillMode: Image.PreserveAspectFit
            horizontalAlignment: slot.imageAlignment
            cache: true
            asynchronous: true
            smooth: true
            mipmap: true
        }

        Image {
            id: back
            objectName: slot.objectName + "Back"
            x: 0
            width: slot.imageWidth
            height: slot.imageHeight
            visible: false
            fillMode: Image.PreserveAspectFit
            horizontalAlignment: slot.imageAlignment
            cache: true
            asynchronous: true
            smooth: true
            mipmap: true
            onStatusChanged: {
                if (status === Image.Ready) {
                    slot.currentImage = String(source);
                    visible = false;
                }
            }
        }
    }

    VandTheme { id: theme }

    Rectangle {
        anchors.fill: parent
        anchors.margins: 5
        color: theme.default_bg_color

        ColumnLayout {
            anchors.fill: parent
            anchors.margins: 5
            spacing: 12

            Flickable {
                id: pageArea
                objectName: "pageArea"
                Layout.fillWidth: true
                Layout.fillHeight: true
                clip: true
                contentWidth: Math.max(ScoreLayout.trimmedWidth(root.pageWidth, root.imageRatio, root.twoUpMode),
                                       width)
                contentHeight: leftSlot.shownImage.height

                Row {
                    objectName: "pageRow"
                    anchors.top: parent.top
                    spacing: ScoreLayout.spreadSpacing
                    x: ScoreLayout.centreOffset(pageArea.width, ScoreLayout.trimmedWidth(root.pageWidth, root.imageRatio,
                                                                                         root.twoUpMode))
                       - ScoreLayout.trimWidth(root.pageWidth, root.imageRatio, root.twoUpMode)

                    PageSlot {
                        id: leftSlot
                        objectName: "leftPage"
                        anchors.verticalCenter: parent.verticalCenter
                        width: root.pageWidth
                        height: root.baseHeight
                        imageWidth: root.pageWidth
                        imageHeight: root.baseHeight * root.zoom
                        imageAlignment: root.twoUpMode ? Image.AlignRight : Image.AlignHCenter
                        Component.onCompleted: showAtOnce(root.entryAt(root.leftIndex()))
                    }

                    PageSlot {
                        id: rightSlot
                        objectName: "rightPage"
                        visible: root.twoUpMode
                        width: root.pageWidth
                        height: pageArea.height
                        imageWidth: root.pageWidth
                        imageHeight: root.baseHeight * root.zoom
                        imageAlignment: Image.AlignLeft
                        Component.onCompleted: showAtOnce(root.entryAt(root.rightIndex()))
                    }
                }
            }

            RowLayout {
                objectName: "controlRow"
                Layout.alignment: Qt.AlignHCenter
                spacing: 10

                FlatButton {
                    objectName: "previousButton"
                    text: "Previous"
                    enabled: root.hasPages
                    onClicked: root.showPrevious()
                }
                FlatButton {
                    objectName: "nextButton"
                    text: "Next"
                    enabled: root.hasPages
                    onClicked: root.showNext()
                }
                FlatButton {
                    objectName: "goToPageButton"
                    text: "Go to Page"
                    visible: false
                    onClicked: pagePrompt.open()
                }
                FlatButton {
                    objectName: "pageModeButton"
                    Layout.alignment: Qt.AlignTop | Qt.AlignRight
                    text: root.twoUpMode ? "Single Page" : "Double Page"
                    onClicked: root.twoUpMode = !root.twoUpMode
                }
                VandCustomSlider {
                    id: zoomSlider
                    objectName: "zoomSlider"

                    property real lastZoom: 1.0

                    from: 1.0
                    to: 3.0
                    value: 1.0
                    sliderStep: 0.01
                    zeroMark: 1
                    snapTolerance: 0

                    onValueChanged: {
                        const oldWidth = ScoreLayout.trimmedWidth(root.baseWidth * lastZoom, root.imageRatio,
                                                                  root.twoUpMode);
                        const newWidth = ScoreLayout.trimmedWidth(root.baseWidth * value, root.imageRatio,
                                                                  root.twoUpMode);
                        pageArea.contentX = ScoreLayout.zoomedContentX(pageArea.contentX, pageArea.width, oldWidth,
                                                                       newWidth);
                        lastZoom = value;
                    }
                }
            }

            JumpToBar {
                id: pagePrompt
                objectName: "pagePrompt"
                visible: false
                promptText: "Enter Page"
                onOk: root.goToEnteredPage(barNum)
            }

            Text {
                objectName: "pageText"
                Layout.alignment: Qt.AlignHCenter
                color: "white"
                font: theme.default_font
                text: root.imageList ? "Page " + root.pageNumberAt(root.currentIndex) + " of " + root.pageCount
                                     : "No Score"
            }
        }
    }
}
