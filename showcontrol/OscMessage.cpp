#include "showcontrol/OscMessage.h"

#include <bit>
#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace vand::osc {

namespace {

std::uint32_t ReadBigEndian32(const char* data)
{
    const auto* b = reinterpret_cast<const unsigned char*>(data);
    return (std::uint32_t(b[0]) << 24) | (std::uint32_t(b[1]) << 16) | (std::uint32_t(b[2]) << 8) | std::uint32_t(b[3]);
}

void AppendBigEndian32(QByteArray& out, std::uint32_t value)
{
    out.append(char(value >> 24)).append(char(value >> 16)).append(char(value >> 8)).append(char(value));
}

// The bytes, one NUL, then NULs up to the next multiple of four. `out`
// always holds a multiple of four bytes before the call.
void AppendPadded(QByteArray& out, const QByteArray& bytes)
{
    out.append(bytes);
    do {
        out.append('\0');
    } while (out.size() % 4 != 0);
}

constexpr std::size_t PaddedSize(std::size_t characters)
{
    return (characters + 4) & ~std::size_t(3);
}

// Reads an OSC string at `data` with `left` bytes up to the end of the
// datagram; returns the bytes taken (characters, NUL and padding).
std::size_t ReadOscString(const char* data, std::size_t left, std::string& value)
{
    const void* nul = left > 0 ? std::memchr(data, '\0', left) : nullptr;
    if (!nul)
        throw std::runtime_error("OSC string is larger than buffer during read of null terminator.");
    value.assign(data, static_cast<const char*>(nul) - data);
    std::size_t end = value.size() + 1;
    for (; end % 4 != 0; ++end) {
        if (end >= left)
            throw std::runtime_error("The OSC string " + value + " is larger than buffer while zero padding.");
        if (data[end] != '\0')
            throw std::runtime_error("The OSC string " + value
                                     + " does not contain proper pad to extend the string to a multiple of 4.");
    }
    return end;
}

// False when the word holds an ASCII character that no number written for
// QString::toInt / toFloat can hold; such a word is a string, and the costly
// failed float parse is skipped. Words with other characters take the full
// parse.
bool MayBeNumber(const QString& word)
{
    for (const QChar c : word) {
        const char16_t u = c.unicode();
        if (u >= 0x80)
            return true;
        if ((u >= '0' && u <= '9') || u == '+' || u == '-' || u == '.' || u == ',' || c.isSpace())
            continue;
        switch (u | 0x20) { // lower case of a letter
        case 'e':           // exponent
        case 'i':
        case 'n':
        case 'f':
        case 't':
        case 'y': // inf, infinity
        case 'a': // nan
            continue;
        default:
            return false;
        }
    }
    return true;
}

std::unique_ptr<OscParam> ReadArgument(char tag, const char* data, std::size_t left)
{
    switch (OscKindOfTag(tag)) {
    case OscKindInt32:
        return std::make_unique<OscInt32>(data, left);
    case OscKindFloat32:
        return std::make_unique<OscFloat32>(data, left);
    case OscKindString:
        return std::make_unique<OscString>(data, left);
    default:
        throw std::runtime_error("Unsupported or unknown OSC Type.");
    }
}

} // namespace

int OscKindOfTag(char tag)
{
    switch (tag) {
    case 'i':
        return OscKindInt32;
    case 'f':
        return OscKindFloat32;
    case 's':
        return OscKindString;
    case 'b':
        return OscKindBlob;
    default:
        return OscKindUnknown;
    }
}

OscParam::~OscParam() = default;

std::string OscParam::AsString() const
{
    throw std::runtime_error("Parameter does not convert to string.");
}

std::int32_t OscParam::AsInt32() const
{
    throw std::runtime_error("Parameter does not convert to int32.");
}

float OscParam::AsFloat32() const
{
    throw std::runtime_error("Parameter does not convert to float32.");
}

OscInt32::OscInt32(std::int32_t value)
    : OscParam(OscKindInt32)
    , value_(value)
{
    consumed_ = 4;
}

OscInt32::OscInt32(const char* data, std::size_t left)
    : OscParam(OscKindInt32)
{
    if (left < 4)
        throw std::runtime_error("Cannot read OSC Param of type int32 in less than four bytes.");
    value_ = static_cast<std::int32_t>(ReadBigEndian32(data));
    consumed_ = 4;
}

std::string OscInt32::AsString() const
{
    return std::to_string(value_);
}

std::int32_t OscInt32::AsInt32() const
{
    return value_;
}

float OscInt32::AsFloat32() const
{
    return static_cast<float>(value_);
}

OscFloat32::OscFloat32(float value)
    : OscParam(OscKindFloat32)
    , value_(value)
{
    consumed_ = 4;
}

OscFloat32::OscFloat32(const char* data, std::size_t left)
    : OscParam(OscKindFloat32)
{
    if (left < 4)
        throw std::runtime_error("Cannot read OSC Param of type float32 in less than four bytes.");
    value_ = std::bit_cast<float>(ReadBigEndian32(data));
    consumed_ = 4;
}

std::string OscFloat32::AsString() const
{
    const double value = value_;
    const int length = std::snprintf(nullptr, 0, "%f", value);
    std::string text(static_cast<std::size_t>(length), '\0');
    std::snprintf(text.data(), text.size() + 1, "%f", value);
    return text;
}

float OscFloat32::AsFloat32() const
{
    return value_;
}

OscString::OscString(std::string value)
    : OscParam(OscKindString)
    , value_(std::move(value))
{
    consumed_ = PaddedSize(value_.size());
}

OscString::OscString(const char* data, std::size_t left)
    : OscParam(OscKindString)
{
    consumed_ = ReadOscString(data, left, value_);
}

std::string OscString::AsString() const
{
    return value_;
}

OscMessage DecodeOscMessage(const char* data, std::size_t length, std::size_t* consumed)
{
    OscMessage message;
    std::size_t position = ReadOscString(data, length, message.address);
    if (message.address == "#bundle")
        throw std::runtime_error("OSC Bundle detected. OSC Bundles unsupported at this time.");
    if (position < length && data[position] == ',') {
        std::string tags;
        position += ReadOscString(data + position, length - position, tags);
        for (std::size_t i = 1; i < tags.size(); ++i) {
            auto argument = ReadArgument(tags[i], data + position, length - position);
            position += argument->Consumed();
            message.arguments.push_back(std::move(argument));
        }
    }
    if (consumed)
        *consumed = position;
    return message;
}

QByteArray BuildOscPacket(const QString& message)
{
    if (message.isEmpty())
        return {};
    const qsizetype blank = message.indexOf(QLatin1Char(' '));
    const QString address = blank < 0 ? message : message.left(blank);
    const QString rest = blank < 0 ? QString() : message.mid(blank + 1);

    QByteArray tags(",");
    QByteArray arguments;
    arguments.reserve(rest.size() * 2 + 16);
    const auto addString = [&](const QString& word) {
        tags.append('s');
        AppendPadded(arguments, word.toUtf8());
    };
    const auto addWord = [&](const QString& word) {
        if (!MayBeNumber(word)) {
            addString(word);
            return;
        }
        bool ok = false;
        const int integer = word.toInt(&ok, 10);
        if (ok) {
            tags.append('i');
            AppendBigEndian32(arguments, static_cast<std::uint32_t>(integer));
            return;
        }
        const float number = word.toFloat(&ok);
        if (ok) {
            tags.append('f');
            AppendBigEndian32(arguments, std::bit_cast<std::uint32_t>(number));
            return;
        }
        addString(word);
    };

    QString word;
    word.reserve(rest.size());
    bool betweenWords = true;
    bool quoted = false;
    for (const QChar c : rest) {
        if (c == QLatin1Char('"')) {
            if (quoted) {
                addString(word);
                word.truncate(0); // keeps the capacity
                betweenWords = true;
            } else {
                betweenWords = false;
            }
            quoted = !quoted;
        } else if (c == QLatin1Char(' ') && !quoted) {
            if (!betweenWords) {
                addWord(word);
                word.truncate(0);
                betweenWords = true;
            }
        } else {
            word.append(c);
            betweenWords = false;
        }
    }
    if (!word.isEmpty()) {
        if (quoted)
            addString(word);
        else
            addWord(word);
    }

    QByteArray packet;
    packet.reserve(address.size() * 3 + tags.size() + arguments.size() + 8);
    AppendPadded(packet, address.toUtf8());
    // The type-tag string is written also without arguments (",": OSC 1.0
    // requires it, and receivers such as liblo drop a message without it).
    AppendPadded(packet, tags);
    packet.append(arguments);
    return packet;
}

} // namespace vand::osc
