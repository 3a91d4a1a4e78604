// links: tavro_serverlink tavro_foundation tavro_platform
// Arbitrary text as the stored preferences list: read, looked up, changed,
// saved and read back. Whatever the input, a printer that was added must be
// found again with the block stored for it, before and after the save.
#include <unistd.h>

#include <cstdint>
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

// A private home and root, so that lists kept aside land in a scratch folder.
const std::filesystem::path& Scratch() {
  static std::filesystem::path dir = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "fuzz-prefs-XXXXXX").string();
    if (!mkdtemp(pattern.data())) std::abort();
    setenv("HOME", pattern.c_str(), 1);
    SetTavroRoot(pattern + "/root");
    SetLogPause(false);
    SetPreferencesChannel(PreferencesChannel{
        [] { return TheQueue().message; },
        [](const std::string&, const std::string& text) {
          TheQueue().saved = text;
          return PreferencesSendResult::kCompleted;
        }});
    return std::filesystem::path(pattern);
  }();
  return dir;
}

void Check(bool condition) {
  if (!condition) std::abort();
}

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
  for (const PlistValue& v : list.Elements()) {
    if (const std::string* s = v.AsString(); s && names.size() < 4) names.push_back(CFSTR(*s));
  }
  names.push_back(CFSTR("Fuzz Printer"));
  for (const CFString& name : names) {
    bool found = false;
    list.Exists(name, found);
    list.getIPEnabled(name);
    std::vector<std::string> lines;
    for (int id = 0; id < 4; ++id) list.GetDataBlob(name, id, lines);
  }
  const CFString& name = names.front();
  const std::vector<std::string> block = {"0,0,0,1,2,3,x,1,x,450,x,x,48,Font,text", "3:1"};
  Check(list.Add(name, CFSTR("10.0.0.1"), true));
  Check(list.AddDataBlob(name, 3, block));
  Check(list.AddDataBlob(name, 3, block));
  std::vector<std::string> back;
  Check(list.GetDataBlob(name, 3, back) && back == block);
  Check(list.getIPEnabled(name));

  Check(list.Save());
  TheQueue().message = CFSTR(TheQueue().saved).UTF32();
  QZVUnisorPrinterPList again;
  Check(again.Elements() == list.Elements());
  back.clear();
  Check(again.GetDataBlob(name, 3, back) && back == block);

  std::error_code ec;
  for (const auto& e : std::filesystem::directory_iterator(scratch, ec)) {
    std::filesystem::remove_all(e.path(), ec);
  }
  return 0;
}
