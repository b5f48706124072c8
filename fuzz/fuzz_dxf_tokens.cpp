// libFuzzer target for the DXF tokenizers: any bytes must end in the closing pair or a clean
// EdxfReadError, with every accessor used on every pair. The first byte picks the tokenizer and
// the text decoding; the rest is the file.
#include "readers/dxf/DXF.h"

#include <cstddef>
#include <cstdint>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint8_t mode = data[0];
  ++data;
  --size;
  std::unique_ptr<vx::TdxfReader> r;
  switch (mode & 3) {
    case 0: r = vx::CreateDXFTokenReader(data, size); break;
    case 1: r = std::make_unique<vx::TdxfReader>(data, size); break;
    case 2: r = std::make_unique<vx::TdxfBinReader>(data, size, 1); break;
    default: r = std::make_unique<vx::TdxfBinReader>(data, size, 2); break;
  }
  static constexpr int kCodePages[] = {0, 1252, 1251, 932, 936, 949, 950, 1200};
  r->SetCodePage(kCodePages[(mode >> 2) & 7]);
  r->SetUnicodeText((mode & 0x20) != 0);
  size_t steps = 0;
  try {
    while (!r->AtEndPair()) {
      r->Next();
      if (++steps > size + 2) __builtin_trap();  // the tokenizer stopped advancing
      r->Value();
      r->UValue();
      r->IntValue();
      r->Int64Value();
      r->FloatValue();
      r->HandleValue();
      r->Eof();
      if ((mode & 0x40) && steps == 50) r->StopLoading();
    }
  } catch (const vx::EdxfReadError&) {
  }
  return 0;
}
