#include "queue/CacheFolder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <random>

namespace {

std::string Errno(const char* what, std::string_view name) {
  return std::string(what) + " " + std::string(name) + ": " + std::strerror(errno);
}

// Temp names start with "." so that no client name (refused with a leading
// ".") can meet one.
std::string TempName() {
  static std::atomic<unsigned> counter{0};
  static const unsigned salt = std::random_device{}();
  return ".tmp." + std::to_string(getpid()) + "." + std::to_string(salt) + "." +
         std::to_string(counter++);
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t n = write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

}  // namespace

bool IsPlainFileName(std::string_view name) {
  if (name.empty() || name.size() > 255 || name[0] == '.') return false;
  for (char c : name) {
    auto u = static_cast<unsigned char>(c);
    if (c == '/' || u < 0x20 || u == 0x7f) return false;
  }
  return true;
}

std::optional<std::string> NameInCacheFolder(std::string_view given, std::string_view root) {
  const std::string spec = std::string("/") + CacheFolder::kRelativePath + "/";
  std::string mapped(root);
  while (!mapped.empty() && mapped.back() == '/') mapped.pop_back();
  mapped += spec;
  std::string_view name = given;
  if (given.rfind(mapped, 0) == 0 && !root.empty()) {
    name = given.substr(mapped.size());
  } else if (given.rfind(spec, 0) == 0) {
    name = given.substr(spec.size());
  }
  if (!IsPlainFileName(name)) return std::nullopt;
  return std::string(name);
}

std::optional<CacheFolder> CacheFolder::Open(const std::string& root, std::string* error) {
  if (root.empty() || root[0] != '/') {
    if (error) *error = "the root folder must be an absolute path";
    return std::nullopt;
  }
  int fd = open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) {
    if (error) *error = Errno("cannot open", root);
    return std::nullopt;
  }
  std::string path = root;
  for (const char* part : {"Library", "Caches", "QZV"}) {
    path += std::string("/") + part;
    int next = openat(fd, part, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (next < 0 && errno == ENOENT) {
      bool made = mkdirat(fd, part, 0755) == 0;
      if (!made && errno != EEXIST) {
        if (error) *error = Errno("cannot create", path);
        close(fd);
        return std::nullopt;
      }
      next = openat(fd, part, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
      // Filters run under a strict umask; the panel's users must still read here.
      if (made && next >= 0) fchmod(next, 0755);
    }
    if (next < 0) {
      if (error) *error = Errno("cannot open folder", path);
      close(fd);
      return std::nullopt;
    }
    close(fd);
    fd = next;
  }
  return CacheFolder(fd, path);
}

CacheFolder::CacheFolder(CacheFolder&& other) noexcept
    : fd_(other.fd_), path_(std::move(other.path_)) {
  other.fd_ = -1;
}

CacheFolder& CacheFolder::operator=(CacheFolder&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) close(fd_);
    fd_ = other.fd_;
    path_ = std::move(other.path_);
    other.fd_ = -1;
  }
  return *this;
}

CacheFolder::~CacheFolder() {
  if (fd_ >= 0) close(fd_);
}

bool CacheFolder::Exists(std::string_view name) const {
  if (!IsPlainFileName(name)) return false;
  struct stat st {};
  return fstatat(fd_, std::string(name).c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
}

bool CacheFolder::WriteWhole(std::string_view name, std::string_view bytes, unsigned mode,
                             bool exclusive, std::string* error) const {
  if (!IsPlainFileName(name)) {
    if (error) *error = "refused file name \"" + std::string(name) + "\"";
    return false;
  }
  const std::string target(name);
  const std::string temp = TempName();
  int fd = openat(fd_, temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) {
    if (error) *error = Errno("cannot create a file in", path_);
    return false;
  }
  bool ok = WriteAll(fd, bytes) && fchmod(fd, mode) == 0;
  if (close(fd) != 0) ok = false;
  if (!ok) {
    if (error) *error = Errno("cannot write", target);
    unlinkat(fd_, temp.c_str(), 0);
    return false;
  }
  // linkat never replaces: the exclusive case fails on any existing name,
  // a link included. renameat replaces the name itself, never a link's target.
  if (exclusive) {
    ok = linkat(fd_, temp.c_str(), fd_, target.c_str(), 0) == 0;
    if (!ok && error) *error = Errno("cannot create", target);
    unlinkat(fd_, temp.c_str(), 0);
  } else {
    ok = renameat(fd_, temp.c_str(), fd_, target.c_str()) == 0;
    if (!ok) {
      if (error) *error = Errno("cannot replace", target);
      unlinkat(fd_, temp.c_str(), 0);
    }
  }
  return ok;
}

std::optional<std::string> CacheFolder::ReadSmall(std::string_view name, size_t maxBytes) const {
  if (!IsPlainFileName(name)) return std::nullopt;
  int fd = openat(fd_, std::string(name).c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  struct stat st {};
  std::optional<std::string> text;
  if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && static_cast<size_t>(st.st_size) <= maxBytes) {
    std::string bytes;
    char chunk[4096];
    for (;;) {
      ssize_t n = read(fd, chunk, sizeof chunk);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      bytes.append(chunk, static_cast<size_t>(n));
      if (bytes.size() > maxBytes) break;
    }
    if (bytes.size() <= maxBytes) text = std::move(bytes);
  }
  close(fd);
  return text;
}

bool CacheFolder::Remove(std::string_view name, std::string* error) const {
  if (!IsPlainFileName(name)) {
    if (error) *error = "refused file name \"" + std::string(name) + "\"";
    return false;
  }
  if (unlinkat(fd_, std::string(name).c_str(), 0) != 0 && errno != ENOENT) {
    if (error) *error = Errno("cannot remove", name);
    return false;
  }
  return true;
}
