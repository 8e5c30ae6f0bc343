// Feeds arbitrary bytes to the OSC decoder, the address parser and the
// dispatcher, and, read as text, to the packet builder.
// - A datagram is refused with std::runtime_error or decoded within its
//   length; what was decoded encodes back to exactly the bytes it was read
//   from, and those bytes alone decode to the same message.
// - Dispatching never throws and makes at most three handler calls.
// - ToOscName keeps the length and leaves no reserved, upper-case or
//   non-ASCII byte.
// - Every text without NUL builds a packet that decodes whole, with one
//   argument per type tag; without quotes, each blank-separated word is
//   typed exactly as QString::toInt (base 10) and toFloat take it.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>
#include <string_view>

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "showcontrol/OscCommand.h"
#include "showcontrol/OscMessage.h"
#include "showcontrol/OscProcInterface.h"

namespace {

using vand::osc::OscMessage;
using vand::osc::OscParam;

void Check(bool condition) {
  if (!condition) std::abort();
}

void AppendPadded(std::string& out, const std::string& bytes) {
  out += bytes;
  do {
    out.push_back('\0');
  } while (out.size() % 4 != 0);
}

void AppendBigEndian(std::string& out, std::uint32_t value) {
  out.push_back(char(value >> 24));
  out.push_back(char(value >> 16));
  out.push_back(char(value >> 8));
  out.push_back(char(value));
}

// The canonical bytes of a message: the address, the type-tag string (a
// comma alone without arguments) and the arguments.
std::string Encode(const OscMessage& message) {
  std::string out;
  AppendPadded(out, message.address);
  std::string tags = ",";
  std::string values;
  for (const auto& argument : message.arguments) {
    if (auto* i = dynamic_cast<const vand::osc::OscInt32*>(argument.get())) {
      tags += 'i';
      AppendBigEndian(values, static_cast<std::uint32_t>(i->Value()));
    } else if (auto* f = dynamic_cast<const vand::osc::OscFloat32*>(argument.get())) {
      tags += 'f';
      std::uint32_t bits;
      const float value = f->Value();
      std::memcpy(&bits, &value, 4);
      AppendBigEndian(values, bits);
    } else if (auto* s = dynamic_cast<const vand::osc::OscString*>(argument.get())) {
      tags += 's';
      AppendPadded(values, s->Value());
    } else {
      std::abort();  // the decoder makes no other kind
    }
  }
  AppendPadded(out, tags);
  return out + values;
}

// Counts calls; reports nothing (keeps the run quiet and fast).
class CountingHandler : public vand::osc::OscProcInterface {
 public:
  int calls = 0;
  void Stop(const std::string&, const std::string&) override { ++calls; }
  void Play(const std::string&, const std::string&) override { ++calls; }
  void FadeOut(const std::string&, const std::string&, float) override { ++calls; }
  void FadeTo(const std::string&, const std::string&, float, float, bool) override { ++calls; }
  void SetVolume(float) override { ++calls; }
  void Advance(const std::string&, const std::string&) override { ++calls; }
  void Pause(const std::string&, const std::string&) override { ++calls; }
  void EventCommand(const std::string&, const std::string&, const std::string&) override { ++calls; }
  void Error(const std::string&, const std::string&) override { ++calls; }
  void SfxPlay(const std::string&, const std::string&) override { ++calls; }
  void SfxStop(const std::string&, const std::string&) override { ++calls; }
  void SfxStopAll(const std::string&) override { ++calls; }
  void Notification(const OscMessage&) override { ++calls; }
  void SfxFadeTo(const std::string&, const std::string&, double, float) override { ++calls; }
};

void CheckDatagram(const char* data, std::size_t size) {
  OscMessage message;
  std::size_t consumed = 0;
  try {
    message = vand::osc::DecodeOscMessage(data, size, &consumed);
  } catch (const std::runtime_error&) {
    return;
  }
  Check(consumed <= size && consumed % 4 == 0);
  const std::string read(data, consumed);
  const std::string encoded = Encode(message);
  const std::string noTags(",\0\0\0", 4);
  if (message.arguments.empty())
    Check(read == encoded || read + noTags == encoded);
  else
    Check(read == encoded);

  std::size_t again = 0;
  const OscMessage reread = vand::osc::DecodeOscMessage(read.data(), read.size(), &again);
  Check(again == consumed && Encode(reread) == encoded);

  CountingHandler handler;
  vand::osc::DispatchOscCommand(&handler, message);
  Check(handler.calls >= 1 && handler.calls <= 3);

  const std::string name = vand::osc::ToOscName(message.address);
  Check(name.size() == message.address.size());
  for (const char c : name) {
    Check(static_cast<unsigned char>(c) < 0x80 && !(c >= 'A' && c <= 'Z'));
    Check(std::string_view("#,* /?[]{}").find(c) == std::string_view::npos);
  }
}

void CheckText(const char* data, std::size_t size) {
  if (std::memchr(data, '\0', size)) return;
  const QString text = QString::fromUtf8(data, static_cast<qsizetype>(size));
  const QByteArray packet = vand::osc::BuildOscPacket(text);
  if (text.isEmpty()) {
    Check(packet.isEmpty());
    return;
  }
  Check(packet.size() % 4 == 0);
  const QByteArray address = text.section(QLatin1Char(' '), 0, 0).toUtf8();
  std::size_t consumed = 0;
  OscMessage message;
  try {
    message = vand::osc::DecodeOscMessage(packet.constData(), std::size_t(packet.size()), &consumed);
  } catch (const std::runtime_error&) {
    Check(address == "#bundle");
    return;
  }
  Check(consumed == std::size_t(packet.size()));
  Check(message.address == address.toStdString());
  Check(Encode(message) == packet.toStdString());

  if (text.contains(QLatin1Char('"'))) return;
  const QStringList words = text.section(QLatin1Char(' '), 1).split(QLatin1Char(' '), Qt::SkipEmptyParts);
  Check(std::size_t(words.size()) == message.arguments.size());
  for (qsizetype i = 0; i < words.size(); ++i) {
    bool ok = false;
    int kind = vand::osc::OscKindString;
    words[i].toInt(&ok, 10);
    if (ok) {
      kind = vand::osc::OscKindInt32;
    } else {
      words[i].toFloat(&ok);
      if (ok) kind = vand::osc::OscKindFloat32;
    }
    Check(message.arguments[std::size_t(i)]->Kind() == kind);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const char* bytes = reinterpret_cast<const char*>(data);
  CheckDatagram(bytes, size);
  CheckText(bytes, size);
  return 0;
}
