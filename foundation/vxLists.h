// vxLists: the typed growable lists of the library, thin templates over std::vector.
//
// A list may be kept sorted (Add inserts at the binary-search position) and carries a duplicates
// policy: in sorted mode an equal item already present makes Add return its index and add nothing
// (dupIgnore and dupError alike, no exception); in unsorted mode dupIgnore searches first.
#pragma once

#include "foundation/vxConsts.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <vector>

namespace vx {

enum class TvxDuplicates : uint8_t { dupIgnore, dupAccept, dupError };
using enum TvxDuplicates;

template <typename T>
class TvxBaseList {
 public:
  using SmallerFunc = std::function<bool(const T&, const T&)>;

  TvxBaseList() = default;
  explicit TvxBaseList(SmallerFunc smaller) : FSortSmallerFunc(std::move(smaller)) {}

  int Count() const { return static_cast<int>(FItems.size()); }
  // Shrinking cuts the items; growing appends zero-valued items.
  void SetCount(int n) { FItems.resize(n > 0 ? static_cast<size_t>(n) : 0); }
  int Capacity() const { return static_cast<int>(FItems.capacity()); }
  // Setting the capacity below Count cuts the list.
  void SetCapacity(int n) {
    size_t c = n > 0 ? static_cast<size_t>(n) : 0;
    if (c < FItems.size()) FItems.resize(c);
    if (c < FItems.capacity()) FItems.shrink_to_fit();
    FItems.reserve(c);
  }
  bool Empty() const { return FItems.empty(); }

  const T& operator[](int i) const { return FItems[static_cast<size_t>(i)]; }
  T& operator[](int i) { return FItems[static_cast<size_t>(i)]; }
  const T& Items(int i) const { return FItems[static_cast<size_t>(i)]; }
  void SetItem(int i, const T& v) { FItems[static_cast<size_t>(i)] = v; }
  const T& First() const { return FItems.front(); }
  const T& Last() const { return FItems.back(); }
  T* List() { return FItems.data(); }
  const T* List() const { return FItems.data(); }
  std::vector<T>& Vector() { return FItems; }
  const std::vector<T>& Vector() const { return FItems; }

  auto begin() { return FItems.begin(); }
  auto end() { return FItems.end(); }
  auto begin() const { return FItems.begin(); }
  auto end() const { return FItems.end(); }

  bool Sorted() const { return FSorted; }
  void SetSorted(bool s) {
    if (s && !FSorted) Sort();
    FSorted = s;
  }
  TvxDuplicates Duplicates() const { return FDuplicates; }
  void SetDuplicates(TvxDuplicates d) { FDuplicates = d; }
  void SetSortSmallerFunc(SmallerFunc f) { FSortSmallerFunc = std::move(f); }

  // Returns the index of the item (new or, under the duplicates policy, the existing one).
  int Add(const T& v) {
    if (FSorted) {
      auto it = std::lower_bound(FItems.begin(), FItems.end(), v, Less());
      if (FDuplicates != dupAccept && it != FItems.end() && !Less()(v, *it))
        return static_cast<int>(it - FItems.begin());
      if (FDuplicates == dupAccept) it = std::upper_bound(FItems.begin(), FItems.end(), v, Less());
      auto pos = FItems.insert(it, v);  // insert may reallocate: take begin() after it
      return static_cast<int>(pos - FItems.begin());
    }
    if (FDuplicates == dupIgnore) {
      int i = IndexOf(v);
      if (i >= 0) return i;
    }
    FItems.push_back(v);
    return Count() - 1;
  }
  void Append(const T& v) { FItems.push_back(v); }
  void Insert(int i, const T& v) { FItems.insert(FItems.begin() + i, v); }
  void Delete(int i) { FItems.erase(FItems.begin() + i); }
  void Clear() { FItems.clear(); }
  void Reserve(int n) { FItems.reserve(n > 0 ? static_cast<size_t>(n) : 0); }

  // Binary search in sorted mode, a scan otherwise; -1 when absent.
  int IndexOf(const T& v) const {
    if (FSorted) {
      auto it = std::lower_bound(FItems.begin(), FItems.end(), v, Less());
      if (it != FItems.end() && !Less()(v, *it)) return static_cast<int>(it - FItems.begin());
      return -1;
    }
    for (size_t i = 0; i < FItems.size(); ++i)
      if (Equal(FItems[i], v)) return static_cast<int>(i);
    return -1;
  }
  bool Remove(const T& v) {
    int i = IndexOf(v);
    if (i < 0) return false;
    Delete(i);
    return true;
  }
  // Stable, so equal items keep their order.
  void Sort() { std::stable_sort(FItems.begin(), FItems.end(), Less()); }

 protected:
  std::function<bool(const T&, const T&)> Less() const {
    if (FSortSmallerFunc) return FSortSmallerFunc;
    if constexpr (requires(const T& a, const T& b) { a < b; })
      return [](const T& a, const T& b) { return a < b; };
    else
      return [](const T&, const T&) { return false; };
  }
  bool Equal(const T& a, const T& b) const {
    if constexpr (requires(const T& x, const T& y) { x == y; })
      return a == b;
    else
      return !Less()(a, b) && !Less()(b, a);
  }

  std::vector<T> FItems;
  bool FSorted = false;
  TvxDuplicates FDuplicates = dupAccept;
  SmallerFunc FSortSmallerFunc;
};

using TvxSingleList = TvxBaseList<float>;
using TvxDoubleList = TvxBaseList<double>;
using TvxInt64List = TvxBaseList<int64_t>;
using TvxIntegerList = TvxBaseList<int32_t>;
using TFPointList = TvxBaseList<TFPoint>;
using TF2DPointList = TvxBaseList<TF2DPoint>;
using TvxPointerList = TvxBaseList<void*>;

// A list of non-owning object pointers that may yield a point for each item.
template <typename T>
class TvxList : public TvxBaseList<T*> {
 public:
  std::function<TFPoint(const T*)> PointOf;
};

struct TvxHashItem {
  uint64_t HashCode = 0;
  void* Data = nullptr;
};

// 64-bit key to pointer map kept as a vector sorted by HashCode; non-owning.
class TvxCollection {
 public:
  explicit TvxCollection(TvxDuplicates dup = dupIgnore) : FDuplicates(dup) {}

  int Count() const { return static_cast<int>(FItems.size()); }
  const TvxHashItem& operator[](int i) const { return FItems[static_cast<size_t>(i)]; }
  TvxHashItem& operator[](int i) { return FItems[static_cast<size_t>(i)]; }

  // Returns the index of the new item, or of the present one when duplicates are not accepted.
  int Add(uint64_t key, void* data) {
    auto it = LowerBound(key);
    if (FDuplicates != dupAccept && it != FItems.end() && it->HashCode == key)
      return static_cast<int>(it - FItems.begin());
    if (FDuplicates == dupAccept)
      while (it != FItems.end() && it->HashCode == key) ++it;
    auto pos = FItems.insert(it, TvxHashItem{key, data});  // may reallocate: begin() after
    return static_cast<int>(pos - FItems.begin());
  }
  int IndexOf(uint64_t key) const {
    auto it = LowerBound(key);
    return it != FItems.end() && it->HashCode == key ? static_cast<int>(it - FItems.begin()) : -1;
  }
  void* Find(uint64_t key) const {
    int i = IndexOf(key);
    return i < 0 ? nullptr : FItems[static_cast<size_t>(i)].Data;
  }
  void Delete(int i) { FItems.erase(FItems.begin() + i); }
  bool Remove(uint64_t key) {
    int i = IndexOf(key);
    if (i < 0) return false;
    Delete(i);
    return true;
  }
  void Clear() { FItems.clear(); }
  void Reserve(int n) { FItems.reserve(n > 0 ? static_cast<size_t>(n) : 0); }
  auto begin() const { return FItems.begin(); }
  auto end() const { return FItems.end(); }

 private:
  std::vector<TvxHashItem>::const_iterator LowerBound(uint64_t key) const {
    return std::lower_bound(FItems.begin(), FItems.end(), key,
                            [](const TvxHashItem& h, uint64_t k) { return h.HashCode < k; });
  }
  std::vector<TvxHashItem>::iterator LowerBound(uint64_t key) {
    return std::lower_bound(FItems.begin(), FItems.end(), key,
                            [](const TvxHashItem& h, uint64_t k) { return h.HashCode < k; });
  }

  std::vector<TvxHashItem> FItems;
  TvxDuplicates FDuplicates;
};

}  // namespace vx
