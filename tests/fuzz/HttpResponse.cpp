// The update check's answer reader on whatever a server sends. The first
// byte picks the body limit, the next two where the network cuts the bytes
// in two pieces, the rest is what the server sends. The client reparses all
// it has after every piece and stops at the first decision, so a decision
// made on the first piece must be the one made on both, open or closed:
// else the outcome would depend on how the bytes happened to arrive. And it
// reads with no limit of its own, so an answer past the reader's limit must
// be decided.
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <limits>
#include <string>

#include "platform/HttpResponse.h"
#include "tests/fuzz/FuzzCheck.h"

namespace {

using platform::HttpResponseState;

constexpr std::size_t kBodyLimits[] = {0, 5, 1000, 64 * 1024, std::numeric_limits<std::size_t>::max()};

struct Reading {
  HttpResponseState state;
  std::string body;
  bool operator==(const Reading& other) const { return state == other.state && body == other.body; }
};

Reading Read(const std::string& received, bool closed, std::size_t maxBody) {
  const std::string untouched = "untouched";
  Reading reading{HttpResponseState::kIncomplete, untouched};
  reading.state = platform::ParseHttpResponse(received, closed, maxBody, reading.body);
  if (reading.state == HttpResponseState::kComplete)
    FUZZ_EXPECT(reading.body.size() <= maxBody, "a body over the limit");
  else
    FUZZ_EXPECT(reading.body == untouched, "an answer not read changed the body");
  return reading;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  const std::size_t maxBody = kBodyLimits[data[0] % std::size(kBodyLimits)];
  const std::string received(reinterpret_cast<const char*>(data + 3), size - 3);
  const std::string first = received.substr(0, (data[1] | data[2] << 8) % (received.size() + 1));

  const Reading early = Read(first, false, maxBody);
  const Reading earlyClosed = Read(first, true, maxBody);
  const Reading late = Read(received, false, maxBody);
  const Reading lateClosed = Read(received, true, maxBody);
  if (early.state != HttpResponseState::kIncomplete) {
    FUZZ_EXPECT(earlyClosed == early, "closing changed a decision");
    FUZZ_EXPECT(late == early, "more bytes changed a decision");
  }
  if (late.state != HttpResponseState::kIncomplete) FUZZ_EXPECT(lateClosed == late, "closing changed a decision");
  FUZZ_EXPECT(earlyClosed.state != HttpResponseState::kIncomplete && lateClosed.state != HttpResponseState::kIncomplete,
              "a closed answer left undecided");
  if (received.size() > platform::MaxHttpResponseBytes(maxBody))
    FUZZ_EXPECT(late.state != HttpResponseState::kIncomplete, "an answer past its limit left undecided");
  return 0;
}
