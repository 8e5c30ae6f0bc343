import QtQuick

// A play (green triangle) or stop (red square) symbol. Shows stop while
// `playing`. A host that keeps the state itself sets `buttonManagesState`
// false and binds `playing`; `handleClick` then changes nothing.
Item {
    id: root

    property bool playing: false
    property bool buttonManagesState: true

    function handleClick(isPlaying) {
        if (root.buttonManagesState)
            root.playing = isPlaying;
    }

    function clearCanvas(target) {
        // A canvas not yet on a window has no context; its first paint
        // starts from a clear surface anyway.
        if (target.available) {
            const ctx = target.getContext("2d");
            ctx.reset();
            ctx.clearRect(0, 0, target.width, target.height);
            ctx.fillStyle = "transparent";
            ctx.fillRect(0, 0, target.width, target.height);
        }
        target.requestPaint();
    }

    function drawPlayButton(target) {
        const ctx = target.getContext("2d");
        const w = target.width;
        const h = target.height;
        ctx.beginPath();
        ctx.moveTo(w / 4, h / 4);
        ctx.lineTo(w / 4, 3 * h / 4);
        ctx.lineTo(3 * w / 4, h / 2);
        ctx.closePath();
        ctx.fillStyle = "green";
        ctx.fill();
    }

    function drawStopButton(target) {
        const ctx = target.getContext("2d");
        ctx.fillStyle = "red";
        ctx.fillRect(target.width / 4, target.height / 4, target.width / 2, target.height / 2);
    }

    implicitWidth: 28
    implicitHeight: 28

    onPlayingChanged: root.clearCanvas(canvas)

    Canvas {
        id: canvas
        objectName: "symbolCanvas"
        anchors.fill: parent

        onPaint: {
            const ctx = getContext("2d");
            ctx.reset();
            if (root.playing)
                root.drawStopButton(canvas);
            else
                root.drawPlayButton(canvas);
        }
    }
}
