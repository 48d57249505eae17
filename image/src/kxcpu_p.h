#pragma once

// Which wider instruction sets the processor offers, for the pixel loops
// that keep a copy compiled for them and choose it at run time.

#if defined(__GNUC__) && defined(__x86_64__)
#define KX_PIXELS_X86 1

#include <cstdlib>
#include <cstring>

namespace KXCpu {

// Whether the environment variable VORN_NO_CPU_FEATURE names the feature (a
// word of a list such as "avx2 avx512"): it is then treated as missing, so
// that the narrower copies can be run, and tested, on any machine.
inline bool Disabled(const char* feature)
{
    const char* names = std::getenv("VORN_NO_CPU_FEATURE");
    if (!names)
        return false;
    const size_t length = std::strlen(feature);
    const auto separator = [](char c) { return c == ' ' || c == ','; };
    for (const char* at = std::strstr(names, feature); at; at = std::strstr(at + 1, feature)) {
        if ((at == names || separator(at[-1])) && (at[length] == '\0' || separator(at[length])))
            return true;
    }
    return false;
}

inline bool HasAvx2()
{
    // The explicit init makes the check safe even from a static constructor.
    static const bool has = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") != 0 && !Disabled("avx2");
    }();
    return has;
}

inline bool HasAvx512()
{
    static const bool has = [] {
        __builtin_cpu_init();
        return HasAvx2() && __builtin_cpu_supports("avx512f") != 0 && __builtin_cpu_supports("avx512vl") != 0
            && __builtin_cpu_supports("avx512dq") != 0 && __builtin_cpu_supports("avx512bw") != 0
            && !Disabled("avx512");
    }();
    return has;
}

} // namespace KXCpu

#endif
