#include "PPDX/PPDObjects/PPDXElement.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "PPDX/PPDObjects/Controls/Settings.h"
#include "PPDX/PPDObjects/Controls/SettingsStrings.h"
#include "TextConverter/TextConverter.h"
#include "foundation/CFStringExternal.h"
#include "platform/Log.h"

PPDXElement::PPDXElement(const char* keyword, const CFString& translation, const bool& visible)
    : translation_(translation), visible_(visible ? 1 : 0) {
  if (keyword != nullptr && *keyword != '\0') keyword_ = keyword;
  if (translation_.IsNull()) {
    myNSLogC("inLocalName != NULL (PPDX/PPDObjects/PPDXElement)");
    translation_ = CFString(std::u16string());
  }
}

PPDXElement::PPDXElement(Settings& settings, const int& id) : visible_(0) {
  if (std::unique_ptr<CString> keyword = GetSettingsString(settings, kElementKeywordTag, id)) {
    if (!keyword->Empty()) keyword_ = *keyword;
  }
  translation_ = GetSettingsCFString(settings, kElementTranslationTag, id);
  if (translation_.IsNull()) translation_ = CFString(std::u16string());
  if (std::unique_ptr<CString> parent = GetSettingsString(settings, kElementParentTag, id)) {
    if (!parent->Empty()) parentName_ = *parent;
  }
  int size = 0;
  if (settings.Get(kElementVisibleTag, id, nullptr, size, false) == kSettingsNoErr && size == 4) {
    int32_t visible = 0;
    if (settings.Get(kElementVisibleTag, id, &visible, size, true) == kSettingsNoErr) {
      visible_ = visible;
    }
  }
}

PPDXElement::~PPDXElement() = default;

int16_t PPDXElement::Save(Settings& settings, const int& id) {
  int16_t status = kSettingsNoErr;
  if (const char* keyword = Keyword()) {
    status = settings.Add(kElementKeywordTag, id, keyword, static_cast<int>(std::strlen(keyword)));
    if (status != kSettingsNoErr) return status;
  }
  if (!userNameMade_) {
    char buffer[512];
    buffer[0] = '\0';
    if (!translation_.Empty())
      TextConverter::CFStringToCstring(translation_, buffer, sizeof buffer);
    userName_ = buffer;
    userNameMade_ = true;
  }
  const char* userName = userName_;
  status = settings.Add(kElementUserNameTag, id, userName ? userName : "",
                        static_cast<int>(userName ? std::strlen(userName) : 0));
  if (status != kSettingsNoErr) return status;
  long length = 0;
  unsigned char* external = CFStringToExternal(translation_, &length);
  status = settings.Add(kElementTranslationTag, id, external, static_cast<int>(length));
  std::free(external);
  if (status != kSettingsNoErr) return status;
  status = settings.Add(kElementVisibleTag, id, &visible_, 4);
  if (status != kSettingsNoErr) return status;
  const char* parent = parent_ ? parent_->Keyword() : ParentName();
  if (parent != nullptr) {
    status = settings.Add(kElementParentTag, id, parent, static_cast<int>(std::strlen(parent)));
  }
  return status;
}

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
