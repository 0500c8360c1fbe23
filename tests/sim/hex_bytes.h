// Bytes written the way a trace shows them: "02 00 30 00 03 35 0D".
#pragma once

#include <cstdint>
#include <sstream>
#include <string_view>
#include <vector>

namespace morvik::sim::test {

using ByteVector = std::vector<std::uint8_t>;

inline ByteVector Hex(std::string_view text) {
  ByteVector bytes;
  std::istringstream in{std::string(text)};
  unsigned value = 0;
  while (in >> std::hex >> value) bytes.push_back(static_cast<std::uint8_t>(value));
  return bytes;
}

}  // namespace morvik::sim::test
