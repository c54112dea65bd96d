// The sites whose pages may call the object when a browser hosts it: an
// allow list of origins (scheme, host and port) that an administrator sets,
// and the match of a page's URL against it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace torvex {

// Where the list is read, under HKEY_LOCAL_MACHINE, value kAllowedSitesValue:
// the group-policy key first; the installer's key only when the policy key
// holds no such value.
inline constexpr const char* kAllowedSitesPolicyKey = "SOFTWARE\\Policies\\TORVEX";
inline constexpr const char* kAllowedSitesKey = "SOFTWARE\\TORVEX";
inline constexpr const char* kAllowedSitesValue = "AllowedSites";

// An origin: lower-case scheme ("http" or "https") and host, and the port,
// the scheme's default when the text names none.
struct Origin {
  std::string scheme, host;
  int port = 0;
  bool operator==(const Origin&) const = default;
};

// The origin of an absolute http or https URL; nothing for any other scheme
// and for text that is no such URL (no "//", an empty or malformed host, a
// port outside 1-65535).
std::optional<Origin> originOfUrl(std::string_view url);

// The origin an allow-list entry names: "https://host[:port]" or
// "http://host[:port]", with at most a trailing "/"; without a scheme, https.
// Nothing for an entry with a path, a query, user information or another
// scheme: it allows no page.
std::optional<Origin> originOfEntry(std::string_view entry);

// True when the page's URL has exactly the origin of one entry of the list.
// Entries are separated by ";", "," or white space.
bool siteAllowed(std::string_view pageUrl, std::string_view allowList);

// The allow list as the administrator set it; nothing when neither key holds
// the value, or when the policy's value is there but cannot be read (a
// policy never falls back to a weaker list).
std::optional<std::string> allowedSitesList();

}  // namespace torvex
