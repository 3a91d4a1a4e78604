#include "platform/PropertyList.h"

#include "platform/BinaryPropertyList.h"

#include <plist/plist.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>

namespace {

struct PlistFree {
  void operator()(plist_t node) const {
    if (node) plist_free(node);
  }
};
using PlistPtr = std::unique_ptr<void, PlistFree>;

// Dates go to the library as whole seconds plus microseconds; negative times
// keep a non-negative microsecond part.
void SplitSeconds(double seconds, int32_t* sec, int32_t* usec) {
  double whole = std::floor(seconds);
  double micro = std::round((seconds - whole) * 1e6);
  if (micro >= 1e6) {
    whole += 1;
    micro = 0;
  }
  constexpr double lo = std::numeric_limits<int32_t>::min();
  constexpr double hi = std::numeric_limits<int32_t>::max();
  *sec = static_cast<int32_t>(whole < lo ? lo : (whole > hi ? hi : whole));
  *usec = static_cast<int32_t>(micro);
}

plist_t ToNode(const PlistValue& value) {
  switch (value.Kind()) {
    case PlistKind::None:
      return nullptr;
    case PlistKind::Bool:
      return plist_new_bool(value.GetBool() ? 1 : 0);
    case PlistKind::Integer:
      // Negative numbers travel as their two's complement; the writers print
      // them signed.
      return plist_new_uint(static_cast<uint64_t>(value.GetInteger()));
    case PlistKind::Real:
      return plist_new_real(value.GetReal());
    case PlistKind::String:
      return plist_new_string(value.AsString()->c_str());
    case PlistKind::Data: {
      const auto* bytes = value.AsData();
      return plist_new_data(reinterpret_cast<const char*>(bytes->data()), bytes->size());
    }
    case PlistKind::Date: {
      int32_t sec = 0, usec = 0;
      SplitSeconds(value.GetDate()->seconds, &sec, &usec);
      return plist_new_date(sec, usec);
    }
    case PlistKind::Array: {
      plist_t node = plist_new_array();
      for (const auto& item : *value.AsArray()) {
        if (plist_t child = ToNode(item)) plist_array_append_item(node, child);
      }
      return node;
    }
    case PlistKind::Dict: {
      plist_t node = plist_new_dict();
      // std::map order: sorted keys, deterministic output.
      for (const auto& [key, item] : *value.AsDict()) {
        if (plist_t child = ToNode(item)) plist_dict_set_item(node, key.c_str(), child);
      }
      return node;
    }
  }
  return nullptr;
}

constexpr int kMaxDepth = 512;

// Strict UTF-8: no overlong forms, no surrogates, nothing past U+10FFFF.
bool ValidUtf8(std::string_view text) {
  size_t i = 0;
  while (i < text.size()) {
    auto c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) {
      ++i;
      continue;
    }
    size_t n = 0;
    uint32_t cp = 0, min = 0;
    if ((c & 0xE0) == 0xC0) {
      n = 1, cp = c & 0x1F, min = 0x80;
    } else if ((c & 0xF0) == 0xE0) {
      n = 2, cp = c & 0x0F, min = 0x800;
    } else if ((c & 0xF8) == 0xF0) {
      n = 3, cp = c & 0x07, min = 0x10000;
    } else {
      return false;
    }
    if (i + n >= text.size()) return false;
    for (size_t k = 1; k <= n; ++k) {
      auto d = static_cast<unsigned char>(text[i + k]);
      if ((d & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (d & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    i += n + 1;
  }
  return true;
}

// Text that property lists can carry: valid UTF-8 without NUL.
bool ValidText(std::string_view text) {
  return text.find('\0') == std::string_view::npos && ValidUtf8(text);
}

std::optional<PlistValue> FromNode(plist_t node, int depth) {
  if (!node || depth > kMaxDepth) return std::nullopt;
  switch (plist_get_node_type(node)) {
    case PLIST_BOOLEAN: {
      uint8_t b = 0;
      plist_get_bool_val(node, &b);
      return PlistValue::Bool(b != 0);
    }
    case PLIST_UINT: {
      uint64_t v = 0;
      plist_get_uint_val(node, &v);
      return PlistValue::Integer(static_cast<int64_t>(v));
    }
    case PLIST_REAL: {
      double d = 0;
      plist_get_real_val(node, &d);
      return PlistValue::Real(d);
    }
    case PLIST_STRING: {
      uint64_t length = 0;
      const char* text = plist_get_string_ptr(node, &length);
      std::string_view view = text ? std::string_view(text, length) : std::string_view();
      // Text is UTF-8 without NUL (XML cannot carry anything else); other
      // bytes mean broken input, which is refused rather than passed on.
      if (!ValidText(view)) return std::nullopt;
      return PlistValue::String(view);
    }
    case PLIST_DATA: {
      uint64_t length = 0;
      const char* bytes = plist_get_data_ptr(node, &length);
      return PlistValue::Data(bytes ? std::string_view(bytes, length) : std::string_view());
    }
    case PLIST_DATE: {
      int32_t sec = 0, usec = 0;
      plist_get_date_val(node, &sec, &usec);
      return PlistValue::Date({static_cast<double>(sec) + static_cast<double>(usec) / 1e6});
    }
    case PLIST_UID: {
      // Keyed-archive object references have no kind of their own here.
      uint64_t v = 0;
      plist_get_uid_val(node, &v);
      return PlistValue::Integer(static_cast<int64_t>(v));
    }
    case PLIST_ARRAY: {
      PlistValue::Array items;
      uint32_t n = plist_array_get_size(node);
      items.reserve(n);
      for (uint32_t i = 0; i < n; ++i) {
        auto item = FromNode(plist_array_get_item(node, i), depth + 1);
        if (!item) return std::nullopt;
        items.push_back(std::move(*item));
      }
      return PlistValue::MakeArray(std::move(items));
    }
    case PLIST_DICT: {
      PlistValue::Dict items;
      plist_dict_iter it = nullptr;
      plist_dict_new_iter(node, &it);
      if (!it) return PlistValue::MakeDict();
      for (;;) {
        char* key = nullptr;
        plist_t child = nullptr;
        plist_dict_next_item(node, it, &key, &child);
        if (!child) {
          free(key);
          break;
        }
        std::string k = key ? key : "";
        free(key);
        if (!ValidText(k)) {
          free(it);
          return std::nullopt;
        }
        auto item = FromNode(child, depth + 1);
        if (!item) {
          free(it);
          return std::nullopt;
        }
        items.insert_or_assign(std::move(k), std::move(*item));
      }
      free(it);
      return PlistValue::MakeDict(std::move(items));
    }
    default:
      return std::nullopt;
  }
}

// Text with a NUL character or bytes that are not UTF-8, and dates out of
// range, cannot be written: the writers would cut or mangle them.
bool Writable(const PlistValue& value) {
  if (const std::string* text = value.AsString()) return ValidText(*text);
  if (auto date = value.GetDate()) return date->InRange();
  if (const auto* array = value.AsArray()) {
    for (const auto& item : *array) {
      if (!Writable(item)) return false;
    }
  }
  if (const auto* dict = value.AsDict()) {
    for (const auto& [key, item] : *dict) {
      if (!ValidText(key) || !Writable(item)) return false;
    }
  }
  return true;
}

}  // namespace

PlistValue PlistValue::Bool(bool value) {
  PlistValue v;
  v.value_ = value;
  return v;
}
PlistValue PlistValue::Integer(int64_t value) {
  PlistValue v;
  v.value_ = value;
  return v;
}
PlistValue PlistValue::Real(double value) {
  PlistValue v;
  v.value_ = value;
  return v;
}
PlistValue PlistValue::String(std::string_view utf8) {
  PlistValue v;
  v.value_ = std::string(utf8);
  return v;
}
PlistValue PlistValue::Data(Bytes bytes) {
  PlistValue v;
  v.value_ = std::move(bytes);
  return v;
}
PlistValue PlistValue::Data(std::string_view bytes) {
  return Data(Bytes(bytes.begin(), bytes.end()));
}
PlistValue PlistValue::Date(PlistDate date) {
  PlistValue v;
  v.value_ = date;
  return v;
}
PlistValue PlistValue::MakeArray(Array items) {
  PlistValue v;
  v.value_ = std::move(items);
  return v;
}
PlistValue PlistValue::MakeDict(Dict items) {
  PlistValue v;
  v.value_ = std::move(items);
  return v;
}

PlistKind PlistValue::Kind() const {
  return static_cast<PlistKind>(value_.index());
}

bool PlistValue::GetBool(bool fallback) const {
  if (const auto* b = std::get_if<bool>(&value_)) return *b;
  return fallback;
}

int64_t PlistValue::GetInteger(int64_t fallback) const {
  if (const auto* i = std::get_if<int64_t>(&value_)) return *i;
  if (const auto* d = std::get_if<double>(&value_)) {
    // Out-of-range and NaN reals have no integer value.
    if (std::isfinite(*d) && *d >= -9.2233720368547758e18 && *d < 9.2233720368547758e18) {
      return static_cast<int64_t>(*d);
    }
  }
  return fallback;
}

double PlistValue::GetReal(double fallback) const {
  if (const auto* d = std::get_if<double>(&value_)) return *d;
  if (const auto* i = std::get_if<int64_t>(&value_)) return static_cast<double>(*i);
  return fallback;
}

std::string PlistValue::GetString(std::string_view fallback) const {
  if (const auto* s = std::get_if<std::string>(&value_)) return *s;
  return std::string(fallback);
}

std::optional<PlistDate> PlistValue::GetDate() const {
  if (const auto* d = std::get_if<PlistDate>(&value_)) return *d;
  return std::nullopt;
}

const std::string* PlistValue::AsString() const {
  return std::get_if<std::string>(&value_);
}
const PlistValue::Bytes* PlistValue::AsData() const {
  return std::get_if<Bytes>(&value_);
}
const PlistValue::Array* PlistValue::AsArray() const {
  return std::get_if<Array>(&value_);
}
PlistValue::Array* PlistValue::AsArray() {
  return std::get_if<Array>(&value_);
}
const PlistValue::Dict* PlistValue::AsDict() const {
  return std::get_if<Dict>(&value_);
}
PlistValue::Dict* PlistValue::AsDict() {
  return std::get_if<Dict>(&value_);
}

const PlistValue* PlistValue::Find(std::string_view key) const {
  const auto* dict = AsDict();
  if (!dict) return nullptr;
  auto it = dict->find(key);
  return it == dict->end() ? nullptr : &it->second;
}

PlistValue* PlistValue::Find(std::string_view key) {
  auto* dict = AsDict();
  if (!dict) return nullptr;
  auto it = dict->find(key);
  return it == dict->end() ? nullptr : &it->second;
}

bool PlistValue::Set(std::string_view key, PlistValue value) {
  if (IsNone()) value_ = Dict();
  auto* dict = AsDict();
  if (!dict) return false;
  auto it = dict->find(key);
  if (it != dict->end()) {
    it->second = std::move(value);
  } else {
    dict->emplace(std::string(key), std::move(value));
  }
  return true;
}

bool PlistValue::Remove(std::string_view key) {
  auto* dict = AsDict();
  if (!dict) return false;
  auto it = dict->find(key);
  if (it == dict->end()) return false;
  dict->erase(it);
  return true;
}

size_t PlistValue::Count() const {
  if (const auto* a = AsArray()) return a->size();
  if (const auto* d = AsDict()) return d->size();
  return 0;
}

const PlistValue* PlistValue::At(size_t index) const {
  const auto* a = AsArray();
  return a && index < a->size() ? &(*a)[index] : nullptr;
}

PlistValue* PlistValue::At(size_t index) {
  auto* a = AsArray();
  return a && index < a->size() ? &(*a)[index] : nullptr;
}

bool PlistValue::Append(PlistValue value) {
  if (IsNone()) value_ = Array();
  auto* a = AsArray();
  if (!a) return false;
  a->push_back(std::move(value));
  return true;
}

std::string PlistValue::ToXml() const {
  if (!Writable(*this)) return {};
  PlistPtr node(ToNode(*this));
  if (!node) return {};
  char* xml = nullptr;
  uint32_t length = 0;
  plist_to_xml(node.get(), &xml, &length);
  std::string out = xml ? std::string(xml, length) : std::string();
  if (xml) plist_to_xml_free(xml);
  return out;
}

std::string PlistValue::ToBinary() const {
  if (!Writable(*this)) return {};
  PlistPtr node(ToNode(*this));
  if (!node) return {};
  char* bin = nullptr;
  uint32_t length = 0;
  plist_to_bin(node.get(), &bin, &length);
  std::string out = bin ? std::string(bin, length) : std::string();
  if (bin) plist_to_bin_free(bin);
  return out;
}

std::optional<PlistValue> PlistValue::FromXml(std::string_view text, std::string* error) {
  auto fail = [error](const char* why) -> std::optional<PlistValue> {
    if (error) *error = why;
    return std::nullopt;
  };
  if (text.empty()) return fail("empty property list");
  if (text.size() > std::numeric_limits<uint32_t>::max()) return fail("property list too large");
  const auto length = static_cast<uint32_t>(text.size());
  // Binary lists are read by our own checked reader: the library's binary
  // reader trusts the file's references.
  if (IsBinaryPropertyList(text)) {
    auto value = ReadBinaryPropertyList(text, error);
    if (value && error) error->clear();
    return value;
  }
  // The XML reader wants to see the document start; anything else (JSON,
  // old-style text lists) is refused here rather than guessed at.
  if (text.find('<') == std::string_view::npos) return fail("not an XML or binary property list");
  plist_t raw = nullptr;
  plist_from_xml(text.data(), length, &raw);
  PlistPtr node(raw);
  if (!node) return fail("malformed property list");
  auto value = FromNode(node.get(), 0);
  if (!value) return fail("unsupported or too deeply nested property list");
  if (error) error->clear();
  return value;
}

bool PlistValue::operator==(const PlistValue& other) const {
  return value_ == other.value_;
}
