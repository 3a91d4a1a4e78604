#include "foundation/PropertyListFile.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "foundation/AtomicFile.h"
#include "platform/CFString.h"
#include "platform/Log.h"
#include "platform/SystemSettings.h"
#include "platform/Uuid.h"

namespace {

// Property lists here are small; anything bigger is not one of ours.
constexpr std::uintmax_t kMaxListBytes = 16u * 1024u * 1024u;

PreferencesChannel& InstalledChannel() {
  static PreferencesChannel channel;
  return channel;
}

void Log(const std::string& line) {
  myNSLogC(("PropertyListFile: " + line).c_str());
}

std::filesystem::path HomeFolder() {
  if (const char* home = std::getenv("HOME"); home && *home) return home;
  if (passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) return pw->pw_dir;
  return "/";
}

std::string UTF8FromWide(const std::u32string& text) {
  std::u16string units;
  units.reserve(text.size());
  for (char32_t c : text) {
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = 0xFFFD;
    if (c >= 0x10000) {
      c -= 0x10000;
      units.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
      units.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
    } else {
      units.push_back(static_cast<char16_t>(c));
    }
  }
  return CFString(std::move(units)).UTF8();
}

}  // namespace

PreferencesChannel SetPreferencesChannel(PreferencesChannel channel) {
  PreferencesChannel previous = std::move(InstalledChannel());
  InstalledChannel() = std::move(channel);
  return previous;
}

PreferencesChannel InstalledPreferencesChannel() {
  return InstalledChannel();
}

PropertyListFile::PropertyListFile(const std::filesystem::path& folder, std::string_view name,
                                   bool mutableList, unsigned long mutability)
    : fileURL_(folder / name), name_(name), mutable_(mutableList), mutability_(mutability) {
  ReadFile(fileURL_);
  valid_ = true;
  loaded_ = true;
  cachePresent_ = false;
}

PropertyListFile::PropertyListFile(const char* name, bool mutableList, unsigned long mutability)
    : PropertyListFile(name, mutableList, mutability, PreferencesChannel()) {}

PropertyListFile::PropertyListFile(const char* name, bool mutableList, unsigned long mutability,
                                   PreferencesChannel channel)
    : name_(name ? name : ""),
      mutable_(mutableList),
      mutability_(mutability),
      byName_(true),
      channel_(std::move(channel)) {
  if (!channel_.readMessage && !channel_.send) channel_ = InstalledPreferencesChannel();
  std::error_code ec;
  cachePresent_ = std::filesystem::exists(SystemPath(kPreferencesCacheFile), ec);
  // The user's own copy: read before 10.7, and where a bad queue copy is kept.
  std::string relative = name_;
  if (!relative.empty() && relative.front() != '/') relative.insert(relative.begin(), '/');
  fileURL_ = HomeFolder().string() + relative;
  if (SystemMinorVersion() >= 7) {
    std::optional<std::u32string> text;
    if (channel_.readMessage) text = channel_.readMessage();
    if (text && !text->empty()) {
      loaded_ = true;
      queueText_ = UTF8FromWide(*text);
      std::string error;
      if (auto parsed = PlistValue::FromXml(queueText_, &error)) {
        list_ = std::move(*parsed);
      } else {
        Log(std::string("the queue's \"") + kPreferencesMessage +
            "\" message is not a property list (" + error + "); read as no data");
        badQueueText_ = queueText_;
      }
    }
  } else {
    ReadFile(fileURL_);
    loaded_ = true;
  }
  valid_ = true;
}

PropertyListFile::~PropertyListFile() = default;

void PropertyListFile::MarkStoredListUnusable() {
  list_ = PlistValue();
  if (!queueText_.empty()) {
    badQueueText_ = queueText_;
  } else {
    std::error_code ec;
    if (std::filesystem::exists(fileURL_, ec)) badFile_ = true;
  }
}

std::optional<PlistValue> PropertyListFile::CreatePropertyListFromFile(
    const std::filesystem::path& file, unsigned long /*mutability*/, std::string* error) {
  auto fail = [&](std::string why) -> std::optional<PlistValue> {
    if (error) *error = std::move(why);
    return std::nullopt;
  };
  std::error_code ec;
  if (!std::filesystem::exists(file, ec)) return fail("no such file");
  if (!std::filesystem::is_regular_file(file, ec)) return fail("not a regular file");
  std::uintmax_t size = std::filesystem::file_size(file, ec);
  if (ec) return fail("cannot be read: " + ec.message());
  if (size > kMaxListBytes) return fail("too large for a property list");
  std::ifstream in(file, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), {});
  if (!in && !in.eof()) return fail("cannot be read");
  std::string why;
  auto parsed = PlistValue::FromXml(bytes, &why);
  if (!parsed) return fail("not a property list: " + why);
  return parsed;
}

void PropertyListFile::ReadFile(const std::filesystem::path& file) {
  std::error_code ec;
  if (!std::filesystem::exists(file, ec) && !std::filesystem::is_symlink(file, ec)) return;
  std::string error;
  if (auto parsed = CreatePropertyListFromFile(file, mutability_, &error)) {
    list_ = std::move(*parsed);
  } else {
    Log(file.string() + ": " + error + "; read as no data");
    badFile_ = true;
  }
}

// Saving:
// 1. A preferences list that was never read back is not saved while the
//    queue keeps a copy (the cache file), so an unreachable queue cannot make
//    the panel replace stored settings with defaults.
// 2. No XML form: last error -108.
// 3. The preferences list from 10.7 on goes to the queue as "Command_QZVPrefs"
//    + a new UUID, and the save counts only when that command's job
//    completed. Otherwise the list is written to its file, whole or not at
//    all. A stored list that could not be read is kept aside first.
bool PropertyListFile::Save(const PlistValue& list) {
  lastError_ = 0;
  if (!loaded_ && cachePresent_) {
    Log("\"" + name_ + "\" was never read back while the queue keeps a copy; not saved");
    return false;
  }
  std::string xml = list.ToXml();
  if (xml.empty()) {
    lastError_ = kPropertyListMemFullErr;
    return false;
  }
  bool saved = (byName_ && SystemMinorVersion() >= 7) ? SaveToQueue(xml) : SaveToFile(xml);
  if (saved) loaded_ = true;
  return saved;
}

bool PropertyListFile::SaveToQueue(const std::string& xml) {
  if (badQueueText_) {
    std::filesystem::path aside = WriteAside(fileURL_, *badQueueText_);
    if (aside.empty()) {
      lastError_ = kAtomicFileIOErr;
      Log("the unreadable stored list could not be kept aside; not saved");
      return false;
    }
    Log("the unreadable stored list was kept as " + aside.string());
    badQueueText_.reset();
  }
  std::string command = std::string(kPreferencesCommand) + CreateUUIDString();
  PreferencesSendResult result =
      channel_.send ? channel_.send(command, xml) : PreferencesSendResult::kNoPrinter;
  switch (result) {
    case PreferencesSendResult::kCompleted:
      return true;
    case PreferencesSendResult::kNoPrinter:
      Log("no current printer; not saved");
      break;
    case PreferencesSendResult::kRefused:
      Log(command + " was refused; not saved");
      break;
    case PreferencesSendResult::kNotCompleted:
      Log(command + " did not complete");
      break;
  }
  return false;
}

bool PropertyListFile::SaveToFile(const std::string& xml) {
  if (badFile_) {
    std::filesystem::path aside = MoveFileAside(fileURL_);
    std::error_code ec;
    if (aside.empty() && std::filesystem::exists(fileURL_, ec)) {
      lastError_ = kAtomicFileIOErr;
      Log(fileURL_.string() + ": the unreadable file could not be moved aside; not saved");
      return false;
    }
    if (!aside.empty())
      Log(fileURL_.string() + ": the unreadable file was kept as " + aside.string());
    badFile_ = false;
  }
  lastError_ = WriteFileAtomically(fileURL_, xml);
  if (lastError_ != 0) {
    Log(fileURL_.string() + ": cannot be written (" + std::to_string(lastError_) + ")");
  }
  return lastError_ == 0;
}
