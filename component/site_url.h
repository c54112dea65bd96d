// The URL of the page that holds the object, as its container tells it.
#pragma once

#include <string>

#include "com/com.h"

namespace torvex {

// Asked of the site that the container gave through IObjectWithSite: the
// display name of the container document's moniker (IOleClientSite), or
// else the browser's LocationURL (IServiceProvider, late-bound). Characters
// outside printable ASCII become 0x7F, which no host name holds, so that
// such a URL can match no allowed site. Empty when the site tells neither.
std::string siteUrl(IUnknown* site);

}  // namespace torvex
