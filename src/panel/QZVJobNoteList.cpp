#include "panel/QZVJobNoteList.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "PPDX/PPDObjects/Controls/PPDXControls.h"
#include "PPDX/PPDObjects/Controls/PPDXJobNote.h"
#include "PPDX/PPDObjects/Controls/PPDXPopupControlFlags.h"
#include "PPDX/PPDObjects/Controls/PPDXSpecialOption.h"
#include "PPDX/QZVPPD.h"
#include "foundation/EncodingSwitches.h"
#include "panel/QZVJobTicket.h"
#include "security/UserAuth.h"

bool gPopupJobNotesNoUTF8 = false;

namespace {

constexpr size_t kSpecialTextLimit = 255;

std::string LoginFullName() {
  const passwd* entry = ::getpwuid(::getuid());
  if (!entry) return {};
  std::string name = entry->pw_gecos ? entry->pw_gecos : "";
  name = name.substr(0, name.find(','));
  if (name.empty() && entry->pw_name) name = entry->pw_name;
  return name;
}

FullUserNameSource gFullUserName = LoginFullName;

const char* SpecialOptionValue(QZVPPD* ppd, const char* keyword) {
  if (!ppd || !ppd->GetControls()) return nullptr;
  PPDXSpecialOption* option = ppd->GetControls()->FindSpecialOption(keyword, true);
  if (!option || !option->GetValue()) return nullptr;
  return static_cast<const char*>(*option->GetValue());
}

bool SpecialOptionIs(QZVPPD* ppd, const char* keyword, const char* value) {
  const char* found = SpecialOptionValue(ppd, keyword);
  return found && std::strcmp(found, value) == 0;
}

int64_t LayoutNumber(PMPrintSettings* settings, std::string_view key) {
  const PlistValue* value = (settings ? settings->GetValue(key) : nullptr);
  return value && value->IsNumber() ? value->GetInteger(1) : 1;
}

std::string ToUTF8(const std::string& text) {
  std::string out(text.size() * 4 + 1, '\0');
  ConvertTextFromApplicationToUTF8(text.c_str(), out.data());
  out.resize(std::strlen(out.c_str()));
  return out;
}

// A directory-style name "DOMAIN/:user" travels with its "/" doubled, unless
// the name already holds a "//" before it.
std::string DoubleDomainSlash(std::string name) {
  const size_t slash = name.find("/:");
  if (slash == std::string::npos) return name;
  const size_t doubled = name.find("//");
  if (doubled != std::string::npos && doubled < slash) return name;
  name.insert(slash, 1, '/');
  return name;
}

// A value that must never reach the job in clear.
bool IsProtected(const QZVJobNote& item, short index) {
  const PPDXJobNote* note = item.Note();
  return item.IsEncrypted() || note->IsPassword() || index == kUserAuthPasswordIndex;
}

// The note's code, enciphering its text first when it is protected; false
// when memory ran out.
bool AddNoteCode(QZVJobTicket& ticket, QZVJobNote& item, bool protect) {
  PPDXJobNote* note = item.Note();
  std::string plain;
  const bool hadText = note->GetNotes() != nullptr;
  if (protect) {
    if (hadText) plain = note->GetNotes();
    unsigned char hex[kEncryptedNoteSize];
    item.encryptNote(nullptr, reinterpret_cast<unsigned char*>(plain.data()), hex);
    note->SetNotes(reinterpret_cast<const char*>(hex));
  }
  // Measured after the text is final: the cipher text is longer than the
  // plain one.
  const long length = note->PostScript(nullptr);
  unsigned char stack[kJobNoteCodeBuffer];
  std::unique_ptr<unsigned char[]> heap;
  unsigned char* buffer = stack;
  if (length > static_cast<long>(kJobNoteCodeBuffer)) {
    heap.reset(new (std::nothrow) unsigned char[static_cast<size_t>(length)]);
    buffer = heap.get();
  }
  bool ok = buffer != nullptr;
  long written = 0;
  if (ok && length > 0) written = note->PostScript(buffer);
  if (protect) note->SetNotes(hadText ? plain.c_str() : nullptr);
  if (!ok) return false;
  if (written != length) written = 0;
  ticket.Add(kSiteFeature, reinterpret_cast<const char*>(buffer), static_cast<size_t>(written));
  return true;
}

}  // namespace

FullUserNameSource SetFullUserNameSource(FullUserNameSource source) {
  FullUserNameSource was = gFullUserName;
  gFullUserName = source ? source : LoginFullName;
  return was;
}

QZVJobNoteList::QZVJobNoteList(QZVPPD* ppd, bool initialised) : ppd_(ppd) {
  const char* version = SpecialOptionValue(ppd_, "*QZUTF8_Version");
  gQZUTF8Version = version ? std::atoi(version) : 0;
  PPDXControls* controls = ppd_ ? ppd_->GetControls() : nullptr;
  if (!controls) return;

  const bool keepSystemText =
      gPopupJobNotesNoUTF8 && (gPopupJobNotesFoundOne || !gPopupJobNotesDoneInitializing);
  if (gQZUTF8Version >= 3 && !keepSystemText) {
    for (const char* keyword : {"*QZMailboxName", "*QZVDPFilePath"}) {
      PPDXJobNote* note = controls->FindJobNote(keyword, true);
      if (note && note->GetNotes()) note->SetNotes(note->CopyNotes().UTF8().c_str());
    }
  }
  for (PPDXJobNote* note = controls->FirstJobNote(); note; note = controls->NextJobNote()) {
    const char* keyword = note->Keyword();
    if (keyword && std::strcmp(keyword, "*QZControlBar") == 0) continue;
    add(new QZVJobNote(note, initialised));
  }
}

QZVJobNote* QZVJobNoteList::find(const char* keyword) const {
  if (!keyword) return nullptr;
  for (LinkElement_Dual* at = First(); at; at = at->Next()) {
    auto* item = static_cast<QZVJobNote*>(at);
    const char* own = item->Note() ? item->Note()->Keyword() : nullptr;
    if (own && std::strcmp(own, keyword) == 0) return item;
  }
  return nullptr;
}

int QZVJobNoteList::outInjectionData(QZVJobTicket* ticket, PMPrintSettings* settings) {
  if (!ticket) return kJobNoteNoTicket;
  gQZVPPD = ppd_;

  int32_t orientation = orientation_;
  if (settings && settings->Contains("com.apple.print.PrintSettings.PMLayoutNUp")) {
    const int64_t pages = LayoutNumber(settings, "com.apple.print.PrintSettings.PMLayoutRows") *
                          LayoutNumber(settings, "com.apple.print.PrintSettings.PMLayoutColumns");
    // Two and six pages to a sheet turn the sheet.
    if (pages == 2 || pages == 6) {
      if (orientation == 2 || orientation == 4)
        orientation = 1;
      else if (orientation == 1 || orientation == 3)
        orientation = 4;
    }
  }
  static constexpr char kNUp[] = "%%MacCoreNUp: true\n";
  static constexpr char kPortrait[] = "%%Orientation: Portrait\n";
  static constexpr char kLandscape[] = "%%Orientation: Landscape\n";
  ticket->Add(kSiteLayoutComment, kNUp, sizeof kNUp - 1);
  if (orientation == 1 || orientation == 3)
    ticket->Add(kSiteLayoutComment, kPortrait, sizeof kPortrait - 1);
  else
    ticket->Add(kSiteLayoutComment, kLandscape, sizeof kLandscape - 1);

  const bool copierUserAuth = SpecialOptionIs(ppd_, "*CopierUserAuth", "True");
  std::string userName;
  bool haveUserName = false;
  int status = 0;

  for (LinkElement_Dual* at = First(); at; at = at->Next()) {
    auto& item = *static_cast<QZVJobNote*>(at);
    PPDXJobNote* note = item.Note();
    if (!note) continue;
    short index = -1;
    item.specialKeyword(&index);
    const char* text = note->GetNotes();
    const bool empty = !text || !*text;
    if (empty && index != kUserAuthNameIndex && index != kUserAuthPasswordIndex) continue;

    bool writeCode = true;
    if (index >= 0) {
      std::string line = gKeywordMap[index].prefix;
      std::string value =
          text ? std::string(text, std::min(std::strlen(text), kSpecialTextLimit)) : std::string();
      if (note->IsUTF8() && (gQZUTF8Version < 5 || gPopupJobNotesLangIsJapanese)) {
        value = ToUTF8(value);
        note->SetNotes(value.c_str());
      }
      if (!value.empty() && IsProtected(item, index) && index != kUserAuthPasswordIndex) {
        unsigned char hex[kEncryptedNoteSize];
        item.encryptNote(nullptr, reinterpret_cast<unsigned char*>(value.data()), hex);
        line.append(reinterpret_cast<const char*>(hex)).append(1, '\n');
        ticket->Add(kSiteJobInfo, line.data(), line.size());
      } else if (index != kUserAuthNameIndex && index != kUserAuthPasswordIndex) {
        line.append(value).append(1, '\n');
        ticket->Add(kSiteJobInfo, line.data(), line.size());
      } else if (index == kUserAuthNameIndex) {
        std::string name;
        if (SpecialOptionIs(ppd_, "*QZVAuthenticateWithLDAP", "True")) {
          name = DoubleDomainSlash(value);
          note->SetNotes(name.c_str());
          if (!name.empty()) name = ToUTF8(name);
        } else if (!gUserAuthNameWasInited) {
          name = gFullUserName();
        }
        userName = name;
        haveUserName = !userName.empty();
        writeCode = copierUserAuth;
      } else {
        if (haveUserName) {
          char* packed = nullptr;
          if (AUTH_packAndEncrypt(userName.c_str(), value.c_str(), "", kUALDomainTypeUserName, 0,
                                  &packed) == 0 &&
              packed) {
            line.append(packed).append(1, '\n');
            ticket->Add(kSiteJobInfo, line.data(), line.size());
          }
          AUTH_freeBuffer(&packed);
        }
        writeCode = copierUserAuth && haveUserName;
      }
    }
    if (!writeCode) continue;

    if (note->PostScript(nullptr) == 0 && index != kUserAuthPasswordIndex) continue;
    if (!AddNoteCode(*ticket, item, IsProtected(item, index))) {
      status = kJobNoteNoMemory;
      break;
    }
  }
  gUserAuthNameWasInited = false;
  return status;
}
