#include "foundation/StringsTable.h"

#include <fstream>
#include <iterator>
#include <vector>

#include "platform/Log.h"

namespace {

// Tables are small; a bigger file is not one of ours.
constexpr size_t kMaxTableBytes = 4u * 1024u * 1024u;

class Parser {
 public:
  explicit Parser(const std::u16string& text) : text_(text) {}

  bool Run(std::map<std::u16string, std::u16string>& entries) {
    for (;;) {
      if (!SkipSpace()) return false;
      if (AtEnd()) return true;
      std::u16string key, value;
      if (!ReadString(key)) return false;
      if (!SkipSpace()) return false;
      if (Peek() == u';') {
        ++pos_;
        value = key;
      } else {
        if (Peek() != u'=') return Fail("expected '=' or ';'");
        ++pos_;
        if (!SkipSpace()) return false;
        if (!ReadString(value)) return false;
        if (!SkipSpace()) return false;
        if (Peek() != u';') return Fail("expected ';'");
        ++pos_;
      }
      entries.insert_or_assign(std::move(key), std::move(value));
    }
  }

  std::string Error() const { return error_; }

 private:
  bool AtEnd() const { return pos_ >= text_.size(); }
  char16_t Peek() const { return AtEnd() ? u'\0' : text_[pos_]; }

  bool Fail(const char* what) {
    size_t line = 1;
    for (size_t i = 0; i < pos_ && i < text_.size(); ++i) {
      if (text_[i] == u'\n') ++line;
    }
    error_ = "line " + std::to_string(line) + ": " + what;
    return false;
  }

  static bool IsSpace(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f' || c == u'\v' ||
           c == 0xFEFF;
  }
  static bool IsBare(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
           c == u'_' || c == u'.' || c == u'-' || c == u'$' || c == u':' || c == u'/';
  }
  static int HexValue(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
  }

  bool SkipSpace() {
    while (!AtEnd()) {
      char16_t c = text_[pos_];
      if (IsSpace(c)) {
        ++pos_;
      } else if (c == u'/' && pos_ + 1 < text_.size() && text_[pos_ + 1] == u'*') {
        size_t close = text_.find(u"*/", pos_ + 2);
        if (close == std::u16string::npos) return Fail("unterminated comment");
        pos_ = close + 2;
      } else if (c == u'/' && pos_ + 1 < text_.size() && text_[pos_ + 1] == u'/') {
        size_t eol = text_.find(u'\n', pos_);
        pos_ = eol == std::u16string::npos ? text_.size() : eol + 1;
      } else {
        break;
      }
    }
    return true;
  }

  bool ReadString(std::u16string& out) {
    if (Peek() != u'"') {
      size_t start = pos_;
      while (!AtEnd() && IsBare(text_[pos_])) ++pos_;
      if (pos_ == start) return Fail("expected a string");
      out.assign(text_, start, pos_ - start);
      return true;
    }
    ++pos_;
    while (!AtEnd()) {
      char16_t c = text_[pos_++];
      if (c == u'"') return true;
      if (c != u'\\') {
        out.push_back(c);
        continue;
      }
      if (AtEnd()) break;
      char16_t e = text_[pos_++];
      switch (e) {
        case u'n':
          out.push_back(u'\n');
          break;
        case u't':
          out.push_back(u'\t');
          break;
        case u'r':
          out.push_back(u'\r');
          break;
        case u'0':
          out.push_back(u'\0');
          break;
        case u'U':
        case u'u': {
          unsigned value = 0;
          for (int i = 0; i < 4; ++i) {
            int h = AtEnd() ? -1 : HexValue(text_[pos_]);
            if (h < 0) return Fail("bad \\U escape");
            value = value * 16 + static_cast<unsigned>(h);
            ++pos_;
          }
          out.push_back(static_cast<char16_t>(value));
          break;
        }
        default:
          out.push_back(e);
          break;  // \" \\ \' and any other quoted character
      }
    }
    return Fail("unterminated string");
  }

  const std::u16string& text_;
  size_t pos_ = 0;
  std::string error_;
};

}  // namespace

std::optional<StringsTable> StringsTable::Parse(std::span<const uint8_t> bytes,
                                                std::string* error) {
  CFString text;
  bool utf16 = bytes.size() >= 2 &&
               ((bytes[0] == 0xFF && bytes[1] == 0xFE) || (bytes[0] == 0xFE && bytes[1] == 0xFF));
  if (utf16) {
    text = CFString::CreateFromExternalRepresentation(bytes.data(), bytes.size());
  } else {
    text = CFString::CreateWithBytes(bytes.data(), bytes.size(), kTextEncodingUTF8);
  }
  if (text.IsNull()) {
    if (error) *error = utf16 ? "odd length for UTF-16 text" : "not UTF-8 text";
    return std::nullopt;
  }
  StringsTable table;
  Parser parser(text.Units());
  if (!parser.Run(table.entries_)) {
    if (error) *error = parser.Error();
    return std::nullopt;
  }
  return table;
}

std::optional<StringsTable> StringsTable::Load(const std::filesystem::path& file) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(file, ec)) return std::nullopt;
  std::ifstream in(file, std::ios::binary);
  std::vector<uint8_t> bytes;
  if (in) {
    in.seekg(0, std::ios::end);
    std::streamoff size = in.tellg();
    if (size >= 0 && static_cast<uint64_t>(size) <= kMaxTableBytes) {
      bytes.resize(static_cast<size_t>(size));
      in.seekg(0);
      in.read(reinterpret_cast<char*>(bytes.data()), size);
    } else {
      in.setstate(std::ios::failbit);
    }
  }
  if (!in) {
    myNSLogC(("strings table " + file.string() + ": cannot be read").c_str());
    return std::nullopt;
  }
  std::string error;
  auto table = Parse(bytes, &error);
  if (!table) myNSLogC(("strings table " + file.string() + ": " + error).c_str());
  return table;
}

CFString StringsTable::Find(const CFString& key) const {
  auto it = entries_.find(key.Units());
  return it == entries_.end() ? CFString() : CFString(it->second);
}
