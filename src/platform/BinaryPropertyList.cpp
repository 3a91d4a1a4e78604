#include "platform/BinaryPropertyList.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

constexpr std::string_view kMagic = "bplist00";
constexpr size_t kTrailerSize = 32;
constexpr int kMaxDepth = 512;
// Shared references can make a small file stand for a huge tree; reading
// stops after this many values, or this many bytes of text and data.
constexpr size_t kMaxValues = 1u << 20;
constexpr size_t kMaxCopiedBytes = size_t{64} << 20;

class Reader {
 public:
  explicit Reader(std::string_view bytes) : bytes_(bytes) {}

  std::optional<PlistValue> Read(std::string* error) {
    auto value = ReadAll();
    if (!value && error) *error = error_;
    return value;
  }

 private:
  std::optional<PlistValue> ReadAll() {
    if (bytes_.size() < kMagic.size() + kTrailerSize) return Fail("binary property list too short");
    const size_t t = bytes_.size() - kTrailerSize;
    offsetSize_ = Byte(t + 6);
    refSize_ = Byte(t + 7);
    uint64_t count = BigEndian(t + 8, 8);
    uint64_t top = BigEndian(t + 16, 8);
    uint64_t table = BigEndian(t + 24, 8);
    if (offsetSize_ < 1 || offsetSize_ > 8 || refSize_ < 1 || refSize_ > 8) {
      return Fail("bad binary property list trailer");
    }
    if (count == 0 || top >= count || table < kMagic.size() || table > t ||
        count > (t - table) / offsetSize_) {
      return Fail("bad binary property list trailer");
    }
    table_ = static_cast<size_t>(table);
    count_ = static_cast<size_t>(count);
    end_ = table_;  // objects lie between the header and the offset table
    active_.assign(count_, false);
    return Object(static_cast<size_t>(top), 0);
  }

  std::optional<PlistValue> Fail(const char* why) {
    if (error_.empty()) error_ = why;
    return std::nullopt;
  }

  uint8_t Byte(size_t at) const { return static_cast<uint8_t>(bytes_[at]); }

  uint64_t BigEndian(size_t at, size_t size) const {
    uint64_t v = 0;
    for (size_t i = 0; i < size; ++i) v = (v << 8) | Byte(at + i);
    return v;
  }

  // The offset of object `ref`, checked to lie in the object area.
  std::optional<size_t> Offset(size_t ref) const {
    uint64_t at = BigEndian(table_ + ref * offsetSize_, offsetSize_);
    if (at < kMagic.size() || at >= end_) return std::nullopt;
    return static_cast<size_t>(at);
  }

  // The length of a sized object: the marker's low nibble, or an integer
  // object after the marker when that is 0xF. `at` moves past the length.
  std::optional<uint64_t> Length(uint8_t marker, size_t* at) const {
    uint8_t info = marker & 0x0F;
    if (info != 0x0F) return info;
    if (*at >= end_) return std::nullopt;
    uint8_t intMarker = Byte(*at);
    if ((intMarker & 0xF0) != 0x10 || (intMarker & 0x0F) > 3) return std::nullopt;
    size_t size = size_t{1} << (intMarker & 0x0F);
    if (size > end_ - *at - 1) return std::nullopt;
    uint64_t n = BigEndian(*at + 1, size);
    *at += 1 + size;
    return n;
  }

  bool Fits(size_t at, uint64_t count, size_t unit) const {
    return at <= end_ && count <= (end_ - at) / unit;
  }

  std::optional<PlistValue> Object(size_t ref, int depth) {
    if (ref >= count_) return Fail("reference out of range");
    if (depth > kMaxDepth) return Fail("property list nested too deeply");
    if (++values_ > kMaxValues) return Fail("property list too large");
    if (active_[ref]) return Fail("property list refers to itself");
    auto offset = Offset(ref);
    if (!offset) return Fail("object offset out of range");
    size_t at = *offset;
    uint8_t marker = Byte(at++);
    uint8_t info = marker & 0x0F;
    switch (marker >> 4) {
      case 0x0:
        if (marker == 0x08) return PlistValue::Bool(false);
        if (marker == 0x09) return PlistValue::Bool(true);
        return Fail("unsupported value (null or fill)");
      case 0x1: {
        if (info > 4) return Fail("bad integer");
        size_t size = size_t{1} << info;
        if (!Fits(at, size, 1)) return Fail("integer past the end");
        if (size == 16) {
          // Only values that fit 64 bits (the high half a sign extension).
          uint64_t high = BigEndian(at, 8), low = BigEndian(at + 8, 8);
          bool negative = static_cast<int64_t>(low) < 0;
          if (high != (negative ? ~uint64_t{0} : 0) && high != 0) return Fail("integer too large");
          return PlistValue::Integer(static_cast<int64_t>(low));
        }
        uint64_t v = BigEndian(at, size);
        // Shorter integers are unsigned; 8 bytes are two's complement.
        return PlistValue::Integer(static_cast<int64_t>(v));
      }
      case 0x2: {
        if (info != 2 && info != 3) return Fail("bad real");
        size_t size = size_t{1} << info;
        if (!Fits(at, size, 1)) return Fail("real past the end");
        uint64_t bits = BigEndian(at, size);
        if (size == 4) {
          uint32_t b32 = static_cast<uint32_t>(bits);
          float f;
          std::memcpy(&f, &b32, 4);
          return PlistValue::Real(f);
        }
        double d;
        std::memcpy(&d, &bits, 8);
        return PlistValue::Real(d);
      }
      case 0x3: {
        if (marker != 0x33 || !Fits(at, 8, 1)) return Fail("bad date");
        uint64_t bits = BigEndian(at, 8);
        double d;
        std::memcpy(&d, &bits, 8);
        if (!PlistDate{d}.InRange()) return Fail("date out of range");
        return PlistValue::Date(PlistDate{d}.Rounded());
      }
      case 0x4: {
        auto n = Length(marker, &at);
        if (!n || !Fits(at, *n, 1)) return Fail("data past the end");
        if (!Spend(static_cast<size_t>(*n))) return Fail("property list too large");
        return PlistValue::Data(bytes_.substr(at, static_cast<size_t>(*n)));
      }
      case 0x5:
      case 0x6: {
        auto text = Text(marker, at);
        if (!text) return Fail("bad text");
        if (!Spend(text->size())) return Fail("property list too large");
        return PlistValue::String(*text);
      }
      case 0xA: {
        auto n = Length(marker, &at);
        if (!n || !Fits(at, *n, refSize_)) return Fail("array past the end");
        active_[ref] = true;
        PlistValue::Array items;
        for (uint64_t i = 0; i < *n; ++i) {
          auto item = Object(Ref(at + i * refSize_), depth + 1);
          if (!item) return std::nullopt;
          items.push_back(std::move(*item));
        }
        active_[ref] = false;
        return PlistValue::MakeArray(std::move(items));
      }
      case 0xD: {
        auto n = Length(marker, &at);
        if (!n || *n > SIZE_MAX / 2 || !Fits(at, *n * 2, refSize_)) {
          return Fail("dictionary past the end");
        }
        active_[ref] = true;
        PlistValue::Dict items;
        for (uint64_t i = 0; i < *n; ++i) {
          auto key = Key(Ref(at + i * refSize_));
          if (!key) return Fail("dictionary key is not text");
          auto item = Object(Ref(at + (*n + i) * refSize_), depth + 1);
          if (!item) return std::nullopt;
          items.insert_or_assign(std::move(*key), std::move(*item));
        }
        active_[ref] = false;
        return PlistValue::MakeDict(std::move(items));
      }
      default:
        return Fail("unsupported object kind");
    }
  }

  size_t Ref(size_t at) const { return static_cast<size_t>(BigEndian(at, refSize_)); }

  std::optional<std::string> Key(size_t ref) {
    if (ref >= count_) return std::nullopt;
    auto offset = Offset(ref);
    if (!offset) return std::nullopt;
    uint8_t marker = Byte(*offset);
    if ((marker >> 4) != 0x5 && (marker >> 4) != 0x6) return std::nullopt;
    if (++values_ > kMaxValues) return std::nullopt;
    auto text = Text(marker, *offset + 1);
    if (!text || !Spend(text->size())) return std::nullopt;
    return text;
  }

  bool Spend(size_t bytes) {
    if (bytes > kMaxCopiedBytes - copied_) return false;
    copied_ += bytes;
    return true;
  }

  // ASCII (0x5) or UTF-16 big-endian (0x6) text as UTF-8; nullopt for bytes
  // outside ASCII, unpaired surrogates or NUL.
  std::optional<std::string> Text(uint8_t marker, size_t at) const {
    auto n = Length(marker, &at);
    if (!n) return std::nullopt;
    std::string out;
    if ((marker >> 4) == 0x5) {
      if (!Fits(at, *n, 1)) return std::nullopt;
      out.assign(bytes_.substr(at, static_cast<size_t>(*n)));
      for (char c : out) {
        if (c == 0 || static_cast<unsigned char>(c) >= 0x80) return std::nullopt;
      }
      return out;
    }
    if (!Fits(at, *n, 2)) return std::nullopt;
    for (uint64_t i = 0; i < *n; ++i) {
      uint32_t u = static_cast<uint32_t>(BigEndian(at + 2 * i, 2));
      if (u >= 0xDC00 && u <= 0xDFFF) return std::nullopt;
      if (u >= 0xD800 && u <= 0xDBFF) {
        if (i + 1 >= *n) return std::nullopt;
        uint32_t low = static_cast<uint32_t>(BigEndian(at + 2 * (i + 1), 2));
        if (low < 0xDC00 || low > 0xDFFF) return std::nullopt;
        u = 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00);
        ++i;
      }
      if (u == 0) return std::nullopt;
      if (u < 0x80) {
        out += static_cast<char>(u);
      } else if (u < 0x800) {
        out += static_cast<char>(0xC0 | (u >> 6));
        out += static_cast<char>(0x80 | (u & 0x3F));
      } else if (u < 0x10000) {
        out += static_cast<char>(0xE0 | (u >> 12));
        out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (u & 0x3F));
      } else {
        out += static_cast<char>(0xF0 | (u >> 18));
        out += static_cast<char>(0x80 | ((u >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (u & 0x3F));
      }
    }
    return out;
  }

  std::string_view bytes_;
  std::string error_;
  size_t offsetSize_ = 0;
  size_t refSize_ = 0;
  size_t table_ = 0;
  size_t count_ = 0;
  size_t end_ = 0;
  size_t values_ = 0;
  size_t copied_ = 0;
  std::vector<bool> active_;  // objects on the current path (cycle check)
};

}  // namespace

bool IsBinaryPropertyList(std::string_view bytes) {
  return bytes.substr(0, kMagic.size()) == kMagic;
}

std::optional<PlistValue> ReadBinaryPropertyList(std::string_view bytes, std::string* error) {
  if (!IsBinaryPropertyList(bytes)) {
    if (error) *error = "not a binary property list";
    return std::nullopt;
  }
  return Reader(bytes).Read(error);
}
