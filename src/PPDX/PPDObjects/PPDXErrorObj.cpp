#include "PPDX/PPDObjects/PPDXErrorObj.h"

PPDXErrorObj::PPDXErrorObj(int16_t code, bool fatal) : CError(code, nullptr, fatal) {}

PPDXErrorObj::PPDXErrorObj(int16_t code, const char* keyword, bool fatal)
    : CError(code, nullptr, fatal), keyword_(keyword) {}

PPDXErrorObj::PPDXErrorObj(const PPDXErrorObj& other) = default;

PPDXErrorObj& PPDXErrorObj::operator=(const PPDXErrorObj& other) = default;

PPDXErrorObj::~PPDXErrorObj() = default;
