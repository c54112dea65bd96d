#include "component/allowed_sites.h"

#include <charconv>

#include "platform/platform.h"

namespace torvex {

namespace {

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string lowered(std::string_view text) {
  std::string out;
  for (char c : text) out += lower(c);
  return out;
}

bool hostCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' || c == '_';
}

// "host[:port]" or "[v6]:port" after the scheme's "//", user information
// already removed.
std::optional<Origin> parseHostPort(std::string scheme, std::string_view hostPort) {
  Origin o{std::move(scheme), {}, o.scheme == "https" ? 443 : 80};
  std::string_view host = hostPort, port;
  if (!hostPort.empty() && hostPort.front() == '[') {
    const size_t close = hostPort.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    host = hostPort.substr(0, close + 1);
    std::string_view rest = hostPort.substr(close + 1);
    if (!rest.empty() && rest.front() != ':') return std::nullopt;
    if (!rest.empty()) port = rest.substr(1);
    for (char c : host.substr(1, host.size() - 2)) {
      if (!hostCharacter(lower(c)) && c != ':') return std::nullopt;
    }
  } else {
    const size_t colon = hostPort.find(':');
    if (colon != std::string_view::npos) {
      host = hostPort.substr(0, colon);
      port = hostPort.substr(colon + 1);
    }
    for (char c : host) {
      if (!hostCharacter(lower(c))) return std::nullopt;
    }
  }
  if (host.empty() || host == "[]") return std::nullopt;
  o.host = lowered(host);
  if (!port.empty()) {
    int number = 0;
    auto [end, ec] = std::from_chars(port.data(), port.data() + port.size(), number);
    if (ec != std::errc{} || end != port.data() + port.size() || number < 1 || number > 65535) {
      return std::nullopt;
    }
    o.port = number;
  }
  return o;
}

// Splits "scheme://authority rest"; false when the text has no http or https
// scheme followed by "//".
bool splitUrl(std::string_view url, std::string& scheme, std::string_view& authority,
              std::string_view& rest) {
  const size_t colon = url.find(':');
  if (colon == std::string_view::npos) return false;
  scheme = lowered(url.substr(0, colon));
  if (scheme != "http" && scheme != "https") return false;
  if (url.substr(colon + 1, 2) != "//") return false;
  url.remove_prefix(colon + 3);
  // A browser ends the authority at a backslash as at a slash.
  const size_t end = url.find_first_of("/\\?#");
  authority = url.substr(0, end);
  rest = end == std::string_view::npos ? std::string_view{} : url.substr(end);
  return true;
}

}  // namespace

std::optional<Origin> originOfUrl(std::string_view url) {
  std::string scheme;
  std::string_view authority, rest;
  if (!splitUrl(url, scheme, authority, rest)) return std::nullopt;
  const size_t at = authority.rfind('@');
  if (at != std::string_view::npos) authority.remove_prefix(at + 1);
  return parseHostPort(std::move(scheme), authority);
}

std::optional<Origin> originOfEntry(std::string_view entry) {
  std::string withScheme;
  if (entry.find("://") == std::string_view::npos) {
    withScheme = "https://" + std::string(entry);
    entry = withScheme;
  }
  std::string scheme;
  std::string_view authority, rest;
  if (!splitUrl(entry, scheme, authority, rest)) return std::nullopt;
  if (!(rest.empty() || rest == "/") || authority.find('@') != std::string_view::npos) {
    return std::nullopt;
  }
  return parseHostPort(std::move(scheme), authority);
}

bool siteAllowed(std::string_view pageUrl, std::string_view allowList) {
  const std::optional<Origin> page = originOfUrl(pageUrl);
  if (!page) return false;
  constexpr std::string_view kSeparators = ";, \t\r\n";
  while (!allowList.empty()) {
    const size_t start = allowList.find_first_not_of(kSeparators);
    if (start == std::string_view::npos) break;
    allowList.remove_prefix(start);
    const size_t end = allowList.find_first_of(kSeparators);
    if (originOfEntry(allowList.substr(0, end)) == page) return true;
    allowList.remove_prefix(end == std::string_view::npos ? allowList.size() : end);
  }
  return false;
}

std::optional<std::string> allowedSitesList() {
  std::string list;
  Platform& p = platform();
  if (p.registryRead(RegistryHive::LocalMachine, kAllowedSitesPolicyKey, kAllowedSitesValue,
                     list)) {
    return list;
  }
  const uint32_t why = p.lastError();
  if (why != kErrorFileNotFound && why != kErrorPathNotFound) return std::nullopt;
  if (p.registryRead(RegistryHive::LocalMachine, kAllowedSitesKey, kAllowedSitesValue, list)) {
    return list;
  }
  return std::nullopt;
}

}  // namespace torvex
