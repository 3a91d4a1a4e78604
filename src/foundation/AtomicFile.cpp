#include "foundation/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <string>

namespace {

int16_t CodeForErrno(int error) {
  switch (error) {
    case EACCES:
    case EPERM:
    case EROFS:
      return kAtomicFilePermErr;
    case ENOENT:
    case ENOTDIR:
      return kAtomicFileDirNotFoundErr;
    case ENOSPC:
    case EDQUOT:
      return kAtomicFileDiskFullErr;
    default:
      return kAtomicFileIOErr;
  }
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

// A name beside `file` that does not exist yet.
std::filesystem::path AsideName(const std::filesystem::path& file) {
  char stamp[32];
  std::time_t now = std::time(nullptr);
  std::tm utc{};
  gmtime_r(&now, &utc);
  std::strftime(stamp, sizeof stamp, "%Y%m%dT%H%M%SZ", &utc);
  std::string base = file.string() + ".corrupt-" + stamp;
  std::filesystem::path candidate = base;
  std::error_code ec;
  for (int n = 2; std::filesystem::exists(candidate, ec) && n < 1000; ++n) {
    candidate = base + "-" + std::to_string(n);
  }
  return candidate;
}

}  // namespace

int16_t WriteFileAtomically(const std::filesystem::path& file, std::string_view bytes) {
  std::error_code ec;
  if (file.has_parent_path()) std::filesystem::create_directories(file.parent_path(), ec);
  std::string temp = file.string() + ".tmp-XXXXXX";
  int fd = mkstemp(temp.data());
  if (fd < 0) return CodeForErrno(errno);
  // Created 0600 by mkstemp; a preferences file is as readable as a normal one.
  mode_t mask = umask(0);
  umask(mask);
  fchmod(fd, 0666 & ~mask);
  bool ok = WriteAll(fd, bytes) && ::fsync(fd) == 0;
  int error = ok ? 0 : errno;
  if (::close(fd) != 0 && ok) {
    ok = false;
    error = errno;
  }
  if (ok && std::rename(temp.c_str(), file.c_str()) != 0) {
    ok = false;
    error = errno;
  }
  if (!ok) {
    ::unlink(temp.c_str());
    return CodeForErrno(error);
  }
  return kAtomicFileNoErr;
}

std::filesystem::path MoveFileAside(const std::filesystem::path& file) {
  std::filesystem::path aside = AsideName(file);
  if (std::rename(file.c_str(), aside.c_str()) != 0) return {};
  return aside;
}

std::filesystem::path WriteAside(const std::filesystem::path& file, std::string_view bytes) {
  std::filesystem::path aside = AsideName(file);
  return WriteFileAtomically(aside, bytes) == kAtomicFileNoErr ? aside : std::filesystem::path();
}
