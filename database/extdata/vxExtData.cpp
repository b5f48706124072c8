// Extended entity data.
#include "database/extdata/vxExtData.h"

#include "database/core/vxNames.h"

#include <algorithm>

namespace vx {

std::string CutExtDataText(std::string_view text) {
  size_t pos = 0, chars = 0;
  while (pos < text.size() && chars < cnstExtDataMaxLength) {
    const auto c = static_cast<unsigned char>(text[pos]);
    size_t len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 1;
    if (pos + len > text.size()) len = text.size() - pos;
    pos += len;
    ++chars;
  }
  return std::string(text.substr(0, pos));
}

// ---- TvxCADExtendedData ---------------------------------------------------------------------

void TvxCADExtendedData::SetSorted(bool v) {
  FFlags = v ? (FFlags | 2) : (FFlags & ~2);
  if (v)
    std::stable_sort(FData.begin(), FData.end(),
                     [](const TvxExtData& a, const TvxExtData& b) { return a.ECode < b.ECode; });
}

int TvxCADExtendedData::IndexOfKey(int key) const {
  if (UseCode()) return IndexOfCode(key);
  return key >= 0 && key < DataCount() ? key : -1;
}

const TvxExtData* TvxCADExtendedData::Data(int key) const {
  const int i = IndexOfKey(key);
  return i < 0 ? nullptr : &FData[static_cast<size_t>(i)];
}

TvxExtData* TvxCADExtendedData::Mutable(int key) {
  const int i = IndexOfKey(key);
  return i < 0 ? nullptr : &FData[static_cast<size_t>(i)];
}

TvxExtDataType TvxCADExtendedData::DataType(int key) const {
  const TvxExtData* d = Data(key);
  return d ? d->EType : edtUndefined;
}

int TvxCADExtendedData::DataCode(int key) const {
  const TvxExtData* d = Data(key);
  return d ? d->ECode : -1;
}

uint8_t TvxCADExtendedData::DataByte(int key) const {
  const TvxExtData* d = Data(key);
  return d && d->EType == edtByte ? static_cast<uint8_t>(d->Int) : 0;
}

int16_t TvxCADExtendedData::DataInt16(int key) const {
  const TvxExtData* d = Data(key);
  return d && d->EType == edtInt16 ? static_cast<int16_t>(d->Int) : 0;
}

int32_t TvxCADExtendedData::DataInt(int key) const {
  const TvxExtData* d = Data(key);
  return d && d->EType == edtInt ? static_cast<int32_t>(d->Int) : 0;
}

int64_t TvxCADExtendedData::DataInt64(int key) const {
  const TvxExtData* d = Data(key);
  return d && d->EType == edtInt64 ? d->Int : 0;
}

float TvxCADExtendedData::DataSingle(int key) const {
  const TvxExtData* d = Data(key);
  return d && d->EType == edtSingle ? static_cast<float>(d->Real) : 0.0f;
}

double TvxCADExtendedData::DataDouble(int key) const {
  const TvxExtData* d = Data(key);
  return d && d->EType == edtDouble ? d->Real : 0.0;
}

std::string TvxCADExtendedData::DataString(int key) const {
  const TvxExtData* d = Data(key);
  return d && d->EType == edtString ? d->Bytes : std::string();
}

TFPoint TvxCADExtendedData::DataPoint(int key) const {
  const TvxExtData* d = Data(key);
  return d && d->EType == edtF3DPoint ? d->Point : TFPoint{};
}

TF2DPoint TvxCADExtendedData::DataPoint2D(int key) const {
  const TvxExtData* d = Data(key);
  return d && d->EType == edtF2DPoint ? TF2DPoint{d->Point.X, d->Point.Y} : TF2DPoint{};
}

std::string TvxCADExtendedData::DataBinary(int key) const {
  const TvxExtData* d = Data(key);
  return d && d->EType == edtBinary ? d->Bytes : std::string();
}

TvxDXFEntity* TvxCADExtendedData::DataObject(int key) const {
  const TvxExtData* d = Data(key);
  return d && d->EType == edtObject ? d->Object : nullptr;
}

TvxExtDataVariant TvxCADExtendedData::DataVariant(int key) const {
  TvxExtDataVariant v;
  const TvxExtData* d = Data(key);
  if (!d) return v;
  v.Type = d->EType;
  v.Int = d->Int;
  v.Real = d->Real;
  v.Point = d->Point;
  if (d->EType == edtString || d->EType == edtBinary) v.Text = d->Bytes;
  return v;
}

// Writes keep the item's type: a value of another kind is ignored.
void TvxCADExtendedData::SetDataByte(int key, uint8_t v) {
  if (TvxExtData* d = Mutable(key); d && d->EType == edtByte) d->Int = v;
}
void TvxCADExtendedData::SetDataInt16(int key, int16_t v) {
  if (TvxExtData* d = Mutable(key); d && d->EType == edtInt16) d->Int = v;
}
void TvxCADExtendedData::SetDataInt(int key, int32_t v) {
  if (TvxExtData* d = Mutable(key); d && d->EType == edtInt) d->Int = v;
}
void TvxCADExtendedData::SetDataInt64(int key, int64_t v) {
  if (TvxExtData* d = Mutable(key); d && d->EType == edtInt64) d->Int = v;
}
void TvxCADExtendedData::SetDataSingle(int key, float v) {
  if (TvxExtData* d = Mutable(key); d && d->EType == edtSingle) d->Real = v;
}
void TvxCADExtendedData::SetDataDouble(int key, double v) {
  if (TvxExtData* d = Mutable(key); d && d->EType == edtDouble) d->Real = v;
}
void TvxCADExtendedData::SetDataString(int key, std::string_view text) {
  if (TvxExtData* d = Mutable(key); d && d->EType == edtString) d->Bytes = CutExtDataText(text);
}
void TvxCADExtendedData::SetDataPoint(int key, const TFPoint& p) {
  if (TvxExtData* d = Mutable(key); d && d->EType == edtF3DPoint) d->Point = p;
}
void TvxCADExtendedData::SetDataPoint2D(int key, const TF2DPoint& p) {
  if (TvxExtData* d = Mutable(key); d && d->EType == edtF2DPoint) d->Point = {p.X, p.Y, 0};
}
void TvxCADExtendedData::SetDataObject(int key, TvxDXFEntity* e) {
  if (TvxExtData* d = Mutable(key); d && d->EType == edtObject) d->Object = e;
}

void TvxCADExtendedData::ChangeType(int key, TvxExtDataType type) {
  TvxExtData* d = Mutable(key);
  if (!d || d->EType == type) return;
  const int16_t code = d->ECode;
  *d = TvxExtData{};
  d->EType = type;
  d->ECode = code;
}

int TvxCADExtendedData::Append(TvxExtData item) {
  if (Sorted()) {
    // After the items of the same code: file order is kept among equal codes.
    auto it = std::upper_bound(FData.begin(), FData.end(), item.ECode,
                               [](int16_t c, const TvxExtData& d) { return c < d.ECode; });
    return static_cast<int>(FData.insert(it, std::move(item)) - FData.begin());
  }
  FData.push_back(std::move(item));
  return DataCount() - 1;
}

namespace {

TvxExtData Item(TvxExtDataType type, int code) {
  TvxExtData d;
  d.EType = type;
  d.ECode = static_cast<int16_t>(code);
  return d;
}

}  // namespace

int TvxCADExtendedData::AddByte(int code, uint8_t v) {
  TvxExtData d = Item(edtByte, code);
  d.Int = v;
  return Append(std::move(d));
}
int TvxCADExtendedData::AddInt16(int code, int16_t v) {
  TvxExtData d = Item(edtInt16, code);
  d.Int = v;
  return Append(std::move(d));
}
int TvxCADExtendedData::AddInt(int code, int32_t v) {
  TvxExtData d = Item(edtInt, code);
  d.Int = v;
  return Append(std::move(d));
}
int TvxCADExtendedData::AddInt64(int code, int64_t v) {
  TvxExtData d = Item(edtInt64, code);
  d.Int = v;
  return Append(std::move(d));
}
int TvxCADExtendedData::AddSingle(int code, float v) {
  TvxExtData d = Item(edtSingle, code);
  d.Real = v;
  return Append(std::move(d));
}
int TvxCADExtendedData::AddDouble(int code, double v) {
  TvxExtData d = Item(edtDouble, code);
  d.Real = v;
  return Append(std::move(d));
}
int TvxCADExtendedData::AddString(int code, std::string_view text) {
  TvxExtData d = Item(edtString, code);
  d.Bytes = CutExtDataText(text);
  return Append(std::move(d));
}
int TvxCADExtendedData::AddPoint(int code, const TFPoint& p) {
  TvxExtData d = Item(edtF3DPoint, code);
  d.Point = p;
  return Append(std::move(d));
}
int TvxCADExtendedData::AddPoint2D(int code, const TF2DPoint& p) {
  TvxExtData d = Item(edtF2DPoint, code);
  d.Point = {p.X, p.Y, 0};
  return Append(std::move(d));
}
int TvxCADExtendedData::AddObject(int code, TvxDXFEntity* e) {
  TvxExtData d = Item(edtObject, code);
  d.Object = e;
  return Append(std::move(d));
}

int TvxCADExtendedData::AddBinary(int code, size_t count, const uint8_t* bytes) {
  TvxExtData d = Item(edtBinary, code);
  if (bytes) d.Bytes.assign(reinterpret_cast<const char*>(bytes), std::min(count, cnstExtDataMaxLength));
  return Append(std::move(d));
}

int TvxCADExtendedData::AddBinary(int code, std::string_view hex) {
  auto nibble = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  std::string bytes;
  for (size_t i = 0; i + 1 < hex.size() && bytes.size() < cnstExtDataMaxLength; i += 2) {
    const int hi = nibble(hex[i]), lo = nibble(hex[i + 1]);
    if (hi < 0 || lo < 0) break;
    bytes.push_back(static_cast<char>(hi * 16 + lo));
  }
  return AddBinary(code, bytes.size(), reinterpret_cast<const uint8_t*>(bytes.data()));
}

int TvxCADExtendedData::AddComplexInt16(int code, int16_t v) {
  AddInt16(1070, static_cast<int16_t>(code));
  return AddInt16(1070, v);
}
int TvxCADExtendedData::AddComplexInt32(int code, int32_t v) {
  AddInt16(1070, static_cast<int16_t>(code));
  return AddInt(1071, v);
}
int TvxCADExtendedData::AddComplexDouble(int code, double v) {
  AddInt16(1070, static_cast<int16_t>(code));
  return AddDouble(1040, v);
}
int TvxCADExtendedData::AddComplexString(int code, std::string_view text) {
  AddInt16(1070, static_cast<int16_t>(code));
  return AddString(1000, text);
}
int TvxCADExtendedData::AddComplexPoint(int code, const TFPoint& p) {
  AddInt16(1070, static_cast<int16_t>(code));
  return AddPoint(1010, p);
}

bool TvxCADExtendedData::HasCode(int code, int& index) const {
  index = IndexOfCode(code);
  return index >= 0;
}

int TvxCADExtendedData::IndexOfCode(int code) const {
  for (int i = 0; i < DataCount(); ++i)
    if (FData[static_cast<size_t>(i)].ECode == code) return i;
  return -1;
}

bool TvxCADExtendedData::IsEqualName(std::string_view name) const {
  return !FData.empty() && FData[0].EType == edtString && FData[0].ECode == 1001 &&
         SameName(FData[0].Bytes, name);
}

bool TvxCADExtendedData::IsEqualSubName(std::string_view name) const {
  return FData.size() > 1 && FData[1].EType == edtString && FData[1].ECode == 1000 &&
         SameName(FData[1].Bytes, name);
}

std::string TvxCADExtendedData::AppName() const {
  return !FData.empty() && FData[0].EType == edtString && FData[0].ECode == 1001 ? FData[0].Bytes
                                                                                 : std::string();
}

int TvxCADExtendedData::ExtractEEDType(std::string& groupName, int& typeNumber, int lastIndex) const {
  typeNumber = -1;
  const int last = std::min(lastIndex, DataCount() - 1);
  bool open = false, codeSeen = false;
  int code = 0, i = 0;
  for (; i <= last; ++i) {
    const TvxExtData& d = FData[static_cast<size_t>(i)];
    if (d.EType == edtString && d.ECode == 1000) {
      groupName = d.Bytes;
    } else if (d.EType == edtString && d.ECode == 1002) {
      open = d.Bytes == "{";
      codeSeen = false;
    } else if (d.EType == edtByte) {
      open = d.Int == 0;
      codeSeen = false;
    } else if (open && (d.EType == edtInt16 || d.EType == edtInt)) {
      if (!codeSeen) {
        if (d.EType == edtInt16) {
          code = static_cast<int>(d.Int);
          codeSeen = true;
        }
      } else if (code == 70) {
        typeNumber = static_cast<int>(d.Int);
        return i;
      } else {
        codeSeen = false;
      }
    }
  }
  return i;
}

void TvxCADExtendedData::AssignData(const TvxCADExtendedData& source) {
  if (&source == this) return;
  FData = source.FData;
  FFlags = source.FFlags;
}

// ---- collections ----------------------------------------------------------------------------

TvxCADExtendedData* TvxEEDCollection::Find(uint64_t appHandle) const {
  auto it = std::lower_bound(FItems.begin(), FItems.end(), appHandle,
                             [](const auto& item, uint64_t h) { return item.first < h; });
  return it != FItems.end() && it->first == appHandle ? it->second.get() : nullptr;
}

void TvxEEDCollection::Set(uint64_t appHandle, std::unique_ptr<TvxCADExtendedData> data) {
  auto it = std::lower_bound(FItems.begin(), FItems.end(), appHandle,
                             [](const auto& item, uint64_t h) { return item.first < h; });
  const bool present = it != FItems.end() && it->first == appHandle;
  if (!data) {
    if (present) FItems.erase(it);
    return;
  }
  if (present) {
    if (it->second.get() != data.get()) it->second = std::move(data);
    else data.release();  // the same container: already owned here
    return;
  }
  FItems.emplace(it, appHandle, std::move(data));
}

void TvxEEDCollection::SetRaw(uint64_t appHandle, TvxCADExtendedData* data) {
  if (data && Find(appHandle) == data) return;
  Set(appHandle, std::unique_ptr<TvxCADExtendedData>(data));
}

const TvxEEDCollection* TvxEEDStore::Items(uint64_t entityHandle) const {
  auto it = FItems.find(entityHandle);
  return it == FItems.end() ? nullptr : &it->second;
}

TvxCADExtendedData* TvxEEDStore::Find(uint64_t entityHandle, uint64_t appHandle) const {
  const TvxEEDCollection* c = Items(entityHandle);
  return c ? c->Find(appHandle) : nullptr;
}

void TvxEEDStore::Set(uint64_t entityHandle, uint64_t appHandle, TvxCADExtendedData* data) {
  auto it = FItems.find(entityHandle);
  if (!data) {
    if (it == FItems.end()) return;
    it->second.SetRaw(appHandle, nullptr);
    if (it->second.Count() == 0) FItems.erase(it);
    return;
  }
  FItems[entityHandle].SetRaw(appHandle, data);
}

// ---- hyperlinks -----------------------------------------------------------------------------

bool ExtDataFromHyperLink(const std::string& hyperLink, TvxCADExtendedData& data) {
  if (hyperLink.empty()) return false;
  const size_t hash = hyperLink.find('#');
  const std::string before = hash == std::string::npos ? hyperLink : hyperLink.substr(0, hash);
  const std::string after = hash == std::string::npos ? hyperLink : hyperLink.substr(hash + 1);
  data.AddString(1001, cnstHyperLinkApp);
  data.AddString(1000, after);
  data.AddString(1002, "{");
  data.AddString(1000, before);
  data.AddString(1002, "{");
  data.AddInt(1071, 1);
  data.AddString(1002, "}");
  data.AddString(1002, "}");
  return true;
}

bool HyperLinkFromExtData(const TvxCADExtendedData& data, std::string& hyperLink) {
  if (data.DataCount() == 0 || !SameName(data.AppName(), cnstHyperLinkApp)) return false;
  std::vector<std::string> texts;
  for (const TvxExtData& d : data.Items()) {
    if (d.EType == edtString && d.ECode == 1000) texts.push_back(d.Bytes);
    if (texts.size() == 2) break;
  }
  if (texts.empty()) return false;
  // A link written without "#" carries itself twice; one text alone is the whole link too.
  if (texts.size() == 1 || texts[0] == texts[1]) hyperLink = texts[0];
  else hyperLink = texts[1] + "#" + texts[0];
  return true;
}

}  // namespace vx
