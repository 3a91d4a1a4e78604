#include "PPDX/PPDObjects/PPDXErrorFunctions.h"

PPDXErrorObj* FirstError(PPDXErrors* errors) {
  return errors ? errors->First() : nullptr;
}

PPDXErrorObj* NextError(PPDXErrors* errors) {
  return errors ? errors->Next() : nullptr;
}

bool ErrorListIsEmpty(const PPDXErrors* errors) {
  return errors ? errors->Empty() : false;
}

uint64_t ErrorCount(const PPDXErrors* errors) {
  return errors ? errors->Count() : 0;
}

const char* GetErrorKeyword(const PPDXErrorObj* error) {
  return error ? error->Keyword() : nullptr;
}

const char* GetErrorDescription(const PPDXErrorObj* error) {
  return error ? error->Description() : nullptr;
}

bool IsErrorFatal(const PPDXErrorObj* error) {
  return error ? error->IsFatal() : false;
}
