#pragma once
// Marks a hot loop function for a second build for x86-64 processors with AVX2 (wider
// vectors, three-operand instructions), picked once when the module loads. Both builds
// compute the same IEEE operations: floating-point contraction stays off, so results
// do not depend on the processor. ThreadSanitizer builds go without: the picker runs
// while the program is being relocated, before that runtime is up. Define
// VL_NO_VECTOR_CLONES to measure the plain build alone.

#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__) && defined(__gnu_linux__) &&                \
    !defined(__SANITIZE_THREAD__) && !defined(VL_NO_VECTOR_CLONES)
#define VL_VECTOR_CLONES __attribute__((target_clones("arch=x86-64-v3", "default")))
#else
#define VL_VECTOR_CLONES
#endif
