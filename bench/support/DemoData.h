#pragma once

// A data folder for the main window's benchmarks, run offscreen: the small
// demo show as the current show in <home>/pelorin, made the process's data
// folder, and OSC settings listening on a free UDP port of 127.0.0.1.

#include <QHostAddress>
#include <QString>
#include <QUdpSocket>
#include <filesystem>

#include "DemoShow.h"
#include "cmn/ShowIdentity.h"
#include "showcontrol/OscSettings.h"

namespace vand::bench {

// Before the application object: offscreen, the Basic style, and `home` as
// the standard data location.
inline void UseOffscreenHome(const QString& home)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_QUICK_CONTROLS_STYLE", "Basic");
    qputenv("XDG_DATA_HOME", home.toUtf8());
}

struct DemoData
{
    explicit DemoData(const QString& home)
    {
        data = std::filesystem::path(home.toStdString()) / "pelorin";
        vand::demo::DemoOptions options;
        options.small = true;
        vand::demo::WriteDemoShow(data / "shows" / "demo", options);
        vand::ShowIdentityService(data).SetCurrent(
            {vand::demo::kDemoIdentifier, vand::demo::kDemoShowName, vand::demo::kDemoOrganisation, "shows/demo"});
        vand::SetDefaultDataFolder(data);
        QUdpSocket probe;
        probe.bind(QHostAddress::Any, 0, QUdpSocket::DontShareAddress);
        oscPort = probe.localPort();
        probe.close();
        vand::osc::OscSettings(true, oscPort).Save((data / "osc_settings.vand").string());
    }

    std::filesystem::path data;
    quint16 oscPort = 0;
};

} // namespace vand::bench
