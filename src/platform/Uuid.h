// A new random UUID, as text in upper-case 8-4-4-4-12 form, or as 16 bytes.
#pragma once

#include <array>
#include <cstdint>
#include <string>

std::string CreateUUIDString();
std::array<uint8_t, 16> CreateUUIDBytes();
