// Builds every component of the library inside a window that declares
// `VandTheme { id: theme }`, renders it once, and fails on any QML warning.
// Add a row to components_data() for each new component.
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickWindow>
#include <QTest>
#include <memory>

#include "QmlWarningGuard.h"
#include "ui/QmlEngineSetup.h"

class TestComponentsSmoke : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { vand::qt::PrepareQmlEngine(engine); }

    void components_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("properties"); // QML put inside the instance

        QTest::newRow("VandTheme") << "VandTheme"
                                   << "";
        QTest::newRow("VandToolTip") << "VandToolTip"
                                     << "text: \"Hint\"; visible: true";
        QTest::newRow("FocusHighlight") << "FocusHighlight"
                                        << "width: 40; height: 20";
        QTest::newRow("FlatButton") << "FlatButton"
                                    << "text: \"OK\"; isDefault: true";
        QTest::newRow("FlatButton tooltip") << "FlatButton"
                                            << "text: \"Go\"; toolTip.text: \"Tip\"; focus: true";
        QTest::newRow("FlatButton disabled") << "FlatButton"
                                             << "text: \"\"; enabled: false";
        QTest::newRow("CustomCheckbox") << "CustomCheckbox"
                                        << "checkboxTextStr: \"Loop\"; checked: true; focus: true";
        QTest::newRow("BasicBevel") << "Rectangle"
                                    << "width: 50; height: 20; color: \"gray\"; BasicBevel {}";
        QTest::newRow("CustomBevel") << "Rectangle"
                                     << "width: 50; height: 20; color: \"gray\"; CustomBevel { bgvisible: true }";
        QTest::newRow("RecessedBevel") << "Rectangle"
                                       << "width: 50; height: 20; color: \"gray\"; RecessedBevel { bevel_width: 3 }";
        QTest::newRow("bevel without colour") << "Item"
                                              << "width: 50; height: 20; BasicBevel {}";
        QTest::newRow("FlatDialogWindow")
            << "FlatDialogWindow"
            << "title: \"Title\"; text: \"Message\"; type: \"warning\"; showCheckbox: true; visible: true";
        QTest::newRow("FlatDialogWindow unknown kind") << "FlatDialogWindow"
                                                       << "type: \"notice\"; visible: true";
        QTest::newRow("MessageBox") << "MessageBox"
                                    << "text: \"line 1\\nline 2\"";
        QTest::newRow("CustomScrollBar") << "CustomScrollBar"
                                         << "height: 100; size: 0.5";
        QTest::newRow("CustomScrollBar horizontal") << "CustomScrollBar"
                                                    << "orientation: Qt.Horizontal; width: 200; height: 20; size: 0.3";
        QTest::newRow("CustomTwoColumnListView") << "CustomTwoColumnListView"
                                                 << "width: 200; height: 100; currentIndex: 1; focus: true;"
                                                    " model: ListModel { ListElement { first: \"a\"; second: \"b\" }"
                                                    " ListElement { first: \"c\"; second: \"d\" } }";
        QTest::newRow("CustomTwoColumnListView empty") << "CustomTwoColumnListView"
                                                       << "width: 200; height: 100";
        // Controls: meter, buttons, menus, tabs, inputs, dialogs, indicators.
        QTest::newRow("VolumeIndicatorSegmented") << "VolumeIndicatorSegmented"
                                                  << "width: 200; height: 20; segments: 10; value: 0.5";
        QTest::newRow("VolumeIndicatorSegmented silent") << "VolumeIndicatorSegmented"
                                                         << "width: 200; height: 20; value: 0; enableInnerGlow: false";
        QTest::newRow("BubbleButton")
            << "BubbleButton"
            << "imageSource: \"qrc:/images/info_icon.svg\"; toggled: true; radiant: true;"
               " colorToggledOn: true; showDownChevron: true; showText: true; text: \"Play\"; focus: true";
        QTest::newRow("BubbleButton disabled") << "BubbleButton"
                                               << "enabled: false; radiant: true";
        QTest::newRow("BubbleButtonBar")
            << "BubbleButtonBar"
            << "BubbleButton { imageSource: \"qrc:/images/info_icon.svg\" } BubbleButton {}";
        QTest::newRow("VandCustomMenu")
            << "VandCustomMenu"
            << "visible: true; Action { text: \"Save\"; shortcut: \"Ctrl+S\" } VandCustomMenuSeparator {}"
               " VandCustomMenu { title: \"More\"; Action { text: \"Inner\" } }";
        QTest::newRow("CustomContextMenu")
            << "CustomContextMenu"
            << "visible: true; Action { text: \"1 s\" } Action { text: \"5 s\"; enabled: false }";
        QTest::newRow("VandMenuItem") << "VandMenuItem"
                                      << "menuText: \"Entry\"";
        QTest::newRow("CustomTabBar")
            << "CustomTabBar"
            << "width: 300; currentIndex: 1;"
               " CustomTabButton { text: \"One\"; source: \"qrc:/images/info_icon.svg\"; toolTip.text: \"Tip\" }"
               " CustomTabButton { text: \"Two\"; source: \"qrc:/images/info_icon.svg\"; showHoverEffect: true }"
               " CustomTabButton { text: \"Three\"; enabled: false }";
        QTest::newRow("ModeTabButton") << "TabBar"
                                       << "ModeTabButton { text: \"Music Edit\"; font: theme.default_font }"
                                          " ModeTabButton { text: \"Score\"; enabled: false }";
        QTest::newRow("CustomComboBox") << "CustomComboBox"
                                        << "model: [\"a\", \"b\", \"c\"]; currentIndex: 1; focus: true";
        QTest::newRow("CustomComboBox opened")
            << "CustomComboBox"
            << "model: [{ name: \"x\" }, { other: 1 }]; textRole: \"name\"; Component.onCompleted: choices.open()";
        QTest::newRow("CustomComboBox disabled") << "CustomComboBox"
                                                 << "model: 3; enabled: false";
        QTest::newRow("RecessedTextInput") << "RecessedTextInput"
                                           << "width: 150; text: \"Text\"; focus: true";
        QTest::newRow("RecessedTextInput read-only") << "RecessedTextInput"
                                                     << "width: 150; editable: false";
        QTest::newRow("CustomTextInput") << "CustomTextInput"
                                         << "width: 150; text: \"12\"";
        QTest::newRow("FlatInputWindow")
            << "FlatInputWindow"
            << "title: \"Title\"; text: \"Message\"; type: \"warning\"; showConfirmation: true;"
               " showNegateButton: true; negateButtonText: \"Cancel\"; visible: true";
        QTest::newRow("FlatInputWindow unknown kind") << "FlatInputWindow"
                                                      << "type: \"notice\"; showInputField: false; visible: true";
        QTest::newRow("AboutWindow")
            << "AboutWindow"
            << "logoSource: \"qrc:/images/pelorin_logo_light_long\"; Component.onCompleted: open()";
        QTest::newRow("AcknowledgementsWindow") << "AcknowledgementsWindow"
                                                << "acknowledgementText: \"Text\"";
        QTest::newRow("GraphicButton")
            << "GraphicButton"
            << "text: \"Undo\"; imageSource: \"qrc:/images/info_icon.svg\"; toolTip.text: \"Undo\"";
        QTest::newRow("GraphicButton caption only") << "GraphicButton"
                                                    << "text: \"Edit\"; enabled: false";
        QTest::newRow("FlatProgressBar") << "FlatProgressBar"
                                         << "width: 300; value: 0.5";
        QTest::newRow("FlatProgressBar empty") << "FlatProgressBar"
                                               << "width: 300; value: 0";
        QTest::newRow("WaitIndicator") << "WaitIndicator"
                                       << "Component.onCompleted: start(5)";
        QTest::newRow("WaitWindow") << "WaitWindow"
                                    << "text: \"Waiting for the server\"; visible: true";
        // Spin boxes, sliders, dial, the edit-tool frame and panel, the
        // column splitter, the form fields and the packaging page.
        QTest::newRow("CustomSpinBox") << "CustomSpinBox"
                                       << "from: 0; to: 127; intValue: 78";
        QTest::newRow("CustomSpinBox infinite") << "CustomSpinBox"
                                                << "underflowWithInfinite: true; from: 1; intValue: 0; editable: false";
        QTest::newRow("RecessedSpinBox") << "RecessedSpinBox"
                                         << "from: 0; to: 500; inputWidth: 45; textIndent: 0";
        QTest::newRow("RecessedSpinBox number") << "RecessedSpinBox"
                                                << "from: 1; to: 500; defaultValue: 2; inputFocus: true";
        QTest::newRow("VandCustomSlider") << "VandCustomSlider"
                                          << "width: 200; focus: true";
        QTest::newRow("VandCustomSlider popup")
            << "VandCustomSlider"
            << "width: 200; showZeroMark: false; Component.onCompleted: openValuePopup()";
        QTest::newRow("VandCustomVolumeSlider") << "VandCustomVolumeSlider"
                                                << "width: 200; value: 0.5; focus: true";
        QTest::newRow("VandCustomDial") << "VandCustomDial"
                                        << "value: 0.4";
        QTest::newRow("VandCustomDial disabled") << "VandCustomDial"
                                                 << "enabled: false; showZeroMark: false";
        QTest::newRow("EditTool") << "EditTool"
                                  << "eventId: \"N-12\"; visible: true";
        QTest::newRow("StandardEditButtons") << "StandardEditButtons"
                                             << "width: 300; focus: true";
        QTest::newRow("EventIdLabel") << "EventIdLabel"
                                      << "value: \"N-12\"";
        QTest::newRow("EventIdLabel empty") << "EventIdLabel"
                                            << "";
        QTest::newRow("BarAndBeatPanel")
            << "BarAndBeatPanel"
            << "hasMicroshift: true; showSelectAll: true; inMaxMicroshift: 40;"
               " inBarModel: ListModel { ListElement { bar: \"1\" } ListElement { bar: \"2\" } }";
        QTest::newRow("BarAndBeatPanel point") << "BarAndBeatPanel"
                                               << "hasDuration: false";
        QTest::newRow("HeaderLabelDrag")
            << "Item"
            << "width: 300; height: 30;"
               " Rectangle { id: statusLabel; width: 100; height: 24 }"
               " Rectangle { id: nameHeader; x: 103; width: split.desiredWidth; height: 24 }"
               " HeaderLabelDrag { id: split; height: 24; controlToLeft: nameHeader; controlToFarLeft: statusLabel }";
        QTest::newRow("HeaderLabelDrag unplaced") << "HeaderLabelDrag"
                                                  << "height: 20";
        QTest::newRow("TextInputControl") << "TextInputControl"
                                          << "width: 300; text: \"Show Name\"; value: \"Demo\"";
        QTest::newRow("DirectoryInputControl") << "DirectoryInputControl"
                                               << "width: 300; value: \"/tmp\"";
        QTest::newRow("FileInputControl") << "FileInputControl"
                                          << "width: 300; nameFilters: [\"WAV Files (*.wav)\", \"All files (*)\"]";
        QTest::newRow("FileDisplay") << "FileDisplay"
                                     << "width: 300; height: 80; text: \"Files\"; value: [\"a.mid\", \"b.mid\"]";
        QTest::newRow("FileDisplay empty") << "FileDisplay"
                                           << "width: 300; height: 80";
        QTest::newRow("PackageControl") << "PackageControl"
                                        << "toggleText: \"Advanced\"; toggled: true";
        QTest::newRow("RecessedTextArea") << "RecessedTextArea"
                                          << "width: 200; height: 60; text: \"one\\ntwo\"";
        QTest::newRow("SfxPlayButton") << "SfxPlayButton"
                                       << "playing: true";
        QTest::newRow("ActiveAudioList") << "ActiveAudioList"
                                         << "";
        QTest::newRow("SfxManagerTool") << "SfxManagerTool"
                                        << "";
        QTest::newRow("StandaloneSfxTool") << "StandaloneSfxTool"
                                           << "visible: true; isEdit: true";
        QTest::newRow("SfxPropertyTool") << "SfxPropertyTool"
                                         << "visible: true; usesCustomAudioFile: false";
    }

    void components()
    {
        QFETCH(QString, type);
        QFETCH(QString, properties);

        vand::test::QmlWarningGuard guard;
        const QString source = QStringLiteral("import QtQuick\nimport QtQuick.Controls.Basic\nimport QtQuick.Window\n"
                                              "import com.tarnwick.vand_ui\n"
                                              "Window {\n width: 400; height: 300; visible: true\n"
                                              " VandTheme { id: theme }\n"
                                              " %1 {\n  objectName: \"subject\"\n  %2\n }\n}\n")
                                   .arg(type, properties);
        QQmlComponent component(&engine);
        component.setData(source.toUtf8(), QUrl("qrc:/smoke/Smoke.qml"));
        QVERIFY2(component.isReady(), qPrintable(component.errorString()));
        std::unique_ptr<QObject> root(component.create());
        QVERIFY2(root, qPrintable(component.errorString()));
        auto* window = qobject_cast<QQuickWindow*>(root.get());
        QVERIFY(window);
        QVERIFY(root->findChild<QObject*>("subject"));
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QVERIFY(!window->grabWindow().isNull()); // render at least one frame
        QCoreApplication::processEvents();
        QVERIFY2(guard.warnings().isEmpty(), qPrintable(guard.warnings().join('\n')));
    }

private:
    QQmlEngine engine;
};

QTEST_MAIN(TestComponentsSmoke)
#include "tst_components_smoke.moc"
