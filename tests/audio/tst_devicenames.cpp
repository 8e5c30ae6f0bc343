// The names output devices are shown under: a description shared with
// another listed device carries the device's id, so two identical
// interfaces can be told apart.

#include <QTest>

#include "audio/DeviceNames.h"

using vand::audio::AudioDevice;

class TestDeviceNames : public QObject
{
    Q_OBJECT
private slots:
    void displayNames_data()
    {
        QTest::addColumn<QStringList>("descriptions"); // "description=id"
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("none") << QStringList{} << QStringList{};
        QTest::newRow("all different") << QStringList{"Desk=desk", "USB Interface=usb"}
                                       << QStringList{"Desk", "USB Interface"};
        QTest::newRow("two of one name") << QStringList{"Null Output=null", "Null Output=null2"}
                                         << QStringList{"Null Output (null)", "Null Output (null2)"};
        QTest::newRow("a pair among others") << QStringList{"USB Interface=usb-1", "Desk=desk", "USB Interface=usb-2"}
                                             << QStringList{"USB Interface (usb-1)", "Desk", "USB Interface (usb-2)"};
        QTest::newRow("names differing in case only") << QStringList{"Desk=a", "desk=b"} << QStringList{"Desk", "desk"};
    }

    void displayNames()
    {
        QFETCH(QStringList, descriptions);
        QFETCH(QStringList, shown);
        std::vector<AudioDevice> devices;
        for (const QString& entry : descriptions) {
            const QStringList parts = entry.split('=');
            devices.emplace_back(L"", parts.at(0).toStdString(), parts.at(1).toStdString());
        }
        QStringList names;
        for (const std::string& name : vand::qt::DeviceDisplayNames(devices))
            names << QString::fromStdString(name);
        QCOMPARE(names, shown);
        for (std::size_t i = 0; i < devices.size(); ++i)
            QCOMPARE(QString::fromStdString(vand::qt::DeviceDisplayName(devices[i], devices)), shown.at(int(i)));
    }
};

QTEST_MAIN(TestDeviceNames)
#include "tst_devicenames.moc"
