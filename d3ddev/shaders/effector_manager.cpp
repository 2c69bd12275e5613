// KrD3DEffectorMgr: registers effectors under names, hands out copies of registered ones, and
// refuses effector scripts (the device reads no script format).
#include "effectors.h"

namespace {
// The built-in effectors copied by name without a lookup; their indexes are fixed by the order in
// which the device registers them at start-up.
struct FixedEffector {
    const char* name;
    int index;
};
const FixedEffector kFixedEffectors[] = {
    {"ShaderDefault", 0},
    {"Shader3dLine", 1},
    {"Shader2d", 2},
};

// Two registrations carry the same effector when both are missing or both compare equal.
bool SameEffector(KrEffector* registered, KrEffector* candidate) {
    if (registered == nullptr || candidate == nullptr) {
        return registered == candidate;
    }
    return *static_cast<KrD3DEffector*>(registered) == *static_cast<KrD3DEffector*>(candidate);
}
}  // namespace

KrD3DEffectorMgr::KrD3DEffectorMgr() {}

KrD3DEffectorMgr::~KrD3DEffectorMgr() {}

int KrD3DEffectorMgr::AddEffector(KrStringT<char>& name, KrEffector* effector) {
    // The base's lookup answers 0 for an unknown name, so index 0 always reads as "not yet known".
    int existing = KrEffectorMgr::GetEffector(name);
    if (existing != 0) {
        KrEffector** slot = KrEffectorMgr::GetEffector(static_cast<unsigned int>(existing));
        if (slot != nullptr && SameEffector(*slot, effector)) {
            delete effector;
            return existing;
        }
    }
    int index = effectors.Add(effector);
    // Registration happens at load time; the list is kept at its exact size rather than fast.
    effectors.Compact();
    NamedIndex entry(name, index);
    // The hasher is asked through its virtual table, as the engine's own manager asks it: bound
    // directly, the call would import a function that the engine library does not export.
    KrNameHasher* volatile asked = &hasher;
    buckets[asked->Bucket(name.Text())].Append(entry);
    return index;
}

int KrD3DEffectorMgr::AddEffector(KrStringT<char>&, const KrStringT<char>& script,
                                  eFXRep representation) {
    if (script.Length() == 0) {
        GLog.DebugPrintf("ERROR: Empty script sent to KrEffectorMgr::AddEffector(...)");
    } else if (representation == eFXRepQ3A) {
        GLog.DebugPrintf("*** Q3A Shader script:\n\t%s", script.Text());
    } else {
        GLog.DebugPrintf("ERROR: Unknown script format passed to KrEffectorMgr::AddEffector(...)");
    }
    return -1;
}

KrEffector* KrD3DEffectorMgr::CreateEffector(const KrStringT<char>& name) {
    for (const FixedEffector& fixed : kFixedEffectors) {
        if (name == KrStringT<char>(fixed.name)) {
            return CloneEffector(fixed.index);
        }
    }
    return CloneEffector(KrEffectorMgr::GetEffector(name));
}

KrEffector* KrD3DEffectorMgr::CreateEffector() {
    return new KrD3DEffector();
}

KrD3DEffector* KrD3DEffectorMgr::CloneEffector(int index) {
    KrEffector** slot = KrEffectorMgr::GetEffector(static_cast<unsigned int>(index));
    if (slot == nullptr || *slot == nullptr) {
        return nullptr;
    }
    KrD3DEffector* clone = new KrD3DEffector();
    if (clone == nullptr) {
        return nullptr;
    }
    *clone = *static_cast<KrD3DEffector*>(*slot);
    return clone;
}
