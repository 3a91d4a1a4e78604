#include "panel/FeatureLists.h"

#include <algorithm>

const wchar_t* const kPaperCatalogKeys[kPaperCatalogPairs] = {
    L"*QZPCMID", L"*QZPCName", L"*QZCoverSizePCMID", L"*QZCoverSizePCName"};

namespace {

template <size_t N>
bool CopyCut(wchar_t (&field)[N], std::wstring_view text) {
  const size_t kept = std::min(text.size(), N - 1);
  std::copy_n(text.data(), kept, field);
  field[kept] = 0;
  return kept == text.size();
}

}  // namespace

bool PaperCatalogPair::SetKey(std::wstring_view text) {
  return CopyCut(key, text);
}

bool PaperCatalogPair::SetValue(std::wstring_view text) {
  return CopyCut(value, text);
}
