// The saved accounting pop-up preferences: the "PopupJnData" layout, the
// process-wide copies the accounting pop-up reads, and the conversion of a
// saved note text into the job notes' 8-bit text.
#pragma once

#include <string>
#include <string_view>

constexpr int kPopupJobNoteSlots = 5;

// Bytes 0-2: enable, setting and show-last characters; then ten lines, each
// ended by a line feed: keyword of note 1, its saved UTF-8 text, ... note 5.
struct PopupJnPrefs {
  char enable = '0';
  char setting = '0';
  char showLast = '0';
  std::string keywords[kPopupJobNoteSlots];
  std::string texts[kPopupJobNoteSlots];
};

// False for a text shorter than the three characters. Lines that are missing
// stay empty; a last line without its line feed is taken whole.
bool ParsePopupJnData(std::string_view text, PopupJnPrefs& prefs);

// Process-wide state shared with the accounting pop-up.
extern char gPopupJobNotesSavedEnable;
extern char gPopupJobNotesSavedSetting;
extern char gPopupJobNotesSavedShowLast;
extern std::string gPopupJobNotesNote1;
extern std::string gPopupJobNotesNote2;
extern std::string gPopupJobNotesNote3;
extern std::string gPopupJobNotesNote4;
extern std::string gPopupJobNotesNote5;
extern std::string gPopupJobNotesSavedNote1;
extern std::string gPopupJobNotesSavedNote2;
extern std::string gPopupJobNotesSavedNote3;
extern std::string gPopupJobNotesSavedNote4;
extern std::string gPopupJobNotesSavedNote5;
// Slot n (0-4) of the keyword and saved-text variables above.
std::string& PopupJobNotesNote(int slot);
std::string& PopupJobNotesSavedNote(int slot);

inline constexpr const char* kPopupJnConvertFailed = "[conv UTF8 to MR or SJ failed]";
inline constexpr const char* kPopupJnNotUTF8 = "[conv from UTF8 failed]";
constexpr size_t kPopupJnTextLimit = 255;

// A saved UTF-8 text as Mac Roman (Shift-JIS when japanese) in at most 255
// bytes, cut at a character boundary. Text that is no valid UTF-8, or that
// holds a character the target cannot show, gives the failure texts above.
std::string ConvertPopupJnText(std::string_view utf8, bool japanese);
