// libFuzzer target for the data-segment file of DWG 2013 drawings: any section reads into
// entries that point inside it, or fails with TvxDataSegFileError when it is empty.
#include "readers/dwg/vxDataSegFile.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto file = vx::TvxSegmentedFile::CreateFromMemory(nullptr, size, data);
  try {
    file->ReadFile();
  } catch (const vx::TvxDataSegFileError&) {
    return 0;
  }
  unsigned sum = 0;
  for (int i = 0; i < file->DataEntryCount(); ++i) {
    const vx::TvxDataSegmentEntry& e = file->GetDataEntry(i);
    for (uint32_t k = 0; e.Data && k < e.DataSize; k += 64) sum += e.Data[k];
    if (file->IndexOf(e.Header.Handle) < 0) __builtin_trap();
  }
  return static_cast<int>(sum & 0);
}
