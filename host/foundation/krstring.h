// KrStringT: the engine's string. Length plus an owned, zero-terminated text (null when empty).
#pragma once

#include "kr_fatal.h"

template <class C>
class KrStringT {
  public:
    KrStringT() : length_(0), text_(nullptr) {}

    KrStringT(const C* text) : length_(0), text_(nullptr) {
        if (text != nullptr) {
            int n = 0;
            while (text[n] != 0) {
                ++n;
            }
            // An empty text holds no block, like the default string.
            if (n > 0) {
                Assign(text, n);
            }
        }
    }

    KrStringT(const C* text, int length) : length_(0), text_(nullptr) {
        if (text != nullptr && length > 0) {
            Assign(text, length);
        }
    }

    KrStringT(const KrStringT& other) : length_(0), text_(nullptr) {
        if (other.text_ != nullptr && other.length_ > 0) {
            Assign(other.text_, other.length_);
        }
    }

    KrStringT& operator=(const KrStringT& other) {
        if (this == &other) {
            return *this;
        }
        Release();
        if (other.text_ != nullptr && other.length_ > 0) {
            Assign(other.text_, other.length_);
        }
        return *this;
    }

    virtual ~KrStringT() { Release(); }

    int Length() const { return length_; }
    const C* Text() const { return text_; }

    KrStringT operator+(const KrStringT& other) const {
        if (length_ == 0) {
            return other;
        }
        if (other.length_ == 0) {
            return *this;
        }
        KrStringT result;
        result.Join(*this, other);
        return result;
    }

    KrStringT& operator+=(const KrStringT& other) {
        if (length_ == 0) {
            return *this = other;
        }
        if (other.length_ == 0) {
            return *this;
        }
        KrStringT joined;
        joined.Join(*this, other);
        Release();
        // The joined block moves over without another copy.
        length_ = joined.length_;
        text_ = joined.text_;
        joined.length_ = 0;
        joined.text_ = nullptr;
        return *this;
    }

    bool operator==(const KrStringT& other) const {
        return length_ == other.length_ &&
               krMemComp(text_, other.text_, length_ * static_cast<int>(sizeof(C))) == 0;
    }
    bool operator!=(const KrStringT& other) const { return !(*this == other); }

  private:
    // A string whose block cannot be obtained stays empty: it has no message of its own.
    void Assign(const C* text, int length) {
        unsigned int bytes = kr_foundation::BlockBytes(length + 1, sizeof(C));
        C* block = bytes != 0 ? static_cast<C*>(krMalloc(bytes)) : nullptr;
        if (block == nullptr) {
            return;
        }
        krMemCopy(block, const_cast<C*>(text), length * static_cast<int>(sizeof(C)));
        block[length] = 0;
        text_ = block;
        length_ = length;
    }

    void Join(const KrStringT& left, const KrStringT& right) {
        int total = left.length_ + right.length_;
        unsigned int bytes = kr_foundation::BlockBytes(total + 1, sizeof(C));
        C* block = bytes != 0 ? static_cast<C*>(krMalloc(bytes)) : nullptr;
        if (block == nullptr) {
            return;
        }
        krMemCopy(block, left.text_, left.length_ * static_cast<int>(sizeof(C)));
        krMemCopy(block + left.length_, right.text_,
                  (right.length_ + 1) * static_cast<int>(sizeof(C)));
        text_ = block;
        length_ = total;
    }

    void Release() {
        if (text_ != nullptr) {
            krFree(text_);
        }
        text_ = nullptr;
        length_ = 0;
    }

    int length_;
    C* text_;
};

// The first position p >= start where needle occurs wholly inside haystack, or -1.
template <class C>
int Find(const KrStringT<C>& haystack, const KrStringT<C>& needle, int start) {
    int hayLength = haystack.Length();
    int needleLength = needle.Length();
    if (start < 0 || start > hayLength || start > hayLength - needleLength + 1) {
        return -1;
    }
    if (needleLength == 0) {
        return start;
    }
    const C* hay = haystack.Text();
    const C* pin = needle.Text();
    for (int p = start; p + needleLength <= hayLength; ++p) {
        if (hay[p] == pin[0] &&
            krMemComp(hay + p, pin, needleLength * static_cast<int>(sizeof(C))) == 0) {
            return p;
        }
    }
    return -1;
}
