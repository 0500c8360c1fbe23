// The frame checks on arbitrary bytes, against a second reading of the frame
// layout written straight from the table: STX, 0x00, code, L, L bytes, ETX,
// sum, CR. Then the frame built from the same bytes must pass them all.
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_support.h"
#include "link/writer_frame.h"

namespace {

using morvik::Bytes;

// Bytes 0 to 4+L summed by hand; nothing from writer_frame.cpp.
bool IsFrame(Bytes b) {
  if (b.size() < 7 || b[0] != 0x02 || b[1] != 0x00) return false;
  const std::size_t length = b[3];
  if (b.size() < length + 7) return false;
  unsigned sum = 0;
  for (std::size_t i = 0; i <= 4 + length; ++i) sum += b[i];
  return b[4 + length] == 0x03 && b[5 + length] == (sum & 0xFF) && b[6 + length] == 0x0D;
}

void CheckAgainstLayout(Bytes bytes) {
  const bool frame = morvik::CheckFrame(bytes);
  FUZZ_CHECK(frame == IsFrame(bytes));
  const bool reply = morvik::CheckReply(bytes);
  FUZZ_CHECK(reply == (frame && bytes[2] == 0x30));
  const std::size_t length = morvik::FrameLength(bytes);
  FUZZ_CHECK(length == (frame ? bytes[3] + std::size_t{7} : 0));
  if (length == 0) return;
  FUZZ_CHECK(length >= 7 && length <= 262 && length <= bytes.size());
  // The bytes after the CR play no part: the frame alone is the same frame.
  FUZZ_CHECK(morvik::FrameLength(bytes.first(length)) == length);
  FUZZ_CHECK(!morvik::CheckFrame(bytes.first(length - 1)));
}

void CheckBuiltFrame(Bytes bytes) {
  if (bytes.empty()) return;
  const Bytes payload = bytes.subspan(1, std::min<std::size_t>(bytes.size() - 1, 255));
  const std::vector<std::uint8_t> built = morvik::BuildFrame(bytes[0], payload);
  FUZZ_CHECK(built.size() == payload.size() + 7);
  FUZZ_CHECK(IsFrame(built));
  FUZZ_CHECK(morvik::FrameLength(built) == built.size());
  FUZZ_CHECK(morvik::CheckReply(built) == (bytes[0] == 0x30));
  FUZZ_CHECK(std::equal(payload.begin(), payload.end(), built.begin() + 4));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const Bytes bytes(data, size);
  CheckAgainstLayout(bytes);
  CheckBuiltFrame(bytes);
  return 0;
}
