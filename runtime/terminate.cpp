// The programs' terminate handler. The static C++ library's default one names the exception's type through
// its demangler, 46 KB of code that an uncaught exception alone would use; this one states the reason and
// ends the program the same way (abort). Linking it replaces the library's handler of the same name.
#include <cxxabi.h>

#include <cstdio>
#include <cstdlib>
#include <exception>

namespace __gnu_cxx {

void __verbose_terminate_handler() {
  std::fputs("terminate called", stderr);
  if (abi::__cxa_current_exception_type() != nullptr) {
    try {
      throw;  // the exception in flight, to read its message
    } catch (const std::exception& error) {
      std::fputs(": ", stderr);
      std::fputs(error.what(), stderr);
    } catch (...) {
    }
  }
  std::fputs("\n", stderr);
  std::abort();
}

}  // namespace __gnu_cxx
