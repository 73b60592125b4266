// Sixteen bytes at a time with SSSE3's byte shuffle where the processor has it, a pixel at a
// time for the rest of a row and elsewhere.
#include "engine/swizzle.h"

#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <tmmintrin.h>
#define MILLCONV_SWIZZLE_SSSE3 1
#if __has_include(<sys/platform/x86.h>) // glibc 2.33 and later
// The header's inline functions return _Bool, a C type that only GCC accepts in strict C++.
#ifndef _Bool
#define _Bool bool
#define MILLCONV_BOOL_SPELLING 1
#endif
#include <sys/platform/x86.h>
#ifdef MILLCONV_BOOL_SPELLING
#undef _Bool
#undef MILLCONV_BOOL_SPELLING
#endif
#define MILLCONV_GLIBC_CPU_FEATURES 1
#else
#include <cpuid.h>
#endif
#endif

namespace millconv {

namespace {

void RgbToBgrScalar(const unsigned char* in, unsigned char* out, size_t pixels) {
    for (size_t x = 0; x < pixels; ++x, in += 3, out += 3) {
        out[0] = in[2];
        out[1] = in[1];
        out[2] = in[0];
    }
}

bool RgbaToBgraScalar(const unsigned char* in, unsigned char* out, size_t pixels) {
    unsigned opaque = 255;
    for (size_t x = 0; x < pixels; ++x, in += 4, out += 4) {
        out[0] = in[2];
        out[1] = in[1];
        out[2] = in[0];
        out[3] = in[3];
        opaque &= in[3];
    }
    return opaque != 255;
}

#ifdef MILLCONV_SWIZZLE_SSSE3

// Each CPUID traps to the hypervisor on a virtual machine, about 9 µs. The C library has asked
// the processor already at start-up, so its answer is taken where it offers one; otherwise one
// leaf, asked on first use. (__builtin_cpu_supports would link a start-up routine that asks a
// dozen leaves in every run.)
bool HasSsse3() {
    static const bool has = [] {
#ifdef MILLCONV_GLIBC_CPU_FEATURES
        return CPU_FEATURE_ACTIVE(SSSE3);
#else
        unsigned eax = 0;
        unsigned ebx = 0;
        unsigned ecx = 0;
        unsigned edx = 0;
        __cpuid(1, eax, ebx, ecx, edx);
        return (ecx & bit_SSSE3) != 0;
#endif
    }();
    return has;
}

// Five pixels per step: sixteen bytes read and written, the last one rewritten by the next
// step; six pixels must remain so that neither runs past its row.
__attribute__((target("ssse3"))) size_t RgbToBgrSsse3(const unsigned char* in,
                                                      unsigned char* out, size_t pixels) {
    const __m128i order = _mm_setr_epi8(2, 1, 0, 5, 4, 3, 8, 7, 6, 11, 10, 9, 14, 13, 12, 15);
    size_t done = 0;
    for (; pixels - done >= 6; done += 5, in += 15, out += 15) {
        const __m128i rgb = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_shuffle_epi8(rgb, order));
    }
    return done;
}

// Four pixels per step; the alphas are gathered in one register by AND.
__attribute__((target("ssse3"))) size_t RgbaToBgraSsse3(const unsigned char* in,
                                                        unsigned char* out, size_t pixels,
                                                        bool& translucent) {
    const __m128i order = _mm_setr_epi8(2, 1, 0, 3, 6, 5, 4, 7, 10, 9, 8, 11, 14, 13, 12, 15);
    __m128i all = _mm_set1_epi8(-1);
    size_t done = 0;
    for (; pixels - done >= 4; done += 4, in += 16, out += 16) {
        const __m128i rgba = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
        all = _mm_and_si128(all, rgba);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_shuffle_epi8(rgba, order));
    }
    const int opaque = _mm_movemask_epi8(_mm_cmpeq_epi8(all, _mm_set1_epi8(-1)));
    translucent = (opaque & 0x8888) != 0x8888;
    return done;
}

#endif

} // namespace

void RgbToBgr(const unsigned char* in, unsigned char* out, size_t pixels) {
    size_t done = 0;
#ifdef MILLCONV_SWIZZLE_SSSE3
    if (HasSsse3()) {
        done = RgbToBgrSsse3(in, out, pixels);
    }
#endif
    RgbToBgrScalar(in + 3 * done, out + 3 * done, pixels - done);
}

bool RgbaToBgra(const unsigned char* in, unsigned char* out, size_t pixels) {
    size_t done = 0;
    bool translucent = false;
#ifdef MILLCONV_SWIZZLE_SSSE3
    if (HasSsse3()) {
        done = RgbaToBgraSsse3(in, out, pixels, translucent);
    }
#endif
    return RgbaToBgraScalar(in + 4 * done, out + 4 * done, pixels - done) || translucent;
}

} // namespace millconv
