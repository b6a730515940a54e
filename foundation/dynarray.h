// DYNARRAY: a growable array of owned heap copies, guarded by a re-entrant mutex.
//
// Slots 0 to ItemCount-1 hold the items; the others are null. Every operation holds pLock,
// and the mutex is re-entrant, so an operation may call another one (and a caller may hold
// Lock() around a loop). A bad position or index raises the assertion and never touches
// memory outside the slot array: Get hands out a spare empty item, Insert clamps the
// position, and the other operations do nothing.
#ifndef ZOLAN_DYNARRAY_H
#define ZOLAN_DYNARRAY_H

#include <cstdio>
#include <cstring>
#include <new>

#include "foundation/zolan.h"
#include "platform/semaphores.h"

template <class T>
class DYNARRAY {
public:
  DYNARRAY(int maxItems, int growBy);
  DYNARRAY(const DYNARRAY& other);
  DYNARRAY& operator=(const DYNARRAY& other);

  // Order of two items; the plain array has none (assertion "FALSE", result 0).
  virtual int Compare(const T& a, const T& b, int flags) const;
  virtual ~DYNARRAY();

  int Count() const { return ItemCount; }
  T& Get(int i);
  const T& Get(int i) const { return const_cast<DYNARRAY*>(this)->Get(i); }
  void Insert(int pos, const T& item);
  void Add(const T& item) { Insert(ItemCount, item); }
  void Swap(int pos1, int pos2);
  void DeleteItem(int pos);
  void Clear();
  // Without a mutex (its creation failed and was reported) the array runs unguarded.
  void Lock() const {
    if (pLock) pLock->Obtain(-1);
  }
  void Unlock() const {
    if (pLock) pLock->Release();
  }
  // Name shown in assertion information; cut to the field's size.
  void SetTypeName(const char* name);

  char TypeName[32];
  MUTEXSEM* pLock;  // owned
  T** ppItems;      // owned, MaxItems slots, each used slot owns its item
  int ItemCount;
  int MaxItems;
  int GrowBy;

protected:
  // Exclusive use of the array for one scope.
  class GUARD {
  public:
    explicit GUARD(const DYNARRAY& a) : array(a) { array.Lock(); }
    ~GUARD() { array.Unlock(); }
    GUARD(const GUARD&) = delete;
    GUARD& operator=(const GUARD&) = delete;

  private:
    const DYNARRAY& array;
  };

private:
  // A new slot array of the given size holding copies of the other's items; false when
  // memory ran out (nothing allocated then).
  static bool CopyItems(const DYNARRAY& other, T**& items);
  void FreeItems();
  bool MakeRoom();
};

template <class T>
DYNARRAY<T>::DYNARRAY(int maxItems, int growBy)
    : TypeName(), pLock(new (std::nothrow) MUTEXSEM(0, nullptr)), ppItems(nullptr),
      ItemCount(0), MaxItems(maxItems > 0 ? maxItems : 0), GrowBy(growBy) {
  ASSERT(pLock, "");
  if (MaxItems > 0) {
    ppItems = new (std::nothrow) T*[MaxItems]();
    ASSERT(this->ppItems, "");
    if (!ppItems) MaxItems = 0;
  }
}

template <class T>
DYNARRAY<T>::DYNARRAY(const DYNARRAY& other)
    : TypeName(), pLock(new (std::nothrow) MUTEXSEM(0, nullptr)), ppItems(nullptr),
      ItemCount(0), MaxItems(0), GrowBy(other.GrowBy) {
  ASSERT(pLock, "");
  memcpy(TypeName, other.TypeName, sizeof(TypeName));
  GUARD hold(other);
  if (CopyItems(other, ppItems)) {
    MaxItems = other.MaxItems;
    ItemCount = other.ItemCount;
  }
}

template <class T>
DYNARRAY<T>& DYNARRAY<T>::operator=(const DYNARRAY& other) {
  if (this == &other) return *this;
  T** items = nullptr;
  int maxItems, itemCount, growBy;
  {
    GUARD hold(other);
    if (!CopyItems(other, items)) return *this;
    maxItems = other.MaxItems;
    itemCount = other.ItemCount;
    growBy = other.GrowBy;
  }
  GUARD hold(*this);
  FreeItems();
  ppItems = items;
  MaxItems = maxItems;
  ItemCount = itemCount;
  GrowBy = growBy;
  return *this;
}

template <class T>
DYNARRAY<T>::~DYNARRAY() {
  FreeItems();
  delete pLock;
}

template <class T>
int DYNARRAY<T>::Compare(const T&, const T&, int) const {
  ASSERT(FALSE, TypeName);
  return 0;
}

template <class T>
bool DYNARRAY<T>::CopyItems(const DYNARRAY& other, T**& items) {
  items = nullptr;
  if (other.MaxItems <= 0) return true;
  items = new (std::nothrow) T*[other.MaxItems]();
  if (!items) {
    ASSERT(items, other.TypeName);
    return false;
  }
  for (int i = 0; i < other.ItemCount; i++) items[i] = new T(*other.ppItems[i]);
  return true;
}

template <class T>
void DYNARRAY<T>::FreeItems() {
  for (int i = 0; i < ItemCount; i++) delete ppItems[i];
  delete[] ppItems;
  ppItems = nullptr;
  ItemCount = MaxItems = 0;
}

template <class T>
T& DYNARRAY<T>::Get(int i) {
  GUARD hold(*this);
  if (i >= 0 && i < ItemCount && i < MaxItems) return *ppItems[i];
  char info[128];
  snprintf(info, sizeof(info), "i= %d, max= %d, count= %d, type= %s, this= %08x", i, MaxItems,
           ItemCount, TypeName, static_cast<unsigned>(reinterpret_cast<UINT_PTR>(this)));
  ASSERT(FALSE, info);
  // A fresh empty item per call, so that what a caller writes through it goes nowhere.
  static thread_local T spare;
  spare = T();
  return spare;
}

template <class T>
bool DYNARRAY<T>::MakeRoom() {
  if (ItemCount < MaxItems) return true;
  long long grown = static_cast<long long>(MaxItems) + (GrowBy > 0 ? GrowBy : 0);
  if (grown <= ItemCount || grown > 0x7fffffff / static_cast<long long>(sizeof(T*))) {
    ASSERT(this->ItemCount<this->MaxItems, TypeName);
    return false;
  }
  T** items = new (std::nothrow) T*[grown]();
  if (!items) {
    ASSERT(this->ppItems, TypeName);
    return false;
  }
  for (int i = 0; i < ItemCount; i++) items[i] = ppItems[i];
  delete[] ppItems;
  ppItems = items;
  MaxItems = static_cast<int>(grown);
  return true;
}

template <class T>
void DYNARRAY<T>::Insert(int pos, const T& item) {
  GUARD hold(*this);
  if (pos < 0 || pos > ItemCount) {
    char info[32];
    snprintf(info, sizeof(info), "%d/%d", pos, ItemCount);
    ASSERT(pos>=0 && pos<=this->ItemCount, info);
    // Keeping the item at the nearest valid place loses nothing.
    pos = pos < 0 ? 0 : ItemCount;
  }
  if (!MakeRoom()) return;
  T* copy = new T(item);
  for (int i = ItemCount; i > pos; i--) ppItems[i] = ppItems[i - 1];
  ppItems[pos] = copy;
  ItemCount++;
}

template <class T>
void DYNARRAY<T>::Swap(int pos1, int pos2) {
  GUARD hold(*this);
  if (!(pos1 >= 0 && pos1 < ItemCount)) {
    ASSERT(pos1>=0 && pos1<this->ItemCount, TypeName);
    return;
  }
  if (!(pos2 >= 0 && pos2 < ItemCount)) {
    ASSERT(pos2>=0 && pos2<this->ItemCount, TypeName);
    return;
  }
  T* keep = ppItems[pos1];
  ppItems[pos1] = ppItems[pos2];
  ppItems[pos2] = keep;
}

template <class T>
void DYNARRAY<T>::DeleteItem(int pos) {
  GUARD hold(*this);
  if (!(pos >= 0 && pos < ItemCount)) {
    ASSERT(pos>=0 && pos<this->ItemCount, TypeName);
    return;
  }
  Logit("DYNARRAY::DeleteItem is called for pitem=0x%08x\n",
        static_cast<unsigned>(reinterpret_cast<UINT_PTR>(ppItems[pos])));
  delete ppItems[pos];
  for (int i = pos; i < ItemCount - 1; i++) ppItems[i] = ppItems[i + 1];
  ppItems[--ItemCount] = nullptr;
}

template <class T>
void DYNARRAY<T>::Clear() {
  GUARD hold(*this);
  FreeItems();
}

template <class T>
void DYNARRAY<T>::SetTypeName(const char* name) {
  GUARD hold(*this);
  snprintf(TypeName, sizeof(TypeName), "%s", name ? name : "");
}

#endif
