#include "sources/ServiceErrors.h"

namespace halvane::sources {

std::string ShownText(std::string_view text) {
  constexpr std::size_t kMax = 200;
  std::string out;
  for (const char c : text.substr(0, kMax)) {
    const auto b = static_cast<unsigned char>(c);
    out += (b < 0x20 || b >= 0x7F) ? '?' : c;
  }
  if (text.size() > kMax) out += "...";
  return out;
}

std::string WaitInWords(long seconds) {
  const auto in = [seconds](long unit, const char* name) {
    const long n = (seconds + unit - 1) / unit;
    return std::to_string(n) + " " + name + (n == 1 ? "" : "s");
  };
  if (seconds < 120) return std::to_string(seconds < 0 ? 0 : seconds) + " s";
  if (seconds < 2 * 3600) return in(60, "minute");
  if (seconds < 2 * 86400) return in(3600, "hour");
  return in(86400, "day");
}

std::string ServiceLabel(std::string_view service, std::string_view url) {
  std::string_view rest = url;
  if (const auto scheme = rest.find("://"); scheme != std::string_view::npos) rest.remove_prefix(scheme + 3);
  rest = rest.substr(0, rest.find_first_of("/?#"));
  if (const auto at = rest.rfind('@'); at != std::string_view::npos) rest.remove_prefix(at + 1);  // no credentials
  return std::string(service) + " at " + ShownText(rest);
}

std::string RetryAfterText(const live::TLiveResponse& response) {
  const std::string value = response.Header("Retry-After");
  if (value.empty()) return {};
  const bool seconds = value.find_first_not_of("0123456789") == std::string::npos && value.size() <= 9;
  return ", retry after " + ShownText(value) + (seconds ? " s" : "");
}

std::string DescribeFailure(std::string_view label, const live::TLiveResponse& response, std::string_view detail) {
  std::string out(label);
  if (!response.Answered()) {
    out += ": " + (response.Message.empty() ? std::string("no answer") : response.Message);
    return out;
  }
  const long status = response.Status;
  if (status >= 200 && status < 300) return {};
  const std::string code = "HTTP " + std::to_string(status);
  const std::string because = detail.empty() ? std::string() : ": " + ShownText(detail);
  if (status == 429) return out + " is limiting requests (" + code + because + ")" + RetryAfterText(response);
  if (status == 503) return out + " is unavailable (" + code + because + ")" + RetryAfterText(response) +
                            (RetryAfterText(response).empty() ? ", try again later" : "");
  if (status >= 500) return out + " failed on its side (" + code + because + "), try again later";
  return out + " answered " + code + because;
}

}  // namespace halvane::sources
