// Smaller replacements for parts of the static C++ runtime that neither binary needs whole:
// the verbose terminate handler (it brings in the name demangler) and the throw helpers of the
// standard containers (they bring in a second, copy-on-write string ABI for their messages).
// Linked as objects into both binaries, so the linker takes these definitions before the library's.
#include <cstdlib>
#include <new>

// Only libstdc++ has these hooks.
#if defined(__GLIBCXX__)

namespace __gnu_cxx {
// Nothing would show the message anyway: the program has no console.
void __verbose_terminate_handler() {
    std::abort();
}
} // namespace __gnu_cxx

namespace std {
// Every failure inside a container stays an exception, only without its message: the callers
// catch them all alike (a failed save, a failed COM call), and none is worth a second string ABI.
void __throw_bad_alloc() {
    throw std::bad_alloc();
}
void __throw_bad_array_new_length() {
    throw std::bad_alloc();
}
void __throw_length_error(const char*) {
    throw std::bad_alloc();
}
void __throw_logic_error(const char*) {
    throw std::bad_alloc();
}
void __throw_out_of_range(const char*) {
    throw std::bad_alloc();
}
void __throw_out_of_range_fmt(const char*, ...) {
    throw std::bad_alloc();
}
void __throw_invalid_argument(const char*) {
    throw std::bad_alloc();
}
void __throw_bad_function_call() {
    throw std::bad_alloc();
}
} // namespace std

#endif
