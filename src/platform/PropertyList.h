// The property-list value: one type for booleans, numbers, text, bytes,
// dates, arrays and dictionaries, with value semantics (copies are deep, no
// retain/release). Dictionaries keep their keys sorted, so that the XML form
// of equal values is byte for byte the same.
//
// Accessors never throw: asking a value for a kind it does not hold answers
// the given default or a null pointer. Integers and reals both stand for
// numbers and convert into each other on request.
#pragma once

#include <cmath>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

enum class PlistKind { None, Bool, Integer, Real, String, Data, Date, Array, Dict };

// A point in time as seconds since 2001-01-01 00:00:00 UTC, the epoch of
// property-list dates.
struct PlistDate {
  double seconds = 0;
  // Seconds between the Unix epoch and the property-list epoch.
  static constexpr double kUnixOffset = 978307200.0;
  static PlistDate FromUnixTime(double unixSeconds) { return {unixSeconds - kUnixOffset}; }
  double UnixTime() const { return seconds + kUnixOffset; }
  // The dates the written forms carry: whole seconds within 32 bits of the
  // epoch (1901 to 2069) and microseconds. XML keeps whole seconds only.
  bool InRange() const { return seconds >= -2147483648.0 && seconds < 2147483648.0; }
  // Rounded to the microsecond.
  PlistDate Rounded() const {
    double whole = std::floor(seconds);
    double micro = std::round((seconds - whole) * 1e6);
    if (micro >= 1e6) whole += 1, micro = 0;
    return {whole + micro / 1e6};
  }
  bool operator==(const PlistDate&) const = default;
};

class PlistValue {
 public:
  using Bytes = std::vector<uint8_t>;
  using Array = std::vector<PlistValue>;
  using Dict = std::map<std::string, PlistValue, std::less<>>;

  PlistValue() = default;  // kind None

  static PlistValue Bool(bool value);
  static PlistValue Integer(int64_t value);
  static PlistValue Real(double value);
  static PlistValue String(std::string_view utf8);
  static PlistValue Data(Bytes bytes);
  static PlistValue Data(std::string_view bytes);
  static PlistValue Date(PlistDate date);
  static PlistValue MakeArray(Array items = {});
  static PlistValue MakeDict(Dict items = {});

  PlistKind Kind() const;
  bool IsNone() const { return Kind() == PlistKind::None; }
  bool IsArray() const { return Kind() == PlistKind::Array; }
  bool IsDict() const { return Kind() == PlistKind::Dict; }

  // Typed reads; the default when the kind does not fit.
  bool GetBool(bool fallback = false) const;
  int64_t GetInteger(int64_t fallback = 0) const;  // a real is truncated
  double GetReal(double fallback = 0) const;       // an integer is widened
  std::string GetString(std::string_view fallback = {}) const;
  std::optional<PlistDate> GetDate() const;
  bool IsNumber() const { return Kind() == PlistKind::Integer || Kind() == PlistKind::Real; }

  // Views into the value; null when the kind does not fit.
  const std::string* AsString() const;
  const Bytes* AsData() const;
  const Array* AsArray() const;
  Array* AsArray();
  const Dict* AsDict() const;
  Dict* AsDict();

  // Dictionary access. Set on a None value turns it into a dictionary; on any
  // other non-dictionary kind it does nothing and answers false.
  const PlistValue* Find(std::string_view key) const;
  PlistValue* Find(std::string_view key);
  bool Set(std::string_view key, PlistValue value);
  bool Remove(std::string_view key);

  // Array access. Append on a None value turns it into an array.
  size_t Count() const;  // elements of an array or entries of a dictionary, else 0
  const PlistValue* At(size_t index) const;
  PlistValue* At(size_t index);
  bool Append(PlistValue value);

  // Apple XML property list (UTF-8, with the XML declaration and DOCTYPE).
  // A None value, or one holding text (or a key) that is not valid UTF-8 or
  // has a NUL character, or a date out of range, has no XML form: the answer
  // is empty. None members of containers are left out.
  std::string ToXml() const;
  // Binary property list ("bplist00"); empty for a None value.
  std::string ToBinary() const;
  // Reads an XML or binary property list; nullopt with a reason in `error`
  // (when given) for anything else, including text that is not UTF-8.
  static std::optional<PlistValue> FromXml(std::string_view text, std::string* error = nullptr);

  bool operator==(const PlistValue& other) const;
  bool operator!=(const PlistValue& other) const { return !(*this == other); }

 private:
  using Storage = std::variant<std::monostate, bool, int64_t, double, std::string, Bytes, PlistDate,
                               Array, Dict>;
  Storage value_;
};
