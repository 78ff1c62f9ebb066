#include "platform/desktop/vector_state.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace platform {

#if defined(__x86_64__) || defined(__i386__)

namespace {

__attribute__((target("avx"))) void ZeroUpperHalves() {
  _mm256_zeroupper();
}

bool HasAvx() {
  static const bool hasAvx = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx") != 0;
  }();
  return hasAvx;
}

}  // namespace

void ClearUpperVectorState() {
  if (HasAvx()) ZeroUpperHalves();
}

#else

void ClearUpperVectorState() {}

#endif

}  // namespace platform
