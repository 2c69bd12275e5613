// The base classes of effectors, and the effector manager's registry of names.
#include "krngn.h"

#include <new>

KrRenderPass::KrRenderPass() : textureIndex(0), sortOrder(0), flags(0) {}

bool KrRenderPass::operator==(const KrRenderPass& other) const {
    return textureIndex == other.textureIndex && sortOrder == other.sortOrder &&
           flags == other.flags;
}

KrEffector::KrEffector() : sortKey(0) {}
KrEffector::KrEffector(const KrEffector& other) = default;
KrEffector& KrEffector::operator=(const KrEffector& other) = default;
KrEffector::~KrEffector() {}

bool KrEffector::operator==(const KrEffector& other) const {
    return sortKey == other.sortKey;
}

int KrNameHasher::Bucket(const char* text) {
    // FNV-1a: cheap, and spreads the engine's short effector names well.
    unsigned int hash = 2166136261u;
    for (const char* c = text; c != nullptr && *c != '\0'; ++c) {
        hash = (hash ^ static_cast<unsigned char>(*c)) * 16777619u;
    }
    return bucketCount > 0 ? static_cast<int>(hash % static_cast<unsigned int>(bucketCount)) : 0;
}

KrEffectorMgr::KrEffectorMgr() {
    buckets.Create(hasher.bucketCount);
    for (int i = 0; i < buckets.Count(); ++i) {
        new (&buckets[i]) TDList<NamedIndex>();
    }
}

KrEffectorMgr::~KrEffectorMgr() {
    for (int i = 0; i < effectors.Count(); ++i) {
        delete effectors[i];
    }
    for (int i = 0; i < buckets.Count(); ++i) {
        buckets[i].~TDList<NamedIndex>();
    }
}

int KrEffectorMgr::GetEffector(const KrStringT<char>& name) {
    if (buckets.Count() == 0) {
        return 0;
    }
    int bucket = hasher.Bucket(name.Text());
    if (bucket < 0 || bucket >= buckets.Count()) {
        return 0;
    }
    int found = 0;
    for (TDListNode<NamedIndex>* node = buckets[bucket].Head(); node != nullptr;
         node = node->next) {
        if (node->item.name == name) {
            found = node->item.index;
        }
    }
    return found;
}

KrEffector** KrEffectorMgr::GetEffector(unsigned int index) {
    if (index >= static_cast<unsigned int>(effectors.Count())) {
        return nullptr;
    }
    return &effectors[static_cast<int>(index)];
}
