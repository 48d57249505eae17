#pragma once

// Which wider instruction sets the processor offers, for the pixel loops
// that keep a copy compiled for them and choose it at run time.

#if defined(__GNUC__) && defined(__x86_64__)
#define KX_PIXELS_X86 1

namespace KXCpu {

inline bool HasAvx2()
{
    // The explicit init makes the check safe even from a static constructor.
    static const bool has = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") != 0;
    }();
    return has;
}

inline bool HasAvx512()
{
    static const bool has = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx512f") != 0 && __builtin_cpu_supports("avx512vl") != 0
            && __builtin_cpu_supports("avx512dq") != 0 && __builtin_cpu_supports("avx512bw") != 0;
    }();
    return has;
}

} // namespace KXCpu

#endif
