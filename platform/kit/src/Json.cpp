#include "kit/Json.h"

#include <rapidjson/error/en.h>

#include <charconv>
#include <cmath>
#include <limits>

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

// Whole numbers beyond this are not exact as doubles.
constexpr double kLargestExactDouble = 9007199254740992.0;  // 2^53

}  // namespace

Error::Error(std::string where, std::string what)
    : std::runtime_error(where.empty() ? what : where + ": " + what), where_(std::move(where)), what_(std::move(what)) {}

void Fail(const std::string& where, const std::string& what) { throw Error(where, what); }

void Parse(rapidjson::Document& doc, std::string_view text) {
  constexpr unsigned kFlags =
      rapidjson::kParseIterativeFlag | rapidjson::kParseValidateEncodingFlag | rapidjson::kParseFullPrecisionFlag;
  doc.Parse<kFlags>(text.data(), text.size());
  if (doc.HasParseError()) {
    Fail("offset " + std::to_string(doc.GetErrorOffset()),
         std::string("not valid JSON (") + rapidjson::GetParseError_En(doc.GetParseError()) + ")");
  }
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

std::int64_t Integer(const Value& object, const char* name, const std::string& where, std::int64_t lo,
                     std::int64_t hi, std::optional<std::int64_t> fallback, const Wording& wording) {
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
