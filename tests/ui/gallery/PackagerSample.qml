import QtQuick
import com.tarnwick.vand_ui

// The packaging page with a stand-in controller; `showReport` opens a report.
PackagerWindow {
    id: page
    controller: QtObject {
        property string name
        property string sourceDirectory
        property string destinationDirectory
        property string imageDirectory
        property string soundEffectsDirectory
        property bool advancedFeatures
        property string sfxSourceDirectory
        property string sfxDestinationDirectory
        property var files: []
        property bool message: false
        property string messageBody: ""
        function versionString() { return "1.4.2"; }
    }

    function report(body) {
        controller.messageBody = body;
        controller.message = true;
    }

    Component.onCompleted: {
        showName = "Demo Show";
        sourceDirectory = "/home/crew/Shows/Demo/source";
        destinationDirectory = "/home/crew/Shows/Demo/package";
        imageDirectory = "/home/crew/Shows/Demo/score";
        soundEffectsDirectory = "/home/crew/Shows/Demo/sfx";
        controller.files = ["01 Overture.mid", "02 Opening Number.mid", "03 Ballad.mid"];
    }
}
