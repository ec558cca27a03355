#pragma once
// Whether the engine may use SSE2 to look at sixteen bytes at a time. Every
// x86-64 processor has it; a 32-bit build has it when asked for. KIV_NO_SIMD
// turns it off, so that the plain loops that every other processor runs are
// compiled and tested here too.

#if !defined(KIV_NO_SIMD) && (defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2))
#include <emmintrin.h>
#define KIV_HAVE_SSE2 1
#endif
