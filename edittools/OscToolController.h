#pragma once

// The OSC tool: places an OSC command on a bar and beat, moved later by a
// microshift as a caesura is, and sends it to one of the show's network
// destinations when playback reaches it. The destinations are read once,
// when the tool is made.
//
// Threads: GUI thread only.

#include <memory>

#include "edittools/EditToolController.h"

namespace vand {
class NetworkListModel;
}

namespace vand::qt {

class OscToolController : public EditToolController
{
    Q_OBJECT
public:
    OscToolController(QQmlEngine* engine, std::shared_ptr<Interface> player, EditController* editController,
                      QObject* parent);
    ~OscToolController() override;

    void ConnectSignals() override;
    void UpdateShiftLimits() override;

    vand::NetworkListModel* GetNetworkModel() const { return networks_.get(); }

signals:
    void toolClosing();

public slots:
    void onToolButtonClicked(TL::BarsBeats position = TL::BarsBeats(), UInt32 minStartTick = 0);
    void onToolCreationRequest(QString bar, int beat, QString value, QString networkId, double inShift);
    void onToolEdit(cmn::VandEvent* vandEvent, UInt32 minStartTick);
    void onToolChangeRequest(QString bar, int beat, QString value, QString networkId, double inShift);
    void onToolClosing();

private:
    // Selects the first destination with this id; none when no row has it.
    void SelectNetwork(const QString& networkId);

    std::unique_ptr<vand::NetworkListModel> networks_;
};

} // namespace vand::qt
