// Base classes of the device's resources: textures, the texture manager, vertex and index buffers.
#pragma once

class KRNGN_API KrTextureBase {
  public:
    KR_HEAP_OBJECT
    KrTextureBase();
    KrTextureBase(const KrTextureBase& other);
    KrTextureBase& operator=(const KrTextureBase& other);
    virtual ~KrTextureBase();

    virtual void* Access(unsigned int level) = 0;
    virtual void Update(unsigned int level) = 0;
    // Texel access on the locked top level, taken as 32-bit ARGB texels, rows of `width` texels.
    virtual KrARGB GetTexel(int x, int y);
    virtual bool SetTexel(int x, int y, KrARGB colour);

    bool IsLocked() const { return locked; }
    unsigned int Width() const { return width; }
    unsigned int Height() const { return height; }

  protected:
    bool locked;
    void* bits;
    unsigned int width;
    unsigned int height;
};

class KRNGN_API KrTextureMgrBase {
  public:
    KR_HEAP_OBJECT
    KrTextureMgrBase() {}
    virtual ~KrTextureMgrBase();

    virtual int CachedTextureCount(eTextureType type) = 0;
    virtual void UnloadCache(eTextureType type) = 0;
    virtual void ReloadStatics() = 0;
    virtual void UnlinkDynamics() = 0;
    virtual unsigned int Load(KrStringT<char> name) = 0;
    virtual int CreateTexture(unsigned int width, unsigned int height, eResFormat format,
                              unsigned int levels) = 0;
    virtual KrTextureBase* GetTexture(int index) = 0;
    virtual unsigned int GetTexture(const KrStringT<char>& name) = 0;
    virtual KrTextureBase* GetDynamic(unsigned int handle) = 0;
    virtual bool GetDynamic(unsigned int handle, int& index) = 0;
    virtual void** GetTextureInterface(int index, eTextureType type) = 0;
};

class KRNGN_API KrVertexBufferBase {
  public:
    KR_HEAP_OBJECT
    KrVertexBufferBase();
    KrVertexBufferBase(const KrVertexBufferBase& other);
    KrVertexBufferBase& operator=(const KrVertexBufferBase& other);
    virtual ~KrVertexBufferBase();

    virtual bool Populate(unsigned int offset, unsigned char* data, unsigned int size) = 0;
    virtual void Release() = 0;
    virtual bool Access(unsigned int offset, unsigned int size, unsigned char** pointer,
                        unsigned long flags) = 0;
    virtual void Update() = 0;

    unsigned long& FVFFlags() { return fvf; }
    unsigned int VertexCount() const { return vertexCount; }

  protected:
    unsigned long fvf;
    unsigned int vertexCount;
};

class KRNGN_API KrIndexBufferBase {
  public:
    KR_HEAP_OBJECT
    KrIndexBufferBase();
    KrIndexBufferBase(const KrIndexBufferBase& other);
    KrIndexBufferBase& operator=(const KrIndexBufferBase& other);
    virtual ~KrIndexBufferBase();

    virtual eLockResult Populate(unsigned char* data, unsigned int size, bool discard) = 0;
    virtual void Release() = 0;

    void SetFormat(eIDXFormat format) { indexFormat = format; }
    void SetNumIndices(unsigned int count) { numIndices = count; }
    void SetSizeInBytes(unsigned int size) { sizeInBytes = size; }
    void SetLastIndex(int index) { lastIndex = index; }
    eIDXFormat Format() const { return indexFormat; }
    unsigned int NumIndices() const { return numIndices; }
    unsigned int SizeInBytes() const { return sizeInBytes; }
    int LastIndex() const { return lastIndex; }

  protected:
    unsigned int sizeInBytes;
    unsigned int numIndices;
    int lastIndex;
    eIDXFormat indexFormat;
};
