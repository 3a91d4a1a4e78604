#include "queue/ticket/TicketFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "queue/ticket/TicketOption.h"

namespace {

class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }
  void reset(int fd) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
  }

 private:
  int fd_;
};

bool Fail(std::string& error, std::string reason) {
  error = std::move(reason);
  return false;
}

bool IsTicketName(std::string_view name) {
  if (name.size() <= kTicketFilePrefix.size() || name.size() > 255) return false;
  if (!name.starts_with(kTicketFilePrefix)) return false;
  for (unsigned char c : name) {
    if (c < 0x20 || c == 0x7F || c == '/') return false;
  }
  return true;
}

}  // namespace

std::string TicketNameInCacheFolder(std::string_view given, std::string_view root) {
  std::string folder = std::string(kTicketCacheFolder) + "/";
  std::string rooted = std::string(root);
  while (!rooted.empty() && rooted.back() == '/') rooted.pop_back();
  rooted += "/" + folder;
  std::string_view name = given;
  for (const std::string& head : {rooted, "/" + folder, folder}) {
    if (given.starts_with(head)) {
      name = given.substr(head.size());
      break;
    }
  }
  return IsTicketName(name) ? std::string(name) : std::string();
}

bool ReadTicketFile(std::string_view given, const std::string& root, std::string& bytes,
                    std::string& error) {
  bytes.clear();
  std::string name = TicketNameInCacheFolder(given, root);
  if (name.empty()) return Fail(error, "the ticket must be a Tavro.temp file in the cache folder");

  // The root is the administrator's choice and may be reached through links;
  // below it every step is opened without following one.
  Fd current(::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (current.get() < 0)
    return Fail(error, "cannot open the root folder: " + std::string(strerror(errno)));
  std::string_view rest = kTicketCacheFolder;
  while (!rest.empty()) {
    size_t slash = rest.find('/');
    std::string part(rest.substr(0, slash));
    rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
    int next =
        ::openat(current.get(), part.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (next < 0)
      return Fail(error, "cannot open the cache folder: " + std::string(strerror(errno)));
    current.reset(next);
  }
  Fd file(::openat(current.get(), name.c_str(),
                   O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (file.get() < 0) {
    if (errno == ELOOP) return Fail(error, "the ticket file is a link");
    return Fail(error, "cannot open the ticket file: " + std::string(strerror(errno)));
  }
  struct stat st {};
  if (::fstat(file.get(), &st) != 0) return Fail(error, "cannot examine the ticket file");
  if (!S_ISREG(st.st_mode)) return Fail(error, "the ticket is not a regular file");
  if (st.st_nlink != 1) return Fail(error, "the ticket file has more than one link");
  if (static_cast<uint64_t>(st.st_size) > kTicketMaxBytes)
    return Fail(error,
                "the ticket file is larger than " + std::to_string(kTicketMaxBytes) + " bytes");

  bytes.resize(static_cast<size_t>(st.st_size));
  size_t got = 0;
  // One byte more than the size read says whether the file grew since.
  char extra = 0;
  for (;;) {
    char* at = got < bytes.size() ? bytes.data() + got : &extra;
    size_t want = got < bytes.size() ? bytes.size() - got : 1;
    ssize_t n = ::read(file.get(), at, want);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return Fail(error, "cannot read the ticket file: " + std::string(strerror(errno)));
    if (n == 0) break;
    if (got >= bytes.size()) {
      bytes.clear();
      return Fail(error, "the ticket file changed while it was read");
    }
    got += static_cast<size_t>(n);
  }
  bytes.resize(got);
  return true;
}
