// The show's OSC destinations as a list model: rows from the show, the
// roles, the next free identifier and the way back to the show's records.

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

#include <memory>

#include "showcontrol/NetworkListModel.h"

using vand::NetworkItem;
using vand::NetworkListModel;

namespace {

CL::NetworkPathVectorT Show()
{
    return {CL::NetworkPath("NETWORK0", "QLab", "127.0.0.1", 53000, 0),
            CL::NetworkPath("lights", "Lighting desk", "10.0.0.7", 8000, 1),
            CL::NetworkPath("NETWORK1", "Sound \xc3\xa9", "::1", 9001, 0)};
}

CL::NetworkPathVectorT WithIds(const QStringList& ids)
{
    CL::NetworkPathVectorT paths;
    for (const QString& id : ids)
        paths.emplace_back(id.toStdString(), "n", "127.0.0.1", 9000, 0);
    return paths;
}

} // namespace

class TestNetworkListModel : public QObject
{
    Q_OBJECT
private slots:
    void defaultItemShowsItsDefaults()
    {
        const NetworkItem item;
        QCOMPARE(item.first(), QStringLiteral("Network Destination"));
        QCOMPARE(item.second(), QStringLiteral("127.0.0.1:8001, UDP"));
    }

    void rowsComeFromTheShowInOrder()
    {
        NetworkListModel model(Show());
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(model.rowCount(), 3);
        const QModelIndex tcp = model.index(1, 0);
        QCOMPARE(model.data(tcp, Qt::DisplayRole).toString(), QStringLiteral("Lighting desk"));
        QCOMPARE(model.data(tcp, NetworkListModel::SecondRole).toString(), QStringLiteral("10.0.0.7:8000, TCP"));
        QCOMPARE(model.data(tcp, NetworkListModel::NameRole).toString(), QStringLiteral("Lighting desk"));
        QCOMPARE(model.data(tcp, NetworkListModel::IpAddressRole).toString(), QStringLiteral("10.0.0.7"));
        QCOMPARE(model.data(tcp, NetworkListModel::NetworkIdRole).toString(), QStringLiteral("lights"));
        QCOMPARE(model.data(tcp, NetworkListModel::ModeRole).toString(), QStringLiteral("tcp"));
        QCOMPARE(model.data(tcp, NetworkListModel::PortRole).typeId(), QMetaType::Int);
        QCOMPARE(model.data(tcp, NetworkListModel::PortRole).toInt(), 8000);
        QCOMPARE(model.data(tcp, NetworkListModel::ValueRole).toInt(), 0);
        QCOMPARE(model.dataStr(1, "port"), QVariant(8000));
        QCOMPARE(model.dataStr(2, "name").toString(), QString::fromUtf8("Sound \xc3\xa9"));
        QVERIFY(!model.data(model.index(3, 0), NetworkListModel::NameRole).isValid());
        QVERIFY(!model.dataStr(-1, "port").isValid());
    }

    // Unchanged rows convert back to records equal to those they came from.
    void unchangedRowsGoBackUnchanged()
    {
        NetworkListModel model(Show());
        QCOMPARE(model.ToNetworkPaths(), Show());
        QCOMPARE(NetworkListModel(CL::NetworkPathVectorT{}).ToNetworkPaths(), CL::NetworkPathVectorT{});
    }

    void onlyLowerCaseTcpIsTcp_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<int>("expected");
        QTest::newRow("tcp") << "tcp" << 1;
        QTest::newRow("upper case TCP") << "TCP" << 0;
        QTest::newRow("udp") << "udp" << 0;
        QTest::newRow("empty") << "" << 0;
    }
    void onlyLowerCaseTcpIsTcp()
    {
        QFETCH(QString, mode);
        QFETCH(int, expected);
        NetworkListModel model(Show());
        QVERIFY(model.setData(model.index(0, 0), mode, NetworkListModel::ModeRole));
        QCOMPARE(model.ToNetworkPaths().at(0).Mode, expected);
    }

    void nextIdentifierSkipsTakenOnes_data()
    {
        QTest::addColumn<QStringList>("ids");
        QTest::addColumn<int>("removeRow"); // -1: none
        QTest::addColumn<QString>("expected");
        QTest::newRow("no rows") << QStringList{} << -1 << "NETWORK0";
        QTest::newRow("0 and 1") << QStringList{"NETWORK0", "NETWORK1"} << -1 << "NETWORK2";
        QTest::newRow("count taken") << QStringList{"NETWORK1"} << -1 << "NETWORK2";
        QTest::newRow("middle removed") << QStringList{"NETWORK0", "NETWORK1", "NETWORK2"} << 1 << "NETWORK3";
        QTest::newRow("case matters") << QStringList{"a", "network2"} << -1 << "NETWORK2";
        QTest::newRow("taken further on") << QStringList{"NETWORK3", "NETWORK2", "x"} << -1 << "NETWORK4";
        QTest::newRow("no leading zeros") << QStringList{"NETWORK01"} << -1 << "NETWORK1";
    }
    void nextIdentifierSkipsTakenOnes()
    {
        QFETCH(QStringList, ids);
        QFETCH(int, removeRow);
        QFETCH(QString, expected);
        NetworkListModel model(WithIds(ids));
        if (removeRow >= 0)
            QVERIFY(model.removeRows(removeRow, 1));
        QCOMPARE(model.GetNextNetworkId(), expected);
    }

    void addedRowsFollowTheShowsOnes()
    {
        NetworkListModel model(Show());
        QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
        auto item = std::make_shared<NetworkItem>();
        item->name = "New";
        item->networkId = model.GetNextNetworkId();
        model.AddNetwork(item);
        QCOMPARE(inserted.count(), 1);
        QCOMPARE(inserted.at(0).at(1).toInt(), 3);
        QCOMPARE(inserted.at(0).at(2).toInt(), 3);
        QCOMPARE(model.ToNetworkPaths().back(), CL::NetworkPath("NETWORK3", "New", "127.0.0.1", 8001, 0));
    }

    void notifyRowChangedAnnouncesEveryRole_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<bool>("announced");
        QTest::newRow("first") << 0 << true;
        QTest::newRow("last") << 2 << true;
        QTest::newRow("negative") << -1 << false;
        QTest::newRow("past the end") << 3 << false;
    }
    void notifyRowChangedAnnouncesEveryRole()
    {
        QFETCH(int, row);
        QFETCH(bool, announced);
        NetworkListModel model(Show());
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        if (auto item = model.ItemAt(row))
            item->port = 7000;
        model.NotifyRowChanged(row);
        QCOMPARE(changed.count(), announced ? 1 : 0);
        if (announced) {
            QCOMPARE(changed.at(0).at(0).toModelIndex().row(), row);
            QCOMPARE(changed.at(0).at(1).toModelIndex().row(), row);
            QVERIFY(changed.at(0).at(2).value<QList<int>>().isEmpty());
            QVERIFY(model.dataStr(row, "second").toString().contains(":7000,"));
        }
    }

    void setDataStoresTextRoles_data()
    {
        QTest::addColumn<int>("role");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("second");
        QTest::newRow("name") << int(NetworkListModel::NameRole) << "Desk"
                              << "127.0.0.1:53000, UDP";
        QTest::newRow("address") << int(NetworkListModel::IpAddressRole) << "10.1.1.1"
                                 << "10.1.1.1:53000, UDP";
        QTest::newRow("mode") << int(NetworkListModel::ModeRole) << "tcp"
                              << "127.0.0.1:53000, TCP";
        QTest::newRow("identifier") << int(NetworkListModel::NetworkIdRole) << "x"
                                    << "127.0.0.1:53000, UDP";
    }
    void setDataStoresTextRoles()
    {
        QFETCH(int, role);
        QFETCH(QString, value);
        QFETCH(QString, second);
        NetworkListModel model(Show());
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        QVERIFY(model.setData(model.index(0, 0), value, role));
        QCOMPARE(model.data(model.index(0, 0), role).toString(), value);
        QCOMPARE(model.data(model.index(0, 0), NetworkListModel::SecondRole).toString(), second);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.at(0).at(2).value<QList<int>>(), QList<int>{role});
        QVERIFY(!model.setData(model.index(5, 0), value, role));
    }

    // A port must be a whole number from 1 to 65535: other values would
    // reach the sender as their low 16 bits (70000 would send to 4464).
    void setDataRefusesPortsOutsideTheRange_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<int>("stored"); // 0: refused, the port stays 53000
        QTest::newRow("int") << QVariant(8000) << 8000;
        QTest::newRow("lowest") << QVariant(1) << 1;
        QTest::newRow("highest") << QVariant(65535) << 65535;
        QTest::newRow("whole double") << QVariant(9000.0) << 9000;
        QTest::newRow("digits") << QVariant(QStringLiteral("8080")) << 8080;
        QTest::newRow("digits with blanks") << QVariant(QStringLiteral(" 8080 ")) << 8080;
        QTest::newRow("zero") << QVariant(0) << 0;
        QTest::newRow("negative") << QVariant(-1) << 0;
        QTest::newRow("above range") << QVariant(70000) << 0;
        QTest::newRow("fraction") << QVariant(8000.5) << 0;
        QTest::newRow("not a number") << QVariant(qQNaN()) << 0;
        QTest::newRow("infinite") << QVariant(qInf()) << 0;
        QTest::newRow("word") << QVariant(QStringLiteral("abc")) << 0;
        QTest::newRow("hexadecimal") << QVariant(QStringLiteral("0x10")) << 0;
        QTest::newRow("exponent") << QVariant(QStringLiteral("8e3")) << 0;
        QTest::newRow("signed") << QVariant(QStringLiteral("+80")) << 0;
        QTest::newRow("empty text") << QVariant(QString()) << 0;
        QTest::newRow("long text") << QVariant(QStringLiteral("0000080")) << 0;
        QTest::newRow("bool") << QVariant(true) << 0;
        QTest::newRow("invalid") << QVariant() << 0;
    }
    void setDataRefusesPortsOutsideTheRange()
    {
        QFETCH(QVariant, value);
        QFETCH(int, stored);
        NetworkListModel model(Show());
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        QCOMPARE(model.setData(model.index(0, 0), value, NetworkListModel::PortRole), stored != 0);
        QCOMPARE(model.data(model.index(0, 0), NetworkListModel::PortRole).toInt(), stored ? stored : 53000);
        QCOMPARE(changed.count(), stored ? 1 : 0);
    }

    void baseRolesStillWork()
    {
        NetworkListModel model(Show());
        QVERIFY(model.setData(model.index(0, 0), 7, NetworkListModel::ValueRole));
        QCOMPARE(model.data(model.index(0, 0), NetworkListModel::ValueRole).toInt(), 7);
        QVERIFY(!model.setData(model.index(0, 0), "x", Qt::DisplayRole));
        const QHash<int, QByteArray> names = model.roleNames();
        QCOMPARE(names.size(), 8);
        QCOMPARE(names.value(264), QByteArray("port"));
        QCOMPARE(names.value(258), QByteArray("first"));
    }
};

QTEST_MAIN(TestNetworkListModel)
#include "tst_networklistmodel.moc"
