#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "queue/QueueCommands.h"

namespace {

// A PPD line holds at most 255 characters; longer ones make the PPD library
// refuse the whole file.
constexpr size_t kMaxPPDLine = 255;
constexpr size_t kMaxName = 40;
constexpr uintmax_t kMaxPPDFile = 64u * 1024u * 1024u;

bool ValidName(std::string_view name) {
  if (name.empty() || name.size() > kMaxName) return false;
  for (char c : name) {
    auto u = static_cast<unsigned char>(c);
    if (u <= 0x20 || u >= 0x7f || c == ':' || c == '/' || c == '*') return false;
  }
  return true;
}

bool ValidValue(std::string_view value) {
  for (char c : value)
    if (c == '\n' || c == '\r' || c == '\0') return false;
  // An odd number of quotes would leave a quoted value open to the end of the file.
  return std::count(value.begin(), value.end(), '"') % 2 == 0;
}

// The keyword of a "*Keyword option/translation: value" line.
std::string_view MainKeyword(std::string_view line) {
  if (line.size() < 2 || line[0] != '*') return {};
  size_t end = line.find_first_of(": \t/\r\n", 1);
  if (end == std::string_view::npos || line.find(':') == std::string_view::npos) return {};
  return line.substr(1, end - 1);
}

}  // namespace

bool ApplyPPDUpdates(const std::string& ppdPath,
                     const std::vector<std::pair<std::string, std::string>>& updates,
                     std::string* error) {
  auto fail = [&](std::string message) {
    if (error) *error = std::move(message);
    return false;
  };
  for (const auto& [name, value] : updates) {
    if (!ValidName(name)) return fail("refused PPD keyword \"" + name + "\"");
    if (!ValidValue(value) || name.size() + value.size() + 3 > kMaxPPDLine)
      return fail("refused value of PPD keyword \"" + name + "\"");
  }

  std::error_code ec;
  uintmax_t size = std::filesystem::file_size(ppdPath, ec);
  if (ec) return fail("cannot read " + ppdPath + ": " + ec.message());
  if (size > kMaxPPDFile) return fail(ppdPath + " is too large");
  std::ifstream in(ppdPath, std::ios::binary);
  std::stringstream whole;
  whole << in.rdbuf();
  if (!in && !in.eof()) return fail("cannot read " + ppdPath);
  const std::string text = whole.str();

  // As cupsd does: names compare without regard to case, the last value given
  // for a name wins (under the name's first spelling), every line of an updated
  // keyword goes, and the updates follow the first line, sorted by name.
  std::vector<std::pair<std::string, std::string>> latest;
  for (const auto& update : updates) {
    auto it = std::find_if(latest.begin(), latest.end(), [&](const auto& u) {
      return strcasecmp(u.first.c_str(), update.first.c_str()) == 0;
    });
    if (it != latest.end()) {
      it->second = update.second;
    } else {
      latest.push_back(update);
    }
  }
  std::stable_sort(latest.begin(), latest.end(), [](const auto& a, const auto& b) {
    return strcasecmp(a.first.c_str(), b.first.c_str()) < 0;
  });

  std::string out;
  out.reserve(text.size() + 256 * latest.size());
  size_t start = 0;
  for (bool first = true; start < text.size(); first = false) {
    size_t end = text.find('\n', start);
    end = end == std::string::npos ? text.size() : end + 1;
    std::string_view line(text.data() + start, end - start);
    start = end;
    if (first) {
      out.append(line);
      if (out.back() != '\n') out += "\n";
      for (const auto& [name, value] : latest) out += "*" + name + ": " + value + "\n";
      continue;
    }
    std::string key(MainKeyword(line));
    bool updated = !key.empty() && std::any_of(latest.begin(), latest.end(), [&](const auto& u) {
      return strcasecmp(u.first.c_str(), key.c_str()) == 0;
    });
    if (!updated) out.append(line);
  }
  if (text.empty()) return fail(ppdPath + " is empty");

  // Written whole: a temp file beside the PPD, renamed over it.
  struct stat st {};
  if (stat(ppdPath.c_str(), &st) != 0) return fail("cannot read " + ppdPath);
  std::string temp =
      ppdPath + ".tmp" + std::to_string(getpid()) + "." + std::to_string(std::random_device{}());
  int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) return fail("cannot create " + temp + ": " + std::strerror(errno));
  bool ok = true;
  for (std::string_view rest = out; ok && !rest.empty();) {
    ssize_t n = write(fd, rest.data(), rest.size());
    if (n < 0 && errno == EINTR) continue;
    ok = n > 0;
    if (ok) rest.remove_prefix(static_cast<size_t>(n));
  }
  ok = ok && fchmod(fd, st.st_mode & 07777) == 0;
  ok = close(fd) == 0 && ok;
  if (!ok || rename(temp.c_str(), ppdPath.c_str()) != 0) {
    std::string why = std::strerror(errno);
    unlink(temp.c_str());
    return fail("cannot replace " + ppdPath + ": " + why);
  }
  return true;
}
