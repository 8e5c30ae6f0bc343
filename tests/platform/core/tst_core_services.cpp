#include <QtTest>

#include <QSignalSpy>
#include <QTemporaryDir>

#include <filesystem>
#include <fstream>
#include <iostream>

#include "cmn/ShowIdentity.h"
#include "vand/os/Console.h"
#include "vand_core/qt/MetaTypes.h"

namespace fs = std::filesystem;

namespace {

void WriteText(const fs::path& p, const std::string& text) {
  fs::create_directories(p.parent_path());
  std::ofstream out(p, std::ios::binary);
  out << text;
}

}  // namespace

// Carries core records through queued connections.
class Relay : public QObject {
  Q_OBJECT
 signals:
  void pathSignal(CL::OutputPath path);
  void countSignal(UInt8 value);
};

class CountReceiver : public QObject {
  Q_OBJECT
 public:
  UInt8 count = 0;
  CL::OutputPath path;
 public slots:
  void onCount(UInt8 v) { count = v; }
  void onPath(CL::OutputPath p) { path = p; }
};

class TestCoreServices : public QObject {
  Q_OBJECT

 private slots:
  void currentShow() {
    QTemporaryDir dir;
    const fs::path data = dir.path().toStdString();
    vand::ShowIdentityService service(data);
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, service.CurrentIdentity());
    QCOMPARE(service.ShowFolder(), data / "shows" / "default");

    WriteText(data / "current_show.json",
              "{\"identifier\":\"demo\",\"folder\":\"shows/demo\",\"showName\":\"Demo Show\","
              "\"organisationName\":\"Demo Theatre Company\"}");
    const vand::ShowIdentity id = service.CurrentIdentity();
    QCOMPARE(id.identifier, std::string("demo"));
    QCOMPARE(id.showName, std::string("Demo Show"));
    QCOMPARE(id.organisationName, std::string("Demo Theatre Company"));
    QCOMPARE(service.ShowFolder(), data / "shows" / "demo");
    QCOMPARE(service.IdentityFilePath(), data / "shows" / "demo" / "identity.json");

    vand::ShowIdentity other{"other", "Other", "Org", "shows/other"};
    service.SetCurrent(other);
    QVERIFY(service.CurrentIdentity() == other);
  }

  void showFolderMustStayInside_data() {
    QTest::addColumn<QString>("folder");
    QTest::newRow("parent") << "../elsewhere";
    QTest::newRow("nested parent") << "shows/../../x";
    QTest::newRow("absolute") << "/etc";
    QTest::newRow("empty") << "";
    QTest::newRow("dot") << ".";
  }

  void showFolderMustStayInside() {
    QFETCH(QString, folder);
    QTemporaryDir dir;
    const fs::path data = dir.path().toStdString();
    vand::ShowIdentityService service(data);
    WriteText(data / "current_show.json", "{\"identifier\":\"x\",\"folder\":\"" + folder.toStdString() + "\"}");
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, service.CurrentIdentity());
    QCOMPARE(service.ShowFolder(), data / "shows" / "default");
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument,
                             service.SetCurrent(vand::ShowIdentity{"x", "", "", folder.toStdString()}));
  }

  void brokenCurrentShowFile() {
    QTemporaryDir dir;
    const fs::path data = dir.path().toStdString();
    WriteText(data / "current_show.json", "{not json");
    vand::ShowIdentityService service(data);
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, service.CurrentIdentity());
  }

  void showDirectoryAndFolders() {
    QTemporaryDir dir;
    const fs::path data = fs::path(dir.path().toStdString()) / "pelorin";
    vand::MakeDirectoryIfNeeded((data / "a" / "b").string());
    vand::MakeDirectoryIfNeeded((data / "a" / "b").string());  // already there
    QVERIFY(fs::is_directory(data / "a" / "b"));
    WriteText(data / "file", "x");
    QVERIFY_THROWS_EXCEPTION(fs::filesystem_error, vand::MakeDirectoryIfNeeded((data / "file" / "sub").string()));

    vand::SetDefaultDataFolder(data);
    QCOMPARE(Directories::GetShowDirectory(), (data / "shows" / "default").string());
    vand::DefaultShowIdentityService().SetCurrent(vand::ShowIdentity{"demo", "Demo", "Org", "shows/demo/"});
    const std::string show = Directories::GetShowDirectory();
    QCOMPARE(show, (data / "shows" / "demo").string());
    QVERIFY(show.back() != '/');
    QVERIFY(fs::path(show).is_absolute());
  }

  void metaTypes() {
    vand::core::RegisterQtMetaTypes();
    vand::core::RegisterQtMetaTypes();  // idempotent
    for (const char* name : {"CL::OutputPath", "CL::Osc", "CL::NetworkPathVectorT", "TL::BarsBeats", "UInt8", "UInt32",
                             "vand::ShowIdentity", "cmn::VandEvent*", "CL::SfxProperties"}) {
      QVERIFY2(QMetaType::fromName(name).isValid(), name);
    }
    QCOMPARE(QMetaType::fromName("UInt8").id(), QMetaType::fromType<unsigned char>().id());

    Relay relay;
    CountReceiver receiver;
    // Queued string-based connections spell the typedef and record names.
    QVERIFY(connect(&relay, SIGNAL(countSignal(UInt8)), &receiver, SLOT(onCount(UInt8)), Qt::QueuedConnection));
    QVERIFY(connect(&relay, SIGNAL(pathSignal(CL::OutputPath)), &receiver, SLOT(onPath(CL::OutputPath)),
                    Qt::QueuedConnection));
    emit relay.pathSignal(CL::OutputPath("p1", "Stage Left", "dev", "Device"));
    emit relay.countSignal(7);
    QCOMPARE(receiver.count, UInt8(0));  // queued, not yet delivered
    QTRY_COMPARE(receiver.count, UInt8(7));
    QVERIFY(receiver.path == CL::OutputPath("p1", "Stage Left", "dev", "Device"));
  }

  void consoleKeepsWorking() {
    vand::os::OpenConsole();
    std::cout << "console line" << std::endl;
    QVERIFY(std::cout.good());
    QVERIFY(std::cout.flags() & std::ios::unitbuf);
  }
};

QTEST_GUILESS_MAIN(TestCoreServices)
#include "tst_core_services.moc"
