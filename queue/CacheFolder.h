// The queue's cache folder, held open as a directory descriptor so that every
// file operation is relative to it and never follows a link: names are single
// path components, files are created exclusively and written whole (a temp
// file renamed into place).
#pragma once

#include <optional>
#include <string>
#include <string_view>

class CacheFolder {
 public:
  static constexpr const char* kRelativePath = "Library/Caches/QZV";

  // Opens root + "/Library/Caches/QZV", creating the missing folders below
  // the root (mode 0755). Links below the root are refused.
  static std::optional<CacheFolder> Open(const std::string& root, std::string* error);

  CacheFolder(CacheFolder&& other) noexcept;
  CacheFolder& operator=(CacheFolder&& other) noexcept;
  CacheFolder(const CacheFolder&) = delete;
  CacheFolder& operator=(const CacheFolder&) = delete;
  ~CacheFolder();

  const std::string& Path() const { return path_; }

  // Anything of that name exists (a file, a folder, a link).
  bool Exists(std::string_view name) const;
  // Writes the file whole. With `exclusive`, an existing file (or link) of
  // that name makes it fail; otherwise the file is replaced.
  bool WriteWhole(std::string_view name, std::string_view bytes, unsigned mode, bool exclusive,
                  std::string* error) const;
  // Reads a regular file of at most `maxBytes`; nothing for a link, a larger
  // file or a missing one.
  std::optional<std::string> ReadSmall(std::string_view name, size_t maxBytes) const;
  // Removes the name (a link is removed, never followed). A missing file is
  // not an error.
  bool Remove(std::string_view name, std::string* error) const;

 private:
  CacheFolder(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
  int fd_ = -1;
  std::string path_;
};

// A single path component that is safe to create in the folder: 1..255
// bytes, no "/", no NUL or control characters, not starting with ".".
bool IsPlainFileName(std::string_view name);

// The name inside the cache folder that a client-given file name means: a bare
// name, "/Library/Caches/QZV/<name>", or the same under `root`. Nothing when
// it names any other place.
std::optional<std::string> NameInCacheFolder(std::string_view given, std::string_view root);
