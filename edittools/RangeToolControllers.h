#pragma once

// The cut and skip tools: a range of the song, from an in bar and beat to an
// out bar and beat, that playback jumps over (a cut) or may leave early (a
// skip). They carry no value of their own.
//
// Threads: GUI thread only.

#include "edittools/EditToolController.h"

namespace vand::qt {

class CutToolController : public EditToolController
{
    Q_OBJECT
public:
    CutToolController(QQmlEngine* engine, std::shared_ptr<Interface> player, EditController* editController,
                      QObject* parent);

    void ConnectSignals() override;

signals:
    void cutToolClosing();

public slots:
    void onCutButtonClicked(TL::BarsBeats startBarsBeats = TL::BarsBeats(),
                            TL::BarsBeats endBarsBeats = TL::BarsBeats());
    void onCutCreationRequest(QVariant startBar, QVariant startBeat, QVariant endBar, QVariant endBeat);
    void onCutEdit(cmn::VandEvent* vandEvent);
    void onCutChangeRequest(QVariant startBar, QVariant startBeat, QVariant endBar, QVariant endBeat);
    void onCutToolClosing();
};

class SkipToolController : public EditToolController
{
    Q_OBJECT
public:
    SkipToolController(QQmlEngine* engine, std::shared_ptr<Interface> player, EditController* editController,
                       QObject* parent);

    void ConnectSignals() override;

signals:
    void skipToolClosing();

public slots:
    void onSkipButtonClicked(TL::BarsBeats startBarsBeats = TL::BarsBeats(),
                             TL::BarsBeats endBarsBeats = TL::BarsBeats());
    void onSkipCreationRequest(QVariant startBar, QVariant startBeat, QVariant endBar, QVariant endBeat);
    void onSkipEdit(cmn::VandEvent* vandEvent);
    void onSkipChangeRequest(QVariant startBar, QVariant startBeat, QVariant endBar, QVariant endBeat);
    void onSkipToolClosing();
};

} // namespace vand::qt
