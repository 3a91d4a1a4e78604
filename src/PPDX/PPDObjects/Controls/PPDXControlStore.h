// Small readers and writers of settings-store items shared by the controls:
// fixed-size values, raw byte blocks and texts, each checked against the
// item's real size so that a damaged store never over-reads or over-writes.
#pragma once

#include <cstdint>
#include <memory>

#include "PPDX/PPDObjects/Controls/Settings.h"
#include "PPDX/PPDObjects/Controls/SettingsStrings.h"
#include "foundation/CString.h"
#include "platform/CFString.h"

// Status of a fixed-size read whose item exists but has another size.
constexpr int16_t kControlStoreWrongSize = kSettingsSizeNotSwapped;

// Reads an item of exactly `size` bytes into data. With fixByteOrder the
// store's byte-order rule applies (meant for 2- and 4-byte items). Returns 0,
// the store's status, or kControlStoreWrongSize; data is untouched on failure.
int16_t ReadStoreFixed(Settings& settings, unsigned int tag, int id, void* data, int size,
                       bool fixByteOrder);
// 32-bit flag word stored as 4 bytes (byte-order rule); `value` kept on failure.
int16_t ReadStoreInt32(Settings& settings, unsigned int tag, int id, int32_t& value);
// 64-bit count stored as 8 bytes, read as it lies (the rule has no 8-byte form).
int16_t ReadStoreInt64(Settings& settings, unsigned int tag, int id, int64_t& value);

// A new malloc'ed copy of an item of positive size (not terminated). Returns
// false, with data null and length 0, when the item is missing or empty or
// memory runs out.
bool ReadStoreBytes(Settings& settings, unsigned int tag, int id, unsigned char*& data,
                    long& length);
// Text items are read with GetSettingsString / GetSettingsCFString.

// Writers; each returns the store's status.
int16_t WriteStoreText(Settings& settings, unsigned int tag, int id, const char* text);
int16_t WriteStoreBytes(Settings& settings, unsigned int tag, int id, const void* data,
                        long length);
int16_t WriteStoreCFString(Settings& settings, unsigned int tag, int id, const CFString& text);
