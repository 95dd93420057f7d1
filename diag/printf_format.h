#pragma once
// The printf flavour to check format strings against: mingw's own (C99)
// printf on Windows, the C library's elsewhere.

#include <cstdio> // defines __MINGW_PRINTF_FORMAT with mingw

#if defined(__MINGW32__)
#define PELRIN_PRINTF_FORMAT __MINGW_PRINTF_FORMAT
#else
#define PELRIN_PRINTF_FORMAT printf
#endif
