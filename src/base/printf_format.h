// Lets the compiler check the arguments of printf-style members. MinGW's
// own printf family follows C99 (as this code needs for %zu and %llu), which
// its compiler calls gnu_printf; its plain "printf" means the older system
// runtime's rules and warns on them. Compilers without the attribute get
// nothing.
#pragma once

#if defined(__MINGW32__)
#define ROMSCOPE_PRINTF_FORMAT(formatIndex, firstArgument) \
  __attribute__((format(gnu_printf, formatIndex, firstArgument)))
#elif defined(__GNUC__)
#define ROMSCOPE_PRINTF_FORMAT(formatIndex, firstArgument) \
  __attribute__((format(printf, formatIndex, firstArgument)))
#else
#define ROMSCOPE_PRINTF_FORMAT(formatIndex, firstArgument)
#endif
