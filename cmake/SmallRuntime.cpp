// Linked into every binary Tallybox ships (cmake/Shipping.cmake).
//
// An exception that nothing catches ends the process through the terminate
// handler. The runtime's default one prints the exception's demangled type on
// the console and then aborts; a windowed program and a DLL have no console,
// so this one aborts at once, and the demangler stays out of the binary.
#include <cstdlib>

namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx
