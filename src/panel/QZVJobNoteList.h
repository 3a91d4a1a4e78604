// The job notes of one print, in document order, and what they write into
// the job ticket: the layout comments, one comment line per special note,
// the user-authentication packet, and every note's own PostScript. Protected
// values (encrypted notes, passwords, the user-authentication password) only
// ever leave enciphered.
#pragma once

#include <cstdint>

#include "foundation/PtrLinkList.h"
#include "panel/QZVJobNote.h"
#include "platform/PMPrintSettings.h"

class QZVJobTicket;
class QZVPPD;

// Set by the accounting pop-up while it synchronises: the queue then takes no
// UTF-8 for the mailbox and file-path notes.
extern bool gPopupJobNotesNoUTF8;

// Status answers of outInjectionData.
constexpr int kJobNoteNoTicket = -50;
constexpr int kJobNoteNoMemory = -108;
// Notes whose code fits here use a stack buffer; longer ones a heap block.
constexpr size_t kJobNoteCodeBuffer = 5120;

class QZVJobNoteList : public PtrLinkList {
 public:
  QZVJobNoteList(QZVPPD* ppd, bool initialised);
  ~QZVJobNoteList() override = default;

  QZVJobNote* find(const char* keyword) const;
  // The page orientation the layout comment starts from (1 portrait,
  // 2 landscape, 3 reverse portrait, 4 reverse landscape).
  void SetOrientation(int32_t orientation) { orientation_ = orientation; }
  int32_t Orientation() const { return orientation_; }

  // Writes every note into the ticket; 0, kJobNoteNoTicket or
  // kJobNoteNoMemory (notes written so far stay in the ticket).
  int outInjectionData(QZVJobTicket* ticket, PMPrintSettings* settings);

 private:
  QZVPPD* ppd_;  // not owned
  int32_t orientation_ = 0;
};

// The login user's full name (the account's comment field, else its login
// name); replaceable so that tests can play a user.
using FullUserNameSource = std::string (*)();
FullUserNameSource SetFullUserNameSource(FullUserNameSource source);
