#pragma once

// The caesura tool: a caesura is a point event placed on a bar and beat and
// moved later by a microshift, a number of ticks after that beat. On the
// song's pre-start beat the shift starts where the song's minimum start tick
// lies, so a new caesura never lands before it.
//
// Threads: GUI thread only.

#include "edittools/EditToolController.h"

namespace vand::qt {

class CaesuraToolController : public EditToolController
{
    Q_OBJECT
public:
    CaesuraToolController(QQmlEngine* engine, std::shared_ptr<Interface> player, EditController* editController,
                          QObject* parent);

    void ConnectSignals() override;
    void UpdateShiftLimits() override;

signals:
    void caesuraToolClosing();

public slots:
    void onCaesuraButtonClicked(TL::BarsBeats position = TL::BarsBeats(), UInt32 MinStartTick = 0);
    void onCaesuraCreationRequest(QVariant bar, QVariant beat, double inShift);
    void onCaesuraEdit(cmn::VandEvent* vandEvent);
    void onCaesuraChangeRequest(QVariant bar, QVariant beat, double inShift);
    void onCaesuraToolClosing();
};

} // namespace vand::qt
