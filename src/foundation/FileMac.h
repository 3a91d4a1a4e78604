// A file object over the platform file system: a path, a data fork (the file's
// bytes, through a POSIX descriptor) and the classic 16-bit error codes. There
// are no resource forks here; their operations succeed and do nothing.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

// Classic file-system status codes kept in the object.
constexpr int16_t kFileNoErr = 0;
constexpr int16_t kFileIOErr = -36;
constexpr int16_t kFileNotOpenErr = -38;
constexpr int16_t kFileEOFErr = -39;
constexpr int16_t kFileNotFoundErr = -43;
constexpr int16_t kFileParamErr = -50;
constexpr int16_t kFileDuplicateErr = -48;
constexpr int16_t kFilePermErr = -54;

// Open permissions.
constexpr char kFileReadPermission = 1;
constexpr char kFileWritePermission = 2;
constexpr char kFileReadWritePermission = 3;

// A file reference: on this platform the file's path.
struct FSRef {
  std::filesystem::path path;
};

class FileMac {
 public:
  FileMac() = default;
  explicit FileMac(std::filesystem::path path);
  explicit FileMac(const FSRef& ref) : FileMac(ref.path) {}
  // A volume and folder id name no path here: only the reference (when
  // given) makes the object; without one it stays empty (not valid).
  FileMac(int16_t volume, int32_t folderId, const char* name, const FSRef* ref);
  virtual ~FileMac();
  FileMac(const FileMac&) = delete;
  FileMac& operator=(const FileMac&) = delete;

  bool valid() const { return !path_.empty(); }
  int16_t getError() const { return error_; }
  const std::filesystem::path& path() const { return path_; }

  // The file's reference; the file must exist.
  virtual int16_t getFileInfo(FSRef* ref);
  // The volume (the folder's device number) and folder id (the folder's
  // inode number), cut to the classic widths, and the file name (at most 255
  // bytes, NUL-terminated); each pointer may be null.
  virtual int16_t getFileInfo(short* volume, long* folderId, char* name);
  // Checks that the file exists; the result is also the last error.
  virtual int16_t getFileInfo();
  // The file name (last path component), NUL-terminated, at most 255 bytes.
  virtual int16_t getFileName(char* name);
  virtual bool exists();
  virtual int16_t openDataFork(char permission);
  virtual int16_t closeDataFork();
  // Creates an empty file (kFileDuplicateErr when it exists).
  virtual int16_t createDataFork();
  virtual int getDataForkRefNum() const { return fd_; }
  virtual bool dataForkOpen() const { return fd_ >= 0; }
  virtual int16_t dataForkWrite(char* data, unsigned long count);
  // Reads at the current position; *count is in: wanted, out: read. Fewer
  // bytes than wanted (the end of the file) report kFileEOFErr.
  virtual int16_t dataForkRead(char* data, unsigned long* count);
  // The same at an absolute offset; the current position is left alone.
  virtual int16_t dataForkReadWithOffset(char* data, unsigned long* count, long long offset);

  // Resource forks do not exist on this platform.
  int16_t OpenResourceFork(char) { return kFileNoErr; }
  int16_t CloseResourceFork() { return kFileNoErr; }
  bool ResourceForkOpen() const { return false; }
  int GetResourceForkRefNum() const { return -1; }
  void Use() {}
  void Restore() {}

 protected:
  int16_t SetError(int16_t error) {
    error_ = error;
    return error;
  }

 private:
  int16_t Read(char* data, unsigned long* count, long long offset, bool positioned);

  std::filesystem::path path_;
  int fd_ = -1;
  int16_t error_ = kFileNoErr;
};
