// KrNameIndex: finds a name in a list of names kept elsewhere at a cost that does not grow with
// the list. It maps each distinct name to the first position that holds it, and stores only
// positions and hashes: the names stay in the owner's list and are reached through `nameAt`, a
// function from a position to the name there. The owner tells the index about every name it puts
// into the list (Add) and starts it again whenever names change or go (Rebuild, Clear), so that
// a look-up always gives what a walk from position 0 would have given.
#pragma once

#include <cstring>

#include "krstring.h"
#include "tdarray.h"

class KrNameIndex {
  public:
    // The first position holding `name`, or -1.
    template <class NameAt>
    int Find(const KrStringT<char>& name, NameAt nameAt) const {
        if (slots_.Count() == 0) {
            return -1;
        }
        unsigned int hash = Hash(name);
        unsigned int mask = static_cast<unsigned int>(slots_.Count() - 1);
        for (unsigned int i = hash & mask;; i = (i + 1) & mask) {
            const Slot& slot = slots_[static_cast<int>(i)];
            if (slot.position < 0) {
                return -1;
            }
            if (slot.hash == hash && nameAt(slot.position) == name) {
                return slot.position;
            }
        }
    }

    // Position `position` now holds nameAt(position); an earlier position with the same name
    // keeps the name. Positions are added in increasing order.
    template <class NameAt>
    void Add(int position, NameAt nameAt) {
        const KrStringT<char>& name = nameAt(position);
        if (Find(name, nameAt) >= 0) {
            return;
        }
        // At most half the slots in use, so that a search meets an empty slot soon.
        if (2 * (used_ + 1) > slots_.Count()) {
            Resize(slots_.Count() == 0 ? kFirstSlots : 2 * slots_.Count());
        }
        Insert(Hash(name), position);
    }

    // Indexes positions 0 to count - 1 afresh.
    template <class NameAt>
    void Rebuild(int count, NameAt nameAt) {
        Clear();
        for (int i = 0; i < count; ++i) {
            Add(i, nameAt);
        }
    }

    void Clear() {
        slots_.Clear();
        used_ = 0;
    }

  private:
    struct Slot {
        unsigned int hash;
        int position;  // -1: empty
    };
    static const int kFirstSlots = 16;

    // Eight bytes at a time: a look-up hashes the whole name, so this is most of its cost.
    static unsigned int Hash(const KrStringT<char>& name) {
        const unsigned char* bytes = reinterpret_cast<const unsigned char*>(name.Text());
        int length = name.Length();
        unsigned long long h = 0x9E3779B97F4A7C15ull ^ static_cast<unsigned long long>(length);
        int i = 0;
        for (; i + 8 <= length; i += 8) {
            unsigned long long word;
            std::memcpy(&word, bytes + i, 8);
            h = (h ^ word) * 0xFF51AFD7ED558CCDull;
            h ^= h >> 32;
        }
        unsigned long long tail = 0;
        for (int shift = 0; i < length; ++i, shift += 8) {
            tail |= static_cast<unsigned long long>(bytes[i]) << shift;
        }
        h = (h ^ tail) * 0xC4CEB9FE1A85EC53ull;
        h ^= h >> 29;
        return static_cast<unsigned int>(h ^ (h >> 32));
    }

    void Insert(unsigned int hash, int position) {
        unsigned int mask = static_cast<unsigned int>(slots_.Count() - 1);
        unsigned int i = hash & mask;
        while (slots_[static_cast<int>(i)].position >= 0) {
            i = (i + 1) & mask;
        }
        slots_[static_cast<int>(i)].hash = hash;
        slots_[static_cast<int>(i)].position = position;
        ++used_;
    }

    void Resize(int count) {
        TDArray<Slot> old = slots_;
        slots_.Clear();
        slots_.Grow(count);
        const Slot empty = {0, -1};
        for (int i = 0; i < count; ++i) {
            slots_.Add(empty);
        }
        used_ = 0;
        for (int i = 0; i < old.Count(); ++i) {
            if (old[i].position >= 0) {
                Insert(old[i].hash, old[i].position);
            }
        }
    }

    TDArray<Slot> slots_;
    int used_ = 0;
};
