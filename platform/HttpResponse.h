// Reads the answer to one HTTP/1.1 GET from the bytes a server has sent so
// far. The same on every system and free of sockets, so what comes from the
// network can be fuzzed without one.
#pragma once

#include <cstddef>
#include <string>

namespace platform {

enum class HttpResponseState { kIncomplete, kComplete, kRefused };

// Room for the heads and for chunk framing around the largest body.
std::size_t MaxHttpResponseBytes(std::size_t maxBodyBytes);

// `received` is everything the server has sent so far, `closed` whether it
// has finished. kComplete puts the answer's body (at most `maxBodyBytes`)
// into `body`; kIncomplete asks for more bytes; kRefused means the answer
// cannot be read, breaks a limit or is not a 2xx success. `body` changes
// only on kComplete. A decision, once made, holds for any bytes that
// follow and for the close, so a caller may stop at the first one and its
// outcome does not depend on how the bytes arrived. A closed answer, or one
// longer than MaxHttpResponseBytes, is always decided: a caller needs no
// limit of its own.
HttpResponseState ParseHttpResponse(const std::string& received, bool closed, std::size_t maxBodyBytes,
                                    std::string& body);

}  // namespace platform
