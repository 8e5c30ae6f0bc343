// Brings the application's view module into the Qt Quick test runner and
// gives its QML the fixture mixer: `import MixerTest` and the singleton
// MixerFixture.
#include <QCoreApplication>
#include <QObject>
#include <QQmlEngine>
#include <QStringList>
#include <QVariant>
#include <QtQml/qqmlextensionplugin.h>

#include "MixerFixture.h"

Q_IMPORT_QML_PLUGIN(com_tarnwick_musical_uiPlugin)

namespace {

vand::qt::MixerModel* AsMixer(QObject* object)
{
    return qobject_cast<vand::qt::MixerModel*>(object);
}

} // namespace

class MixerFixtureQml : public QObject
{
    Q_OBJECT
public:
    // A new fixture mixer; it lives as long as the runner.
    Q_INVOKABLE QObject* makeMixer()
    {
        auto mixer = mixer_test::MakeFixtureMixer();
        mixer->setParent(this);
        return mixer.release();
    }

    // The tracks model of a group.
    Q_INVOKABLE QObject* tracksOf(QObject* mixer, int group) const
    {
        vand::qt::MixerSectionItem* section = AsMixer(mixer) ? AsMixer(mixer)->SectionAt(group) : nullptr;
        return section ? section->GetTracksModel() : nullptr;
    }

    // Gives a track new instrument choices, as a controller would.
    Q_INVOKABLE bool replaceInstruments(QObject* mixer, int group, int row, const QStringList& names,
                                        const QVariantList& values)
    {
        auto* tracks = qobject_cast<vand::qt::MixerTracksModel*>(tracksOf(mixer, group));
        if (!tracks || names.size() != values.size())
            return false;
        auto choices = std::make_unique<StringValueListModel>();
        for (int i = 0; i < names.size(); ++i)
            choices->AddItem({names.at(i), values.at(i).toInt()});
        return tracks->SetInstrumentModel(row, std::move(choices));
    }

    // Replaces the groups with the fixture's, as a new show would.
    Q_INVOKABLE void reset(QObject* mixer)
    {
        if (AsMixer(mixer))
            AsMixer(mixer)->ResetSections(mixer_test::MakeFixtureGroups());
    }
};

static void RegisterMixerFixture()
{
    qmlRegisterSingletonType<MixerFixtureQml>("MixerTest", 1, 0, "MixerFixture",
                                              [](QQmlEngine*, QJSEngine*) -> QObject* { return new MixerFixtureQml; });
}
Q_COREAPP_STARTUP_FUNCTION(RegisterMixerFixture)

#include "MixerViewTestSupport.moc"
