#include "base/cpu_core.h"

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#endif

bool CpuHasSse2() {
#if defined(__x86_64__)
    return true;
#elif defined(__i386__)
    static const bool has = [] {
        unsigned a = 0, b = 0, c = 0, d = 0;
        return __get_cpuid(1, &a, &b, &c, &d) && (d & bit_SSE2) != 0;
    }();
    return has;
#else
    return false;
#endif
}

PixelPath FastestPixelPath() { return CpuHasSse2() ? PixelPath::Sse2 : PixelPath::Scalar; }

const char* PixelPathName(PixelPath path) { return path == PixelPath::Sse2 ? "SSE2" : "scalar"; }
