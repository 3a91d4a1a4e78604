// Where the saved accounting pop-up preferences (the "PopupJnData" text)
// come from. The queue's PPD message reader answers them in the panel;
// until one is installed the answer is "no preferences". Tests install a
// source with a given text.
#pragma once

#include <string>

class PopupJnDataSource {
 public:
  virtual ~PopupJnDataSource() = default;
  // 0 with the text (empty: no preferences), or a non-zero read error.
  virtual int Read(std::string& text) = 0;
};

// A source that answers a fixed text or a fixed error.
class FixedPopupJnDataSource : public PopupJnDataSource {
 public:
  explicit FixedPopupJnDataSource(std::string text, int error = 0)
      : text_(std::move(text)), error_(error) {}
  int Read(std::string& text) override {
    text = error_ == 0 ? text_ : std::string();
    return error_;
  }

 private:
  std::string text_;
  int error_;
};

// Installs a source (not owned; null restores "no preferences") and answers
// the previous one.
PopupJnDataSource* SetPopupJnDataSource(PopupJnDataSource* source);
// Reads the preferences text through the installed source.
int ReadPopupJnData(std::string& text);
