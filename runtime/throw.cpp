// The C++ library's error exits for its containers and strings. The library's own versions live in one
// object with every other error exit, whose logic_error family brings the old string implementation with it
// (about 45 KB in a static program). Nothing in these programs catches those errors, so an uncaught throw
// would end the program in the terminate handler: these end it the same way at once, with the same words.
// Running out of memory still throws std::bad_alloc, as the library does. Linking this file replaces the
// library's definitions of the same names.
#include <bits/functexcept.h>

#include <cstdio>
#include <cstdlib>
#include <new>

namespace {

[[noreturn]] void Stop(const char* what) {
  std::fputs("terminate called: ", stderr);
  std::fputs(what, stderr);
  std::fputs("\n", stderr);
  std::abort();
}

}  // namespace

namespace std {

void __throw_bad_alloc() { throw bad_alloc(); }
void __throw_bad_array_new_length() { throw bad_array_new_length(); }
void __throw_logic_error(const char* what) { Stop(what); }
void __throw_invalid_argument(const char* what) { Stop(what); }
void __throw_length_error(const char* what) { Stop(what); }
void __throw_out_of_range(const char* what) { Stop(what); }
void __throw_out_of_range_fmt(const char* format, ...) { Stop(format); }  // the message unexpanded

}  // namespace std
