#include "kit/Json.h"

#include <rapidjson/encodedstream.h>
#include <rapidjson/error/en.h>
#include <rapidjson/memorystream.h>
#include <rapidjson/reader.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <locale.h>
#include <clocale>
#include <cstdlib>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>
#include <vector>

namespace kit::json {

namespace {

// Shortest text that reads back as `d`: 1, 0.5, 1000, 1e+300.
std::string NumberText(double d) {
  char buf[32];
  const auto r = std::to_chars(buf, buf + sizeof(buf), d);
  return std::string(buf, r.ptr);
}

template <class T>
std::string RangeFailure(std::string_view name, const char* noun, T lo, T hi, const Wording& wording,
                         std::string (*text)(T)) {
  if (wording.lieBetween) return Quote(name) + " must lie between " + text(lo) + " and " + text(hi);
  return Quote(name) + " must be " + noun + " from " + text(lo) + " to " + text(hi);
}

std::string IntegerText(std::int64_t v) { return std::to_string(v); }

// RapidJSON's own words for kParseErrorNumberTooBig.
constexpr const char* kNumberTooBig = "Number too big to be stored in double.";

// Whole numbers beyond this are not exact as doubles.
constexpr double kLargestExactDouble = 9007199254740992.0;  // 2^53

// Passes a reader's events on to a document, converting numbers from their
// text. RapidJSON's own exact conversion (kParseFullPrecisionFlag) reads out
// of bounds on some numbers in the version this system builds with (for
// example 128.74836467836484838364836483643636483648e-336), and its fast one is
// not exact; std::from_chars is both safe and exact. Integers keep the types
// RapidJSON gives them.
class ExactNumbers {
 public:
  explicit ExactNumbers(rapidjson::Document& doc) : doc_(doc) {}

  bool RawNumber(const char* text, rapidjson::SizeType length, bool) {
    const char* end = text + length;
    const bool integer = std::find_if(text, end, [](char c) { return c == '.' || c == 'e' || c == 'E'; }) == end;
    if (integer && *text == '-') {
      std::int64_t i = 0;
      if (const auto r = std::from_chars(text, end, i); r.ec == std::errc() && r.ptr == end) return doc_.Int64(i);
    } else if (integer) {
      std::uint64_t u = 0;
      if (const auto r = std::from_chars(text, end, u); r.ec == std::errc() && r.ptr == end) return doc_.Uint64(u);
    }
    double d = 0.0;
    const auto r = std::from_chars(text, end, d);
    if (r.ec == std::errc::result_out_of_range) {
      d = OutOfRange(std::string(text, length));
    } else if (r.ec != std::errc() || r.ptr != end) {
      failure = "a number that cannot be read";
      return false;
    }
    if (!std::isfinite(d)) {
      failure = kNumberTooBig;
      return false;
    }
    return doc_.Double(d);
  }

  bool Null() { return doc_.Null(); }
  bool Bool(bool b) { return doc_.Bool(b); }
  bool Int(int i) { return doc_.Int(i); }
  bool Uint(unsigned u) { return doc_.Uint(u); }
  bool Int64(std::int64_t i) { return doc_.Int64(i); }
  bool Uint64(std::uint64_t u) { return doc_.Uint64(u); }
  bool Double(double d) { return doc_.Double(d); }
  bool String(const char* text, rapidjson::SizeType length, bool copy) { return doc_.String(text, length, copy); }
  bool StartObject() { return doc_.StartObject(); }
  bool Key(const char* text, rapidjson::SizeType length, bool copy) { return doc_.Key(text, length, copy); }
  bool EndObject(rapidjson::SizeType members) { return doc_.EndObject(members); }
  bool StartArray() { return doc_.StartArray(); }
  bool EndArray(rapidjson::SizeType elements) { return doc_.EndArray(elements); }

  const char* failure = nullptr;  // why a number stopped the reader

 private:
  // Too large (an infinity) or too small (zero or a subnormal) for a double,
  // as the C library rounds it, whatever the process's locale.
  static double OutOfRange(const std::string& text) {
    static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return strtod_l(text.c_str(), nullptr, c);
  }

  rapidjson::Document& doc_;
};

}  // namespace

Error::Error(std::string where, std::string what)
    : std::runtime_error(where.empty() ? what : where + ": " + what), where_(std::move(where)), what_(std::move(what)) {
}

ParseError::ParseError(std::size_t offset, rapidjson::ParseErrorCode code, std::string reason)
    : Error("offset " + std::to_string(offset), "not valid JSON (" + reason + ")"), offset_(offset), code_(code) {}

void Fail(const std::string& where, const std::string& what) { throw Error(where, what); }

void Parse(rapidjson::Document& doc, std::string_view text) {
  // Numbers arrive as their text (ExactNumbers converts them).
  constexpr unsigned kFlags =
      rapidjson::kParseIterativeFlag | rapidjson::kParseValidateEncodingFlag | rapidjson::kParseNumbersAsStringsFlag;
  rapidjson::MemoryStream bytes(text.data(), text.size());
  rapidjson::EncodedInputStream<rapidjson::UTF8<>, rapidjson::MemoryStream> stream(bytes);
  rapidjson::Reader reader;
  const char* numberFailure = nullptr;
  auto generate = [&](rapidjson::Document& target) {
    ExactNumbers handler(target);
    const bool ok = !reader.Parse<kFlags>(stream, handler).IsError();
    numberFailure = handler.failure;
    return ok;
  };
  doc.Populate(generate);
  if (reader.HasParseError()) {
    doc.SetNull();
    if (numberFailure != nullptr) {
      const rapidjson::ParseErrorCode code =
          numberFailure == kNumberTooBig ? rapidjson::kParseErrorNumberTooBig : reader.GetParseErrorCode();
      throw ParseError(reader.GetErrorOffset(), code, numberFailure);
    }
    throw ParseError(reader.GetErrorOffset(), reader.GetParseErrorCode(),
                     rapidjson::GetParseError_En(reader.GetParseErrorCode()));
  }
}

std::string Write(const Value& value) {
  rapidjson::StringBuffer buf;
  rapidjson::Writer<rapidjson::StringBuffer> w(buf);
  Accept(value, w);
  return std::string(buf.GetString(), buf.GetSize());
}

std::string Quote(std::string_view name) { return "\"" + std::string(name) + "\""; }

const Value* Find(const Value& object, const char* name) {
  if (!object.IsObject()) return nullptr;
  const auto it = object.FindMember(name);
  return it == object.MemberEnd() || it->value.IsNull() ? nullptr : &it->value;
}

std::string Text(const Value& object, const char* name, const std::string& where,
                 std::optional<std::string_view> fallback, std::size_t maxBytes) {
  const Value* v = Find(object, name);
  if (v == nullptr) {
    if (!fallback) Fail(where, Quote(name) + " is missing");
    return std::string(*fallback);
  }
  if (!v->IsString()) Fail(where, Quote(name) + " must be text");
  if (v->GetStringLength() > maxBytes) {
    Fail(where, Quote(name) + " is longer than " + std::to_string(maxBytes) + " bytes");
  }
  return std::string(v->GetString(), v->GetStringLength());
}

std::int64_t IntegerValue(const Value& v, std::string_view name, const std::string& where, std::int64_t lo,
                          std::int64_t hi, const Wording& wording) {
  auto outOfRange = [&] {
    Fail(where, RangeFailure<std::int64_t>(name, "a whole number", lo, hi, wording, &IntegerText));
  };
  std::optional<std::int64_t> n;
  if (v.IsInt64()) {
    n = v.GetInt64();
  } else if (v.IsDouble()) {
    const double d = v.GetDouble();
    if (std::isfinite(d) && std::floor(d) == d && std::fabs(d) < kLargestExactDouble) n = static_cast<std::int64_t>(d);
  } else if (v.IsUint64()) {
    outOfRange();  // beyond every 64-bit signed range
  }
  if (!n) {
    if (wording.lieBetween) Fail(where, Quote(name) + " must be a whole number");
    outOfRange();
  }
  if (*n < lo || *n > hi) outOfRange();
  return *n;
}

std::int64_t Integer(const Value& object, const char* name, const std::string& where, std::int64_t lo, std::int64_t hi,
                     std::optional<std::int64_t> fallback, const Wording& wording) {
  const Value* v = Find(object, name);
  if (v == nullptr) {
    if (!fallback) Fail(where, Quote(name) + " is missing");
    return *fallback;
  }
  return IntegerValue(*v, name, where, lo, hi, wording);
}

double NumberValue(const Value& v, std::string_view name, const std::string& where, double lo, double hi,
                   const Wording& wording) {
  const bool bounded = std::isfinite(lo) || std::isfinite(hi);
  auto outOfRange = [&] {
    Fail(where, bounded ? RangeFailure<double>(name, "a number", lo, hi, wording, &NumberText)
                        : Quote(name) + " must be a number");
  };
  if (!v.IsNumber()) {
    if (wording.lieBetween || !bounded) Fail(where, Quote(name) + " must be a number");
    outOfRange();
  }
  const double d = v.GetDouble();
  if (!std::isfinite(d) || d < lo || d > hi) outOfRange();
  return d;
}

double Number(const Value& object, const char* name, const std::string& where, double lo, double hi,
              std::optional<double> fallback, const Wording& wording) {
  const Value* v = Find(object, name);
  if (v == nullptr) {
    if (!fallback) Fail(where, Quote(name) + " is missing");
    return *fallback;
  }
  return NumberValue(*v, name, where, lo, hi, wording);
}

bool Bool(const Value& object, const char* name, const std::string& where, std::optional<bool> fallback) {
  const Value* v = Find(object, name);
  if (v == nullptr) {
    if (!fallback) Fail(where, Quote(name) + " is missing");
    return *fallback;
  }
  if (!v->IsBool()) Fail(where, Quote(name) + " must be true or false");
  return v->GetBool();
}

const Value& Object(const Value& object, const char* name, const std::string& where) {
  const Value* v = Find(object, name);
  if (v == nullptr || !v->IsObject()) Fail(where, Quote(name) + " must be an object");
  return *v;
}

const Value* OptionalArray(const Value& object, const char* name, const std::string& where, const Wording& wording) {
  const Value* v = Find(object, name);
  if (v != nullptr && !v->IsArray()) Fail(where, Quote(name) + " must be " + wording.array);
  return v;
}

}  // namespace kit::json
