#include "showcontrol/OscManagerController.h"

#include <QHostAddress>
#include <QUrl>
#include <QVariant>

#include <filesystem>
#include <sstream>
#include <stdexcept>
#include <string>

#include "kit/File.h"
#include "kit/Log.h"
#include "showcontrol/NetworkListModel.h"
#include "showcontrol/QLabFileWriter.h"
#include "ui/ViewProperty.h"
#include "vand_player_core/Interface.h"

namespace vand::qt {

namespace {

constexpr const char* kErrorTitle = "OSC Manager Error";
constexpr const char* kFieldIpAddress = "ipAddress";
constexpr const char* kFieldPort = "port";

} // namespace

OscManagerController::OscManagerController(QQmlEngine* engine, osc::OscSettings settings,
                                           std::shared_ptr<Interface> player, QObject* parent)
    : QmlController(engine, QUrl(QString::fromLatin1(kViewUrl)), parent, true)
    , player_(std::move(player))
{
    networkModel_ = std::make_unique<NetworkListModel>(player_ ? player_->GetNetworks() : CL::NetworkPathVectorT{});
    if (!rootObject_)
        return;
    SetViewProperty(rootObject_, "oscListenPortString", QString::number(settings.oscListenPort));
    SetViewProperty(rootObject_, "oscEnabled", settings.oscEnabled);
    SetViewProperty(rootObject_, "networkModel",
                    QVariant::fromValue(static_cast<QObject*>(static_cast<DualRoledListModel*>(networkModel_.get()))));

    connect(rootObject_, SIGNAL(okay()), this, SLOT(onOkayClicked_()));
    connect(rootObject_, SIGNAL(exportQLab(QString)), this, SLOT(exportQLab_(QString)));
    connect(rootObject_, SIGNAL(createNetwork(QString, int, QString, QString)), this,
            SLOT(onCreateNetwork_(QString, int, QString, QString)));
    connect(rootObject_, SIGNAL(editNetwork(int, QString, int, QString, QString, QString)), this,
            SLOT(onEditNetwork_(int, QString, int, QString, QString, QString)));
}

OscManagerController::~OscManagerController()
{
    // The view lets go of the model before the model goes.
    if (rootObject_)
        rootObject_->setProperty("networkModel", QVariant::fromValue<QObject*>(nullptr));
}

int OscManagerController::ParseListenPort(const QString& text)
{
    int port = 0;
    return NetworkListModel::ReadPort(QVariant(text), &port) ? port : 0;
}

void OscManagerController::onOkayClicked_()
{
    try {
        if (!rootObject_)
            return;
        const bool enabled = rootObject_->property("oscEnabled").toBool();
        const int port = ParseListenPort(rootObject_->property("oscListenPortString").toString());
        SetViewProperty(rootObject_, "portInvalid", port == 0);
        if (port == 0)
            return;
        CL::NetworkPathVectorT networks = networkModel_->ToNetworkPaths();
        emit oscSettingsUpdated(osc::OscSettings(enabled, port), networks);
        SetVisible(false);
    } catch (const std::exception& e) {
        emit error(e.what(), kErrorTitle);
    }
}

void OscManagerController::exportQLab_(QString folder)
{
    try {
        std::ostringstream text;
        QLabFileWriter(player_).WriteQLabNetworkPatch(text);
        const QString path =
            QUrl(folder + QLatin1Char('/') + QString::fromStdString(QLabFileWriter::GetFileName())).toLocalFile();
        if (path.isEmpty())
            throw std::runtime_error("\"" + folder.toStdString() + "\" is not a folder on this computer.");
        try {
            kit::WriteFileAtomically(std::filesystem::u8path(path.toStdString()), text.str());
        } catch (const std::runtime_error& e) {
            throw std::runtime_error("Cannot write " + path.toStdString() + ": " + e.what());
        }
    } catch (const std::exception& e) {
        kit::Log(kit::LogLevel::Error, "osc", std::string("Error exporting qlab: ") + e.what());
        emit error(e.what(), kExportErrorTitle);
    }
}

bool OscManagerController::CheckDestination(const QString& ip, int port)
{
    const char* invalid = "";
    if (QHostAddress(ip.trimmed()).isNull())
        invalid = kFieldIpAddress;
    else if (port < NetworkListModel::kMinPort || port > NetworkListModel::kMaxPort)
        invalid = kFieldPort;
    SetViewProperty(rootObject_, "networkEditInvalidField", QString::fromLatin1(invalid));
    return *invalid == '\0';
}

void OscManagerController::onCreateNetwork_(QString ip, int port, QString mode, QString name)
{
    try {
        if (!CheckDestination(ip, port))
            return;
        auto item = std::make_shared<NetworkItem>();
        item->ipAddress = ip.trimmed();
        item->port = port;
        item->mode = mode;
        item->name = name;
        item->networkId = networkModel_->GetNextNetworkId();
        networkModel_->AddNetwork(std::move(item));
    } catch (const std::exception& e) {
        emit error(e.what(), kErrorTitle);
    }
}

void OscManagerController::onEditNetwork_(int index, QString ip, int port, QString mode, QString name,
                                          QString networkId)
{
    try {
        const std::shared_ptr<NetworkItem> item = networkModel_->ItemAt(index);
        if (!item || !CheckDestination(ip, port))
            return;
        item->ipAddress = ip.trimmed();
        item->port = port;
        item->mode = mode;
        item->name = name;
        item->networkId = networkId;
        networkModel_->NotifyRowChanged(index);
    } catch (const std::exception& e) {
        emit error(e.what(), kErrorTitle);
    }
}

} // namespace vand::qt
