// Whole-or-nothing file writes and keeping a bad file aside.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string_view>

// Classic status codes for the failures a write can meet.
constexpr int16_t kAtomicFileNoErr = 0;
constexpr int16_t kAtomicFileDiskFullErr = -34;
constexpr int16_t kAtomicFileIOErr = -36;
constexpr int16_t kAtomicFilePermErr = -54;
constexpr int16_t kAtomicFileDirNotFoundErr = -120;

// Writes the bytes to a temporary file beside `file`, flushes it and renames
// it over `file`, so that readers see the old or the new contents, never a
// part. Missing parent folders are made. Answers kAtomicFileNoErr or the
// failure's code; on failure `file` is untouched and no temporary is left.
int16_t WriteFileAtomically(const std::filesystem::path& file, std::string_view bytes);

// Renames `file` to "<file>.corrupt-<UTC time>" (with "-<n>" added when that
// name is taken). Answers the new path, or empty when it could not be moved.
std::filesystem::path MoveFileAside(const std::filesystem::path& file);

// Writes the bytes to "<file>.corrupt-<UTC time>" without touching `file`.
std::filesystem::path WriteAside(const std::filesystem::path& file, std::string_view bytes);
