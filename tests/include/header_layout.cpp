// The layout, macro and prototype checks of header_layout.c compiled as
// C++17: type identity is checked with std::is_same instead of _Generic,
// and C++ rejects conversions C only warns about.
#include "header_layout.c"
