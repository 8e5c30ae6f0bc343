#include <QAbstractItemModelTester>
#include <QMetaType>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <cmath>
#include <limits>
#include <memory>

#include "MixerFixture.h"
#include "audio/MixerModel.h"
#include "audio/VolumeTaper.h"

using vand::qt::MixerModel;
using vand::qt::MixerSectionItem;
using vand::qt::MixerTrackItem;
using vand::qt::MixerTracksModel;

namespace {

QString Text(bool value)
{
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

// What a model announces, in order: its requests with their arguments and
// its change notices with their roles ("all" for an empty list).
class Announcements
{
public:
    explicit Announcements(QAbstractItemModel* model)
    {
        QObject::connect(model, &QAbstractItemModel::dataChanged, &scope_,
                         [this](const QModelIndex& first, const QModelIndex& last, const QList<int>& roles) {
                             QStringList names;
                             for (int role : roles)
                                 names << QString::number(role);
                             entries << QStringLiteral("dataChanged(%1-%2,%3)")
                                            .arg(first.row())
                                            .arg(last.row())
                                            .arg(roles.isEmpty() ? QStringLiteral("all") : names.join('/'));
                         });
        if (auto* tracks = qobject_cast<MixerTracksModel*>(model)) {
            QObject::connect(tracks, &MixerTracksModel::muteTrackRequested, &scope_,
                             [this](int id, bool v) { Add("mute", id, Text(v)); });
            QObject::connect(tracks, &MixerTracksModel::soloTrackRequested, &scope_,
                             [this](int id, bool v) { Add("solo", id, Text(v)); });
            QObject::connect(tracks, &MixerTracksModel::panTrackRequested, &scope_,
                             [this](int id, double v) { Add("pan", id, QString::number(v)); });
            QObject::connect(tracks, &MixerTracksModel::volumeTrackRequested, &scope_,
                             [this](int id, double v) { Add("volume", id, QString::number(v)); });
            QObject::connect(tracks, &MixerTracksModel::instrumentTrackRequested, &scope_,
                             [this](int id, int v) { Add("instrument", id, QString::number(v)); });
        }
        if (auto* mixer = qobject_cast<MixerModel*>(model)) {
            QObject::connect(mixer, &MixerModel::muteSectionRequested, &scope_,
                             [this](int row, bool v) { Add("muteSection", row, Text(v)); });
            QObject::connect(mixer, &MixerModel::soloSectionRequested, &scope_,
                             [this](int row, bool v) { Add("soloSection", row, Text(v)); });
        }
    }

    QStringList entries;

private:
    void Add(const char* request, int target, const QString& value)
    {
        entries << QStringLiteral("%1(%2,%3)").arg(QLatin1String(request)).arg(target).arg(value);
    }

    QObject scope_;
};

// The columns of a table of role writes: the role, the value written,
// whether the write is taken, the value then read, and what is announced.
void AddRoleWriteColumns()
{
    QTest::addColumn<int>("role");
    QTest::addColumn<QVariant>("written");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<QStringList>("announced");
}

// Writes a role of row as the current row of a role-write table says, and
// checks what the model then reads and what it announced.
void CheckRoleWrite(QAbstractItemModel* model, const QModelIndex& row)
{
    QFETCH(int, role);
    QFETCH(QVariant, written);
    QFETCH(bool, accepted);
    QFETCH(QVariant, stored);
    QFETCH(QStringList, announced);

    const QVariant before = model->data(row, role);
    Announcements announcements(model);
    QCOMPARE(model->setData(row, written, role), accepted);
    QCOMPARE(announcements.entries, announced);
    const QVariant after = model->data(row, role);
    if (!accepted) {
        QCOMPARE(after, before);
        return;
    }
    QCOMPARE(after.metaType(), stored.metaType());
    QCOMPARE(after, stored);
}

} // namespace

class TestMixerModels : public QObject
{
    Q_OBJECT
private slots:
    // Each role of a track: what a write stores, asks for and announces. The
    // track of row 1 has the id 12: requests name the id, notices the row.
    void trackRoleWrites_data()
    {
        AddRoleWriteColumns();

        const QVariant unchanged;
        QTest::newRow("isMuted") << 257 << QVariant(true) << true << QVariant(true)
                                 << QStringList{"mute(12,true)", "dataChanged(1-1,all)", "dataChanged(1-1,257)"};
        QTest::newRow("isMuted from text")
            << 257 << QVariant("true") << true << QVariant(true)
            << QStringList{"mute(12,true)", "dataChanged(1-1,all)", "dataChanged(1-1,257)"};
        QTest::newRow("isSolo") << 258 << QVariant(true) << true << QVariant(true)
                                << QStringList{"solo(12,true)", "dataChanged(1-1,258)"};
        QTest::newRow("volumeScaledDb: top")
            << 259 << QVariant(1.0) << true << QVariant(1.0f) << QStringList{"volume(12,1)", "dataChanged(1-1,259)"};
        QTest::newRow("pan") << 260 << QVariant(-0.25) << true << QVariant(-0.25f)
                             << QStringList{"pan(12,-0.25)", "dataChanged(1-1,260)"};
        QTest::newRow("enableMute") << 261 << QVariant(false) << true << QVariant(false)
                                    << QStringList{"dataChanged(1-1,261)"};
        QTest::newRow("enableSolo") << 262 << QVariant(false) << true << QVariant(false)
                                    << QStringList{"dataChanged(1-1,262)"};
        QTest::newRow("instrument") << 263 << QVariant(40) << true << QVariant(40)
                                    << QStringList{"instrument(12,40)", "dataChanged(1-1,263)"};
        QTest::newRow("instrument: no number gives 0") << 263 << QVariant("cello") << true << QVariant(0)
                                                       << QStringList{"instrument(12,0)", "dataChanged(1-1,263)"};
        QTest::newRow("name") << 264 << QVariant("Viola") << true << QVariant("Viola")
                              << QStringList{"dataChanged(1-1,264)"};
        QTest::newRow("instrumentModel is read-only") << 265 << QVariant() << false << unchanged << QStringList{};
        QTest::newRow("display role") << 0 << QVariant("x") << false << unchanged << QStringList{};
        QTest::newRow("role 300") << 300 << QVariant(true) << false << unchanged << QStringList{};
    }
    void trackRoleWrites()
    {
        auto mixer = mixer_test::MakeFixtureMixer();
        MixerTracksModel* tracks = mixer->SectionAt(0)->GetTracksModel();
        CheckRoleWrite(tracks, tracks->index(1));
        QVERIFY(!QTest::currentTestFailed());
        // The other rows are untouched.
        QCOMPARE(tracks->data(tracks->index(0), 264).toString(), QStringLiteral("Violin 1"));
        QCOMPARE(tracks->data(tracks->index(0), 257).toBool(), true);
    }

    // Each role of a group; requests name the group's row.
    void groupRoleWrites_data()
    {
        AddRoleWriteColumns();

        QTest::newRow("name") << 257 << QVariant("Horns") << true << QVariant("Horns")
                              << QStringList{"dataChanged(1-1,257)"};
        QTest::newRow("isMuted") << 258 << QVariant(false) << true << QVariant(false)
                                 << QStringList{"muteSection(1,false)", "dataChanged(1-1,258)"};
        QTest::newRow("isMuted again, same value") << 258 << QVariant(true) << true << QVariant(true)
                                                   << QStringList{"muteSection(1,true)", "dataChanged(1-1,258)"};
        QTest::newRow("isSolo") << 259 << QVariant(true) << true << QVariant(true)
                                << QStringList{"soloSection(1,true)", "dataChanged(1-1,259)"};
        QTest::newRow("tracksModel is read-only") << 260 << QVariant() << false << QVariant() << QStringList{};
        QTest::newRow("tooltip is read-only") << 261 << QVariant("tip") << false << QVariant() << QStringList{};
        QTest::newRow("role 300") << 300 << QVariant(true) << false << QVariant() << QStringList{};
    }
    void groupRoleWrites()
    {
        auto mixer = mixer_test::MakeFixtureMixer();
        CheckRoleWrite(mixer.get(), mixer->index(1));
        QVERIFY(!QTest::currentTestFailed());
        QCOMPARE(mixer->data(mixer->index(0), 257).toString(), QStringLiteral("Strings"));
    }

    // What each role reads as: the types the view binds to.
    void rolesReadAsTheirTypes()
    {
        auto mixer = mixer_test::MakeFixtureMixer();
        MixerSectionItem* strings = mixer->SectionAt(0);
        const QModelIndex group = mixer->index(0);
        QCOMPARE(mixer->roleNames(),
                 (QHash<int, QByteArray>{
                     {257, "name"}, {258, "isMuted"}, {259, "isSolo"}, {260, "tracksModel"}, {261, "tooltip"}}));
        QCOMPARE(mixer->data(group, 257), QVariant(QStringLiteral("Strings")));
        QCOMPARE(mixer->data(group, 258), QVariant(false));
        QCOMPARE(mixer->data(group, 259), QVariant(true));
        QCOMPARE(mixer->data(group, 261), QVariant(QStringLiteral("Violins, violas and cellos")));
        const QVariant tracksValue = mixer->data(group, 260);
        QCOMPARE(tracksValue.metaType(), QMetaType::fromType<const MixerTracksModel*>());
        QCOMPARE(tracksValue.value<const MixerTracksModel*>(), strings->GetTracksModel());
        // Registered by name, so that views can carry it.
        QVERIFY(QMetaType::fromName("const vand::qt::MixerTracksModel*").isValid());

        const MixerTracksModel* tracks = strings->GetTracksModel();
        QCOMPARE(tracks->roleNames(), (QHash<int, QByteArray>{{257, "isMuted"},
                                                              {258, "isSolo"},
                                                              {259, "volumeScaledDb"},
                                                              {260, "pan"},
                                                              {261, "enableMute"},
                                                              {262, "enableSolo"},
                                                              {263, "instrument"},
                                                              {264, "name"},
                                                              {265, "instrumentModel"}}));
        const QModelIndex track = tracks->index(0);
        QCOMPARE(tracks->data(track, 257), QVariant(true));
        QCOMPARE(tracks->data(track, 258), QVariant(false));
        QCOMPARE(tracks->data(track, 259), QVariant(1.0f));
        QCOMPARE(tracks->data(track, 260), QVariant(-0.5f));
        QCOMPARE(tracks->data(track, 261), QVariant(true));
        QCOMPARE(tracks->data(track, 262), QVariant(true));
        QCOMPARE(tracks->data(track, 263), QVariant(30));
        QCOMPARE(tracks->data(track, 264), QVariant(QStringLiteral("Violin 1")));
        auto* choices = tracks->data(track, 265).value<StringValueListModel*>();
        QVERIFY(choices);
        QCOMPARE(choices, tracks->TrackAt(0)->GetInstrumentModel());
        QCOMPARE(choices->rowCount(), 4);
    }

    // Indexes that address no row of the model: nothing read, nothing
    // written, nothing announced.
    void unusableIndexes_data()
    {
        QTest::addColumn<int>("which");
        QTest::newRow("row equal to the count") << 0;
        QTest::newRow("invalid index") << 1;
        QTest::newRow("index of another model") << 2;
    }
    void unusableIndexes()
    {
        QFETCH(int, which);
        auto mixer = mixer_test::MakeFixtureMixer();
        auto other = mixer_test::MakeFixtureMixer();
        MixerTracksModel* tracks = mixer->SectionAt(1)->GetTracksModel();
        MixerTracksModel* otherTracks = other->SectionAt(1)->GetTracksModel();
        const auto pick = [which](QAbstractItemModel* model, QAbstractItemModel* foreign) {
            switch (which) {
            case 0:
                return model->index(model->rowCount(), 0);
            case 1:
                return QModelIndex();
            default:
                return foreign->index(0, 0);
            }
        };
        Announcements groupNotices(mixer.get());
        Announcements trackNotices(tracks);
        for (int role = 257; role <= 265; ++role) {
            const QModelIndex group = pick(mixer.get(), other.get());
            const QModelIndex track = pick(tracks, otherTracks);
            QVERIFY(!mixer->data(group, role).isValid());
            QVERIFY(!tracks->data(track, role).isValid());
            QVERIFY(!mixer->setData(group, true, role));
            QVERIFY(!tracks->setData(track, true, role));
        }
        QCOMPARE(groupNotices.entries, QStringList{});
        QCOMPARE(trackNotices.entries, QStringList{});
        // A row has no children.
        QCOMPARE(mixer->rowCount(mixer->index(0)), 0);
        QCOMPARE(tracks->rowCount(tracks->index(0)), 0);
    }

    // The taper from the slider's position to the gain the request carries.
    void volumeRequestsCarryTheLinearGain_data()
    {
        QTest::addColumn<float>("position");
        QTest::addColumn<double>("gain");
        QTest::newRow("top, 0 dB") << 1.0f << 1.0;
        QTest::newRow("zero mark, -6 dB") << 0.7866278611f << 0.501187;
        QTest::newRow("bottom, -80 dB") << 0.04076220398f << 0.0001;
        QTest::newRow("0: minus infinity dB") << 0.0f << 0.0;
        // No slider gives these; a gain that is not a number must not reach
        // the audio.
        QTest::newRow("negative") << -0.5f << 0.0;
        QTest::newRow("not a number") << std::numeric_limits<float>::quiet_NaN() << 0.0;
    }
    void volumeRequestsCarryTheLinearGain()
    {
        QFETCH(float, position);
        QFETCH(double, gain);
        auto mixer = mixer_test::MakeFixtureMixer();
        MixerTracksModel* tracks = mixer->SectionAt(1)->GetTracksModel();
        QSignalSpy requests(tracks, &MixerTracksModel::volumeTrackRequested);

        QVERIFY(tracks->setData(tracks->index(0), position, 259));
        QCOMPARE(requests.count(), 1);
        QCOMPARE(requests.at(0).at(0).toInt(), 21);
        const double sent = requests.at(0).at(1).toDouble();
        QVERIFY2(std::abs(sent - gain) <= 1e-6 * std::max(1.0, gain) && !std::isnan(sent),
                 qPrintable(QString::number(sent, 'g', 10)));
        QCOMPARE(vand::qt::LinearGainOfPosition(position), sent);
        // The model keeps the position, not the gain.
        if (!std::isnan(position))
            QCOMPARE(tracks->data(tracks->index(0), 259).toFloat(), position);
    }

    // Adding, resetting and re-choosing instruments announce their rows, and
    // the models keep the item-model rules throughout.
    void fillingKeepsTheModelRules()
    {
        auto mixer = mixer_test::MakeFixtureMixer();
        QAbstractItemModelTester groupTester(mixer.get(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        MixerTracksModel* tracks = mixer->SectionAt(0)->GetTracksModel();
        QAbstractItemModelTester trackTester(tracks, QAbstractItemModelTester::FailureReportingMode::QtTest);

        QSignalSpy groupsInserted(mixer.get(), &QAbstractItemModel::rowsInserted);
        auto woodwinds = std::make_unique<MixerSectionItem>();
        woodwinds->name = QStringLiteral("Woodwinds");
        QCOMPARE(mixer->AddSection(std::move(woodwinds)), 2);
        QCOMPARE(mixer->AddSection(nullptr), -1);
        QCOMPARE(groupsInserted.count(), 1);
        QCOMPARE(groupsInserted.at(0).at(1).toInt(), 2);
        QCOMPARE(mixer->SectionAt(2)->parent(), mixer.get());

        QSignalSpy tracksInserted(tracks, &QAbstractItemModel::rowsInserted);
        auto flute = std::make_unique<MixerTrackItem>();
        flute->trackId = 31;
        QCOMPARE(tracks->AddTrack(std::move(flute)), 3);
        QCOMPARE(tracks->AddTrack(nullptr), -1);
        QCOMPARE(tracksInserted.count(), 1);
        QCOMPARE(tracks->TrackAt(3)->parent(), tracks);
        QVERIFY(!tracks->TrackAt(4));

        // New instrument choices are announced; the old ones go.
        QPointer<StringValueListModel> oldChoices = tracks->TrackAt(1)->GetInstrumentModel();
        Announcements notices(tracks);
        QVERIFY(tracks->SetInstrumentModel(1, mixer_test::MakeInstrumentChoices()));
        QVERIFY(!tracks->SetInstrumentModel(9, mixer_test::MakeInstrumentChoices()));
        QCOMPARE(notices.entries, QStringList{"dataChanged(1-1,265)"});
        QVERIFY(oldChoices.isNull());
        QCOMPARE(tracks->TrackAt(1)->GetInstrumentModel()->parent(), tracks->TrackAt(1));

        // A reset replaces every row and deletes the old ones.
        QPointer<MixerTrackItem> oldTrack = tracks->TrackAt(0);
        QSignalSpy tracksReset(tracks, &QAbstractItemModel::modelReset);
        std::vector<std::unique_ptr<MixerTrackItem>> replacement;
        replacement.push_back(std::make_unique<MixerTrackItem>());
        replacement.push_back(nullptr);
        tracks->ResetTracks(std::move(replacement));
        QCOMPARE(tracksReset.count(), 1);
        QCOMPARE(tracks->rowCount(), 1);
        QVERIFY(oldTrack.isNull());

        QPointer<MixerSectionItem> oldGroup = mixer->SectionAt(0);
        QPointer<MixerTracksModel> oldTracks = tracks;
        mixer->ResetSections({});
        QCOMPARE(mixer->rowCount(), 0);
        QVERIFY(oldGroup.isNull());
        QVERIFY(oldTracks.isNull());
    }

    // The group model owns its groups, each group its tracks, each track its
    // instrument choices: deleting the group model frees them all.
    void deletingTheGroupModelFreesEverything()
    {
        auto mixer = mixer_test::MakeFixtureMixer();
        QList<QPointer<QObject>> owned;
        for (int g = 0; g < mixer->rowCount(); ++g) {
            MixerSectionItem* group = mixer->SectionAt(g);
            owned << group << group->GetTracksModel();
            for (int t = 0; t < group->GetTracksModel()->rowCount(); ++t) {
                MixerTrackItem* track = group->GetTracksModel()->TrackAt(t);
                owned << track << track->GetInstrumentModel();
            }
        }
        QCOMPARE(owned.size(), 2 * 2 + 5 * 2);
        mixer.reset();
        for (const QPointer<QObject>& object : owned)
            QVERIFY(object.isNull());
    }

    // The models can be made through their meta types, empty.
    void metaTypesMakeEmptyModels()
    {
        const QMetaType groups = QMetaType::fromType<MixerModel>();
        auto* mixer = static_cast<MixerModel*>(groups.create());
        QVERIFY(mixer);
        QCOMPARE(mixer->rowCount(), 0);
        groups.destroy(mixer);
        const QMetaType tracks = QMetaType::fromType<MixerTracksModel>();
        auto* trackModel = static_cast<MixerTracksModel*>(tracks.create());
        QVERIFY(trackModel);
        QCOMPARE(trackModel->rowCount(), 0);
        tracks.destroy(trackModel);
    }
};

QTEST_GUILESS_MAIN(TestMixerModels)
#include "tst_mixermodels.moc"
