#include <QTest>

#include "RecordingHandler.h"
#include "StreamCapture.h"
#include "showcontrol/OscCommand.h"
#include "showcontrol/OscMessage.h"

#include <cmath>
#include <iostream>
#include <limits>

using vand::osc::DispatchOscCommand;
using vand::osc::OscMessage;
using vand::osc::ParseOscAddress;
using vand::test::OscCalls;
using vand::test::RecordingHandler;

namespace {

// Arguments: int → int32, float → float32, QString → string.
OscMessage Message(const std::string& address, const QVariantList& arguments = {})
{
    OscMessage message;
    message.address = address;
    for (const QVariant& argument : arguments) {
        if (argument.typeId() == QMetaType::Int)
            message.arguments.push_back(std::make_unique<vand::osc::OscInt32>(argument.toInt()));
        else if (argument.typeId() == QMetaType::Float)
            message.arguments.push_back(std::make_unique<vand::osc::OscFloat32>(argument.toFloat()));
        else
            message.arguments.push_back(std::make_unique<vand::osc::OscString>(argument.toString().toStdString()));
    }
    return message;
}

QString Notified(const QString& address, int arguments)
{
    return QStringLiteral("Notification(%1,%2)").arg(address).arg(arguments);
}

QString Failed(const QString& text)
{
    return QStringLiteral("Error(%1,Unable to process OSC command)").arg(text);
}

QString Level(double db)
{
    return RecordingHandler::Number(std::pow(10.0, db / 20.0));
}

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

} // namespace

class TestOscCommand : public QObject
{
    Q_OBJECT
private slots:
    void parseAddress_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("show");
        QTest::addColumn<QString>("song");
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("isEvent");
        QTest::addColumn<bool>("isSfx");

        QTest::newRow("action only") << "/vand/play"
                                     << ""
                                     << ""
                                     << ""
                                     << "play" << false << false;
        QTest::newRow("root alone") << "/vand/"
                                    << ""
                                    << ""
                                    << ""
                                    << "" << false << false;
        QTest::newRow("show and song") << "/vand/show/my_show/song/3/fadeout"
                                       << "my_show"
                                       << "3"
                                       << ""
                                       << "fadeout" << false << false;
        QTest::newRow("ends with a pair") << "/vand/show/x"
                                          << "x"
                                          << ""
                                          << ""
                                          << "" << false << false;
        QTest::newRow("keyword as the last part is the action") << "/vand/show"
                                                                << ""
                                                                << ""
                                                                << ""
                                                                << "show" << false << false;
        QTest::newRow("last value wins") << "/vand/song/3/song/4/play"
                                         << ""
                                         << "4"
                                         << ""
                                         << "play" << false << false;
        QTest::newRow("event then sfx") << "/vand/event/E1/sfx/7/play"
                                        << ""
                                        << ""
                                        << "7"
                                        << "play" << true << true;
        QTest::newRow("sfx then event") << "/vand/sfx/7/event/E1/go"
                                        << ""
                                        << ""
                                        << "E1"
                                        << "go" << true << true;
        QTest::newRow("trailing slash") << "/vand/song/2/play/"
                                        << ""
                                        << "2"
                                        << ""
                                        << "play" << false << false;
        QTest::newRow("empty value") << "/vand/song//play"
                                     << ""
                                     << ""
                                     << ""
                                     << "play" << false << false;
    }
    void parseAddress()
    {
        QFETCH(QString, address);
        const vand::osc::OscCommand command = ParseOscAddress(address.toStdString());
        QTEST(QString::fromStdString(command.show), "show");
        QTEST(QString::fromStdString(command.song), "song");
        QTEST(QString::fromStdString(command.id), "id");
        QTEST(QString::fromStdString(command.action), "action");
        QTEST(command.isEvent, "isEvent");
        QTEST(command.isSfx, "isSfx");
    }

    // Address and arguments → the handler's calls, Notification first.
    void dispatch_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QVariantList>("arguments");
        QTest::addColumn<QStringList>("calls");

        const auto row = [](const char* name, const QString& address, const QVariantList& arguments,
                            const QStringList& commands) {
            QTest::newRow(name) << address << arguments
                                << (QStringList{Notified(address, int(arguments.size()))} + commands);
        };
        const auto F = [](float value) { return QVariant::fromValue(value); };

        // Player commands.
        row("play", "/vand/play", {}, {"Play(,)"});
        row("play ignores arguments", "/vand/play", {1, "x"}, {"Play(,)"});
        row("go", "/vand/go", {}, {"Advance(,)"});
        row("advance with show and song", "/vand/show/s/song/12/advance", {}, {"Advance(s,12)"});
        row("pause", "/vand/song/3/pause", {}, {"Pause(,3)"});
        row("later pair wins", "/vand/song/3/song/4/play", {}, {"Play(,4)"});
        row("trailing slash", "/vand/play/", {}, {"Play(,)"});
        row("stop also stops every effect", "/vand/show/s/song/2/stop", {}, {"Stop(s,2)", "SfxStopAll()"});
        row("fadeout default", "/vand/fadeout", {}, {"FadeOut(,,0.25)"});
        row("fadeout int seconds", "/vand/show/my_show/song/3/fadeout", {2}, {"FadeOut(my_show,3,2)"});
        row("fadeout float seconds", "/vand/fadeout", {F(1.5f)}, {"FadeOut(,,1.5)"});
        row("fadeout string seconds give the default", "/vand/fadeout", {"soon"}, {"FadeOut(,,0.25)"});
        row("fadeto", "/vand/fadeto", {-6, 2}, {"FadeTo(,,2,0.501187,false)"});
        row("fadeto truncates dB toward zero", "/vand/fadeto", {F(-6.7f), F(1.5f)},
            {"FadeTo(,,1.5," + Level(-6) + ",false)"});
        row("fadeto one argument gives the defaults", "/vand/fadeto", {-6}, {"FadeTo(,,0.25,0.5,false)"});
        row("fadeto no argument", "/vand/fadeto", {}, {"FadeTo(,,0.25,0.5,false)"});
        row("fadeto three arguments", "/vand/fadeto", {-6, 2, 3}, {"FadeTo(,,0.25,0.5,false)"});
        row("fadeto string level", "/vand/fadeto", {"loud", 2}, {Failed("Parameter does not convert to float32.")});
        row("fadeto string seconds", "/vand/fadeto", {-6, "x"}, {Failed("Parameter does not convert to float32.")});
        row("volume default", "/vand/volume", {}, {"SetVolume(1)"});
        row("volume keeps fractional dB", "/vand/volume", {F(-6.7f)}, {"SetVolume(" + Level(-6.7) + ")"});
        row("volume int dB", "/vand/volume", {-20}, {"SetVolume(0.1)"});
        row("volume string gives unity", "/vand/volume", {"x"}, {"SetVolume(1)"});
        row("unknown action is ignored", "/vand/rewind", {}, {});
        row("empty action is ignored", "/vand/", {}, {});
        row("address ending with a pair is ignored", "/vand/show/x", {}, {});

        // Non-finite numbers are refused.
        row("volume NaN", "/vand/volume", {F(kNaN)}, {Failed("Parameter is not a finite number.")});
        row("fadeout infinite", "/vand/fadeout", {F(kInf)}, {Failed("Parameter is not a finite number.")});
        row("fadeto NaN seconds", "/vand/fadeto", {-6, F(kNaN)}, {Failed("Parameter is not a finite number.")});
        row("fadeto infinite level", "/vand/fadeto", {F(-kInf), 2}, {Failed("Parameter is not a finite number.")});
        row("sfx fadeto infinite seconds", "/vand/sfx/3/fadeto", {-6, F(kInf)},
            {Failed("Parameter is not a finite number.")});
        row("sfx fadeto NaN level", "/vand/sfx/3/fadeto", {F(kNaN), 1}, {Failed("Parameter is not a finite number.")});

        // Event commands.
        row("event go", "/vand/event/E5/go", {}, {"EventCommand(,,E5)"});
        row("event advance with song", "/vand/song/2/event/E5/advance", {}, {"EventCommand(,2,E5)"});
        row("event other action", "/vand/event/E1/stop", {}, {Failed("Unknown command for OSC event command.")});
        row("event without action", "/vand/event/E1", {}, {Failed("Unknown command for OSC event command.")});

        // Sound-effect commands.
        row("sfx play", "/vand/sfx/2/play", {}, {"SfxPlay(,2)"});
        row("sfx wins over event", "/vand/event/E1/sfx/7/play", {}, {"SfxPlay(,7)"});
        row("sfx wins over a later event", "/vand/sfx/7/event/E1/play", {}, {"SfxPlay(,E1)"});
        row("sfx stop one", "/vand/show/s/sfx/4/stop", {}, {"SfxStop(s,4)"});
        row("sfx stop all", "/vand/show/s/sfx/*/stop", {}, {"SfxStopAll(s)"});
        row("sfx play with an argument is ignored", "/vand/sfx/3/play", {1}, {});
        row("sfx fadeto without argument is ignored", "/vand/sfx/3/fadeto", {}, {});
        row("sfx fadeto with one argument is ignored", "/vand/sfx/3/fadeto", {-6}, {});
        row("sfx fadeto", "/vand/sfx/3/fadeto", {F(-6.9f), F(2.5f)}, {"SfxFadeTo(,3," + Level(-6) + ",2500)"});
        row("sfx unknown action", "/vand/sfx/3/rewind", {}, {});

        // Addresses that are not commands.
        row("too short", "/vand", {}, {Failed("OSC command is too short for processing.")});
        row("prefix is case-sensitive", "/VAND/play", {},
            {Failed("OSC commands to VAND software must start with /vand/")});
        row("other root", "/cue/1/go", {}, {Failed("OSC commands to VAND software must start with /vand/")});
        row("unknown part", "/vand/foo/play", {}, {Failed("Unknown OSC command part: foo")});
        row("empty part", "/vand//play", {}, {Failed("Unknown OSC command part: ")});
    }
    void dispatch()
    {
        QFETCH(QString, address);
        QFETCH(QVariantList, arguments);

        OscCalls calls;
        RecordingHandler handler(calls);
        DispatchOscCommand(&handler, Message(address.toStdString(), arguments));
        QTEST(calls.calls, "calls");
    }

    // Whatever an operation throws becomes an Error report, and dispatching
    // goes on with the next message.
    void handlerFailures_data()
    {
        QTest::addColumn<QString>("throwFrom");
        QTest::addColumn<QString>("address");
        QTest::addColumn<QStringList>("calls");

        QTest::newRow("command") << "Play"
                                 << "/vand/play"
                                 << QStringList{Notified("/vand/play", 0), "Play(,)", Failed("handler failed")};
        QTest::newRow("first of two calls")
            << "Stop"
            << "/vand/stop" << QStringList{Notified("/vand/stop", 0), "Stop(,)", Failed("handler failed")};
        QTest::newRow("notification, the command still runs")
            << "Notification"
            << "/vand/go" << QStringList{Notified("/vand/go", 0), Failed("handler failed"), "Advance(,)"};
    }
    void handlerFailures()
    {
        QFETCH(QString, throwFrom);
        QFETCH(QString, address);

        OscCalls calls;
        calls.throwFrom = throwFrom;
        RecordingHandler handler(calls);
        DispatchOscCommand(&handler, Message(address.toStdString()));
        QTEST(calls.calls, "calls");

        calls.calls.clear();
        calls.throwFrom.clear();
        DispatchOscCommand(&handler, Message("/vand/pause"));
        QCOMPARE(calls.calls, (QStringList{Notified("/vand/pause", 0), "Pause(,)"}));
    }

    // A handler whose Error throws too: the report reaches standard error.
    void failingErrorReportGoesToStandardError()
    {
        OscCalls calls;
        calls.throwFrom = "Error";
        RecordingHandler handler(calls);
        const vand::test::StreamCapture err(std::cerr);
        DispatchOscCommand(&handler, Message("/vand/nope/play"));
        QCOMPARE(QString::fromStdString(err.text()),
                 QStringLiteral("Unable to process OSC command: Unknown OSC command part: nope\n"));
    }

    // The default handler's Error writes the context, the message and an
    // empty line; its other operations do nothing.
    void defaultHandlerReportsToStandardError()
    {
        vand::osc::OscProcInterface handler;
        const vand::test::StreamCapture err(std::cerr);
        DispatchOscCommand(&handler, Message("/vand/foo/play"));
        DispatchOscCommand(&handler, Message("/vand/play"));
        DispatchOscCommand(nullptr, Message("/vand/foo/play"));
        QCOMPARE(QString::fromStdString(err.text()),
                 QStringLiteral("Unable to process OSC command: Unknown OSC command part: foo\n\n"));
    }

    void toOscName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("oscName");

        QTest::newRow("blank, hash, capitals") << "My Show #2"
                                               << "my_show__2";
        QTest::newRow("every reserved character") << "#,* /?[]{}"
                                                  << "__________";
        QTest::newRow("kept as they are") << "a-b.c_d:1!"
                                          << "a-b.c_d:1!";
        QTest::newRow("two-byte character") << QString::fromUtf8("Caf\xc3\xa9") << "caf__";
        QTest::newRow("three-byte character") << QString::fromUtf8("\xe2\x82\xac"
                                                                   "5")
                                              << "___5";
        QTest::newRow("four-byte character") << QString::fromUtf8("\xf0\x9f\x8e\xad") << "____";
        QTest::newRow("empty") << ""
                               << "";
    }
    void toOscName()
    {
        QFETCH(QString, name);
        QTEST(QString::fromStdString(vand::osc::ToOscName(name.toStdString())), "oscName");
    }
};

QTEST_GUILESS_MAIN(TestOscCommand)
#include "tst_osccommand.moc"
