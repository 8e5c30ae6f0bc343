#include <QTest>

#include <iostream>
#include <memory>
#include <stdexcept>

#include "CL/ActiveChangeLog.h"
#include "CL/Editor.h"
#include "CL/Events.h"
#include "StreamCapture.h"
#include "sfx/SfxRepository.h"

using vand::audio::ChangeLogSfxRepository;
using vand::audio::SfxType;
using vand::audio::sfx::SfxDto;

Q_DECLARE_METATYPE(SfxDto)

namespace {

SfxDto full(const std::string& eventId, SfxType type = SfxType::PRIMARY)
{
    return SfxDto::builder()
        .name("Thunder")
        .effectId("thunder")
        .effectPath("/somewhere/else/thunder.sfx")
        .eventId(eventId)
        .type(type)
        .effectIdIndex(3)
        .outputPath("path-1")
        .volume(0.7f)
        .pan(0.2f)
        .reverb(0.3f)
        .fadeIn(100)
        .fadeOut(2000)
        .repeats(2)
        .build();
}

QString thrownBy(const std::function<void()>& call)
{
    try {
        call();
    } catch (const std::invalid_argument& e) {
        return QString("invalid_argument: ") + e.what();
    } catch (const std::exception& e) {
        return QString("other: ") + e.what();
    }
    return "nothing";
}

} // namespace

// The store over a real editor whose log is the active change log.
class TestSfxRepository : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void roundTrip_data();
    void roundTrip();
    void emptyLog();
    void eventIds();
    void idsMustBeText_data();
    void idsMustBeText();
    void firstOfEqualIds();
    void updateAndDeleteByTheGivenId();
    void updateWritesTheKind_data();
    void updateWritesTheKind();
    void eventIdLines();
    void withoutEditorOnlyReads();

private:
    std::unique_ptr<CL::Editor> editor_;
    std::unique_ptr<ChangeLogSfxRepository> store_;
};

void TestSfxRepository::init()
{
    editor_ = std::make_unique<CL::Editor>();
    editor_->MakeActive();
    store_ = std::make_unique<ChangeLogSfxRepository>(editor_.get());
}

void TestSfxRepository::cleanup()
{
    store_.reset();
    editor_.reset();
    CL::SetActiveChangeLog(nullptr);
}

void TestSfxRepository::roundTrip_data()
{
    QTest::addColumn<SfxDto>("saved");
    QTest::addColumn<SfxType>("type");
    QTest::addColumn<int>("repeats");
    QTest::newRow("primary") << full("sfx.1") << SfxType::PRIMARY << 2;
    QTest::newRow("ambient") << full("sfx.2", SfxType::AMBIENT) << SfxType::AMBIENT << -1;
    // The change log knows primary and ambient effects only.
    QTest::newRow("user provided") << full("sfx.3", SfxType::USER_PROVIDED) << SfxType::PRIMARY << 2;
}

// Every field comes back as saved, output path, effect index and type
// included; the effect path is the effect id's file.
void TestSfxRepository::roundTrip()
{
    QFETCH(SfxDto, saved);
    QFETCH(SfxType, type);
    QFETCH(int, repeats);
    vand::test::StreamCapture out(std::cout);
    store_->Save(saved);
    const std::vector<SfxDto> all = store_->Get();
    QCOMPARE(all.size(), std::size_t(1));
    const std::optional<SfxDto> got = store_->GetById(saved.eventId());
    QVERIFY(got.has_value());
    for (const SfxDto& back : {all.front(), *got}) {
        QCOMPARE(back.eventId(), saved.eventId());
        QCOMPARE(back.name(), std::string("Thunder"));
        QCOMPARE(back.effectId(), std::string("thunder"));
        QCOMPARE(back.effectPath(), std::string("thunder.sfx"));
        QCOMPARE(back.outputPath(), std::string("path-1"));
        QCOMPARE(back.effectIdIndex(), 3);
        QCOMPARE(back.type(), type);
        QCOMPARE(back.volume(), 0.7f);
        QCOMPARE(back.pan(), 0.2f);
        QCOMPARE(back.reverb(), 0.3f);
        QCOMPARE(back.fadeIn(), std::uint16_t(100));
        QCOMPARE(back.fadeOut(), std::uint16_t(2000));
        QCOMPARE(back.repeats(), repeats);
        QVERIFY(back.activeIntervals().empty());
    }
    CL::ActiveChangeLogExclusive guard;
    QCOMPARE(guard.Get().GetSfxs().front()->IsAmbient(), type == SfxType::AMBIENT);
}

void TestSfxRepository::emptyLog()
{
    QVERIFY(store_->Get().empty());
    QVERIFY(!store_->GetById(std::string("sfx.1")).has_value());
    store_->Update(std::string("sfx.1"), full("sfx.1"));
    store_->Delete(std::string("sfx.1"));
    QVERIFY(store_->Get().empty());
}

void TestSfxRepository::eventIds()
{
    const std::string preview = store_->PreviewEventId();
    QCOMPARE(store_->PreviewEventId(), preview);
    QVERIFY(preview.rfind("sfx.", 0) == 0);
    QCOMPARE(store_->GenerateEventId(), preview);
    const std::string next = store_->GenerateEventId();
    QVERIFY(next != preview);
    QVERIFY(next.rfind("sfx.", 0) == 0);
    // A saved id is never handed out again.
    vand::test::StreamCapture out(std::cout);
    store_->Save(full(store_->PreviewEventId()));
    QVERIFY(store_->GenerateEventId() != store_->Get().front().eventId());
}

void TestSfxRepository::idsMustBeText_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<bool>("withEvents");
    QTest::newRow("GetById") << "GetById" << true;
    QTest::newRow("Delete") << "Delete" << true;
    QTest::newRow("Update") << "Update" << true;
    QTest::newRow("Update, empty log") << "Update" << false;
}

// An id that is not a std::string is refused with the same kind of error
// whatever the log holds; Update must not pass over a bad id silently when
// the log has no events.
void TestSfxRepository::idsMustBeText()
{
    QFETCH(QString, operation);
    QFETCH(bool, withEvents);
    vand::test::StreamCapture out(std::cout);
    if (withEvents)
        store_->Save(full("sfx.1"));
    const std::any id = 1;
    const QString thrown = thrownBy([&] {
        if (operation == "GetById")
            store_->GetById(id);
        else if (operation == "Delete")
            store_->Delete(id);
        else
            store_->Update(id, full("sfx.1"));
    });
    QCOMPARE(
        thrown,
        QString("invalid_argument: ChangeLogSfxRepository::%1 requires a std::string for the event id").arg(operation));
    QCOMPARE(store_->Get().size(), std::size_t(withEvents ? 1 : 0));
    if (withEvents)
        QCOMPARE(store_->Get().front().name(), std::string("Thunder"));
}

// Equal ids: every operation takes the first in the log's order.
void TestSfxRepository::firstOfEqualIds()
{
    vand::test::StreamCapture out(std::cout);
    SfxDto first = full("sfx.9");
    SfxDto second = full("sfx.9");
    second.setName("Second");
    store_->Save(first);
    store_->Save(second);
    QCOMPARE(store_->GetById(std::string("sfx.9"))->name(), std::string("Thunder"));
    SfxDto changed = full("sfx.9");
    changed.setName("Changed");
    store_->Update(std::string("sfx.9"), changed);
    std::vector<SfxDto> all = store_->Get();
    QCOMPARE(all.at(0).name(), std::string("Changed"));
    QCOMPARE(all.at(1).name(), std::string("Second"));
    store_->Delete(std::string("sfx.9"));
    all = store_->Get();
    QCOMPARE(all.size(), std::size_t(1));
    QCOMPARE(all.at(0).name(), std::string("Second"));
}

// The id argument names the event; the record's own event id is not used.
void TestSfxRepository::updateAndDeleteByTheGivenId()
{
    vand::test::StreamCapture out(std::cout);
    store_->Save(full("sfx.1"));
    store_->Save(full("sfx.2"));
    SfxDto changed = full("sfx.2");
    changed.setVolume(0.25f);
    changed.setOutputPath("path-2");
    store_->Update(std::string("sfx.1"), changed);
    QCOMPARE(store_->GetById(std::string("sfx.1"))->volume(), 0.25f);
    QCOMPARE(store_->GetById(std::string("sfx.1"))->outputPath(), std::string("path-2"));
    QCOMPARE(store_->GetById(std::string("sfx.2"))->volume(), 0.7f);
    store_->Delete(std::string("sfx.2"));
    QVERIFY(!store_->GetById(std::string("sfx.2")).has_value());
    QVERIFY(store_->GetById(std::string("sfx.1")).has_value());
}

void TestSfxRepository::updateWritesTheKind_data()
{
    QTest::addColumn<SfxType>("saved");
    QTest::addColumn<SfxType>("updated");
    QTest::addColumn<SfxType>("readBack");
    QTest::newRow("primary to ambient") << SfxType::PRIMARY << SfxType::AMBIENT << SfxType::AMBIENT;
    QTest::newRow("ambient to primary") << SfxType::AMBIENT << SfxType::PRIMARY << SfxType::PRIMARY;
    QTest::newRow("ambient stays") << SfxType::AMBIENT << SfxType::AMBIENT << SfxType::AMBIENT;
    QTest::newRow("ambient to user provided") << SfxType::AMBIENT << SfxType::USER_PROVIDED << SfxType::PRIMARY;
}

// An instance edited to another kind reads back as that kind, with the new
// settings, in its old place in the log; were the kind not written, an
// effect made ambient would still play once as a primary one.
void TestSfxRepository::updateWritesTheKind()
{
    QFETCH(SfxType, saved);
    QFETCH(SfxType, updated);
    QFETCH(SfxType, readBack);
    vand::test::StreamCapture out(std::cout);
    store_->Save(full("sfx.1", saved));
    SfxDto before = full("sfx.2");
    before.setName("After");
    store_->Save(before);
    SfxDto changed = full("sfx.1", updated);
    changed.setName("Changed");
    changed.setVolume(0.25f);
    store_->Update(std::string("sfx.1"), changed);
    const std::vector<SfxDto> all = store_->Get();
    QCOMPARE(all.size(), std::size_t(2));
    QCOMPARE(all.at(0).eventId(), std::string("sfx.1"));
    QCOMPARE(all.at(0).type(), readBack);
    QCOMPARE(all.at(0).name(), std::string("Changed"));
    QCOMPARE(all.at(0).volume(), 0.25f);
    QCOMPARE(all.at(0).repeats(), readBack == SfxType::AMBIENT ? -1 : 2);
    QCOMPARE(all.at(1).name(), std::string("After"));
    QCOMPARE(all.at(1).type(), SfxType::PRIMARY);
}

// Save and Update each write one "event id" line; nothing else writes.
void TestSfxRepository::eventIdLines()
{
    vand::test::StreamCapture out(std::cout);
    store_->Save(full("sfx.4"));
    store_->Update(std::string("sfx.4"), full("sfx.5"));
    store_->Get();
    store_->GetById(std::string("sfx.4"));
    store_->Delete(std::string("sfx.4"));
    QCOMPARE(out.text(), std::string("event id sfx.4\nevent id sfx.5\n"));
}

void TestSfxRepository::withoutEditorOnlyReads()
{
    vand::test::StreamCapture out(std::cout);
    store_->Save(full("sfx.1"));
    ChangeLogSfxRepository reader(nullptr);
    QCOMPARE(reader.Get().size(), std::size_t(1));
    QVERIFY(reader.GetById(std::string("sfx.1")).has_value());
    QCOMPARE(thrownBy([&] { reader.Save(full("sfx.2")); }),
             QString("other: The sound-effect store has no change-log editor to write with."));
    QCOMPARE(thrownBy([&] { reader.GenerateEventId(); }),
             QString("other: The sound-effect store has no change-log editor to write with."));
    QCOMPARE(store_->Get().size(), std::size_t(1));
}

QTEST_GUILESS_MAIN(TestSfxRepository)
#include "tst_sfx_repository.moc"
