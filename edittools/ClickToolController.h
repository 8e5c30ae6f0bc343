#pragma once

// The click tool: sets the click resolution over a range of the song. The
// values it offers are the ones the player allows for the range in the
// pickers, asked again whenever a picker changes; each is a note length in
// thirty-second notes, shown by its note icon.
//
// Threads: GUI thread only.

#include <vector>

#include "edittools/EditToolController.h"

namespace vand::qt {

class ClickToolController : public EditToolController
{
    Q_OBJECT
public:
    ClickToolController(QQmlEngine* engine, std::shared_ptr<Interface> player, EditController* editController,
                        QObject* parent);

    void ConnectSignals() override;

signals:
    void clickToolClosing();

public slots:
    void onClickButtonClicked(TL::BarsBeats startBarsBeats = TL::BarsBeats(),
                              TL::BarsBeats endBarsBeats = TL::BarsBeats());
    void onClickCreationRequest(QString, int, QString, int, int);
    // The values allowed for the pickers' range, the first one chosen.
    void updateClicksModel();
    void onClickEdit(cmn::VandEvent* vandEvent);
    void onClickChangeRequest(QString startBar, int startBeat, QString endBar, int endBeat, int count);
    void onClickToolClosing();

private:
    std::vector<int> AllowedValues() const;
    void ShowValues();
};

} // namespace vand::qt
