#include "component/site_lock.h"

#include "component/allowed_sites.h"
#include "component/site_url.h"

namespace torvex {

bool siteMayCall(DWORD safetyOptions, IUnknown* site) {
  if ((safetyOptions & INTERFACESAFE_FOR_UNTRUSTED_CALLER) == 0) return true;
  const std::string url = siteUrl(site);
  if (url.empty()) return false;
  const std::optional<std::string> list = allowedSitesList();
  return list && siteAllowed(url, *list);
}

}  // namespace torvex
