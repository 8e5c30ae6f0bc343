#include <QTest>

#include "GuardedBuffer.h"
#include "showcontrol/OscMessage.h"

#include <memory>
#include <stdexcept>

using vand::osc::BuildOscPacket;
using vand::osc::DecodeOscMessage;
using vand::osc::OscMessage;
using vand::osc::OscParam;

namespace {

// "address i:1 f:2.500000 s:hello": the address and each argument as its
// type letter and string conversion.
QString Describe(const OscMessage& message)
{
    QString out = QString::fromStdString(message.address);
    for (const auto& argument : message.arguments) {
        const char* letter = argument->Kind() == vand::osc::OscKindInt32     ? "i"
                             : argument->Kind() == vand::osc::OscKindFloat32 ? "f"
                                                                             : "s";
        out += QStringLiteral(" %1:%2").arg(QLatin1String(letter), QString::fromStdString(argument->AsString()));
    }
    return out;
}

QString Decoded(const QByteArray& packet)
{
    const vand::test::GuardedBuffer buffer(packet);
    return Describe(DecodeOscMessage(buffer.data(), buffer.size()));
}

QString DecodeError(const QByteArray& packet)
{
    const vand::test::GuardedBuffer buffer(packet);
    try {
        DecodeOscMessage(buffer.data(), buffer.size());
    } catch (const std::runtime_error& e) {
        return QString::fromStdString(e.what());
    }
    return QStringLiteral("(decoded)");
}

QByteArray Hex(const char* hex)
{
    return QByteArray::fromHex(hex); // skips the blanks and bars that group the bytes
}

} // namespace

class TestOscMessage : public QObject
{
    Q_OBJECT
private slots:
    // Golden bytes of the builder; each packet also decodes back to the
    // arguments the text meant.
    void buildPacket_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("decoded");

        QTest::newRow("int, float, string")
            << "/x 1 2.5 hello" << Hex("2f780000 | 2c696673 00000000 | 00000001 | 40200000 | 68656c6c 6f000000")
            << "/x i:1 f:2.500000 s:hello";
        // OSC 1.0 requires the type-tag string; liblo drops a message without it.
        QTest::newRow("no arguments: a comma alone")
            << "/vand/go" << Hex("2f76616e 642f676f 00000000 2c000000") << "/vand/go";
        QTest::newRow("address of four bytes gets four NULs") << "/abc" << Hex("2f616263 00000000 2c000000") << "/abc";
        QTest::newRow("trailing blank adds nothing") << "/x " << Hex("2f780000 2c000000") << "/x";
        QTest::newRow("empty text") << "" << QByteArray() << "";
        QTest::newRow("quoted words") << "/x \"a b\" c" << Hex("2f780000 2c737300 61206200 63000000") << "/x s:a b s:c";
        QTest::newRow("quoted number stays a string") << "/x \"12\"" << Hex("2f780000 2c730000 31320000") << "/x s:12";
        QTest::newRow("empty quotes give an empty string") << "/x \"\"" << Hex("2f780000 2c730000 00000000") << "/x s:";
        QTest::newRow("unclosed quote") << "/x \"abc" << Hex("2f780000 2c730000 61626300") << "/x s:abc";
        QTest::newRow("unclosed quote with nothing after it") << "/x \"" << Hex("2f780000 2c000000") << "/x";
        QTest::newRow("quote inside a word")
            << "/x abc\"def ghi\"" << Hex("2f780000 2c730000 61626364 65662067 68690000") << "/x s:abcdef ghi";
        QTest::newRow("runs of blanks") << "/x   5   " << Hex("2f780000 2c690000 00000005") << "/x i:5";
        QTest::newRow("negative int, exponent float, word")
            << "/x -3 1e3 abc" << Hex("2f780000 2c696673 00000000 fffffffd 447a0000 61626300")
            << "/x i:-3 f:1000.000000 s:abc";
        QTest::newRow("int32 limits") << "/x -2147483648 2147483647" << Hex("2f780000 2c696900 80000000 7fffffff")
                                      << "/x i:-2147483648 i:2147483647";
        QTest::newRow("beyond 32 bits becomes a float")
            << "/x 2147483648" << Hex("2f780000 2c660000 4f000000") << "/x f:2147483648.000000";
        QTest::newRow("far beyond 32 bits")
            << "/x 12345678901" << Hex("2f780000 2c660000 5037f707") << "/x f:12345678848.000000";
        QTest::newRow("tab is an ordinary character") << "/x a\tb" << Hex("2f780000 2c730000 61096200") << "/x s:a\tb";
        QTest::newRow("non-ASCII address as UTF-8")
            << QString::fromUtf8("/\xc3\xbc 1") << Hex("2fc3bc00 2c690000 00000001")
            << QString::fromUtf8("/\xc3\xbc i:1");
    }
    void buildPacket()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, decoded);

        const QByteArray packet = BuildOscPacket(text);
        QCOMPARE(packet.toHex(' '), bytes.toHex(' '));
        if (!packet.isEmpty())
            QCOMPARE(Decoded(packet), decoded);
    }

    // Unquoted words are typed as QString::toInt (base 10) and toFloat take
    // them, also at the edges of what those accept.
    void buildTypesWords_data()
    {
        QTest::addColumn<QString>("word");
        QTest::addColumn<QString>("tag");

        QTest::newRow("plus sign") << "+5"
                                   << "i";
        QTest::newRow("trailing tab") << "5\t"
                                      << "i";
        QTest::newRow("trailing point") << "5."
                                        << "f";
        QTest::newRow("leading point") << ".5"
                                       << "f";
        QTest::newRow("exponent") << "1E5"
                                  << "f";
        QTest::newRow("infinity short") << "inf"
                                        << "f";
        QTest::newRow("negative infinity, capitals") << "-INF"
                                                     << "f";
        QTest::newRow("not a number") << "NaN"
                                      << "f";
        QTest::newRow("unicode minus") << QString::fromUtf8("\xe2\x88\x92"
                                                            "5")
                                       << "f";
        QTest::newRow("infinity long") << "infinity"
                                       << "s";
        QTest::newRow("group separator") << "1,5"
                                         << "s";
        QTest::newRow("exponent alone") << "e5"
                                        << "s";
        QTest::newRow("hexadecimal") << "0x10"
                                     << "s";
        QTest::newRow("beyond float") << "1e39"
                                      << "s";
        QTest::newRow("below float") << "1e-50"
                                     << "s";
        QTest::newRow("word") << "hello"
                              << "s";
    }
    void buildTypesWords()
    {
        QFETCH(QString, word);
        const QByteArray packet = BuildOscPacket("/x " + word);
        QFETCH(QString, tag);
        QCOMPARE(QString::fromLatin1(packet.mid(4, 2)), "," + tag);
    }

    void decodeValid_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("decoded");
        QTest::addColumn<int>("consumed");

        QTest::newRow("address only") << QByteArray("/vand/stop\0\0", 12) << "/vand/stop" << 12;
        QTest::newRow("byte after the address is not a comma")
            << QByteArray("/vand/stop\0\0xyz", 15) << "/vand/stop" << 12;
        QTest::newRow("empty type-tag string") << QByteArray("/x\0\0,\0\0\0", 8) << "/x" << 8;
        QTest::newRow("trailing bytes after the arguments")
            << Hex("2f780000 2c690000 00000007 deadbeef") << "/x i:7" << 12;
        QTest::newRow("float") << Hex("2f780000 2c660000 c0d66666") << "/x f:-6.700000" << 12;
        QTest::newRow("empty string argument") << Hex("2f780000 2c730000 00000000") << "/x s:" << 12;
        QTest::newRow("string of four characters") << Hex("2f780000 2c730000 61626364 00000000") << "/x s:abcd" << 16;
    }
    void decodeValid()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, decoded);
        QFETCH(int, consumed);

        const vand::test::GuardedBuffer buffer(bytes);
        std::size_t used = 0;
        const OscMessage message = DecodeOscMessage(buffer.data(), buffer.size(), &used);
        QCOMPARE(Describe(message), decoded);
        QCOMPARE(int(used), consumed);
    }

    void decodeMalformed_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("error");

        const QString noNul = "OSC string is larger than buffer during read of null terminator.";
        const QString unsupported = "Unsupported or unknown OSC Type.";
        QTest::newRow("empty datagram") << QByteArray() << noNul;
        QTest::newRow("address without NUL") << QByteArray("/vand") << noNul;
        QTest::newRow("address padding cut short")
            << QByteArray("/abcd\0\0", 7) << "The OSC string /abcd is larger than buffer while zero padding.";
        QTest::newRow("address padding not zero")
            << QByteArray("/a\0X", 4)
            << "The OSC string /a does not contain proper pad to extend the string to a multiple of 4.";
        QTest::newRow("bundle") << QByteArray("#bundle\0\0\0\0\0\0\0\0\1", 16)
                                << "OSC Bundle detected. OSC Bundles unsupported at this time.";
        QTest::newRow("type-tag string without NUL") << QByteArray("/x\0\0,iii", 8) << noNul;
        QTest::newRow("type-tag padding not zero")
            << QByteArray("/x\0\0,i\0\1", 8)
            << "The OSC string ,i does not contain proper pad to extend the string to a multiple of 4.";
        QTest::newRow("blob") << QByteArray("/x\0\0,b\0\0\0\0\0\0", 12) << unsupported;
        QTest::newRow("unknown letter") << QByteArray("/x\0\0,h\0\0\0\0\0\0\0\0\0\0", 16) << unsupported;
        QTest::newRow("int32 in three bytes")
            << QByteArray("/x\0\0,i\0\0\0\0\0", 11) << "Cannot read OSC Param of type int32 in less than four bytes.";
        QTest::newRow("float32 in two bytes")
            << QByteArray("/x\0\0,f\0\0\0\0", 10) << "Cannot read OSC Param of type float32 in less than four bytes.";
        QTest::newRow("string argument without NUL") << QByteArray("/x\0\0,s\0\0abc", 11) << noNul;
        QTest::newRow("string argument padding cut short")
            << QByteArray("/x\0\0,s\0\0abcd\0", 13) << "The OSC string abcd is larger than buffer while zero padding.";
        QTest::newRow("missing second argument") << QByteArray("/x\0\0,is\0\0\0\0\1", 12) << noNul;
        QTest::newRow("short argument fails before an unknown type")
            << QByteArray("/x\0\0,ib\0\0\0", 10) << "Cannot read OSC Param of type int32 in less than four bytes.";
    }
    void decodeMalformed()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, error);
        QCOMPARE(DecodeError(bytes), error);
    }

    // Every prefix of a valid packet either decodes within its length or is
    // refused; the guard page turns any read past the end into a crash.
    void everyPrefixStaysInBounds_data()
    {
        QTest::addColumn<QByteArray>("packet");
        QTest::newRow("int, float, string") << BuildOscPacket("/x 1 2.5 hello");
        QTest::newRow("address only") << QByteArray("/vand/go\0\0\0\0", 12);
        QTest::newRow("strings of every length") << BuildOscPacket("/vand/sfx/2/fadeto \"\" a ab abc abcd -6 1.5");
        QTest::newRow("empty type tags") << QByteArray("/vand/stop\0\0,\0\0\0", 16);
    }
    void everyPrefixStaysInBounds()
    {
        QFETCH(QByteArray, packet);
        const OscMessage whole = DecodeOscMessage(packet.constData(), std::size_t(packet.size()));
        for (qsizetype length = 0; length <= packet.size(); ++length) {
            const vand::test::GuardedBuffer buffer(packet.left(length));
            try {
                std::size_t used = 0;
                const OscMessage part = DecodeOscMessage(buffer.data(), buffer.size(), &used);
                QVERIFY2(used <= std::size_t(length), qPrintable(QString::number(length)));
                QCOMPARE(part.address, whole.address);
            } catch (const std::runtime_error&) {
                QVERIFY2(length < packet.size(), "the whole packet must decode");
            }
        }
    }

    void paramConversions_data()
    {
        QTest::addColumn<std::shared_ptr<OscParam>>("param");
        QTest::addColumn<QString>("asString");
        QTest::addColumn<QString>("asInt32");
        QTest::addColumn<QString>("asFloat32");

        const QString noString = "Parameter does not convert to string.";
        const QString noInt = "Parameter does not convert to int32.";
        const QString noFloat = "Parameter does not convert to float32.";
        QTest::newRow("int32") << std::shared_ptr<OscParam>(new vand::osc::OscInt32(-5)) << "-5"
                               << "-5"
                               << "-5";
        QTest::newRow("float32 prints six decimals")
            << std::shared_ptr<OscParam>(new vand::osc::OscFloat32(0.5f)) << "0.500000" << noInt << "0.5";
        QTest::newRow("string") << std::shared_ptr<OscParam>(new vand::osc::OscString("12")) << "12" << noInt
                                << noFloat;
        struct Bare : OscParam
        {
            Bare()
                : OscParam(vand::osc::OscKindUnknown)
            {
            }
        };
        QTest::newRow("base") << std::shared_ptr<OscParam>(new Bare) << noString << noInt << noFloat;
    }
    void paramConversions()
    {
        QFETCH(std::shared_ptr<OscParam>, param);
        const auto attempt = [](auto&& convert) -> QString {
            try {
                return convert();
            } catch (const std::runtime_error& e) {
                return QString::fromStdString(e.what());
            }
        };
        QTEST(attempt([&] { return QString::fromStdString(param->AsString()); }), "asString");
        QTEST(attempt([&] { return QString::number(param->AsInt32()); }), "asInt32");
        QTEST(attempt([&] { return QString::number(param->AsFloat32()); }), "asFloat32");
    }
};

QTEST_GUILESS_MAIN(TestOscMessage)
#include "tst_oscmessage.moc"
