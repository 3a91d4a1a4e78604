#include "PPDX/PPDObjects/PPDXElement.h"

#include <cstring>
#include <vector>

#include "TextConverter/TextConverter.h"
#include "platform/Log.h"

PPDXElement::PPDXElement(const char* keyword, const CFString& translation, const bool& visible)
    : translation_(translation), visible_(visible ? 1 : 0) {
  if (keyword != nullptr && *keyword != '\0') keyword_ = keyword;
  if (translation_.IsNull()) {
    myNSLogC("inLocalName != NULL (PPDX/PPDObjects/PPDXElement)");
    translation_ = CFString(std::u16string());
  }
}

PPDXElement::~PPDXElement() = default;

bool PPDXElement::OkayToDisplay(const _DISPLAY_OPTIONS_& option) const {
  switch (static_cast<int32_t>(option)) {
    case kDisplayVisibleWithParent:
      return !IsOrphan() && IsVisible();
    case kDisplayIncludeOrphans:
      return IsVisible();
    case kDisplayIncludeHidden:
      return !IsOrphan();
    default:
      return true;
  }
}

const char* PPDXElement::UserName() {
  if (!userNameMade_) {
    userNameMade_ = true;
    if (translation_.Empty()) {
      userName_ = "";
    } else {
      std::vector<char> buffer(translation_.Length() * 4 + 1);
      TextConverter::CFStringToCstring(translation_, buffer.data(),
                                       static_cast<long>(buffer.size()));
      userName_ = buffer.data();
    }
  }
  return userName_;
}

bool PPDXElement::operator==(const PPDXElement& other) const {
  const char* mine = Keyword();
  const char* theirs = other.Keyword();
  return mine != nullptr && theirs != nullptr && std::strcmp(mine, theirs) == 0;
}

bool PPDXElement::operator==(const char* keyword) const {
  const char* mine = Keyword();
  return mine != nullptr && keyword != nullptr && *keyword != '\0' &&
         std::strcmp(mine, keyword) == 0;
}
