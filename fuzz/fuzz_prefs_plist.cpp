// links: tavro_serverlink tavro_foundation tavro_platform
// Arbitrary text as the stored preferences list: read, looked up, changed,
// saved and read back. Whatever the input, a printer that was added must be
// found again with the block stored for it, before and after the save.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/Log.h"
#include "platform/SystemSettings.h"
#include "serverlink/QZVUnisorPrinterPList.h"

namespace {

struct Queue {
  std::optional<std::u32string> message;
  std::string saved;
};

Queue& TheQueue() {
  static Queue queue;
  return queue;
}

// A private home and root, so that lists kept aside land in a scratch folder
// (in memory where possible: every bad input writes one).
const std::filesystem::path& Scratch() {
  static std::filesystem::path dir = [] {
    std::error_code ec;
    std::filesystem::path base = std::filesystem::is_directory("/dev/shm", ec)
                                     ? std::filesystem::path("/dev/shm")
                                     : std::filesystem::temp_directory_path();
    std::string pattern = (base / "fuzz-prefs-XXXXXX").string();
    if (!mkdtemp(pattern.data())) std::abort();
    setenv("HOME", pattern.c_str(), 1);
    SetTavroRoot(pattern + "/root");
    SetLogPause(false);
    SetPreferencesChannel(PreferencesChannel{[] { return TheQueue().message; },
                                             [](const std::string&, const std::string& text) {
                                               TheQueue().saved = text;
                                               return PreferencesSendResult::kCompleted;
                                             }});
    return std::filesystem::path(pattern);
  }();
  return dir;
}

void Check(bool condition, int line) {
  if (condition) return;
  std::fprintf(stderr, "fuzz_prefs_plist: check on line %d failed\n", line);
  std::abort();
}
#define CHECK(condition) Check((condition), __LINE__)

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::filesystem::path& scratch = Scratch();
  std::u32string wide;
  wide.reserve(size);
  for (size_t i = 0; i < size; ++i) wide.push_back(data[i]);  // bytes as Latin-1
  // Also as UTF-8 text when it is that, which is how the queue stores lists.
  CFString text = CFString::CreateWithBytes(data, size, kTextEncodingUTF8);
  TheQueue().message = text.IsNull() ? wide : text.UTF32();
  TheQueue().saved.clear();

  QZVUnisorPrinterPList list;
  std::vector<CFString> names;
  CFString storable;  // a name that has an XML form
  for (const PlistValue& v : list.Elements()) {
    const std::string* s = v.AsString();
    if (!s) continue;
    if (names.size() < 4) names.push_back(CFSTR(*s));
    if (storable.IsNull() && s->find('\0') == std::string::npos) storable = CFSTR(*s);
  }
  names.push_back(CFSTR("Fuzz Printer"));
  for (const CFString& name : names) {
    bool found = false;
    list.Exists(name, found);
    list.getIPEnabled(name);
    std::vector<std::string> lines;
    for (int id = 0; id < 4; ++id) list.GetDataBlob(name, id, lines);
  }
  for (const CFString& n : names) {
    if (n.Units().find(u'\0') != std::u16string::npos) CHECK(!list.Add(n, CFSTR("a"), true));
  }
  const CFString name = storable.IsNull() ? CFSTR("Fuzz Printer") : storable;
  const std::vector<std::string> block = {"0,0,0,1,2,3,x,1,x,450,x,x,48,Font,text", "3:1"};
  CHECK(list.Add(name, CFSTR("10.0.0.1"), true));
  CHECK(list.AddDataBlob(name, 3, block));
  CHECK(list.AddDataBlob(name, 3, block));
  std::vector<std::string> back;
  CHECK(list.GetDataBlob(name, 3, back) && back == block);
  CHECK(list.getIPEnabled(name));

  CHECK(list.Save());
  TheQueue().message = CFSTR(TheQueue().saved).UTF32();
  QZVUnisorPrinterPList again;
  // (The whole list is not compared: text holding NUL characters has no XML
  // form and comes back cut, which is the property-list layer's matter.)
  CHECK(again.Elements().size() == list.Elements().size());
  CHECK(again.CopyAddress(name).UTF8() == "10.0.0.1" && again.getIPEnabled(name));
  back.clear();
  CHECK(again.GetDataBlob(name, 3, back) && back == block);

  std::error_code ec;
  for (const auto& e : std::filesystem::directory_iterator(scratch, ec)) {
    std::filesystem::remove_all(e.path(), ec);
  }
  return 0;
}
