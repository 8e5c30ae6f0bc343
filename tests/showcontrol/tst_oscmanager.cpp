// The OSC manager dialog with its controller: what OK reports, the port
// and destination checks, and the destination list's New, Edit, Delete and
// Cancel, driven through the view as the user would.

#include <QQmlApplicationEngine>
#include <QQuickWindow>
#include <QSignalSpy>
#include <QTest>

#include <memory>

#include "../app/AppFixture.h"
#include "QmlWarningGuard.h"
#include "app/AppQmlEngineSetup.h"
#include "showcontrol/NetworkListModel.h"
#include "showcontrol/OscManagerController.h"

using vand::NetworkListModel;
using vand::osc::OscSettings;
using vand::qt::OscManagerController;

namespace {

// The show's destinations: one of them TCP.
class NetworkEngine : public app_test::TestEngine
{
public:
    NetworkEngine(const app_test::DataFolder& folder, CL::NetworkPathVectorT networks)
        : TestEngine(folder.show.string(), folder.data.string(), std::make_shared<app_test::EngineScript>())
        , networks_(std::move(networks))
    {
    }
    const CL::NetworkPathVectorT& GetNetworks() const override { return networks_; }

private:
    CL::NetworkPathVectorT networks_;
};

const CL::NetworkPathVectorT kShow{CL::NetworkPath("NETWORK0", "QLab", "127.0.0.1", 53000, 0),
                                   CL::NetworkPath("desk", "Lighting desk", "10.0.0.7", 8000, 1)};

// What oscSettingsUpdated carried, copied during the call.
struct Report
{
    int count = 0;
    OscSettings settings;
    CL::NetworkPathVectorT networks;
};

QObject* Child(QObject* root, const char* name)
{
    QObject* child = root->findChild<QObject*>(QString::fromLatin1(name));
    if (!child)
        qWarning("no child %s", name);
    return child;
}

} // namespace

class TestOscManager : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<app_test::DataFolder> folder;
    QQmlApplicationEngine engine;
    std::shared_ptr<Interface> player;
    std::unique_ptr<vand::test::QmlWarningGuard> guard;
    std::unique_ptr<OscManagerController> manager;
    QObject* view = nullptr;
    QObject* editor = nullptr;
    Report report;

    void Open(OscSettings settings = OscSettings(true, 55037))
    {
        manager = std::make_unique<OscManagerController>(&engine, settings, player, nullptr);
        view = manager->GetQmlObject();
        QVERIFY(view);
        editor = Child(view, "networkEditWindow");
        QVERIFY(editor);
        report = {};
        connect(manager.get(), &OscManagerController::oscSettingsUpdated, this,
                [this](OscSettings s, CL::NetworkPathVectorT& n) {
                    ++report.count;
                    report.settings = s;
                    report.networks = n;
                });
        manager->SetVisible(true);
    }

    NetworkListModel* Model() { return manager->GetNetworkModel(); }
    void Click(const char* button) { QVERIFY(QMetaObject::invokeMethod(Child(view, button), "clicked")); }
    void Ok() { QVERIFY(QMetaObject::invokeMethod(Child(view, "managerButtons"), "okayClicked")); }
    void EditorOk() { QVERIFY(QMetaObject::invokeMethod(Child(editor, "editButtons"), "okayClicked")); }
    void SetField(QObject* within, const char* name, const QString& text)
    {
        QObject* field = Child(within, name);
        QVERIFY(field);
        QVERIFY(field->setProperty("text", text));
    }
    void Select(int row) { QVERIFY(Child(view, "networkList")->setProperty("currentIndex", row)); }

private slots:
    void initTestCase()
    {
        folder = std::make_unique<app_test::DataFolder>();
        vand::qt::PrepareAppQmlEngine(engine);
        player = std::make_shared<NetworkEngine>(*folder, kShow);
    }

    void init() { guard = std::make_unique<vand::test::QmlWarningGuard>(); }

    void cleanup()
    {
        manager.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY2(guard->warnings().isEmpty(), qPrintable(guard->warnings().join('\n')));
        guard.reset();
    }

    void viewShowsTheSettingsAndDestinations()
    {
        Open(OscSettings(false, 9000));
        QCOMPARE(view->property("oscListenPortString").toString(), QStringLiteral("9000"));
        QCOMPARE(view->property("oscEnabled").toBool(), false);
        QCOMPARE(view->property("title").toString(), QStringLiteral("OSC Manager"));
        QObject* list = Child(view, "networkList");
        QCOMPARE(list->property("count").toInt(), 2);
        QCOMPARE(list->property("currentIndex").toInt(), -1);
        QCOMPARE(Child(view, "editNetworkButton")->property("enabled").toBool(), false);
        QCOMPARE(Child(view, "deleteNetworkButton")->property("enabled").toBool(), false);
        QCOMPARE(Model()->dataStr(1, "second").toString(), QStringLiteral("10.0.0.7:8000, TCP"));
    }

    // OK without changes reports the settings and the player's destinations,
    // TCP included, in order; then the dialog hides.
    void okWithoutChangesReportsWhatWasThere()
    {
        Open();
        QVERIFY(view->property("visible").toBool());
        Ok();
        QCOMPARE(report.count, 1);
        QCOMPARE(report.settings, OscSettings(true, 55037));
        QCOMPARE(report.networks, kShow);
        QVERIFY(!view->property("visible").toBool());
    }

    void uncheckingIncomingOscReportsItOff()
    {
        Open();
        QVERIFY(Child(view, "oscEnabledCheckbox")->setProperty("checked", false));
        Ok();
        QCOMPARE(report.settings, OscSettings(false, 55037));
    }

    // The listen port must be a whole number from 1 to 65535: as text "abc"
    // would listen on a random port and "70000" on 4464.
    void listenPortMustBeAUdpPort_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("port"); // 0: refused
        QTest::newRow("55037") << "55037" << 55037;
        QTest::newRow("lowest") << "1" << 1;
        QTest::newRow("highest") << "65535" << 65535;
        QTest::newRow("blanks around") << " 9000 " << 9000;
        QTest::newRow("word") << "abc" << 0;
        QTest::newRow("hexadecimal") << "0x10" << 0;
        QTest::newRow("empty") << "" << 0;
        QTest::newRow("zero") << "0" << 0;
        QTest::newRow("too big") << "70000" << 0;
        QTest::newRow("negative") << "-5" << 0;
        QTest::newRow("fraction") << "80.5" << 0;
    }
    void listenPortMustBeAUdpPort()
    {
        QFETCH(QString, text);
        QFETCH(int, port);
        Open();
        SetField(view, "listenPortField", text);
        Ok();
        QCOMPARE(report.count, port ? 1 : 0);
        QCOMPARE(view->property("portInvalid").toBool(), port == 0);
        QCOMPARE(view->property("visible").toBool(), port == 0);
        if (port)
            QCOMPARE(report.settings.oscListenPort, port);
    }

    void correctedPortIsTaken()
    {
        Open();
        SetField(view, "listenPortField", "abc");
        Ok();
        QVERIFY(view->property("portInvalid").toBool());
        SetField(view, "listenPortField", "55038");
        Ok();
        QCOMPARE(report.count, 1);
        QCOMPARE(report.settings.oscListenPort, 55038);
        QVERIFY(!view->property("portInvalid").toBool());
    }

    void newNetworkAddsARowWithTheNextId()
    {
        Open();
        Click("newNetworkButton");
        QVERIFY(editor->property("visible").toBool());
        QCOMPARE(editor->property("title").toString(), QStringLiteral("Create Network Destination"));
        QCOMPARE(editor->property("networkName").toString(), QStringLiteral("New Network Destination"));
        QCOMPARE(Child(editor, "portField")->property("text").toString(), QStringLiteral("8000"));
        EditorOk();
        QVERIFY(!editor->property("visible").toBool());
        QCOMPARE(Model()->rowCount(), 3);
        QCOMPARE(Model()->dataStr(2, "first").toString(), QStringLiteral("New Network Destination"));
        QCOMPARE(Model()->dataStr(2, "second").toString(), QStringLiteral("127.0.0.1:8000, UDP"));
        QCOMPARE(Model()->dataStr(2, "networkId").toString(), QStringLiteral("NETWORK2"));
        Ok();
        QCOMPARE(report.networks.size(), std::size_t(3));
        QCOMPARE(report.networks.back(), CL::NetworkPath("NETWORK2", "New Network Destination", "127.0.0.1", 8000, 0));
    }

    // A destination needs an address the sender can read and a UDP port;
    // otherwise the field is marked, the window stays open, nothing changes.
    void destinationNeedsAnAddressAndAPort_data()
    {
        QTest::addColumn<QString>("ip");
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("invalid");
        QTest::newRow("good IPv4") << "192.168.1.20"
                                   << "9000"
                                   << "";
        QTest::newRow("good IPv6") << "::1"
                                   << "1"
                                   << "";
        QTest::newRow("host name") << "stage.local"
                                   << "9000"
                                   << "ipAddress";
        QTest::newRow("empty address") << ""
                                       << "9000"
                                       << "ipAddress";
        QTest::newRow("octet too big") << "300.1.1.1"
                                       << "9000"
                                       << "ipAddress";
        QTest::newRow("port 0") << "127.0.0.1"
                                << "0"
                                << "port";
        QTest::newRow("port too big") << "127.0.0.1"
                                      << "70000"
                                      << "port";
        QTest::newRow("port of six digits") << "127.0.0.1"
                                            << "4295032832"
                                            << "port";
        QTest::newRow("port word") << "127.0.0.1"
                                   << "12ab"
                                   << "port";
        QTest::newRow("port empty") << "127.0.0.1"
                                    << ""
                                    << "port";
    }
    void destinationNeedsAnAddressAndAPort()
    {
        QFETCH(QString, ip);
        QFETCH(QString, port);
        QFETCH(QString, invalid);
        Open();
        for (const bool editing : {false, true}) {
            if (editing) {
                Select(0);
                Click("editNetworkButton");
            } else {
                Click("newNetworkButton");
            }
            SetField(editor, "ipField", ip);
            SetField(editor, "portField", port);
            const int rows = Model()->rowCount();
            const QString before = Model()->dataStr(0, "second").toString();
            EditorOk();
            QCOMPARE(view->property("networkEditInvalidField").toString(), invalid);
            QCOMPARE(editor->property("visible").toBool(), !invalid.isEmpty());
            if (invalid.isEmpty()) {
                QCOMPARE(Model()->rowCount(), editing ? rows : rows + 1);
                const int row = editing ? 0 : rows;
                QCOMPARE(Model()->dataStr(row, "ipAddress").toString(), ip);
                QCOMPARE(Model()->dataStr(row, "port").toInt(), port.toInt());
            } else {
                QCOMPARE(Model()->rowCount(), rows);
                QCOMPARE(Model()->dataStr(0, "second").toString(), before);
                QVERIFY(QMetaObject::invokeMethod(editor, "close"));
            }
        }
    }

    // The controller checks again what reaches it without the view.
    void slotsRefuseWhatTheViewWouldHave()
    {
        Open();
        manager->onCreateNetwork_("not an address", 9000, "udp", "x");
        manager->onCreateNetwork_("127.0.0.1", 0, "udp", "x");
        manager->onEditNetwork_(0, "127.0.0.1", 65536, "udp", "x", "NETWORK0");
        manager->onEditNetwork_(7, "127.0.0.1", 9000, "udp", "x", "NETWORK0");
        manager->onEditNetwork_(-1, "127.0.0.1", 9000, "udp", "x", "NETWORK0");
        QCOMPARE(Model()->ToNetworkPaths(), kShow);
    }

    // Editing keeps the row's id and transport; the list shows it at once.
    void editKeepsTheIdentifier()
    {
        Open();
        Select(1);
        QVERIFY(Child(view, "editNetworkButton")->property("enabled").toBool());
        Click("editNetworkButton");
        QCOMPARE(editor->property("title").toString(), QStringLiteral("Edit Network Destination"));
        QCOMPARE(editor->property("networkName").toString(), QStringLiteral("Lighting desk"));
        QCOMPARE(editor->property("ipAddress").toString(), QStringLiteral("10.0.0.7"));
        QCOMPARE(editor->property("port").toInt(), 8000);
        QCOMPARE(editor->property("networkId").toString(), QStringLiteral("desk"));
        QSignalSpy changed(Model(), &QAbstractItemModel::dataChanged);
        SetField(editor, "nameField", "Desk 2");
        SetField(editor, "portField", "8001");
        EditorOk();
        QCOMPARE(changed.count(), 1);
        QCOMPARE(Model()->dataStr(1, "first").toString(), QStringLiteral("Desk 2"));
        QCOMPARE(Model()->dataStr(1, "second").toString(), QStringLiteral("10.0.0.7:8001, TCP"));
        Ok();
        QCOMPARE(report.networks.at(1), CL::NetworkPath("desk", "Desk 2", "10.0.0.7", 8001, 1));
        QCOMPARE(report.networks.at(0), kShow.at(0));
    }

    void deleteRemovesTheSelectedRowOnly()
    {
        Open();
        QCOMPARE(Child(view, "deleteNetworkButton")->property("enabled").toBool(), false);
        QVERIFY(QMetaObject::invokeMethod(view, "deleteButton"));
        QCOMPARE(Model()->rowCount(), 2);
        Select(0);
        QVERIFY(Child(view, "deleteNetworkButton")->property("enabled").toBool());
        Click("deleteNetworkButton");
        QCOMPARE(Model()->rowCount(), 1);
        Ok();
        QCOMPARE(report.networks, CL::NetworkPathVectorT{kShow.at(1)});
    }

    // Cancel applies nothing; the next opening starts from the player again.
    void cancelAppliesNothing()
    {
        Open();
        Click("newNetworkButton");
        EditorOk();
        Select(0);
        Click("deleteNetworkButton");
        SetField(view, "listenPortField", "6000");
        QVERIFY(QMetaObject::invokeMethod(Child(view, "managerButtons"), "cancelClicked"));
        QVERIFY(!view->property("visible").toBool());
        QCOMPARE(report.count, 0);
        Open();
        QCOMPARE(Model()->ToNetworkPaths(), kShow);
        QCOMPARE(view->property("oscListenPortString").toString(), QStringLiteral("55037"));
    }
};

QTEST_MAIN(TestOscManager)
#include "tst_oscmanager.moc"
