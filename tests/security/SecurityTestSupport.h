// Hexadecimal and random-data helpers shared by the security tests.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

inline std::vector<uint8_t> FromHex(const std::string& hex) {
  std::vector<uint8_t> out;
  for (size_t i = 0; i + 1 < hex.size(); i += 2)
    out.push_back(uint8_t(std::stoul(hex.substr(i, 2), nullptr, 16)));
  return out;
}

inline std::string ToHex(const uint8_t* p, size_t n) {
  static const char* digits = "0123456789abcdef";
  std::string s;
  for (size_t i = 0; i < n; ++i) {
    s.push_back(digits[p[i] >> 4]);
    s.push_back(digits[p[i] & 15]);
  }
  return s;
}

inline std::string ToHex(const std::vector<uint8_t>& v) {
  return ToHex(v.data(), v.size());
}

inline std::vector<uint8_t> RandomBytes(std::mt19937& rng, size_t n) {
  std::vector<uint8_t> v(n);
  for (auto& b : v) b = uint8_t(rng());
  return v;
}

inline const char* AsChars(const std::vector<uint8_t>& v) {
  return reinterpret_cast<const char*>(v.data());
}
