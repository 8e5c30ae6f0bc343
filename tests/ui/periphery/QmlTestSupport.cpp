// What the Quick tests of this folder need from C++, as the QML module
// "VandTest":
// - TempFolder.path: a temporary folder, removed when the test program ends,
//   holding the folder "My Shows" with the empty file "Click Track.wav";
// - PackagingStandIn: a stand-in for the packaging tool's controller (its
//   method `package` cannot be declared in QML, where the name is reserved).
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJSEngine>
#include <QObject>
#include <QQmlEngine>
#include <QStringList>
#include <QTemporaryDir>

class PackagingStandIn : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString name MEMBER name_ NOTIFY nameChanged)
    Q_PROPERTY(QString sourceDirectory MEMBER sourceDirectory_ NOTIFY sourceDirectoryChanged)
    Q_PROPERTY(QString destinationDirectory MEMBER destinationDirectory_ NOTIFY destinationDirectoryChanged)
    Q_PROPERTY(QString imageDirectory MEMBER imageDirectory_ NOTIFY imageDirectoryChanged)
    Q_PROPERTY(QString soundEffectsDirectory MEMBER soundEffectsDirectory_ NOTIFY soundEffectsDirectoryChanged)
    Q_PROPERTY(bool advancedFeatures MEMBER advancedFeatures_ NOTIFY advancedFeaturesChanged)
    Q_PROPERTY(QString sfxSourceDirectory MEMBER sfxSourceDirectory_ NOTIFY sfxSourceDirectoryChanged)
    Q_PROPERTY(QString sfxDestinationDirectory MEMBER sfxDestinationDirectory_ NOTIFY sfxDestinationDirectoryChanged)
    Q_PROPERTY(QStringList files MEMBER files_ NOTIFY filesChanged)
    Q_PROPERTY(bool message MEMBER message_ NOTIFY messageChanged)
    Q_PROPERTY(QString messageBody MEMBER messageBody_ NOTIFY messageBodyChanged)
    Q_PROPERTY(int packageCalls MEMBER packageCalls_ NOTIFY callsChanged)
    Q_PROPERTY(int packageSfxCalls MEMBER packageSfxCalls_ NOTIFY callsChanged)

public:
    using QObject::QObject;

    Q_INVOKABLE QString versionString() const { return QStringLiteral("1.4.2"); }
    Q_INVOKABLE void package()
    {
        ++packageCalls_;
        emit callsChanged();
    }
    Q_INVOKABLE void packageSfx()
    {
        ++packageSfxCalls_;
        emit callsChanged();
    }
    // A report as the packaging tool gives one.
    Q_INVOKABLE void report(const QString& body)
    {
        messageBody_ = body;
        emit messageBodyChanged();
        message_ = true;
        emit messageChanged();
    }

signals:
    void nameChanged();
    void sourceDirectoryChanged();
    void destinationDirectoryChanged();
    void imageDirectoryChanged();
    void soundEffectsDirectoryChanged();
    void advancedFeaturesChanged();
    void sfxSourceDirectoryChanged();
    void sfxDestinationDirectoryChanged();
    void filesChanged();
    void messageChanged();
    void messageBodyChanged();
    void callsChanged();

private:
    QString name_;
    QString sourceDirectory_;
    QString destinationDirectory_;
    QString imageDirectory_;
    QString soundEffectsDirectory_;
    bool advancedFeatures_ = false;
    QString sfxSourceDirectory_;
    QString sfxDestinationDirectory_;
    QStringList files_;
    bool message_ = false;
    QString messageBody_;
    int packageCalls_ = 0;
    int packageSfxCalls_ = 0;
};

namespace {

QTemporaryDir& Folder()
{
    static QTemporaryDir folder;
    static const bool filled = [] {
        QDir(folder.path()).mkpath(QStringLiteral("My Shows"));
        QFile file(folder.filePath(QStringLiteral("My Shows/Click Track.wav")));
        return file.open(QIODevice::WriteOnly);
    }();
    Q_UNUSED(filled);
    return folder;
}

void RegisterTestTypes()
{
    qmlRegisterSingletonType("VandTest", 1, 0, "TempFolder", [](QQmlEngine*, QJSEngine* js) -> QJSValue {
        QJSValue value = js->newObject();
        value.setProperty(QStringLiteral("path"), Folder().path());
        return value;
    });
    qmlRegisterType<PackagingStandIn>("VandTest", 1, 0, "PackagingStandIn");
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(RegisterTestTypes)

#include "QmlTestSupport.moc"
