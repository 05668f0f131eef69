// The two paths of the loops that scan or write many pixels: plain code every x86 processor runs, and SSE2, which
// a 32-bit Windows program cannot take for granted. Both give the same pixels; the program takes the fastest the
// processor has, asked once.
#pragma once

enum class PixelPath { Scalar, Sse2 };

bool CpuHasSse2();
// Sse2 when the processor has it, else Scalar.
PixelPath FastestPixelPath();
const char* PixelPathName(PixelPath path);

#if defined(__i386__) || defined(__x86_64__)
// The SSE2 paths exist; elsewhere PixelPath::Sse2 takes the scalar one.
#define KOLVEX_X86 1
#endif

// Marks a function whose body uses SSE2 intrinsics, so that a build for processors without SSE2 still compiles it
// for SSE2; such a function only runs when CpuHasSse2().
#if defined(__i386__) && !defined(__SSE2__)
#define KOLVEX_SSE2 __attribute__((target("sse2")))
#else
#define KOLVEX_SSE2
#endif
