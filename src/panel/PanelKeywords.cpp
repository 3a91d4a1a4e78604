#include "panel/PanelKeywords.h"

#include <cstring>
#include <string>

#include "PPDX/PPDObjects/Controls/PPDXControl.h"

namespace {

constexpr const char* kExpertTintvane[] = {
    "*QZRGBOverride", "*QZColorRendDict", "*QZRGBSep",       "*QZSimulation",
    "*QZSimSpeed",    "*QZOutProfile",    "*QZSpotColors",   "*QZPureBlack",
    "*QZBlkOvpCtrl",  "*QZKOnlyGrayCMYK", "*QZKOnlyGrayRGB", "*QZPaperSim",
};
static_assert(std::size(kExpertTintvane) == 12);

constexpr const char* kSpecialTintvane[] = {"*QZOutProfile", "*QZSimulation", "*QZRGBOverride"};

constexpr const char* kQuickAccessExcluded[] = {
    "*QZMMInUse",
    "*QZMMInsType",
    "*QZMMCover",
    "*QZImageUnit",
    "*QZImageFlag",
    "*QZImageAlign",
    "*QZRIPBooklet",
    "*QZBookCoverEnabled",
    "*QZBookCoverTray",
    "*QZBookFrCover",
    "*QZBookBkCover",
    "*QZBookCoverInType",
    "*QZBookletCreep",
    "*QZBookletReduce",
    "*QZBookAutoSpine",
    "*QZBookNumSheetPerSubset",
    "*QZBookCentering",
    "*QZNUpOption",
    "*QZVPrintTime",
    "*QZEmbeddedRGB",
    "*QZNUpBoundingBox",
    "*QZClearCoat",
    "*QZTextClearCoat",
    "*QZGraphicClearCoat",
    "*QZImageClearCoat",
    "*QZSpotColorClearCoat",
    "*QZImageWiseRange",
    "*QZImageWise_RangeType",
    "*QZImageWise_RangeValue",
    "*QZEmbeddedCMYK",
    "*QZSubsetFinishingInUse",
    "*QZEnhancedHX",
    "*QZClearDryInk_RangeType",
    "*QZClearDryInk_RangeValue",
    "*QZMMTabShift",
    "*QZControlBar",
    "*QZPostFlight",
    "*QZProgressives",
    "*QZDocServer",
    "*QZDSUserName",
    "*QZDSPassword",
    "*QZDSFileName",
    "*QZHTScreen",
    "*QZBookSpineContentType",
    "*QZBookScaling",
    "*QZBookTrimType",
    "*QZBookFaceTrimOnly",
    "*QZColorant_NoTonerLimit",
    "*QZColorant1Area",
    "*QZColorant1Text",
    "*QZColorant1Graphic",
    "*QZColorant1Image",
    "*QZColorant1Spot",
    "*QZColorant1Pass",
    "*QZColorant1_RangeType",
    "*QZColorant1_RangeValue",
    "*QZDisplayJobTracking",
    "*QZAccountSetting",
    "*QZAccountShowLast",
    "*PageSize",
    "*QZCurveAdjust",
    "QZSlipSheetPaperCatalog",
    "QZCoverPagePaperCatalog",
};
static_assert(std::size(kQuickAccessExcluded) == 63);

template <size_t N>
bool InTable(const char* const (&table)[N], const char* keyword) {
  if (!keyword) return false;
  for (const char* entry : table)
    if (std::strcmp(entry, keyword) == 0) return true;
  return false;
}

// Steps shared by dmtHides and dmtLocks: the quoted keyword inside the given
// section of the UI-Modification category, then `value` before the entry's
// closing "/>".
bool DmtSectionHasValue(std::string_view xml, const char* keyword, std::string_view open,
                        std::string_view close, std::string_view value) {
  if (!keyword || xml.empty()) return false;
  std::string_view key(keyword);
  const size_t star = key.find('*');
  if (star != std::string_view::npos) key.remove_prefix(star + 1);

  const size_t category = xml.find("<Category name=\"UI-Modification\">");
  if (category == std::string_view::npos) return false;
  const size_t categoryEnd = xml.find("</Category>", category);
  if (categoryEnd == std::string_view::npos) return false;
  const size_t section = xml.find(open, category);
  if (section == std::string_view::npos) return false;
  const size_t sectionEnd = xml.find(close, section);
  if (sectionEnd == std::string_view::npos || sectionEnd > categoryEnd) return false;

  std::string quoted;
  quoted.reserve(key.size() + 2);
  quoted.append(1, '"').append(key).append(1, '"');
  const size_t at = xml.find(quoted, section);
  if (at == std::string_view::npos || at + quoted.size() > sectionEnd) return false;
  const size_t entryEnd = xml.find("/>", at + quoted.size());
  if (entryEnd == std::string_view::npos) return false;
  const size_t found = xml.find(value, at + quoted.size());
  return found != std::string_view::npos && found + value.size() <= entryEnd;
}

}  // namespace

bool isBidiKeyword(const char* keyword) {
  if (!keyword) return false;
  const size_t length = std::strlen(keyword);
  return length > 4 && std::strcmp(keyword + length - 4, "Bidi") == 0;
}

bool isExpertTintvaneControl(const char* keyword) {
  return InTable(kExpertTintvane, keyword);
}

bool isSpecialTintvaneControl(const char* keyword) {
  if (!keyword) return false;
  for (const char* entry : kSpecialTintvane)
    if (std::strstr(keyword, entry)) return true;
  return false;
}

bool isQuickAccessExcluded(const char* keyword) {
  return InTable(kQuickAccessExcluded, keyword);
}

bool IsValidBasicPanelControl(PPDXControl* control) {
  if (!control) return false;
  const char* keyword = control->Keyword();
  const PPDXElement* parent = control->GetParent();
  if (parent && parent->Keyword() && std::strcmp(parent->Keyword(), "QZPPInstallableOptions") == 0)
    return false;
  if (isBidiKeyword(keyword)) return false;
  if (isExpertTintvaneControl(keyword)) return false;
  if (control->IsNoTavroDriverUI()) return false;
  return !isQuickAccessExcluded(keyword);
}

bool dmtHides(std::string_view dmtXml, const char* keyword) {
  return DmtSectionHasValue(dmtXml, keyword, "<Show>", "</Show>", "value=\"False\"");
}

bool dmtLocks(std::string_view dmtXml, const char* keyword) {
  return DmtSectionHasValue(dmtXml, keyword, "<Lock>", "</Lock>", "value=\"True\"");
}
