// Text utilities of the server-data converters, and the readers of a PPD's
// DMT ("UI-Modification") XML.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "serverlink/SDMAlloc.h"

class CUtil {
 public:
  static std::string __replace(std::string_view text, std::string_view from, std::string_view to);
  static std::wstring __replaceW(std::wstring_view text, std::wstring_view from,
                                 std::wstring_view to);
  // UTF-8 copy of a wide text.
  static std::string narrow(std::wstring_view text);
  // A new random identifier (command titles are made unique with it).
  static std::string GenerateRandomID();
  // The first piece of the text, split at any of the separators, that holds
  // the key; none when no piece does.
  static std::optional<std::wstring> findLineWithKey(std::wstring_view key, std::wstring_view text,
                                                     std::wstring_view separators);
  // The text split at any of the separators (empty pieces kept), as an array
  // from AllocMemory; free it with deallocateArrayOfStrings.
  static wchar_t** tockenizeWstring(size_t& count, std::wstring_view text,
                                    std::wstring_view separators);
  // The same pieces as views into the text.
  static std::vector<std::wstring_view> Split(std::wstring_view text, std::wstring_view separators);
  // An array of `count` empty texts of `width` characters (plus terminator).
  static wchar_t** AllocMemory(size_t count, size_t width);
  static void deallocTwoDimenArray(wchar_t** array, size_t count);
  static void deallocateArrayOfStrings(wchar_t** array, size_t count);
  // Integer value: optional blanks and sign, then decimal digits; 0 when
  // nothing parses; held at the int range.
  static int wtoi(std::wstring_view text);
  // A whole file read as wide text (32-bit units); none when it can't be read.
  static std::optional<std::wstring> readFileWithWcharContent(const char* path);

  // The text between the first open tag and the close tag after it.
  static bool GetNodeDataFromXMLData(std::wstring_view xml, std::wstring_view openTag,
                                     std::wstring_view closeTag, std::wstring& out);
  // The line starting at `position` (without its end) and where the next one
  // starts; false at the end of the text.
  static bool GetNextLineFromXMLData(size_t position, std::wstring_view xml, std::wstring& line,
                                     size_t& next);
  // The quoted value of `attribute` in a line.
  static bool GetKeyFromXMLData(std::wstring_view line, std::wstring_view attribute,
                                std::wstring& key);
  static bool GetValueFromXMLData(std::wstring_view line, std::wstring_view attribute,
                                  std::wstring& value);

  // The pairs of one DMT block: defaults (key, default) from "<Controls>",
  // locked keys (key, value) from "<Lock>", hidden keys from "<Show>". Each
  // logs what it reads; false when the block is missing or an allocation fails.
  static bool GetControlKeyValFromDMTXmlData(std::wstring_view category, const SDMAllocator& alloc,
                                             SDMKeyValueList** out);
  static bool GetLockedKeyValFromDMTXmlData(std::wstring_view category, const SDMAllocator& alloc,
                                            SDMKeyValueList** out);
  static bool GetHiddenKeyValFromDMTXmlData(std::wstring_view category, const SDMAllocator& alloc,
                                            SDMKeyValueList** out);
};
