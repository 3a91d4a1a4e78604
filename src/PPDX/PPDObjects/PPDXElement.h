// The base of every model element: keyword (with its leading "*"), the
// translation shown to the user, visibility and the enclosing element.
#pragma once

#include <cstdint>

#include "PPDX/PPDObjects/DisplayOptions.h"
#include "foundation/CString.h"
#include "platform/CFString.h"

class Settings;

// A four-character settings tag ('KyWd' style) without multi-character literals.
constexpr unsigned int ElementTag(const char (&code)[5]) {
  return (static_cast<unsigned int>(static_cast<unsigned char>(code[0])) << 24) |
         (static_cast<unsigned int>(static_cast<unsigned char>(code[1])) << 16) |
         (static_cast<unsigned int>(static_cast<unsigned char>(code[2])) << 8) |
         static_cast<unsigned int>(static_cast<unsigned char>(code[3]));
}

// Element items, stored under the element's settings id.
constexpr unsigned int kElementKeywordTag = ElementTag("KyWd");      // keyword text
constexpr unsigned int kElementUserNameTag = ElementTag("LcNm");     // user name, system encoding
constexpr unsigned int kElementTranslationTag = ElementTag("LcCF");  // UTF-16 with byte-order mark
constexpr unsigned int kElementVisibleTag = ElementTag("isVs");      // 4 bytes
constexpr unsigned int kElementParentTag = ElementTag("PrNm");       // the parent's keyword

class PPDXElement {
 public:
  // A null or empty keyword gives an element without keyword. The
  // translation must be present; a null one is logged and taken as empty.
  PPDXElement(const char* keyword, const CFString& translation, const bool& visible);
  // From saved settings: keyword 'KyWd', translation 'LcCF' (empty when
  // missing), parent name 'PrNm' and visibility 'isVs' (when 4 bytes long).
  PPDXElement(Settings& settings, const int& id);
  PPDXElement(const PPDXElement& other) = default;
  PPDXElement& operator=(const PPDXElement& other) = default;
  virtual ~PPDXElement();

  // Whether the element shows under a display option: 0 visible elements with
  // a parent, 1 visible ones, 2 ones with a parent, anything else all.
  virtual bool OkayToDisplay(const _DISPLAY_OPTIONS_& option) const;
  // Writes 'KyWd' (when there is a keyword), 'LcNm', 'LcCF', 'isVs' and 'PrNm'
  // (the parent's keyword, or the unresolved parent name, when there is one);
  // stops at the first store error and answers its status.
  virtual int16_t Save(Settings& settings, const int& id);

  // Null when the element has no keyword.
  const char* Keyword() const {
    return keyword_.Empty() ? nullptr : static_cast<const char*>(keyword_);
  }
  // The translation in the system encoding, made once ("Translation Error"
  // when it cannot be converted); the empty text for an empty translation.
  const char* UserName();
  const CFString& CFStringUserName() const { return translation_; }
  bool IsVisible() const { return visible_ != 0; }
  bool IsOrphan() const { return parent_ == nullptr; }
  PPDXElement* GetParent() const { return parent_; }
  void SetParent(PPDXElement* parent) { parent_ = parent; }

  // The parent's keyword as restored from saved settings, kept until the
  // hierarchy is resolved (an element then has no parent pointer yet).
  const char* ParentName() const {
    return parentName_.Empty() ? nullptr : static_cast<const char*>(parentName_);
  }
  void SetParentName(const char* name) { parentName_ = name; }

  // Both keywords present and equal.
  bool operator==(const PPDXElement& other) const;
  bool operator==(const char* keyword) const;

 protected:
  CString keyword_;
  CString userName_;
  bool userNameMade_ = false;
  CFString translation_;
  int32_t visible_;
  PPDXElement* parent_ = nullptr;
  CString parentName_;
};
