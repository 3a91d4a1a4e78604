// The root of the feature document: the PPD file, the error list, the text
// converter and the PPD's identifying keywords, with the tokenizer that reads
// values from the document's current stream. The parser's document derives
// from it and overrides Parse and ParsePSKeywords.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <vector>

#include "PPDX/PPDFile.h"
#include "PPDX/PPDObjects/PPDXErrorObj.h"
#include "PPDX/PPDObjects/PPDXErrors.h"
#include "PPDX/PPDStream.h"
#include "TextConverter/TextConverter.h"
#include "foundation/CString.h"
#include "platform/CFString.h"

class Settings;

// Saved-settings items of the document root (tag, id).
constexpr unsigned int tagPPD = 1000;
constexpr int kMemAlloc = 1001;  // memory size, 4 bytes, value 1024
constexpr int kFSRef = 1002;     // the PPD's path, NUL-terminated
constexpr int kFormatVersionStr = 1003;
constexpr int kFileVersionStr = 1004;
constexpr int kPCFileNameStr = 1005;
constexpr int kLanguageVersionStr = 1006;
constexpr int kLanguageEncodingStr = 1007;
constexpr int kModelNameStr = 1008;
constexpr int kQZVersionStr = 1009;
constexpr unsigned int tagQZVPPD = 2000;
constexpr int kQZFileVersionStr = 2001;
constexpr int mQZVersionStr = 2002;

// The PC file names a bundle serves (null: no list given).
using PCFileNameList = std::vector<CFString>;

class PPDX {
 public:
  PPDX();
  // Opens nothing yet: makes the error list and the PPD file; with a list of
  // allowed names, checks the file's PC file name against it (the answer is
  // IsValidPrinterName). The list is not kept.
  PPDX(const std::filesystem::path& ppd, const PCFileNameList* allowed);
  // Rebuilt from saved settings: the texts of the table above come back, the
  // text converter is made from them and the document counts as valid. The
  // PPD itself is not read.
  PPDX(Settings& settings, const std::filesystem::path& ppd);
  virtual ~PPDX();
  PPDX(const PPDX&) = delete;
  PPDX& operator=(const PPDX&) = delete;

  // Reads the PPD: header test, then every line's main keyword goes to
  // ParsePSKeywords. Errors go to the error list.
  virtual void Parse();
  // Reads the identifying keywords; every other keyword is ignored. The line
  // stream stands after the main keyword. Returns an error or null.
  virtual PPDXErrorObj* ParsePSKeywords(PPDStream& line, const char* keyword);

  // Writes the memory size, the file's path and each text that is present, in
  // the order of the table; stops at the first failure. True on success.
  virtual bool Save(Settings& settings);

  // Reference count for heap-made documents: Release deletes the document
  // when the count was 1 or less and then answers true.
  void Retain() { ++refCount_; }
  bool Release();
  int64_t RetainCount() const { return refCount_; }

  // Each answers the text or null.
  const char* FormatVersion() const { return Text(formatVersion_); }
  const char* FileVersion() const { return Text(fileVersion_); }
  const char* PCFileName() const { return Text(pcFileName_); }
  const char* LanguageVersion() const { return Text(languageVersion_); }
  const char* LanguageEncoding() const { return Text(languageEncoding_); }
  const char* ModelName() const { return Text(modelName_); }
  const char* QZVersion() const { return Text(version_); }
  const char* QZVersionMac() const { return Text(macVersion_); }
  const char* PathToPDE() const { return Text(pathToPDE_); }

  PPDXErrors* GetErrors() const { return errors_.get(); }
  TextConverter* GetTextConverter() const { return textConverter_.get(); }
  PPDFile* GetPPDFile() const { return ppdFile_.get(); }
  // The text converter's output encoding; 0 without converter.
  TextEncoding GetStringTextEncoding() const;

  bool AllErrorsFatal(bool on) { return allErrorsFatal_ = on; }
  bool AllErrorsFatal() const { return allErrorsFatal_; }
  bool IsValidPPD() const;
  bool IsValidPrinterName() const { return validPrinterName_; }
  bool Valid() const { return valid_; }

  // True without a list; otherwise the PC-file-name check of the file (a
  // temporary file object for the path when none is given).
  static bool ValidateFileName(const std::filesystem::path& ppd, const PCFileNameList* names,
                               PPDFile* file);
  // True when a "*PCFileName" of the file is followed, after spaces and tabs,
  // by one of the names within 32 bytes. The whole file is searched, pieces
  // overlapping so that nothing straddling a piece boundary is missed.
  static bool ValidateAgainstPCFilename(const PCFileNameList* names, PPDFile* file);

  // Tokenizer (white space: space and tab).
  // Reads one token ending at a line feed, the end, a CR not followed by LF,
  // a NUL or a delimiter; at most 255 bytes. True when the token is not empty.
  bool NextToken(PPDStream& stream, char* token, const char* delimiters, bool strip);
  // The words of a constraint line in one pass: for each of the buffers the
  // same as skipping spaces and tabs, then NextToken with space and tab as
  // delimiters, stripped. Returns how many words are not empty.
  int NextWords(PPDStream& stream, std::span<char[kPPDLineBufferSize]> words);
  // A quoted value, continued on the current stream's next lines when it is
  // not closed on this one. Returns the stored count plus one (0 for an empty
  // value or a file that ended first; the count when cut at size-1).
  unsigned long GetQuotedString(PPDStream& line, char* buffer, const unsigned long& size);
  // A PostScript value: line breaks kept as line feeds, the value ends with a
  // line feed that the count includes. 0 without an opening quote.
  unsigned long GetPostscriptString(PPDStream& line, char* buffer, const unsigned long& size);
  static void StripLeadingWhiteSpace(char* text);
  // Never removes the first byte.
  static void StripTrailingWhiteSpace(char* text);
  // Copies what follows the first "/" of text into after (empty when there
  // is none); at most 255 bytes, so after needs 256.
  static void ParseMainKeyword(const char* text, char* after);

  // The stream multi-line values continue on (the file stream while parsing).
  PPDStream* CurrentStream() const { return currentStream_; }
  void SetCurrentStream(PPDStream* stream) { currentStream_ = stream; }

  // Appends an error to the list (the document owns it from then on).
  void AddError(PPDXErrorObj* error);

 protected:
  // The header test: the first line must be *PPD-Adobe with the value "4.3";
  // then the document is valid. Otherwise a fatal PPDErr_NotPPDFile is added.
  bool TestPPDFile(PPDStream& file);
  // Remakes the text converter when both language keywords are known.
  void UpdateTextConverter();
  static const char* Text(const CString& s) {
    return s.Empty() ? nullptr : static_cast<const char*>(s);
  }

  bool valid_ = false;
  bool validPrinterName_ = true;
  std::unique_ptr<PPDFile> ppdFile_;
  std::unique_ptr<PPDXErrors> errors_;
  bool allErrorsFatal_ = false;
  CString formatVersion_;
  CString fileVersion_;
  CString pcFileName_;
  CString languageVersion_;
  CString languageEncoding_;
  CString modelName_;
  CString version_;
  CString macVersion_;
  CString pathToPDE_;
  std::unique_ptr<TextConverter> textConverter_;
  PPDStream* currentStream_ = nullptr;
  const PCFileNameList* allowedNames_ = nullptr;
  int64_t refCount_ = 0;

 private:
  struct ValueReader;
  // The saved texts in the order they are written.
  struct SavedText {
    int id;
    CString PPDX::*field;
  };
  static std::span<const SavedText> SavedTexts();
  unsigned long ReadValue(PPDStream& line, char* buffer, unsigned long size, bool postscript);
};
