import QtQuick
import QtTest
import com.tarnwick.vand_ui
import com.tarnwick.musical_ui

// The window's own decisions: the progress label's units, the status text,
// and the error dialog's round trip.
TestCase {
    id: testCase
    name: "ShowDownloader"
    when: windowShown

    Component {
        id: downloaderComponent
        ShowDownloader {}
    }

    SignalSpy { id: acknowledged; signalName: "downloadErrorAcknowledged" }
    SignalSpy { id: cancelled; signalName: "cancel" }

    function test_label_data() {
        return [
            { tag: "1 MiB in kB at half-way", received: 524288, total: 1048576, label: "512/1024 kB", value: 0.5 },
            { tag: "one byte more in MB", received: 524288, total: 1048577, label: "0/1 MB", value: 0.5 },
            { tag: "500 B at the start", received: 0, total: 500, label: "0/1 kB", value: 0 },
            { tag: "12 MB", received: 3 * 1048576, total: 12 * 1048576, label: "3/12 MB", value: 0.25 },
            { tag: "5 GiB at half-way", received: 2684354560, total: 5368709120, label: "2560/5120 MB", value: 0.5 },
        ];
    }

    function test_label(data) {
        const view = createTemporaryObject(downloaderComponent, testCase);
        view.totalProgressChanged(data.received, data.total);
        compare(findChild(view, "progressLabel").text, data.label);
        fuzzyCompare(findChild(view, "progressBar").value, data.value, 1e-6);
        // The per-file signal is declared and shown nowhere.
        view.progressChanged(1, 2);
        compare(findChild(view, "progressLabel").text, data.label);
    }

    function test_statusAndButtons() {
        const view = createTemporaryObject(downloaderComponent, testCase);
        compare(view.downloadStatus, "Starting up...");
        compare(view.title, "Downloading Show");
        compare(view.width, 480);
        view.statusChanged("Downloading 2 of 7: audio/01-overture.wav");
        compare(findChild(view, "statusText").text, "Downloading 2 of 7: audio/01-overture.wav");

        cancelled.target = view;
        cancelled.clear();
        findChild(view, "cancelButton").clicked();
        compare(cancelled.count, 1);

        const dialog = findChild(view, "errorDialog");
        verify(!dialog.visible);
        view.downloadError("The show server cannot be reached.");
        verify(dialog.visible);
        compare(dialog.text, "The show server cannot be reached.");
        compare(dialog.title, "Error");
        acknowledged.target = view;
        acknowledged.clear();
        findChild(dialog, "okButton").clicked();
        compare(acknowledged.count, 1);
        verify(!dialog.visible);
    }
}
