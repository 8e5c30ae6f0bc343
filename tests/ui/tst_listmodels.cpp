#include <QAbstractItemModelTester>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTest>
#include <memory>

#include "QmlWarningGuard.h"
#include "ui/DualRoledListModel.h"
#include "ui/QmlEngineSetup.h"
#include "ui/StringValueListModel.h"

namespace {

constexpr int kValue = Qt::UserRole + 1;
constexpr int kFirst = Qt::UserRole + 2;
constexpr int kSecond = Qt::UserRole + 3;

std::shared_ptr<DualRoleItem> MakeItem(const QString& first, const QString& second, int value)
{
    auto item = std::make_shared<DualRoleItem>();
    item->firstText = first;
    item->secondText = second;
    item->value = value;
    return item;
}

// An item that shows strings computed from its own fields, as the network
// destination row does.
class HostItem : public DualRoleItem
{
public:
    QString name;
    int port = 0;
    QString first() const override { return "host " + name; }
    QString second() const override { return QString::number(port); }
};

// A derived model with one role of its own.
class PortModel : public DualRoledListModel
{
public:
    static constexpr int PortRole = Qt::UserRole + 4;
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (role == PortRole) {
            if (index.row() < 0 || index.row() >= items.size())
                return {};
            return static_cast<const HostItem&>(*items.at(index.row())).port;
        }
        return DualRoledListModel::data(index, role);
    }
    QHash<int, QByteArray> roleNames() const override
    {
        auto names = DualRoledListModel::roleNames();
        names.insert(PortRole, "port");
        return names;
    }
};

QStringList Firsts(const DualRoledListModel& model)
{
    QStringList out;
    for (int row = 0; row < model.rowCount(); ++row)
        out << model.data(model.index(row), kFirst).toString();
    return out;
}

} // namespace

class TestListModels : public QObject
{
    Q_OBJECT
private:
    // Model with rows A, B, C, D under the model tester.
    std::unique_ptr<DualRoledListModel> model;
    std::unique_ptr<QAbstractItemModelTester> tester;

    void fillAbcd()
    {
        for (const char* name : {"A", "B", "C", "D"})
            model->AddItem(MakeItem(name, QString(name).toLower(), name[0]));
    }

private slots:
    void init()
    {
        model = std::make_unique<DualRoledListModel>();
        tester = std::make_unique<QAbstractItemModelTester>(model.get(),
                                                            QAbstractItemModelTester::FailureReportingMode::QtTest);
    }
    void cleanup()
    {
        tester.reset();
        model.reset();
    }

    void emptyModelGivesInvalidValues()
    {
        QCOMPARE(model->rowCount(), 0);
        QVERIFY(!model->data(model->index(0), kFirst).isValid());
        QVERIFY(!model->dataStr(0, "first").isValid());
        QVERIFY(!model->dataStr(-1, "value").isValid());
    }

    void addItemAppendsOneRow()
    {
        model->AddItem(MakeItem("A", "a", 1));
        model->AddItem(MakeItem("B", "b", 2));
        model->AddItem(MakeItem("C", "c", 3));
        QSignalSpy inserted(model.get(), &QAbstractItemModel::rowsInserted);
        model->AddItem(MakeItem("D", "d", 4));
        QCOMPARE(inserted.count(), 1);
        QCOMPARE(inserted.at(0).at(1).toInt(), 3);
        QCOMPARE(inserted.at(0).at(2).toInt(), 3);
        QCOMPARE(Firsts(*model), (QStringList{"A", "B", "C", "D"}));
    }

    void dataByRole_data()
    {
        QTest::addColumn<int>("role");
        QTest::addColumn<QVariant>("expected");
        QTest::newRow("value") << kValue << QVariant(7);
        QTest::newRow("first") << kFirst << QVariant(QString("one"));
        QTest::newRow("second") << kSecond << QVariant(QString("two"));
        QTest::newRow("display is first") << int(Qt::DisplayRole) << QVariant(QString("one"));
        QTest::newRow("edit role") << int(Qt::EditRole) << QVariant();
        QTest::newRow("unknown") << int(Qt::UserRole + 9) << QVariant();
    }
    void dataByRole()
    {
        QFETCH(int, role);
        QFETCH(QVariant, expected);
        model->AddItem(MakeItem("one", "two", 7));
        const QVariant got = model->data(model->index(0), role);
        QCOMPARE(got, expected);
        if (expected.isValid())
            QCOMPARE(got.metaType(), expected.metaType());
        QVERIFY(!model->data(model->index(0).siblingAtRow(1), role).isValid());
    }

    void roleNamesHoldOnlyOwnRoles()
    {
        const QHash<int, QByteArray> expected{{kValue, "value"}, {kFirst, "first"}, {kSecond, "second"}};
        QCOMPARE(model->roleNames(), expected);
    }

    void derivedItemStringsAreShownButSetDataWritesStoredFields()
    {
        auto host = std::make_shared<HostItem>();
        host->name = "desk";
        host->port = 53000;
        model->AddItem(host);
        QCOMPARE(model->data(model->index(0), kFirst).toString(), QString("host desk"));
        QCOMPARE(model->data(model->index(0), Qt::DisplayRole).toString(), QString("host desk"));
        QCOMPARE(model->dataStr(0, "second").toString(), QString("53000"));

        QVERIFY(model->setData(model->index(0), "stored", kFirst));
        QCOMPARE(host->firstText, QString("stored"));
        QCOMPARE(model->data(model->index(0), kFirst).toString(), QString("host desk"));
    }

    void setData_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("role");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::addColumn<int>("stored");
        QTest::newRow("first") << 1 << kFirst << QVariant("X") << true << "X"
                               << "b" << 2;
        QTest::newRow("first from number") << 1 << kFirst << QVariant(42) << true << "42"
                                           << "b" << 2;
        QTest::newRow("second") << 1 << kSecond << QVariant("Y") << true << "B"
                                << "Y" << 2;
        QTest::newRow("value") << 1 << kValue << QVariant(99) << true << "B"
                               << "b" << 99;
        QTest::newRow("value from text") << 1 << kValue << QVariant("17") << true << "B"
                                         << "b" << 17;
        QTest::newRow("value not a number") << 1 << kValue << QVariant("abc") << true << "B"
                                            << "b" << 0;
        QTest::newRow("same value") << 1 << kValue << QVariant(2) << true << "B"
                                    << "b" << 2;
        QTest::newRow("display refused") << 1 << int(Qt::DisplayRole) << QVariant("Z") << false << "B"
                                         << "b" << 2;
        QTest::newRow("edit refused") << 1 << int(Qt::EditRole) << QVariant("Z") << false << "B"
                                      << "b" << 2;
        QTest::newRow("row past end") << 2 << kFirst << QVariant("Z") << false << "B"
                                      << "b" << 2;
    }
    void setData()
    {
        QFETCH(int, row);
        QFETCH(int, role);
        QFETCH(QVariant, value);
        QFETCH(bool, accepted);
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(int, stored);
        model->AddItem(MakeItem("A", "a", 1));
        auto item = MakeItem("B", "b", 2);
        model->AddItem(item);

        // A stale index (from a model with more rows) reaches past the end.
        QStandardItemModel other(row + 1, 1);
        const QModelIndex index = row < model->rowCount() ? model->index(row) : other.index(row, 0);
        QSignalSpy changed(model.get(), &QAbstractItemModel::dataChanged);
        QCOMPARE(model->setData(index, value, role), accepted);
        QCOMPARE(item->firstText, first);
        QCOMPARE(item->secondText, second);
        QCOMPARE(item->value, stored);
        QCOMPARE(changed.count(), accepted ? 1 : 0);
        if (accepted) {
            QCOMPARE(changed.at(0).at(0).toModelIndex(), index);
            QCOMPARE(changed.at(0).at(1).toModelIndex(), index);
            QCOMPARE(changed.at(0).at(2).value<QList<int>>(), QList<int>{role});
        }
    }

    void removeRows_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QStringList>("left");
        QTest::newRow("middle two") << 1 << 2 << true << QStringList{"A", "D"};
        QTest::newRow("first") << 0 << 1 << true << QStringList{"B", "C", "D"};
        QTest::newRow("last") << 3 << 1 << true << QStringList{"A", "B", "C"};
        QTest::newRow("all") << 0 << 4 << true << QStringList{};
        QTest::newRow("negative row") << -1 << 1 << false << QStringList{"A", "B", "C", "D"};
        QTest::newRow("zero count") << 1 << 0 << false << QStringList{"A", "B", "C", "D"};
        QTest::newRow("negative count") << 1 << -2 << false << QStringList{"A", "B", "C", "D"};
        QTest::newRow("row at end") << 4 << 1 << false << QStringList{"A", "B", "C", "D"};
        QTest::newRow("runs past end") << 2 << 3 << false << QStringList{"A", "B", "C", "D"};
        QTest::newRow("huge count") << 1 << std::numeric_limits<int>::max() << false << QStringList{"A", "B", "C", "D"};
    }
    void removeRows()
    {
        QFETCH(int, row);
        QFETCH(int, count);
        QFETCH(bool, accepted);
        QFETCH(QStringList, left);
        fillAbcd();
        QSignalSpy aboutToRemove(model.get(), &QAbstractItemModel::rowsAboutToBeRemoved);
        QSignalSpy removed(model.get(), &QAbstractItemModel::rowsRemoved);
        QCOMPARE(model->removeRows(row, count), accepted);
        QCOMPARE(Firsts(*model), left);
        QCOMPARE(aboutToRemove.count(), accepted ? 1 : 0);
        QCOMPARE(removed.count(), accepted ? 1 : 0);
        if (accepted) {
            QCOMPARE(removed.at(0).at(1).toInt(), row);
            QCOMPARE(removed.at(0).at(2).toInt(), row + count - 1);
        }
    }

    void removedItemsLiveOnlyWhileHeldElsewhere()
    {
        auto kept = MakeItem("kept", "", 1);
        std::weak_ptr<DualRoleItem> dropped;
        {
            auto item = MakeItem("dropped", "", 2);
            dropped = item;
            model->AddItem(item);
        }
        model->AddItem(kept);
        QVERIFY(model->removeRows(0, 2));
        QVERIFY(dropped.expired());
        QCOMPARE(kept.use_count(), 1L);
        QCOMPARE(kept->firstText, QString("kept"));
    }

    void dataStrByRoleName_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("role");
        QTest::addColumn<QVariant>("expected");
        QTest::newRow("first") << 1 << "first" << QVariant(QString("B"));
        QTest::newRow("second") << 1 << "second" << QVariant(QString("b"));
        QTest::newRow("value is int") << 1 << "value" << QVariant(int('B'));
        QTest::newRow("unknown name reads first") << 1 << "colour" << QVariant(QString("B"));
        QTest::newRow("qt role name not served") << 1 << "display" << QVariant(QString("B"));
        QTest::newRow("empty name reads first") << 1 << "" << QVariant(QString("B"));
        QTest::newRow("last row") << 3 << "second" << QVariant(QString("d"));
        QTest::newRow("row past end") << 4 << "first" << QVariant();
        QTest::newRow("negative row") << -1 << "first" << QVariant();
    }
    void dataStrByRoleName()
    {
        QFETCH(int, row);
        QFETCH(QString, role);
        QFETCH(QVariant, expected);
        fillAbcd();
        const QVariant got = model->dataStr(row, role);
        QCOMPARE(got, expected);
        if (expected.isValid())
            QCOMPARE(got.metaType(), expected.metaType());
    }

    void dataStrFindsDerivedRoles()
    {
        PortModel ports;
        QAbstractItemModelTester portTester(&ports, QAbstractItemModelTester::FailureReportingMode::QtTest);
        auto host = std::make_shared<HostItem>();
        host->name = "desk";
        host->port = 53000;
        ports.AddItem(host);
        QCOMPARE(ports.dataStr(0, "port"), QVariant(53000));
        QCOMPARE(ports.dataStr(0, "first"), QVariant(QString("host desk")));
        QCOMPARE(ports.dataStr(0, "nothing"), QVariant(QString("host desk")));
    }

    void qmlReadsAndRemovesRows()
    {
        fillAbcd();
        QQmlEngine engine;
        vand::qt::PrepareQmlEngine(engine);
        vand::test::QmlWarningGuard guard;
        QQmlComponent component(&engine);
        component.setData(R"(
            import QtQml
            QtObject {
                property var model
                function run() {
                    var second = model.dataStr(1, "second")
                    var two = model.removeRows(1, 1)
                    var three = model.removeRows(0, 1, undefined)
                    var refused = model.removeRows(5, 1)
                    var missing = model.dataStr(9, "first")
                    return [second, two, three, refused, missing === undefined].join(",")
                }
            })",
                          QUrl());
        std::unique_ptr<QObject> object(component.createWithInitialProperties(
            {{"model", QVariant::fromValue(static_cast<QObject*>(model.get()))}}));
        QVERIFY2(object, qPrintable(component.errorString()));
        QVariant result;
        QVERIFY(QMetaObject::invokeMethod(object.get(), "run", Q_RETURN_ARG(QVariant, result)));
        QCOMPARE(result.toString(), QString("b,true,true,false,true"));
        QCOMPARE(Firsts(*model), (QStringList{"C", "D"}));
        QVERIFY2(guard.warnings().isEmpty(), qPrintable(guard.warnings().join('\n')));
    }

    // StringValueListModel

    void stringValueModelRolesAndData()
    {
        StringValueListModel values;
        QAbstractItemModelTester valuesTester(&values, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(values.rowCount(), 0);
        QVERIFY(!values.data(values.index(0), Qt::DisplayRole).isValid());

        const QHash<int, QByteArray> expectedNames{{kValue, "value"}, {kFirst, "displayname"}};
        QCOMPARE(values.roleNames(), expectedNames);

        values.AddItem({"Note On", 0x90});
        QSignalSpy inserted(&values, &QAbstractItemModel::rowsInserted);
        values.AddItem({"Control Change", 0xB0});
        QCOMPARE(inserted.count(), 1);
        QCOMPARE(inserted.at(0).at(1).toInt(), 1);
        QCOMPARE(inserted.at(0).at(2).toInt(), 1);

        QCOMPARE(values.data(values.index(1), kValue), QVariant(0xB0));
        QCOMPARE(values.data(values.index(1), kFirst), QVariant(QString("Control Change")));
        QCOMPARE(values.data(values.index(0), Qt::DisplayRole), QVariant(QString("Note On")));
        QVERIFY(!values.data(values.index(0), kSecond).isValid());
        QVERIFY(!values.data(values.index(0), Qt::EditRole).isValid());
        QVERIFY(!values.data(values.index(0).siblingAtRow(2), kValue).isValid());

        // Read-only to views.
        QVERIFY(!values.setData(values.index(0), "x", kFirst));
        QVERIFY(!values.removeRows(0, 1));
        QCOMPARE(values.rowCount(), 2);
    }

    void stringValueModelTravelsAsPointerProperty()
    {
        StringValueListModel values;
        QVERIFY(QMetaType::fromName("StringValueListModel*").isValid());
        const QVariant wrapped = QVariant::fromValue(&values);
        QCOMPARE(wrapped.metaType(), QMetaType::fromType<StringValueListModel*>());
        QCOMPARE(wrapped.value<StringValueListModel*>(), &values);
    }

    void comboBoxShowsDisplayNamesInOrder()
    {
        StringValueListModel values;
        values.AddItem({"Note On", 0x90});
        values.AddItem({"Note Off", 0x80});
        values.AddItem({"Control Change", 0xB0});
        QQmlEngine engine;
        vand::qt::PrepareQmlEngine(engine);
        vand::test::QmlWarningGuard guard;
        QQmlComponent component(&engine);
        component.setData(R"(
            import QtQuick
            import QtQuick.Controls
            ComboBox {
                textRole: "displayname"
                valueRole: "value"
                function texts() { var t = []; for (var i = 0; i < count; ++i) t.push(textAt(i)); return t.join("|") }
            })",
                          QUrl());
        std::unique_ptr<QObject> box(component.createWithInitialProperties({{"model", QVariant::fromValue(&values)}}));
        QVERIFY2(box, qPrintable(component.errorString()));
        QVariant texts;
        QVERIFY(QMetaObject::invokeMethod(box.get(), "texts", Q_RETURN_ARG(QVariant, texts)));
        QCOMPARE(texts.toString(), QString("Note On|Note Off|Control Change"));
        QCOMPARE(box->property("displayText").toString(), QString("Note On"));
        QCOMPARE(box->property("currentValue").toInt(), 0x90);
        QVERIFY2(guard.warnings().isEmpty(), qPrintable(guard.warnings().join('\n')));
    }
};

QTEST_MAIN(TestListModels)
#include "tst_listmodels.moc"
