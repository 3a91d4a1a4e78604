#include "PPDX/PopupJnDataSource.h"

namespace {
PopupJnDataSource* gSource = nullptr;
}

PopupJnDataSource* SetPopupJnDataSource(PopupJnDataSource* source) {
  PopupJnDataSource* previous = gSource;
  gSource = source;
  return previous;
}

int ReadPopupJnData(std::string& text) {
  text.clear();
  if (!gSource) return 0;
  return gSource->Read(text);
}
