// What ends the launcher when a C++ exception finds no handler. The library's
// own handler would print the exception's demangled type to the standard error
// stream, which a GUI program does not have, and it brings the demangler along:
// a quarter of the executable. Ending the same way without the report keeps
// the launcher small.
#include <cstdlib>

namespace __gnu_cxx {

void __verbose_terminate_handler() { std::abort(); }

} // namespace __gnu_cxx
