import QtQuick

// 32 x 32 pie that fills clockwise over the given number of seconds and hides
// itself when the time is up.
Rectangle {
    id: root

    property real progress: 0
    property real angle: 0
    property real totalTime: 10.0
    property real startTime: 0
    property alias timer: countdown
    property color pieColor: "#219ebc"

    function start(timeInSec) {
        if (!(timeInSec > 0))
            return;
        totalTime = timeInSec;
        countdown.start();
        visible = true;
    }

    function stop() {
        countdown.stop();
        visible = false;
    }

    // One step of the countdown; the timer calls it every 50 ms.
    function tick() {
        const elapsed = (Date.now() - startTime) / 1000;
        progress = elapsed / totalTime;
        if (progress >= 1) {
            progress = 1;
            stop();
        }
        angle = progress * 360;
        canvas.requestPaint();
    }

    width: 32
    height: 32
    color: "transparent"
    visible: false

    Timer {
        id: countdown
        interval: 50
        repeat: true
        running: false
        onRunningChanged: if (running) root.startTime = Date.now()
        onTriggered: root.tick()
    }

    Canvas {
        id: canvas
        anchors.fill: parent
        onPaint: {
            const ctx = getContext("2d");
            ctx.reset();
            ctx.clearRect(0, 0, width, height);
            if (root.angle <= 0)
                return;
            const cx = width / 2;
            const cy = height / 2;
            const start = -Math.PI / 2;
            ctx.beginPath();
            ctx.moveTo(cx, cy);
            ctx.arc(cx, cy, width / 2, start, start + root.angle * Math.PI / 180, false);
            ctx.lineTo(cx, cy);
            ctx.closePath();
            ctx.fillStyle = root.pieColor;
            ctx.fill();
        }
    }
}
