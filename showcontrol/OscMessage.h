#pragma once

// The OSC codec: one datagram holds one message (an address and a list of
// int32, float32 and string arguments); bundles are refused. Numbers are
// big-endian on the wire.
//
// Threads: plain functions of their input with no shared state, callable on
// any thread. Decoding runs on the GUI thread (the server's socket lives
// there), building on the timed sender's worker threads.
//
// Decoding reads bytes from an unauthenticated network port: every read is
// bounded by the bytes left in the datagram, and a malformed datagram throws
// std::runtime_error before anything partial is returned.

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vand::osc {

// Argument kinds, as type-tag letters map to them.
enum OscKind : int {
    OscKindUnknown = 0,
    OscKindInt32 = 1,   // 'i'
    OscKindFloat32 = 2, // 'f'
    OscKindString = 3,  // 's'
    OscKindBlob = 4,    // 'b', refused
};

// Kind of a type-tag letter; letters without a decoder give OscKindUnknown.
int OscKindOfTag(char tag);

// One argument. The base refuses every conversion; each subclass supports
// the ones its type allows.
class OscParam
{
public:
    virtual ~OscParam();
    virtual std::string AsString() const;
    virtual std::int32_t AsInt32() const;
    virtual float AsFloat32() const;

    int Kind() const { return kind_; }
    // Bytes the argument takes on the wire (what a read consumed).
    std::size_t Consumed() const { return consumed_; }

protected:
    explicit OscParam(int kind)
        : kind_(kind)
    {
    }
    std::size_t consumed_ = 0;

private:
    int kind_;
};

class OscInt32 : public OscParam
{
public:
    explicit OscInt32(std::int32_t value);
    // Reads four big-endian bytes; `left` is the number of bytes from `data`
    // to the end of the datagram.
    OscInt32(const char* data, std::size_t left);

    std::string AsString() const override;
    std::int32_t AsInt32() const override;
    float AsFloat32() const override;
    std::int32_t Value() const { return value_; }

private:
    std::int32_t value_ = 0;
};

class OscFloat32 : public OscParam
{
public:
    explicit OscFloat32(float value);
    OscFloat32(const char* data, std::size_t left);

    // The value printed with "%f" (six decimals).
    std::string AsString() const override;
    float AsFloat32() const override;
    float Value() const { return value_; }

private:
    float value_ = 0.0f;
};

class OscString : public OscParam
{
public:
    explicit OscString(std::string value);
    // Reads a NUL-terminated string and its zero padding to a multiple of
    // four bytes counted from `data`.
    OscString(const char* data, std::size_t left);

    std::string AsString() const override;
    const std::string& Value() const { return value_; }

private:
    std::string value_;
};

// One decoded message. Move-only: it owns its arguments.
struct OscMessage
{
    std::string address; // as received, without its NUL
    std::vector<std::unique_ptr<OscParam>> arguments;
};

// Decodes one datagram. `consumed`, when given, receives the bytes taken by
// the address, the type-tag string and the arguments (trailing bytes are
// ignored). Throws std::runtime_error with the reason.
OscMessage DecodeOscMessage(const char* data, std::size_t length, std::size_t* consumed = nullptr);

// Builds the datagram of a message written as text: an address, then
// arguments separated by blanks; double quotes make a string of what they
// enclose; an unquoted word is an int32 when it is a 32-bit decimal integer,
// else a float32 when it parses as a float, else a string. Without
// arguments the type-tag string is "," alone. Never fails; the empty text
// gives an empty packet.
QByteArray BuildOscPacket(const QString& message);

} // namespace vand::osc
