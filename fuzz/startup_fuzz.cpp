// The port scan and the start-up sequence with arbitrary replies to every
// request on every port. The scan must end either connected, after the whole
// sequence went out on the port it names, or with the operator's Cancel and
// exit status 1 -- never half connected.
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_support.h"
#include "link/writer_link.h"
#include "window/control_ids.h"
#include "window/headless_window.h"

namespace {

using morvik::fuzz::ByteVector;

constexpr int kMaxRetries = 3;
constexpr std::string_view kNoWriterStart = "Morvik ICCard Writerが接続されていません";

bool Same(const ByteVector& frame, std::span<const std::uint8_t> expected) {
  return std::equal(frame.begin(), frame.end(), expected.begin(), expected.end());
}

// The last five requests on the writer's port are the whole sequence, and the
// echo carries the customer ID the window shows.
void CheckConnected(morvik::WriterLink& link, morvik::HeadlessWindow& window,
                    morvik::fuzz::ScriptedPlatform& platform) {
  FUZZ_CHECK(!window.exitStatus());
  FUZZ_CHECK(link.port().IsOpen());
  FUZZ_CHECK(link.connectedPort() == "COM" + std::to_string(platform.openedComs.back()));
  const std::vector<ByteVector>& requests = platform.logs.back().requests;
  FUZZ_CHECK(requests.size() == 5);
  FUZZ_CHECK(Same(requests[0], morvik::kInformationRequest));
  FUZZ_CHECK(Same(requests[1], morvik::CustomerIdEcho(link.identity().CID)));
  FUZZ_CHECK(Same(requests[2], morvik::kF2Request));
  FUZZ_CHECK(Same(requests[3], morvik::k7FRequest) && Same(requests[4], morvik::k7FRequest));
  FUZZ_CHECK(window.text(morvik::kIdcCustomerId) == morvik::CustomerIdText(link.identity().CID));
  FUZZ_CHECK(link.customerIdEntry() == window.text(morvik::kIdcCustomerId));
  FUZZ_CHECK(window.text(morvik::kIdcReport).starts_with("MRVKVer="));
}

void CheckGaveUp(morvik::WriterLink& link, morvik::HeadlessWindow& window) {
  FUZZ_CHECK(window.exitStatus() == 1);
  FUZZ_CHECK(link.connectedPort().empty());
  FUZZ_CHECK(!link.port().IsOpen());
  FUZZ_CHECK(!window.messages().empty());
  for (const morvik::ShownMessage& shown : window.messages()) {
    FUZZ_CHECK(shown.text.starts_with(kNoWriterStart) && shown.type == 0x15);
  }
  FUZZ_CHECK(window.messages().back().answer == morvik::kIdCancel);
  FUZZ_CHECK(window.messages().size() <= kMaxRetries + 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  morvik::fuzz::FuzzInput input(data, size);
  const std::uint8_t ports = input.Byte();
  const std::uint8_t retries = input.Byte() % (kMaxRetries + 1);
  morvik::fuzz::CountingClock clock;
  morvik::fuzz::ScriptedPlatform platform(input, clock, ports);
  morvik::HeadlessWindow window;
  int asked = 0;
  window.SetAnswerer([&](const morvik::ShownMessage&) {
    return asked++ < retries ? morvik::kIdRetry : morvik::kIdCancel;
  });
  morvik::WriterLink link(platform, window, clock);
  link.ConnectWriter();
  if (link.connectedPort().empty()) {
    CheckGaveUp(link, window);
  } else {
    CheckConnected(link, window, platform);
  }
  return 0;
}
