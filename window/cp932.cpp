#include "window/cp932.h"

namespace morvik {

bool IsCp932LeadByte(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

std::string_view CutCp932(std::string_view text, std::size_t maxBytes) {
  std::size_t end = 0;
  while (end < text.size()) {
    const std::size_t width = IsCp932LeadByte(static_cast<unsigned char>(text[end])) ? 2 : 1;
    // A lead byte without its trail byte is no whole character either.
    if (end + width > maxBytes || end + width > text.size()) break;
    end += width;
  }
  return text.substr(0, end);
}

}  // namespace morvik
