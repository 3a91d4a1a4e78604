#include "PPDX/PPDX.h"

#include <cstring>
#include <new>

#include "PPDX/PPDFileStream.h"
#include "PPDX/PPDObjects/Controls/Settings.h"
#include "PPDX/PPDObjects/Controls/SettingsStrings.h"
#include "PPDX/PPDTokenLimits.h"
#include "PPDX/PPDXErrorCodes.h"

PPDX::PPDX() : errors_(new PPDXErrors) {}

PPDX::PPDX(const std::filesystem::path& ppd, const PCFileNameList* allowed)
    : ppdFile_(new PPDFile(ppd)), errors_(new PPDXErrors), allowedNames_(allowed) {
  if (allowedNames_ != nullptr) {
    validPrinterName_ = ValidateAgainstPCFilename(allowedNames_, ppdFile_.get());
  }
  allowedNames_ = nullptr;
}

std::span<const PPDX::SavedText> PPDX::SavedTexts() {
  static const SavedText kTexts[] = {
      {kFormatVersionStr, &PPDX::formatVersion_},
      {kFileVersionStr, &PPDX::fileVersion_},
      {kPCFileNameStr, &PPDX::pcFileName_},
      {kLanguageVersionStr, &PPDX::languageVersion_},
      {kLanguageEncodingStr, &PPDX::languageEncoding_},
      {kModelNameStr, &PPDX::modelName_},
      {kQZVersionStr, &PPDX::version_},
  };
  return kTexts;
}

PPDX::PPDX(Settings& settings, const std::filesystem::path& ppd)
    : ppdFile_(new PPDFile(ppd)), errors_(new PPDXErrors) {
  for (const SavedText& text : SavedTexts()) {
    if (std::unique_ptr<CString> value = GetSettingsString(settings, tagPPD, text.id)) {
      this->*text.field = *value;
    }
  }
  UpdateTextConverter();
  valid_ = true;
}

bool PPDX::Save(Settings& settings) {
  const int32_t memory = 1024;
  if (settings.Add(tagPPD, kMemAlloc, &memory, 4) != kSettingsNoErr) return false;
  // The platform's file identity is the path (the whole of it, however long).
  const std::string path = ppdFile_ ? ppdFile_->path().string() : std::string();
  if (settings.Add(tagPPD, kFSRef, path.c_str(), static_cast<int>(path.size() + 1)) !=
      kSettingsNoErr) {
    return false;
  }
  for (const SavedText& text : SavedTexts()) {
    const CString& value = this->*text.field;
    if (value.Empty()) continue;
    if (settings.Add(tagPPD, text.id, static_cast<const char*>(value),
                     static_cast<int>(value.Size())) != kSettingsNoErr) {
      return false;
    }
  }
  return true;
}

PPDX::~PPDX() {
  if (errors_) errors_->DeleteAll();
}

bool PPDX::Release() {
  if (refCount_-- <= 1) {
    delete this;
    return true;
  }
  return false;
}

TextEncoding PPDX::GetStringTextEncoding() const {
  return textConverter_ ? textConverter_->GetOutputEncoding() : 0;
}

bool PPDX::IsValidPPD() const {
  if (!valid_) return false;
  if (!errors_) return true;
  if (allErrorsFatal_) return errors_->Empty();
  return !errors_->AnyFatal();
}

bool PPDX::ValidateFileName(const std::filesystem::path& ppd, const PCFileNameList* names,
                            PPDFile* file) {
  if (names == nullptr) return true;
  if (file != nullptr) return ValidateAgainstPCFilename(names, file);
  PPDFile temporary(ppd);
  return ValidateAgainstPCFilename(names, &temporary);
}

void PPDX::AddError(PPDXErrorObj* error) {
  if (error == nullptr) return;
  if (error->Line() == 0 && currentStream_) error->SetLine(currentStream_->LineNumber());
  if (!errors_) errors_.reset(new (std::nothrow) PPDXErrors);
  if (!errors_ || !errors_->Add(error)) delete error;
}

void PPDX::UpdateTextConverter() {
  if (languageVersion_.Empty() || languageEncoding_.Empty()) return;
  textConverter_.reset(new (std::nothrow) TextConverter(this));
}

bool PPDX::TestPPDFile(PPDStream& file) {
  char line[kPPDLineBufferSize];
  file.GetLine(line);
  PPDStream lineStream(line, static_cast<long>(file.LastLineLength()));
  char token[kMaxTokenLength + 1];
  char value[kLineSizeLimit];
  value[0] = '\0';
  if (NextToken(lineStream, token, kMainKeywordDelimiters, true) &&
      std::strcmp(token, "*PPD-Adobe") == 0) {
    // A value the file ends inside is no value.
    if (GetQuotedString(lineStream, value, kLineSizeLimit) == 0) value[0] = '\0';
  }
  if (std::strcmp(value, "4.3") == 0) {
    valid_ = true;
    return true;
  }
  AddError(new PPDXErrorObj(PPDErr_NotPPDFile, true));
  return false;
}

void PPDX::Parse() {
  if (!ppdFile_) return;
  PPDFileStream stream(ppdFile_.get(), true);
  if (stream.Bad()) {
    AddError(new PPDXErrorObj(PPDErr_FileError, true));
    return;
  }
  currentStream_ = &stream;
  if (TestPPDFile(stream)) {
    char line[kPPDLineBufferSize];
    char keyword[kMaxTokenLength + 1];
    for (;;) {
      const bool whole = stream.GetLine(line);
      const size_t length = stream.LastLineLength();
      if (!whole && length == 0 && !stream.Good()) break;
      if (length == 0) continue;
      PPDStream lineStream(line, static_cast<long>(length));
      if (!NextToken(lineStream, keyword, kMainKeywordDelimiters, true)) continue;
      PPDXErrorObj* error = ParsePSKeywords(lineStream, keyword);
      if (error != nullptr) {
        const bool stop = error->IsFatal() || allErrorsFatal_;
        AddError(error);
        if (stop) break;
      }
    }
  }
  currentStream_ = nullptr;
  if (ppdFile_->IsOpen()) ppdFile_->Close();
}

PPDXErrorObj* PPDX::ParsePSKeywords(PPDStream& line, const char* keyword) {
  if (keyword == nullptr) return nullptr;
  struct Quoted {
    const char* keyword;
    CString PPDX::*field;
  };
  static const Quoted kQuoted[] = {
      {"*PCFileName", &PPDX::pcFileName_},       {"*FormatVersion", &PPDX::formatVersion_},
      {"*FileVersion", &PPDX::fileVersion_},     {"*ModelName", &PPDX::modelName_},
      {"*APDialogExtension", &PPDX::pathToPDE_},
  };
  char value[kLineSizeLimit];
  for (const Quoted& entry : kQuoted) {
    if (std::strcmp(keyword, entry.keyword) == 0) {
      if (GetQuotedString(line, value, kLineSizeLimit) > 0) this->*entry.field = value;
      return nullptr;
    }
  }
  if (std::strcmp(keyword, "*%QZVersion") == 0) {
    if (GetQuotedString(line, value, kLineSizeLimit) > 0 && macVersion_.Empty()) version_ = value;
  } else if (std::strcmp(keyword, "*%QZVersionMac") == 0) {
    if (GetQuotedString(line, value, kLineSizeLimit) > 0) {
      macVersion_ = value;
      version_ = value;
    }
  } else if (std::strcmp(keyword, "*LanguageVersion") == 0) {
    if (NextToken(line, value, kEndofLineDelimiters, true)) {
      languageVersion_ = value;
      UpdateTextConverter();
    }
  } else if (std::strcmp(keyword, "*LanguageEncoding") == 0) {
    if (NextToken(line, value, kEndofLineDelimiters, true)) {
      languageEncoding_ = value;
      UpdateTextConverter();
    }
  }
  return nullptr;
}
