// vxExtData: extended entity data.
//
//  - TvxCADExtendedData: one application's typed list of group-code/value items (extended data of
//    an entity, the data of an XRECORD). Items are addressed by index or, with UseCode, by group
//    code; a missing item reads as the neutral value and ignores writes. Texts and binary chunks
//    are cut at 255 characters or bytes, never refused.
//  - TvxEEDCollection: the containers of one entity, keyed by application handle, owned.
//  - TvxEEDStore: what the converter keeps, entity handle -> collection.
//  - The hyperlink translation of the "PE_URL" application (ExtDataFromHyperLink,
//    HyperLinkFromExtData).
#pragma once

#include "foundation/vxConsts.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vx {

class TvxDXFEntity;

enum class TvxExtDataType : uint8_t {
  edtUndefined, edtByte, edtInt16, edtInt, edtInt64, edtSingle, edtDouble, edtString,
  edtF2DPoint, edtF3DPoint, edtBinary, edtObject
};
using enum TvxExtDataType;

// Longest text and binary chunk an item keeps.
constexpr size_t cnstExtDataMaxLength = 255;

// One item. The value lives in the member its type names; the others stay neutral.
struct TvxExtData {
  TvxExtDataType EType = edtUndefined;
  int16_t ECode = 0;
  int64_t Int = 0;              // byte, 16-, 32- and 64-bit integers
  double Real = 0;              // single and double
  TFPoint Point;                // 2D and 3D points
  std::string Bytes;            // text or binary chunk
  TvxDXFEntity* Object = nullptr;  // non-owning
};

// The value of an item as one of its kinds, for generic readers (the property grid, dumps).
struct TvxExtDataVariant {
  TvxExtDataType Type = edtUndefined;
  int64_t Int = 0;
  double Real = 0;
  TFPoint Point;
  std::string Text;
};

class TvxCADExtendedData {
 public:
  TvxCADExtendedData() = default;
  TvxCADExtendedData(const TvxCADExtendedData&) = delete;
  TvxCADExtendedData& operator=(const TvxCADExtendedData&) = delete;

  int DataCount() const { return static_cast<int>(FData.size()); }
  bool Sorted() const { return (FFlags & 2) != 0; }
  // Stores the flag and puts the items in (stable) group-code order when set.
  void SetSorted(bool v);
  bool UseCode() const { return (FFlags & 1) != 0; }
  void SetUseCode(bool v) { FFlags = v ? (FFlags | 1) : (FFlags & ~1); }
  uint8_t Flags() const { return FFlags; }

  // ---- reads (index, or group code with UseCode) ----
  const TvxExtData* Data(int key) const;
  TvxExtDataType DataType(int key) const;
  // -1 when the item is missing.
  int DataCode(int key) const;
  uint8_t DataByte(int key) const;
  int16_t DataInt16(int key) const;
  int32_t DataInt(int key) const;
  int64_t DataInt64(int key) const;
  float DataSingle(int key) const;
  double DataDouble(int key) const;
  // The empty text for an item that is not a text.
  std::string DataString(int key) const;
  TFPoint DataPoint(int key) const;
  TF2DPoint DataPoint2D(int key) const;
  // The bytes of a binary item (empty for any other).
  std::string DataBinary(int key) const;
  TvxDXFEntity* DataObject(int key) const;
  TvxExtDataVariant DataVariant(int key) const;

  // ---- writes (ignored for a missing item; the item's type is kept) ----
  void SetDataByte(int key, uint8_t v);
  void SetDataInt16(int key, int16_t v);
  void SetDataInt(int key, int32_t v);
  void SetDataInt64(int key, int64_t v);
  void SetDataSingle(int key, float v);
  void SetDataDouble(int key, double v);
  // Cut at 255 characters.
  void SetDataString(int key, std::string_view text);
  void SetDataPoint(int key, const TFPoint& p);
  void SetDataPoint2D(int key, const TF2DPoint& p);
  void SetDataObject(int key, TvxDXFEntity* e);
  // Frees the value and gives the item a zero value of the new type (no conversion).
  void ChangeType(int key, TvxExtDataType type);

  // ---- adds: each returns the new item's index ----
  int AddByte(int code, uint8_t v);
  int AddInt16(int code, int16_t v);
  int AddInt(int code, int32_t v);
  int AddInt64(int code, int64_t v);
  int AddSingle(int code, float v);
  int AddDouble(int code, double v);
  int AddString(int code, std::string_view text);
  int AddPoint(int code, const TFPoint& p);
  int AddPoint2D(int code, const TF2DPoint& p);
  int AddObject(int code, TvxDXFEntity* e);
  // count bytes of data; a chunk keeps at most 255 of them (the rest is cut, the count is
  // never wrapped into a byte).
  int AddBinary(int code, size_t count, const uint8_t* bytes);
  // From a hexadecimal text: half its length in bytes (at most 255); decoding stops at the first
  // pair that is not hexadecimal.
  int AddBinary(int code, std::string_view hex);
  // A 1070 item holding `code`, then the value as 1070, 1071, 1040, 1000 or 1010.
  int AddComplexInt16(int code, int16_t v);
  int AddComplexInt32(int code, int32_t v);
  int AddComplexDouble(int code, double v);
  int AddComplexString(int code, std::string_view text);
  int AddComplexPoint(int code, const TFPoint& p);

  // ---- searches ----
  bool HasCode(int code, int& index) const;
  int IndexOfCode(int code) const;
  // The first item is a 1001 text equal to name (case-insensitive).
  bool IsEqualName(std::string_view name) const;
  // The second item is a 1000 text equal to name (case-insensitive).
  bool IsEqualSubName(std::string_view name) const;
  // The application name of the data: the text of the first item when it is a 1001 text.
  std::string AppName() const;
  // Scans items [0, lastIndex]: a 1000 text is the group name; 1002 "{" / a byte 0 opens a
  // group, any other 1002 / byte closes it; inside a group, after a 16-bit code 70 the next
  // 16- or 32-bit integer is the type number (-1 when none). Returns where the scan stopped.
  int ExtractEEDType(std::string& groupName, int& typeNumber, int lastIndex) const;

  // Clears this list and copies the flags and every item of source.
  void AssignData(const TvxCADExtendedData& source);
  void Clear() { FData.clear(); }
  const std::vector<TvxExtData>& Items() const { return FData; }

 private:
  int IndexOfKey(int key) const;
  TvxExtData* Mutable(int key);
  int Append(TvxExtData item);

  std::vector<TvxExtData> FData;
  uint8_t FFlags = 0;
};

// Text cut to at most 255 characters (UTF-8 sequences are kept whole).
std::string CutExtDataText(std::string_view text);

// The extended data of one entity: containers sorted by application handle, one per
// application, owned.
class TvxEEDCollection {
 public:
  int Count() const { return static_cast<int>(FItems.size()); }
  uint64_t AppHandle(int i) const { return FItems[static_cast<size_t>(i)].first; }
  TvxCADExtendedData* Data(int i) const { return FItems[static_cast<size_t>(i)].second.get(); }
  TvxCADExtendedData* Find(uint64_t appHandle) const;
  // Files data under appHandle, replacing (and freeing) a container filed there before unless
  // it is the same one; nil removes the entry.
  void Set(uint64_t appHandle, std::unique_ptr<TvxCADExtendedData> data);
  // The same for a raw pointer, which is taken over (a container already filed is kept).
  void SetRaw(uint64_t appHandle, TvxCADExtendedData* data);

 private:
  std::vector<std::pair<uint64_t, std::unique_ptr<TvxCADExtendedData>>> FItems;
};

// The drawing's extended data: entity handle -> its collection.
class TvxEEDStore {
 public:
  const TvxEEDCollection* Items(uint64_t entityHandle) const;
  TvxCADExtendedData* Find(uint64_t entityHandle, uint64_t appHandle) const;
  // A nil data removes the entry; an entity left without entries loses its collection.
  // The data is taken over.
  void Set(uint64_t entityHandle, uint64_t appHandle, TvxCADExtendedData* data);
  void Clear() { FItems.clear(); }
  size_t EntityCount() const { return FItems.size(); }
  auto begin() const { return FItems.begin(); }
  auto end() const { return FItems.end(); }

 private:
  std::map<uint64_t, TvxEEDCollection> FItems;
};

// The application that carries hyperlinks.
inline constexpr std::string_view cnstHyperLinkApp = "PE_URL";

// Appends the "PE_URL" items of a hyperlink "A#B" (1000 B, then 1000 A inside a group); a
// hyperlink without "#" gives both texts the whole link. False for an empty hyperlink.
bool ExtDataFromHyperLink(const std::string& hyperLink, TvxCADExtendedData& data);
// The hyperlink of "PE_URL" data (any case of the name): second + "#" + first of the first two
// 1000 texts; one text alone, or two equal texts (a link written without "#"), give that text.
// False when the data is of another application or holds no text.
bool HyperLinkFromExtData(const TvxCADExtendedData& data, std::string& hyperLink);

}  // namespace vx
