// TDArray: the engine's growable array. TSArray: its fixed-size sibling.
#pragma once

#include <new>
#include <type_traits>

#include "kr_fatal.h"

template <class T>
class TDArray {
  public:
    TDArray() : data_(nullptr), capacity_(0), count_(0) {}

    TDArray(const TDArray& other) : data_(nullptr), capacity_(0), count_(0) {
        if (!CopyFrom(other)) {
            GLog.DebugPrintf(
                "ERROR: Failed to allocate %i elements of size %i bytes each during TDArray copy "
                "constructor",
                other.capacity_, static_cast<int>(sizeof(T)));
            kr_foundation::EndProcess();
        }
    }

    TDArray& operator=(const TDArray& other) {
        if (this == &other) {
            return *this;
        }
        Clear();
        if (!CopyFrom(other)) {
            GLog.printf(
                "WARNING: Failed to allocate %i elements of size %i bytes each during "
                "TDArray::operator=(...)",
                other.capacity_, static_cast<int>(sizeof(T)));
            kr_foundation::EndProcess();
        }
        return *this;
    }

    virtual ~TDArray() { Release(data_, capacity_); }

    int Add(T item) {
        if (count_ == capacity_) {
            Grow(count_ + 1);
        }
        data_[count_] = item;
        return count_++;
    }

    void Grow(int extra) {
        int newCapacity = capacity_ + extra;
        T* block = nullptr;
        if (newCapacity > 0) {
            block = Obtain(newCapacity);
            if (block == nullptr) {
                GLog.printf(
                    "Failed to allocate %i extra elements of size %i bytes each during TDArray "
                    "growth",
                    extra, static_cast<int>(sizeof(T)));
                kr_foundation::EndProcess();
            }
        }
        int keep = count_ < newCapacity ? count_ : (newCapacity > 0 ? newCapacity : 0);
        for (int i = 0; i < keep; ++i) {
            block[i] = data_[i];
        }
        Release(data_, capacity_);
        data_ = block;
        capacity_ = newCapacity > 0 ? newCapacity : 0;
        count_ = keep;
    }

    void Clear() {
        Release(data_, capacity_);
        data_ = nullptr;
        capacity_ = 0;
        count_ = 0;
    }

    int Count() const { return count_; }
    int Capacity() const { return capacity_; }

    T& operator[](int index) {
        if (index < 0 || index >= count_) {
            GLog.printf("WARNING: Accessed TDArray out of bounds %i/%i", index, count_);
            // A scratch element outside the block takes the access, so nothing in the array is
            // read or overwritten by a bad index.
            static T scratch;
            scratch = T();
            return scratch;
        }
        return data_[index];
    }
    const T& operator[](int index) const { return const_cast<TDArray&>(*this)[index]; }

    int Compact() {
        if (capacity_ <= count_) {
            return 0;
        }
        int freed = (capacity_ - count_) * static_cast<int>(sizeof(T));
        Grow(count_ - capacity_);
        return freed;
    }

    bool Contains(T item) const {
        for (int i = 0; i < count_; ++i) {
            if (data_[i] == item) {
                return true;
            }
        }
        return false;
    }

  private:
    // Class elements live in the block as constructed objects; plain ones as raw memory.
    static constexpr bool kObjects = !(std::is_trivially_copyable<T>::value &&
                                       std::is_trivially_default_constructible<T>::value);

    static T* Obtain(int n) {
        unsigned int bytes = kr_foundation::BlockBytes(n, sizeof(T));
        void* raw = bytes != 0 ? krMalloc(bytes) : nullptr;
        if (raw == nullptr) {
            return nullptr;
        }
        T* block = static_cast<T*>(raw);
        if (kObjects) {
            for (int i = 0; i < n; ++i) {
                new (block + i) T();
            }
        }
        return block;
    }

    static void Release(T* block, int n) {
        if (block == nullptr) {
            return;
        }
        if (kObjects) {
            for (int i = 0; i < n; ++i) {
                block[i].~T();
            }
        }
        krFree(block);
    }

    bool CopyFrom(const TDArray& other) {
        if (other.capacity_ == 0) {
            return true;
        }
        T* block = Obtain(other.capacity_);
        if (block == nullptr) {
            return false;
        }
        for (int i = 0; i < other.count_; ++i) {
            block[i] = other.data_[i];
        }
        data_ = block;
        capacity_ = other.capacity_;
        count_ = other.count_;
        return true;
    }

    T* data_;
    int capacity_;
    int count_;
};

template <class T>
class TSArray {
  public:
    TSArray() : data_(nullptr), count_(0) {}
    virtual ~TSArray() { Release(); }
    TSArray(const TSArray&) = delete;
    TSArray& operator=(const TSArray&) = delete;

    // The block is raw memory: the owner fills (or constructs) the elements after Create.
    void Create(int n) {
        Release();
        count_ = n;
        if (n == 0) {
            return;
        }
        unsigned int bytes = kr_foundation::BlockBytes(n, sizeof(T));
        data_ = bytes != 0 ? static_cast<T*>(krMalloc(bytes)) : nullptr;
        if (data_ == nullptr) {
            GLog.printf(
                "WARNING: Failed to allocate %i elements of size %i bytes each during TSArray "
                "construction",
                n, static_cast<int>(sizeof(T)));
            kr_foundation::EndProcess();
        }
    }

    int Count() const { return count_; }

    T& operator[](int index) {
        if (index < 0 || index > count_ - 1) {
            GLog.printf("WARNING: Accessed array out of bounds: %i/[0-%i]", index, count_ - 1);
            kr_foundation::EndProcess();
        }
        return data_[index];
    }

  private:
    // The core library's krFree is never handed a null block.
    void Release() {
        if (data_ != nullptr) {
            krFree(data_);
        }
        data_ = nullptr;
    }

    T* data_;
    int count_;
};
