// PPD messages: data that the queue's filter stores as attributes of the
// queue's PPD ("*<name><piece>: <base64>"), written here as the filter's
// "PPD:" lines and read back from a PPD file.
#pragma once

#include <cstddef>
#include <string>

#include "serverlink/SectionCodec.h"

// The "PPD:" lines of a message: " <name><piece>=<base64>" for each piece,
// then " <name><next>=\"\"", broken into lines of about 1000 bytes. False
// (nothing written) for more than 16 MiB or a length without data.
bool ppdxFormatData(const char* name, const void* data, size_t length, std::string& out);
// The same lines written to stderr, where the printing system reads them.
bool ppdxWriteData(const char* name, const void* data, size_t length);

// Reads message `name` from the PPD file: the attribute of each piece in turn,
// decoded and inflated. An empty payload (with `*length` 0) when the PPD can't
// be opened or holds no readable piece; the reason goes to stderr.
SectionPayload ppdxReadData(const char* ppdPath, const char* name, size_t* length);
