#pragma once
// The responses a request ends with when the client, not the server, ends
// it, and addresses from answers made fit for their messages. Called on the
// live client's worker thread.
#include <cstdint>
#include <string>
#include <string_view>

#include "live/TLiveResponse.h"

namespace halvane::live {

class TTransfer;

TLiveResponse Failure(TLiveError error, std::string message);
// The same, with the address t had reached and its hops.
TLiveResponse Failure(const TTransfer& t, TLiveError error, std::string message);
// "<host> (<address>) is a private address; set [network] ...": what to do.
std::string PrivateAddressMessage(const std::string& host, const std::string& address);
// "32 MiB", "512 KiB", "1000 bytes": a size for a message.
std::string DescribeSize(std::int64_t bytes);
// An address from an answer, fit for a message: no user information, no
// control bytes, not longer than a line.
std::string ShownAddress(std::string_view address);

}  // namespace halvane::live
