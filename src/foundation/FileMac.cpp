#include "foundation/FileMac.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

int16_t ErrnoToStatus(int err) {
  switch (err) {
    case ENOENT:
    case ENOTDIR:
      return kFileNotFoundErr;
    case EACCES:
    case EPERM:
    case EROFS:
      return kFilePermErr;
    case EEXIST:
      return kFileDuplicateErr;
    case EINVAL:
    case EISDIR:
      return kFileParamErr;
    default:
      return kFileIOErr;
  }
}

}  // namespace

FileMac::FileMac(std::filesystem::path path) : path_(std::move(path)) {}

FileMac::FileMac(int16_t /*volume*/, int32_t /*folderId*/, const char* /*name*/, const FSRef* ref) {
  if (ref) path_ = ref->path;
}

FileMac::~FileMac() {
  closeDataFork();
}

int16_t FileMac::getFileInfo() {
  if (!valid()) return SetError(kFileParamErr);
  struct stat st;
  if (::stat(path_.c_str(), &st) != 0) return SetError(ErrnoToStatus(errno));
  return SetError(kFileNoErr);
}

int16_t FileMac::getFileInfo(FSRef* ref) {
  if (ref == nullptr) return SetError(kFileParamErr);
  if (getFileInfo() != kFileNoErr) return getError();
  ref->path = path_;
  return kFileNoErr;
}

int16_t FileMac::getFileInfo(short* volume, long* folderId, char* name) {
  if (getFileInfo() != kFileNoErr) return getError();
  struct stat folder;
  std::filesystem::path parent = path_.has_parent_path() ? path_.parent_path() : ".";
  if (::stat(parent.c_str(), &folder) != 0) return SetError(ErrnoToStatus(errno));
  if (volume) *volume = static_cast<short>(folder.st_dev & 0x7FFF);
  if (folderId) *folderId = static_cast<long>(folder.st_ino & 0x7FFFFFFF);
  if (name) return getFileName(name);
  return SetError(kFileNoErr);
}

int16_t FileMac::getFileName(char* name) {
  if (name == nullptr) return SetError(kFileParamErr);
  std::string file = path_.filename().string();
  if (file.size() > 255) file.resize(255);
  std::memcpy(name, file.c_str(), file.size() + 1);
  return SetError(valid() ? kFileNoErr : kFileParamErr);
}

bool FileMac::exists() {
  return getFileInfo() == kFileNoErr;
}

int16_t FileMac::openDataFork(char permission) {
  if (!valid()) return SetError(kFileParamErr);
  if (fd_ >= 0) return SetError(kFileNoErr);
  int flags = permission == kFileWritePermission       ? O_WRONLY
              : permission == kFileReadWritePermission ? O_RDWR
                                                       : O_RDONLY;
  int fd = ::open(path_.c_str(), flags | O_CLOEXEC);
  if (fd < 0) return SetError(ErrnoToStatus(errno));
  // A folder opens read-only on POSIX but has no data fork to read.
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return SetError(kFileParamErr);
  }
  fd_ = fd;
  return SetError(kFileNoErr);
}

int16_t FileMac::closeDataFork() {
  if (fd_ < 0) return SetError(kFileNotOpenErr);
  int rc = ::close(fd_);
  fd_ = -1;
  return SetError(rc == 0 ? kFileNoErr : kFileIOErr);
}

int16_t FileMac::createDataFork() {
  if (!valid()) return SetError(kFileParamErr);
  int fd = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) return SetError(ErrnoToStatus(errno));
  ::close(fd);
  return SetError(kFileNoErr);
}

int16_t FileMac::dataForkWrite(char* data, unsigned long count) {
  if (fd_ < 0) return SetError(kFileNotOpenErr);
  if (data == nullptr && count > 0) return SetError(kFileParamErr);
  unsigned long done = 0;
  while (done < count) {
    ssize_t n = ::write(fd_, data + done, count - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return SetError(ErrnoToStatus(errno));
    }
    done += static_cast<unsigned long>(n);
  }
  return SetError(kFileNoErr);
}

int16_t FileMac::Read(char* data, unsigned long* count, long long offset, bool positioned) {
  if (count == nullptr) return SetError(kFileParamErr);
  unsigned long wanted = *count;
  *count = 0;
  if (fd_ < 0) return SetError(kFileNotOpenErr);
  if (data == nullptr && wanted > 0) return SetError(kFileParamErr);
  if (positioned && offset < 0) return SetError(kFileParamErr);
  unsigned long done = 0;
  while (done < wanted) {
    ssize_t n = positioned ? ::pread(fd_, data + done, wanted - done, offset + done)
                           : ::read(fd_, data + done, wanted - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      *count = done;
      return SetError(ErrnoToStatus(errno));
    }
    if (n == 0) break;
    done += static_cast<unsigned long>(n);
  }
  *count = done;
  return SetError(done < wanted ? kFileEOFErr : kFileNoErr);
}

int16_t FileMac::dataForkRead(char* data, unsigned long* count) {
  return Read(data, count, 0, false);
}

int16_t FileMac::dataForkReadWithOffset(char* data, unsigned long* count, long long offset) {
  return Read(data, count, offset, true);
}
