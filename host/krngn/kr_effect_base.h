// Base classes of effectors: render passes, effectors and the effector manager with its names.
#pragma once

class KRNGN_API KrRenderPass {
  public:
    KrRenderPass();
    // The engine's pass equality: same texture, same sort order, same flags.
    bool operator==(const KrRenderPass& other) const;

    unsigned int textureIndex;
    int sortOrder;
    unsigned int flags;
};

class KRNGN_API KrEffector {
  public:
    KR_HEAP_OBJECT
    KrEffector();
    KrEffector(const KrEffector& other);
    KrEffector& operator=(const KrEffector& other);
    virtual ~KrEffector();

    virtual void Reset() = 0;
    virtual KrRenderPass* AddPass(const KrStringT<char>& shaderText) = 0;
    virtual KrRenderPass* GetPass(int index) = 0;
    virtual bool IsProgrammable() = 0;

    bool operator==(const KrEffector& other) const;

    int sortKey;
};

// Picks a name bucket for the effector manager.
class KRNGN_API KrNameHasher {
  public:
    explicit KrNameHasher(int buckets = 64) : bucketCount(buckets) {}
    virtual ~KrNameHasher() {}
    virtual int Bucket(const char* text);
    int bucketCount;
};

class KRNGN_API KrEffectorMgr {
  public:
    KR_HEAP_OBJECT
    KrEffectorMgr();
    // The manager owns its effectors; it is never copied.
    KrEffectorMgr(const KrEffectorMgr&) = delete;
    KrEffectorMgr& operator=(const KrEffectorMgr&) = delete;
    virtual ~KrEffectorMgr();

    virtual int AddEffector(KrStringT<char>& name, KrEffector* effector) = 0;
    virtual int AddEffector(KrStringT<char>& name, const KrStringT<char>& script,
                            eFXRep representation) = 0;
    virtual KrEffector* CreateEffector(const KrStringT<char>& name) = 0;
    virtual KrEffector* CreateEffector() = 0;

    // The index registered under a name (the newest when it was registered twice); 0 when the
    // name is unknown.
    int GetEffector(const KrStringT<char>& name);
    // The slot of the effector at an index, or null when there is none.
    KrEffector** GetEffector(unsigned int index);
    int EffectorCount() const { return effectors.Count(); }

  protected:
    TDArray<KrEffector*> effectors;
    KrNameHasher hasher;
    TSArray<TDList<NamedIndex>> buckets;
};
