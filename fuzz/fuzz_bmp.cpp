// libFuzzer target for the BMP decoder: any bytes must load or end in EvxBitmapError. What
// loads is also turned, reduced and written again, so every path over decoded pixels runs.
#include "foundation/vxBitmap.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Small pictures only: a valid header may ask for 512 MiB of rows, which says nothing new.
  vx::TvxBitmap::SetMaxPixelBytes(size_t{8} << 20);
  vx::TvxBitmap b;
  try {
    b.LoadFromBytes({data, size});
  } catch (const vx::EvxBitmapError&) {
    return 0;
  }
  if (b.Empty()) __builtin_trap();  // a successful load always has pixels
  const std::vector<uint8_t> saved = b.SaveToBytes();
  vx::TvxBitmap again;
  again.LoadFromBytes(saved);  // our own file must read back
  if (again.Width() != b.Width() || again.Height() != b.Height()) __builtin_trap();
  if (static_cast<size_t>(b.Width()) * b.Height() <= 1u << 16) {
    b.Rotate(90);
    b.Rotate(180);
    (void)b.CreateReducedCopy(4);
  }
  return 0;
}
