#pragma once

// The count tools: a range of the song that carries one whole number. A
// repeat plays its range a number of times (1 to 500), a tempo scaling
// changes the tempo by a percentage (50 to 200, stored as a factor), a
// transposition moves the key by half steps (-6 to 6), and a vamp loops a
// number of times (0 to 500; 0, shown as the infinity sign, loops until told
// to leave).
//
// Threads: GUI thread only.

#include "edittools/EditToolController.h"

namespace vand::qt {

class RepeatToolController : public EditToolController
{
    Q_OBJECT
public:
    RepeatToolController(QQmlEngine* engine, std::shared_ptr<Interface> player, EditController* editController,
                         QObject* parent);

    void ConnectSignals() override;

signals:
    void repeatToolClosing();

public slots:
    void onRepeatButtonClicked(TL::BarsBeats startBarsBeats = TL::BarsBeats(),
                               TL::BarsBeats endBarsBeats = TL::BarsBeats());
    void onRepeatCreationRequest(QString startBar, int startBeat, QString endBar, int endBeat, int count);
    void onRepeatEdit(cmn::VandEvent* vandEvent);
    void onRepeatChangeRequest(QString startBar, int startBeat, QString endBar, int endBeat, int count);
    void onRepeatToolClosing();
};

class TempoToolController : public EditToolController
{
    Q_OBJECT
public:
    TempoToolController(QQmlEngine* engine, std::shared_ptr<Interface> player, EditController* editController,
                        QObject* parent);

    void ConnectSignals() override;

signals:
    void tempoToolClosing();

public slots:
    void onTempoButtonClicked(TL::BarsBeats startBarsBeats = TL::BarsBeats(),
                              TL::BarsBeats endBarsBeats = TL::BarsBeats());
    void onTempoCreationRequest(QString startBar, int startBeat, QString endBar, int endBeat, int percent);
    void onTempoEdit(cmn::VandEvent* vandEvent);
    void onTempoChangeRequest(QString startBar, int startBeat, QString endBar, int endBeat, int percent);
    void onTempoToolClosing();
};

class TransposeToolController : public EditToolController
{
    Q_OBJECT
public:
    TransposeToolController(QQmlEngine* engine, std::shared_ptr<Interface> player, EditController* editController,
                            QObject* parent);

    void ConnectSignals() override;

signals:
    void transposeToolClosing();

public slots:
    void onTransposeButtonClicked(TL::BarsBeats startBarsBeats = TL::BarsBeats(),
                                  TL::BarsBeats endBarsBeats = TL::BarsBeats());
    void onTransposeCreationRequest(QString startBar, int startBeat, QString endBar, int endBeat, int halfSteps);
    void onTransposeEdit(cmn::VandEvent* vandEvent);
    void onTransposeChangeRequest(QString startBar, int startBeat, QString endBar, int endBeat, int halfSteps);
    void onTransposeToolClosing();
};

class VampToolController : public EditToolController
{
    Q_OBJECT
public:
    VampToolController(QQmlEngine* engine, std::shared_ptr<Interface> player, EditController* editController,
                       QObject* parent);

    void ConnectSignals() override;

signals:
    void vampToolClosing();

public slots:
    void onVampButtonClicked(TL::BarsBeats startBarsBeats = TL::BarsBeats(),
                             TL::BarsBeats endBarsBeats = TL::BarsBeats());
    void onVampCreationRequest(QString startBar, int startBeat, QString endBar, int endBeat, int count);
    void onVampEdit(cmn::VandEvent* vandEvent);
    void onVampChangeRequest(QString startBar, int startBeat, QString endBar, int endBeat, int count);
    void onVampToolClosing();
};

} // namespace vand::qt
