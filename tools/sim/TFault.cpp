#include "TFault.h"

#include "SimText.h"

namespace halvane::sim {
namespace {

constexpr std::uint64_t kMaxMs = 600000;
constexpr std::uint64_t kMaxPiece = 1u << 20;
constexpr std::uint64_t kMaxDrop = 1u << 30;
constexpr std::uint64_t kMaxRedirects = 100;
constexpr std::uint64_t kMaxCount = 1000000;

}  // namespace

std::optional<TFault> ParseFault(std::string_view faults, std::string* error) {
  TFault f;
  auto fail = [&](std::string why) -> std::optional<TFault> {
    if (error) *error = std::move(why);
    return std::nullopt;
  };
  bool any = false;
  for (const std::string_view item : SplitAt(faults, ',')) {
    if (item.empty()) continue;
    const std::size_t colon = item.find(':');
    const std::string_view name = item.substr(0, colon);
    const bool hasValue = colon != std::string_view::npos;
    const std::string_view value = hasValue ? item.substr(colon + 1) : std::string_view{};
    auto number = [&](std::uint64_t min, std::uint64_t max) -> std::optional<std::uint64_t> {
      const auto n = ParseDecimal(value, max);
      if (!n || *n < min) return std::nullopt;
      return n;
    };
    std::optional<std::uint64_t> n;
    if (name == "chunked" && !hasValue) {
      f.chunked = true;
    } else if (name == "close" && !hasValue) {
      f.untilClose = true;
    } else if (name == "drop" && !hasValue) {
      f.drop = true;
      f.dropAfter = static_cast<std::size_t>(-1);
    } else if (name == "silent" && !hasValue) {
      f.silent = true;
    } else if (name == "tls-bad-cert" && !hasValue) {
      f.tlsBadCert = true;
    } else if (!hasValue) {
      return fail("unknown fault item \"" + std::string(item) + "\"");
    } else if (name == "head-delay" && (n = number(0, kMaxMs))) {
      f.headDelayMs = static_cast<int>(*n);
    } else if (name == "piece-delay" && (n = number(0, kMaxMs))) {
      f.pieceDelayMs = static_cast<int>(*n);
    } else if (name == "piece" && (n = number(1, kMaxPiece))) {
      f.pieceSize = static_cast<std::size_t>(*n);
    } else if (name == "status" && (n = number(100, 599))) {
      f.status = static_cast<int>(*n);
    } else if (name == "redirect" && (n = number(1, kMaxRedirects))) {
      f.redirects = static_cast<int>(*n);
    } else if (name == "drop" && (n = number(0, kMaxDrop))) {
      f.drop = true;
      f.dropAfter = static_cast<std::size_t>(*n);
    } else if (name == "silent" && (n = number(0, kMaxMs))) {
      f.silent = true;
      f.silentMs = static_cast<int>(*n);
    } else if (name == "count" && (n = number(1, kMaxCount))) {
      f.count = static_cast<int>(*n);
    } else {
      return fail("bad fault item \"" + std::string(item) + "\"");
    }
    any = true;
  }
  if (!any) return fail("empty fault list");
  if (f.chunked + f.untilClose + f.drop > 1) {
    return fail("chunked, close and drop exclude each other");
  }
  // The certificate is chosen when the connection opens, before any answer.
  TFault badCertOnly;
  badCertOnly.tlsBadCert = true;
  badCertOnly.count = f.count;
  if (f.tlsBadCert && f != badCertOnly) {
    return fail("tls-bad-cert goes with count only");
  }
  return f;
}

std::string FormatFault(const TFault& f) {
  std::string out;
  auto add = [&](const std::string& item) {
    if (!out.empty()) out.push_back(',');
    out += item;
  };
  if (f.tlsBadCert) add("tls-bad-cert");
  if (f.silent) add("silent:" + std::to_string(f.silentMs));
  if (f.headDelayMs) add("head-delay:" + std::to_string(f.headDelayMs));
  if (f.redirects) add("redirect:" + std::to_string(f.redirects));
  if (f.status) add("status:" + std::to_string(f.status));
  if (f.chunked) add("chunked");
  if (f.untilClose) add("close");
  if (f.drop) {
    add(f.dropAfter == static_cast<std::size_t>(-1) ? std::string("drop")
                                                    : "drop:" + std::to_string(f.dropAfter));
  }
  if (f.pieceSize) add("piece:" + std::to_string(f.pieceSize));
  if (f.pieceDelayMs) add("piece-delay:" + std::to_string(f.pieceDelayMs));
  return out;
}

}  // namespace halvane::sim
