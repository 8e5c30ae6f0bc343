#pragma once

// The OSC manager dialog: incoming OSC on or off, the listen port, the QLab
// patch export and the show's network destinations. Nothing is applied
// before OK, which reports the new settings and destinations through
// oscSettingsUpdated; the main controller saves and applies them.
//
// View contract (OscManager.qml): properties oscListenPortString, oscEnabled,
// networkModel, defaultQLabLocation, portInvalid (marks the port field),
// networkEditInvalidField ("", "ipAddress" or "port": marks a field of the
// destination window and keeps it open); signals okay(), exportQLab(string),
// createNetwork(string, int, string, string), editNetwork(int, string, int,
// string, string, string).
//
// Threads: GUI thread only.

#include <QString>

#include <memory>

#include "CL/Properties.h"
#include "showcontrol/OscSettings.h"
#include "ui/QmlController.h"

class Interface;
class QQmlEngine;

namespace vand {
class NetworkListModel;
}

namespace vand::qt {

class OscManagerController : public QmlController
{
    Q_OBJECT
public:
    static constexpr const char* kViewUrl = "qrc:/qt/qml/com/tarnwick/musical_ui/qml/OscManager.qml";
    static constexpr const char* kExportErrorTitle = "QLab Export Failed";

    // Builds the hidden view; the caller shows it. Without a player the
    // destination list is empty and the export fails with an error.
    OscManagerController(QQmlEngine* engine, osc::OscSettings settings, std::shared_ptr<Interface> player,
                         QObject* parent);
    ~OscManagerController() override;

    NetworkListModel* GetNetworkModel() const { return networkModel_.get(); }

    // The listen port a text stands for: decimal digits giving 1 to 65535;
    // 0 for any other text.
    static int ParseListenPort(const QString& text);

signals:
    // Emitted by OK only, synchronously; newNetworks lives during the call.
    void oscSettingsUpdated(osc::OscSettings settings, CL::NetworkPathVectorT& newNetworks);

public slots:
    // Refused (the port field marked, nothing emitted) unless the port text
    // is a whole number from 1 to 65535; otherwise emits, then hides the view.
    void onOkayClicked_();
    // Writes the QLab patch file into the folder (a "file:" URL in text
    // form). A failure leaves an existing file as it was and is reported
    // through error and the standard error stream.
    void exportQLab_(QString folder);
    // Refused (the field marked) unless ip is an address and port a UDP port.
    void onCreateNetwork_(QString ip, int port, QString mode, QString name);
    void onEditNetwork_(int index, QString ip, int port, QString mode, QString name, QString networkId);

private:
    // Marks the destination window's first bad field; true when both are good.
    bool CheckDestination(const QString& ip, int port);

    std::shared_ptr<Interface> player_;
    std::unique_ptr<NetworkListModel> networkModel_;
};

} // namespace vand::qt
