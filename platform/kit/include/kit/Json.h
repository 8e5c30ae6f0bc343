#pragma once

// Reading JSON documents (change logs, show files, settings, catalogues),
// and writing a value back as text.
//
// Contract:
// - Parse() reads a whole document with the flags every reader uses:
//   iterative (no nesting depth can exhaust the stack), UTF-8 validated,
//   numbers read exactly. Text after the document is refused.
// - A getter reads one member of an object and checks its type and range. A
//   member that is absent or null is "not given": the getter returns its
//   fallback, or fails when the fallback is kRequired.
// - "A whole number" is an integer or a number with no fraction (2 or 2.0).
// - Every failure throws kit::json::Error with the place (`where`, e.g.
//   "songs.\"1\".events[0]"; empty for the whole document) and what is wrong
//   there (e.g. "\"port\" must be a whole number from 0 to 65535"). what()
//   reads "where: what". A reader adds which file it read, and uses Fail()
//   for its own checks so that they read the same way.
// - Write() turns a value back into compact text without recursion, so that
//   anything Parse() accepted can be written, however deep; Accept() walks a
//   value the same way for any RapidJSON handler (a schema validator).
// - Nothing here logs, touches files or keeps state: callable from any thread.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include <rapidjson/document.h>

namespace kit::json {

using Value = rapidjson::Value;

class Error : public std::runtime_error {
 public:
  Error(std::string where, std::string what);
  const std::string& Where() const { return where_; }
  const std::string& What() const { return what_; }

 private:
  std::string where_;
  std::string what_;
};

// What Parse throws: also the reader's error code and offset, for readers
// whose messages cite them. A number beyond a double reads as
// kParseErrorNumberTooBig.
class ParseError : public Error {
 public:
  ParseError(std::size_t offset, rapidjson::ParseErrorCode code, std::string reason);
  std::size_t Offset() const { return offset_; }
  rapidjson::ParseErrorCode Code() const { return code_; }

 private:
  std::size_t offset_;
  rapidjson::ParseErrorCode code_;
};

[[noreturn]] void Fail(const std::string& where, const std::string& what);

// Fills `doc`. Fails with ParseError: where "offset N" and "not valid JSON
// (reason)".
void Parse(rapidjson::Document& doc, std::string_view text);

// Feeds `value` to a RapidJSON handler in the order Value::Accept does, with
// an explicit stack instead of recursion. Stops at the first handler call that
// returns false and returns false; true when every call returned true.
template <class Handler>
bool Accept(const Value& value, Handler& handler);

// Compact text of `value`, as RapidJSON's Writer puts it (what Parse reads
// back to an equal value). Depth costs heap, never stack.
std::string Write(const Value& value);

// The name in quotes, as failures cite members: "\"port\"".
std::string Quote(std::string_view name);

// How the getters word a range failure. Whole numbers read "\"x\" must be a
// whole number from 1 to 9" (Plain) or "\"x\" must lie between 1 and 9"
// (LieBetween, which words a wrong type apart: "\"x\" must be a whole
// number"); arrays read "must be an array" or "must be a list".
struct Wording {
  bool lieBetween = false;
  const char* array = "an array";
};
inline constexpr Wording kPlain{};

// Marks a member that has no fallback.
inline constexpr std::nullopt_t kRequired = std::nullopt;

// The member, or null when it is absent or null.
const Value* Find(const Value& object, const char* name);

// Text of at most maxBytes bytes ("\"x\" must be text", "\"x\" is longer than N bytes").
std::string Text(const Value& object, const char* name, const std::string& where,
                 std::optional<std::string_view> fallback, std::size_t maxBytes);
std::int64_t Integer(const Value& object, const char* name, const std::string& where, std::int64_t lo, std::int64_t hi,
                     std::optional<std::int64_t> fallback, const Wording& wording = kPlain);
// A finite number within [lo, hi]; with infinite bounds any finite number.
double Number(const Value& object, const char* name, const std::string& where, double lo, double hi,
              std::optional<double> fallback, const Wording& wording = kPlain);
bool Bool(const Value& object, const char* name, const std::string& where, std::optional<bool> fallback);
// A required object member ("\"x\" must be an object").
const Value& Object(const Value& object, const char* name, const std::string& where);
// An array member, or null when it is not given.
const Value* OptionalArray(const Value& object, const char* name, const std::string& where,
                           const Wording& wording = kPlain);

// The same checks on a value that is not a member (an array element); `name`
// names it in the failure.
std::int64_t IntegerValue(const Value& value, std::string_view name, const std::string& where, std::int64_t lo,
                          std::int64_t hi, const Wording& wording = kPlain);
double NumberValue(const Value& value, std::string_view name, const std::string& where, double lo, double hi,
                   const Wording& wording = kPlain);

template <class Handler>
bool Accept(const Value& value, Handler& handler) {
  // The containers open above the value being walked, each with the index of
  // its next member or element.
  struct Open {
    const Value* container;
    rapidjson::SizeType next;
  };
  std::vector<Open> open;
  auto start = [&](const Value& v) -> bool {
    switch (v.GetType()) {
      case rapidjson::kNullType: return handler.Null();
      case rapidjson::kFalseType: return handler.Bool(false);
      case rapidjson::kTrueType: return handler.Bool(true);
      case rapidjson::kStringType: return handler.String(v.GetString(), v.GetStringLength(), true);
      case rapidjson::kNumberType:
        if (v.IsDouble()) return handler.Double(v.GetDouble());
        if (v.IsInt()) return handler.Int(v.GetInt());
        if (v.IsUint()) return handler.Uint(v.GetUint());
        if (v.IsInt64()) return handler.Int64(v.GetInt64());
        return handler.Uint64(v.GetUint64());
      case rapidjson::kObjectType: open.push_back({&v, 0}); return handler.StartObject();
      case rapidjson::kArrayType: open.push_back({&v, 0}); return handler.StartArray();
    }
    return false;
  };
  if (!start(value)) return false;
  while (!open.empty()) {
    // `start` may grow `open`: take what is needed from the top first.
    const Value& c = *open.back().container;
    const rapidjson::SizeType i = open.back().next++;
    if (c.IsObject()) {
      if (i == c.MemberCount()) {
        open.pop_back();
        if (!handler.EndObject(c.MemberCount())) return false;
        continue;
      }
      const auto member = c.MemberBegin() + i;
      if (!handler.Key(member->name.GetString(), member->name.GetStringLength(), true)) return false;
      if (!start(member->value)) return false;
    } else {
      if (i == c.Size()) {
        open.pop_back();
        if (!handler.EndArray(c.Size())) return false;
        continue;
      }
      if (!start(c[i])) return false;
    }
  }
  return true;
}

}  // namespace kit::json
