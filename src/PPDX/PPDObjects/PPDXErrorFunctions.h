// Null-safe wrappers of the error list and error members: a null object
// yields null, false or 0.
#pragma once

#include <cstdint>

#include "PPDX/PPDObjects/PPDXErrorObj.h"
#include "PPDX/PPDObjects/PPDXErrors.h"

PPDXErrorObj* FirstError(PPDXErrors* errors);
PPDXErrorObj* NextError(PPDXErrors* errors);
bool ErrorListIsEmpty(const PPDXErrors* errors);
uint64_t ErrorCount(const PPDXErrors* errors);
const char* GetErrorKeyword(const PPDXErrorObj* error);
const char* GetErrorDescription(const PPDXErrorObj* error);
bool IsErrorFatal(const PPDXErrorObj* error);
