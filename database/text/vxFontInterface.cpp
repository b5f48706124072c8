// The process-wide font provider.
#include "database/text/vxFontInterface.h"

#include <atomic>

namespace vx {

namespace {
std::atomic<TvxFontProvider*> gProvider{nullptr};
std::atomic<uint32_t> gGeneration{0};
}  // namespace

TvxFontProvider* FontProvider() { return gProvider.load(std::memory_order_acquire); }

TvxFontProvider* SetFontProvider(TvxFontProvider* p) {
  gGeneration.fetch_add(1, std::memory_order_acq_rel);
  return gProvider.exchange(p, std::memory_order_acq_rel);
}

uint32_t FontProviderGeneration() { return gGeneration.load(std::memory_order_acquire); }

}  // namespace vx
