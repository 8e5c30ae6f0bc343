// The Output Paths window over its controller and model, offscreen, on the
// test sound server's devices ("null" and "null2", both "Null Output"): rows
// from the engine's paths and this machine's device file, new, changed and
// deleted paths, the path tool, unique names, and a device file that cannot
// be read or written.

#include <QAbstractItemModelTester>
#include <QDir>
#include <QFile>
#include <QQmlApplicationEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <functional>
#include <memory>

#include "AudioDevicesFixture.h"
#include "FileSizeLimit.h"
#include "QmlWarningGuard.h"
#include "SoundServer.h"
#include "app/AppQmlEngineSetup.h"
#include "audio/OutputPathsManagerController.h"

using vand::qt::OutputPathsManagerController;
using vand::qt::OutputPathsModel;
using PathMap = std::map<std::string, CL::OutputPath>;

Q_DECLARE_METATYPE(PathMap)

using audio_test::ReadAll;

namespace {

const QRegularExpression kPathId(QStringLiteral("^[0-9a-f]{8}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{12}$"));

// The engine's paths of the given names, ids "p1", "p2", ...; their devices
// are those of the machine that made them.
PathMap EnginePaths(const QStringList& names)
{
    PathMap paths;
    for (int i = 0; i < names.size(); ++i) {
        const std::string id = "p" + std::to_string(i + 1);
        paths[id] = CL::OutputPath(id, names[i].toStdString(), "other-machine-card", "Other Machine");
    }
    return paths;
}

// A row as "name|device id|device name".
QString RowText(const CL::OutputPath& path)
{
    return QString::fromStdString(path.GetName() + "|" + path.GetDeviceId() + "|" + path.GetDeviceName());
}

CL::OutputPath PathOf(const QSignalSpy& spy, int i)
{
    return spy.at(i).at(0).value<CL::OutputPath>();
}

} // namespace

class TestOutputPaths : public QObject
{
    Q_OBJECT
private:
    QQmlApplicationEngine engine;
    std::unique_ptr<QTemporaryDir> show;
    std::unique_ptr<OutputPathsManagerController> manager;
    QObject* window = nullptr;

    QString DeviceFile() const { return show->filePath(QStringLiteral("outputpathdevices.json")); }

    // Builds the window over the engine's paths and shows it (as the main
    // controller does on request); QML reports nothing.
    void Open(const PathMap& paths)
    {
        vand::test::QmlWarningGuard guard;
        manager = std::make_unique<OutputPathsManagerController>(paths, &engine, nullptr, show->path().toStdString());
        window = manager->GetQmlObject();
        QVERIFY(window);
        QCOMPARE(window->property("visible").toBool(), false);
        manager->SetVisible(true);
        QVERIFY(QTest::qWaitForWindowExposed(qobject_cast<QWindow*>(window)));
        QVERIFY2(guard.warnings().isEmpty(), qPrintable(guard.warnings().join('\n')));
    }

    // The window's items of that name, from the top down.
    QList<QQuickItem*> ItemsNamed(const QString& name)
    {
        QList<QQuickItem*> found;
        std::function<void(QQuickItem*)> walk = [&](QQuickItem* item) {
            if (item->objectName() == name)
                found << item;
            for (QQuickItem* child : item->childItems())
                walk(child);
        };
        walk(qobject_cast<QQuickWindow*>(window)->contentItem());
        std::sort(found.begin(), found.end(), [](QQuickItem* a, QQuickItem* b) {
            return a->mapToScene({0, 0}).y() < b->mapToScene({0, 0}).y();
        });
        return found;
    }

    OutputPathsModel& Model() { return *manager->GetModel(); }

    QStringList Rows()
    {
        QStringList rows;
        for (int row = 0; row < Model().rowCount(); ++row)
            rows << RowText(Model().GetPath(row));
        return rows;
    }

    QObject* Child(const char* name)
    {
        QObject* found = window->findChild<QObject*>(QString::fromLatin1(name));
        if (!found)
            qWarning("no child named %s", name);
        return found;
    }

    QObject* Tool() { return Child("pathTool"); }

    // The entry of the window's device list that stands for this device id.
    int EntryOf(const QString& deviceId)
    {
        return static_cast<int>(window->property("deviceIds").toStringList().indexOf(deviceId));
    }

    void Click(const char* button)
    {
        QObject* item = Child(button);
        QVERIFY(item);
        QVERIFY2(item->property("enabled").toBool(), button);
        QVERIFY(QMetaObject::invokeMethod(item, "clicked"));
    }

    // What the user does in the tool: a name, a device entry, OK.
    void Confirm(const QString& name, int entry)
    {
        vand::test::QmlWarningGuard guard;
        QVERIFY(Tool()->setProperty("pathName", name));
        QVERIFY(Tool()->setProperty("pathDeviceIndex", entry));
        QVERIFY(QMetaObject::invokeMethod(Tool(), "confirm"));
        QVERIFY2(guard.warnings().isEmpty(), qPrintable(guard.warnings().join('\n')));
    }

    void NewPath(const QString& name, int entry)
    {
        Click("newPathButton");
        Confirm(name, entry);
    }

private slots:
    void initTestCase()
    {
        const QString problem = vand::test::SoundServerProblem();
        if (!problem.isEmpty())
            QFAIL(qPrintable(problem));
        qRegisterMetaType<CL::OutputPath>();
        vand::qt::PrepareAppQmlEngine(engine);
    }

    void init() { show = std::make_unique<QTemporaryDir>(); }

    void cleanup()
    {
        manager.reset();
        window = nullptr;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void devicesListedWithTheirIds()
    {
        Open({});
        const QStringList names = window->property("deviceList").toStringList();
        const QStringList ids = window->property("deviceIds").toStringList();
        QCOMPARE(names.size(), ids.size());
        QCOMPARE(names.value(0), QStringLiteral("(default)"));
        QCOMPARE(ids.value(0), QString());
        QCOMPARE(names.size(), static_cast<qsizetype>(manager->GetDevices().size()) + 1);
        QVERIFY(EntryOf("null") > 0 && EntryOf("null2") > 0);
        // The two devices of one description are told apart by their ids.
        QCOMPARE(names.value(EntryOf("null")), QStringLiteral("Null Output (null)"));
        QCOMPARE(names.value(EntryOf("null2")), QStringLiteral("Null Output (null2)"));
    }

    void uniqueNames_data()
    {
        QTest::addColumn<QStringList>("existing");
        QTest::addColumn<QString>("requested");
        QTest::addColumn<QString>("expected");
        QTest::newRow("no match") << QStringList{"Bass"} << "Drums"
                                  << "Drums";
        QTest::newRow("bare name taken") << QStringList{"Drums"} << "Drums"
                                         << "Drums 2";
        QTest::newRow("next after 2") << QStringList{"Drums", "Drums 2"} << "Drums"
                                      << "Drums 3";
        QTest::newRow("after the highest") << QStringList{"Drums 7"} << "Drums"
                                           << "Drums 8";
        QTest::newRow("0 counts as nothing") << QStringList{"Drums 0"} << "Drums"
                                             << "Drums";
        QTest::newRow("letters after digits, other case") << QStringList{"Drums 2b", "drums"} << "Drums"
                                                          << "Drums";
        QTest::newRow("tab before the digits") << QStringList{"Drums\t4"} << "Drums"
                                               << "Drums 5";
        QTest::newRow("two blanks") << QStringList{"Drums  4"} << "Drums"
                                    << "Drums";
        QTest::newRow("brackets taken literally") << QStringList{"Mon (L)", "Mon L"} << "Mon (L)"
                                                  << "Mon (L) 2";
        QTest::newRow("unbalanced bracket") << QStringList{"Mon (L"} << "Mon (L"
                                            << "Mon (L 2";
        QTest::newRow("pattern characters") << QStringList{"a.b", "axb"} << "a.b"
                                            << "a.b 2";
        QTest::newRow("30 digits not counted")
            << QStringList{"Drums", "Drums 123456789012345678901234567890"} << "Drums"
            << "Drums 2";
        QTest::newRow("largest counted") << QStringList{"Drums 18446744073709551614"} << "Drums"
                                         << "Drums 18446744073709551615";
        QTest::newRow("64-bit limit not counted") << QStringList{"Drums 18446744073709551615"} << "Drums"
                                                  << "Drums";
        QTest::newRow("empty name") << QStringList{"", " 3"} << ""
                                    << " 4";
    }

    void uniqueNames()
    {
        QFETCH(QStringList, existing);
        QFETCH(QString, requested);
        QFETCH(QString, expected);
        Open(EnginePaths(existing));
        QCOMPARE(QString::fromStdString(manager->MakeUniquePathName(requested.toStdString())), expected);
        // A new path gets that name.
        NewPath(requested, 0);
        QCOMPARE(QString::fromStdString(Model().GetPath(Model().rowCount() - 1).GetName()), expected);
    }

    // Ids and names come from the engine; devices only from this machine's
    // file, never from the machine that made the paths.
    void rowsTakeDevicesFromThisMachinesFile()
    {
        QVERIFY(audio_test::WriteAll(DeviceFile(),
                                     "{\"outputpaths\":[{\"id\":\"p1\",\"hwid\":\"null2\"},{\"id\":\"p3\","
                                     "\"hwid\":\"gone-card\"},{\"id\":\"stale\",\"hwid\":\"null\"}]}"));
        Open(EnginePaths({"Left", "Right", "Mon (L)"}));
        QCOMPARE(Rows(), (QStringList{"Left|null2|Null Output (null2)", "Right||", "Mon (L)|gone-card|"}));
        QCOMPARE(window->property("currentIndex").toInt(), 0);
        QCOMPARE(window->property("notice").toString(), QString());

        // The next write keeps the device of this machine that is not
        // plugged in, and drops the entry of a path the show does not have.
        NewPath("Centre", 0);
        const QString written = QString::fromUtf8(ReadAll(DeviceFile()));
        QVERIFY2(written.contains("{\"id\":\"p3\",\"hwid\":\"gone-card\"}"), qPrintable(written));
        QVERIFY2(written.contains("{\"id\":\"p2\",\"hwid\":\"\"}"), qPrintable(written));
        QVERIFY2(!written.contains("stale"), qPrintable(written));
    }

    void newPathGetsTheChosenDevice_data()
    {
        QTest::addColumn<QString>("device");
        QTest::addColumn<QString>("row");
        QTest::newRow("(default)") << QString() << "Stage||(default)";
        QTest::newRow("first Null Output") << "null"
                                           << "Stage|null|Null Output (null)";
        // The second of two devices of one name is chosen by its entry.
        QTest::newRow("second Null Output") << "null2"
                                            << "Stage|null2|Null Output (null2)";
    }

    void newPathGetsTheChosenDevice()
    {
        QFETCH(QString, device);
        QFETCH(QString, row);
        Open({});
        QSignalSpy added(manager.get(), &OutputPathsManagerController::AddOutputPathSignal);
        NewPath("Stage", EntryOf(device));

        QCOMPARE(Rows(), QStringList{row});
        QCOMPARE(added.count(), 1);
        const CL::OutputPath path = PathOf(added, 0);
        QCOMPARE(RowText(path), row);
        QVERIFY2(kPathId.match(QString::fromStdString(path.GetId())).hasMatch(), path.GetId().c_str());
        QCOMPARE(ReadAll(DeviceFile()), QByteArray("{\"outputpaths\":[{\"id\":\"")
                                            + QByteArray::fromStdString(path.GetId()) + "\",\"hwid\":\""
                                            + device.toUtf8() + "\"}]}");
    }

    // Receivers hear of a new path before the file is written, and of a
    // removed one while its row is still there.
    void signalsComeBeforeTheFileAndTheRows()
    {
        Open(EnginePaths({"Left"}));
        QStringList seen;
        connect(
            manager.get(), &OutputPathsManagerController::AddOutputPathSignal, this, [&](const CL::OutputPath& path) {
                seen << QStringLiteral("add: %1 rows, file %2")
                            .arg(Model().rowCount())
                            .arg(ReadAll(DeviceFile()).contains(QByteArray::fromStdString(path.GetId())) ? "has it"
                                                                                                         : "lacks it");
            });
        connect(manager.get(), &OutputPathsManagerController::RemoveOutputPathSignal, this,
                [&](const CL::OutputPath& path) {
                    seen << QStringLiteral("remove %1: %2 rows")
                                .arg(QString::fromStdString(path.GetName()))
                                .arg(Model().rowCount());
                });
        NewPath("Right", 0);
        QVERIFY(window->setProperty("currentIndex", 0));
        Click("deleteButton");
        QCOMPARE(seen, (QStringList{"add: 2 rows, file lacks it", "remove Left: 2 rows"}));
        QCOMPARE(Rows(), QStringList{"Right||(default)"});
    }

    void editSelectsTheDeviceById_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("expectedEntryOf"); // the device whose entry is selected; "-" for none
        QTest::addColumn<QString>("afterOk");
        QTest::newRow("second Null Output") << "null2"
                                            << "null2"
                                            << "Renamed|null2|Null Output (null2)";
        QTest::newRow("default device") << ""
                                        << ""
                                        << "Renamed||(default)";
        // Not on this machine: nothing selected, and OK keeps the device.
        QTest::newRow("device not here") << "gone-card"
                                         << "-"
                                         << "Renamed|gone-card|";
    }

    void editSelectsTheDeviceById()
    {
        QFETCH(QString, stored);
        QFETCH(QString, expectedEntryOf);
        QFETCH(QString, afterOk);
        QVERIFY(audio_test::WriteAll(DeviceFile(),
                                     "{\"outputpaths\":[{\"id\":\"p1\",\"hwid\":\"" + stored.toUtf8() + "\"}]}"));
        Open(EnginePaths({"Left", "Right"}));
        // An entry left over from an earlier use of the tool.
        QVERIFY(Tool()->setProperty("pathDeviceIndex", EntryOf("null")));

        QSignalSpy added(manager.get(), &OutputPathsManagerController::AddOutputPathSignal);
        Click("editButton");
        QCOMPARE(Tool()->property("visible").toBool(), true);
        QCOMPARE(Tool()->property("isEdit").toBool(), true);
        QCOMPARE(Tool()->property("pathName").toString(), QStringLiteral("Left"));
        const int expected = expectedEntryOf == "-" ? -1 : EntryOf(expectedEntryOf);
        QCOMPARE(Tool()->property("pathDeviceIndex").toInt(), expected);

        // The name is taken as typed, even the name of another path.
        Confirm("Right", expected);
        Confirm("Renamed", Tool()->property("pathDeviceIndex").toInt());
        QCOMPARE(Rows().value(0), afterOk);
        QCOMPARE(Rows().value(1), QStringLiteral("Right||"));
        QCOMPARE(added.count(), 2);
        QCOMPARE(PathOf(added, 0).GetName(), std::string("Right"));
        QCOMPARE(PathOf(added, 1).GetId(), std::string("p1"));
        QVERIFY2(ReadAll(DeviceFile()).contains("{\"id\":\"p1\",\"hwid\":\"" + stored.toUtf8() + "\"}"),
                 ReadAll(DeviceFile()).constData());
    }

    void okFollowsTheToolsMode_data()
    {
        QTest::addColumn<bool>("isEdit");
        QTest::newRow("create") << false;
        QTest::newRow("edit") << true;
    }

    void okFollowsTheToolsMode()
    {
        QFETCH(bool, isEdit);
        Open(EnginePaths({"Left"}));
        QSignalSpy create(window, SIGNAL(createPathRequest(QString, QString)));
        QSignalSpy change(window, SIGNAL(changePathRequest(QString, QString)));
        QVERIFY(Tool()->setProperty("isEdit", isEdit));
        QVERIFY(Tool()->setProperty("visible", true));
        Confirm("Left", EntryOf("null2"));
        QCOMPARE(create.count(), isEdit ? 0 : 1);
        QCOMPARE(change.count(), isEdit ? 1 : 0);
        const QList<QVariant> arguments = isEdit ? change.value(0) : create.value(0);
        QCOMPARE(arguments.value(1).toString(), QStringLiteral("Null Output (null2)"));
        const QStringList expected = isEdit ? QStringList{"Left|null2|Null Output (null2)"}
                                            : QStringList{"Left||", "Left 2|null2|Null Output (null2)"};
        QCOMPARE(Rows(), expected);
        QCOMPARE(Tool()->property("visible").toBool(), false);
        QCOMPARE(Tool()->property("title").toString(),
                 isEdit ? QStringLiteral("Edit Output Path") : QStringLiteral("Create Output Path"));
    }

    void buttonsFollowTheSelection()
    {
        Open({});
        QCOMPARE(window->property("currentIndex").toInt(), -1);
        QCOMPARE(Child("editButton")->property("enabled").toBool(), false);
        QCOMPARE(Child("deleteButton")->property("enabled").toBool(), false);
        QCOMPARE(Child("newPathButton")->property("enabled").toBool(), true);

        NewPath("Left", 0);
        QVERIFY(window->setProperty("currentIndex", 0));
        QCOMPARE(Child("editButton")->property("enabled").toBool(), true);
        QCOMPARE(Child("deleteButton")->property("enabled").toBool(), true);

        Click("deleteButton");
        QCOMPARE(Model().rowCount(), 0);
        QTRY_COMPARE(window->property("currentIndex").toInt(), -1);
        QCOMPARE(Child("editButton")->property("enabled").toBool(), false);
    }

    // The window is made hidden with nothing inside; what the controller set
    // before it shows reaches its list and buttons when it first shows.
    void contentsAreBuiltWhenTheWindowFirstShows()
    {
        manager = std::make_unique<OutputPathsManagerController>(EnginePaths({"Left", "Right"}), &engine, nullptr,
                                                                 show->path().toStdString());
        window = manager->GetQmlObject();
        QVERIFY(window);
        QVERIFY(!window->findChild<QObject*>(QStringLiteral("pathList")));
        QVERIFY(!window->findChild<QObject*>(QStringLiteral("pathTool")));
        QCOMPARE(window->property("currentIndex").toInt(), 0);
        QVERIFY(window->setProperty("currentIndex", 1));

        manager->SetVisible(true);
        QVERIFY(QTest::qWaitForWindowExposed(qobject_cast<QWindow*>(window)));
        QObject* list = Child("pathList");
        QVERIFY(list);
        QCOMPARE(list->property("count").toInt(), 2);
        QCOMPARE(list->property("currentIndex").toInt(), 1);
        QCOMPARE(Child("editButton")->property("enabled").toBool(), true);
        QCOMPARE(Tool()->property("deviceList").toStringList(), window->property("deviceList").toStringList());
        // And from then on the window's properties follow the list.
        QVERIFY(list->setProperty("currentIndex", 0));
        QCOMPARE(window->property("currentIndex").toInt(), 0);
    }

    void newPathClearsTheTool()
    {
        Open(EnginePaths({"Left"}));
        QVERIFY(Tool()->setProperty("pathName", "left over"));
        QVERIFY(Tool()->setProperty("pathDeviceIndex", EntryOf("null2")));
        QVERIFY(Tool()->setProperty("isEdit", true));
        Click("newPathButton");
        QCOMPARE(Tool()->property("pathName").toString(), QString());
        QCOMPARE(Tool()->property("pathDeviceIndex").toInt(), 0);
        QCOMPARE(Tool()->property("isEdit").toBool(), false);
        QCOMPARE(Tool()->property("visible").toBool(), true);
        QCOMPARE(window->property("showOutputPathTool").toBool(), true);
    }

    // Deleting leaves the file as it was; the next write drops the entry.
    void deleteLeavesTheFileUntilTheNextWrite()
    {
        const QByteArray before = "{\"outputpaths\":[{\"id\":\"p1\",\"hwid\":\"null\"},{\"id\":\"p2\",\"hwid\":\"\"}]}";
        QVERIFY(audio_test::WriteAll(DeviceFile(), before));
        Open(EnginePaths({"Left", "Right"}));
        QSignalSpy removed(manager.get(), &OutputPathsManagerController::RemoveOutputPathSignal);
        Click("deleteButton");
        QCOMPARE(removed.count(), 1);
        QCOMPARE(RowText(PathOf(removed, 0)), QStringLiteral("Left|null|Null Output (null)"));
        QCOMPARE(Rows(), QStringList{"Right||"});
        QCOMPARE(ReadAll(DeviceFile()), before);

        NewPath("Centre", 0);
        QVERIFY(!ReadAll(DeviceFile()).contains("\"p1\""));
    }

    void rowsOutsideTheModelAreIgnored()
    {
        Open(EnginePaths({"Left"}));
        QSignalSpy added(manager.get(), &OutputPathsManagerController::AddOutputPathSignal);
        QSignalSpy removed(manager.get(), &OutputPathsManagerController::RemoveOutputPathSignal);
        for (const int row : {-1, 1, 7}) {
            QCOMPARE(Model().PathName(row), QString());
            QCOMPARE(Model().PathId(row), QString());
            QCOMPARE(Model().PathDeviceName(row), QString());
            QCOMPARE(Model().PathDeviceId(row), QString());
            QVERIFY(!Model().index(row).isValid());
            Model().RemovePath(row);
            // The window's selection out of the list: Delete and OK in edit
            // mode do nothing.
            QVERIFY(window->setProperty("currentIndex", row));
            manager->onDeleteOutputPath();
            manager->onPathChangeRequest(QStringLiteral("X"), QStringLiteral("(default)"));
        }
        QCOMPARE(Model().GetPath(3), CL::OutputPath());
        // An index of another model, and a value that holds no path.
        OutputPathsModel other;
        other.AddOrUpdatePath(CL::OutputPath("o", "Other", ""));
        QVERIFY(!Model().setData(other.index(0), QVariant::fromValue(CL::OutputPath("o", "X", ""))));
        QVERIFY(!Model().setData(Model().index(0), QStringLiteral("Left")));
        QCOMPARE(Rows(), QStringList{"Left||"});
        QCOMPARE(added.count(), 0);
        QCOMPARE(removed.count(), 0);
    }

    void modelKeepsItsContract()
    {
        Open(EnginePaths({"Left", "Right"}));
        QAbstractItemModelTester tester(&Model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        QSignalSpy changed(&Model(), &QAbstractItemModel::dataChanged);
        NewPath("Centre", EntryOf("null2"));
        Model().AddOrUpdatePath(CL::OutputPath("p1", "Left side", "null"));
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.at(0).at(0).toModelIndex().row(), 0);
        QVERIFY(Model().setData(Model().index(1), QVariant::fromValue(CL::OutputPath("p2", "Right side", ""))));
        QCOMPARE(changed.count(), 2);
        Model().RemovePath(0);
        QCOMPARE(Model().data(Model().index(0), OutputPathsModel::PathNameRole).toString(),
                 QStringLiteral("Right side"));
        QCOMPARE(Model().data(Model().index(1), OutputPathsModel::PathDeviceIdRole).toString(),
                 QStringLiteral("null2"));
        QCOMPARE(Model().roleNames().value(OutputPathsModel::PathDeviceNameRole), QByteArray("path_device_name"));
    }

    void unreadableFileIsSetAside_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("not JSON") << QByteArray("{\"outputpaths\":[");
        QTest::newRow("wrong type") << QByteArray("{\"outputpaths\":[{\"id\":1,\"hwid\":\"null\"}]}");
        QTest::newRow("entry without hwid") << QByteArray("{\"outputpaths\":[{\"id\":\"p1\"}]}");
    }

    void unreadableFileIsSetAside()
    {
        QFETCH(QByteArray, content);
        QVERIFY(audio_test::WriteAll(DeviceFile(), content));
        audio_test::LogLines log;
        Open(EnginePaths({"Left"}));

        const QStringList kept = QDir(show->path()).entryList({"outputpathdevices.json.unreadable-*"}, QDir::Files);
        QCOMPARE(kept.size(), 1);
        QVERIFY2(QRegularExpression("^outputpathdevices\\.json\\.unreadable-\\d{8}-\\d{6}$").match(kept[0]).hasMatch(),
                 qPrintable(kept[0]));
        QCOMPARE(ReadAll(show->filePath(kept[0])), content);
        QVERIFY(!QFile::exists(DeviceFile()));
        QCOMPARE(log.lines.size(), size_t(1));
        QVERIFY2(QString::fromStdString(log.lines[0]).contains(kept[0]), log.lines[0].c_str());
        QVERIFY2(window->property("notice").toString().contains(kept[0]),
                 qPrintable(window->property("notice").toString()));
        QCOMPARE(Rows(), QStringList{"Left||"});

        // A new file takes its place.
        NewPath("Right", EntryOf("null"));
        QVERIFY(ReadAll(DeviceFile()).contains("\"hwid\":\"null\""));
        QCOMPARE(ReadAll(show->filePath(kept[0])), content);
    }

    // Unreadable, and it cannot be set aside: nothing is written over it.
    void unreadableFileThatStaysIsNotOverwritten()
    {
        const QByteArray content = "{\"outputpaths\":[{\"id\":\"p1\",\"hwid\":\"null\"";
        QVERIFY(audio_test::WriteAll(DeviceFile(), content));
        audio_test::LockedFolder locked(show->path());
        QVERIFY(locked.Ok());
        audio_test::LogLines log;
        Open(EnginePaths({"Left"}));
        QCOMPARE(log.lines.size(), size_t(1));
        QVERIFY2(window->property("notice").toString().contains("not saved until the show is loaded again"),
                 qPrintable(window->property("notice").toString()));

        QSignalSpy errors(manager.get(), &vand::qt::QmlController::error);
        NewPath("Right", EntryOf("null2"));
        QCOMPARE(Rows(), (QStringList{"Left||", "Right|null2|Null Output (null2)"}));
        QCOMPARE(ReadAll(DeviceFile()), content);
        QCOMPARE(errors.count(), 0);
    }

    void missingFileIsNoFault()
    {
        audio_test::LogLines log;
        Open(EnginePaths({"Left"}));
        QCOMPARE(log.lines, std::vector<std::string>{});
        QCOMPARE(window->property("notice").toString(), QString());
        QCOMPARE(QDir(show->path()).entryList(QDir::Files | QDir::Hidden), QStringList{});
        QCOMPARE(Child("notice")->property("visible").toBool(), false);
        // No device yet on this machine, whatever the making machine had.
        QCOMPARE(Rows(), QStringList{"Left||"});
    }

    void failedWriteIsReportedAndKeepsTheFile()
    {
        const QByteArray before = "{\"outputpaths\":[{\"id\":\"p1\",\"hwid\":\"null\"}]}";
        QVERIFY(audio_test::WriteAll(DeviceFile(), before));
        Open(EnginePaths({"Left"}));
        QSignalSpy errors(manager.get(), &vand::qt::QmlController::error);
        {
            const vand::test::FileSizeLimit limit(10);
            QVERIFY(limit.ok());
            NewPath("Right", 0);
        }
        QCOMPARE(errors.count(), 1);
        QCOMPARE(errors.at(0).at(1).value<std::string>(), std::string("Error Saving Output Paths"));
        QVERIFY2(QString::fromStdString(errors.at(0).at(0).value<std::string>()).contains(DeviceFile()),
                 errors.at(0).at(0).value<std::string>().c_str());
        QCOMPARE(ReadAll(DeviceFile()), before);
        QCOMPARE(Rows(), (QStringList{"Left|null|Null Output (null)", "Right||(default)"}));
    }

    // A right click on a row selects it like a left click.
    void eitherButtonSelectsARow_data()
    {
        QTest::addColumn<int>("button");
        QTest::newRow("left") << int(Qt::LeftButton);
        QTest::newRow("right") << int(Qt::RightButton);
    }

    void eitherButtonSelectsARow()
    {
        QFETCH(int, button);
        Open(EnginePaths({"Left", "Right", "Centre"}));
        auto* quickWindow = qobject_cast<QQuickWindow*>(window);
        const QList<QQuickItem*> rows = ItemsNamed(QStringLiteral("rowArea"));
        QCOMPARE(rows.size(), 3);
        const QPointF centre = rows[2]->mapToScene({rows[2]->width() / 2, rows[2]->height() / 2});
        QTest::mouseClick(quickWindow, Qt::MouseButton(button), {}, centre.toPoint());
        QCOMPARE(window->property("currentIndex").toInt(), 2);
        QCOMPARE(Model().rowCount(), 3);
    }

    void closeHidesTheWindow()
    {
        Open(EnginePaths({"Left"}));
        manager->SetVisible(true);
        QVERIFY(QMetaObject::invokeMethod(Child("closeButton"), "clicked"));
        QCOMPARE(window->property("visible").toBool(), false);
        QCOMPARE(Model().rowCount(), 1);
    }
};

QTEST_MAIN(TestOutputPaths)
#include "tst_outputpaths.moc"
