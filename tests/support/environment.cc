#include "tests/support/environment.h"

#include <cstdlib>
#include <ctime>

#ifndef _WIN32
#include "platform/platform_posix.h"
#endif

namespace torvex::testing {

void setVariable(const char* name, const char* value) {
#ifdef _WIN32
  _putenv_s(name, value ? value : "");
  _tzset();
#else
  if (value) {
    ::setenv(name, value, 1);
  } else {
    ::unsetenv(name);
  }
  tzset();
  reloadEnvironment();
#endif
}

}  // namespace torvex::testing
