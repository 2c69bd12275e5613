// Value types of the core library.
#pragma once

struct KrVector {
    float x, y, z;
    KrVector() : x(0.0f), y(0.0f), z(0.0f) {}
    KrVector(float px, float py, float pz) : x(px), y(py), z(pz) {}
    KrVector(const KrVector& o) = default;
    KrVector& operator=(const KrVector& o) = default;
    // The dot product.
    float operator|(const KrVector& o) const { return x * o.x + y * o.y + z * o.z; }
    KrVector operator+(const KrVector& o) const { return KrVector(x + o.x, y + o.y, z + o.z); }
    KrVector operator-(const KrVector& o) const { return KrVector(x - o.x, y - o.y, z - o.z); }
    KrVector operator*(float s) const { return KrVector(x * s, y * s, z * s); }
};

// A coordinate frame: X axis (right), Y axis (up), Z axis (view direction), position; twelve
// consecutive floats.
struct KrCoords {
    KrVector X, Y, Z, P;
    KrCoords() : X(1, 0, 0), Y(0, 1, 0), Z(0, 0, 1), P(0, 0, 0) {}
};

struct KrMatrix3 {
    KrVector row[3];
    KrMatrix3() {}
    KrMatrix3(KrVector a, KrVector b, KrVector c) {
        row[0] = a;
        row[1] = b;
        row[2] = c;
    }
};

// A colour with components 0 to 255; alpha comes first.
class KrARGB {
  public:
    int a, r, g, b;
    KrARGB() : a(255), r(0), g(0), b(0) {}
    KrARGB(int pa, int pr, int pg, int pb) : a(pa), r(pr), g(pg), b(pb) {}
    KrARGB(const KrARGB& o) = default;
    KrARGB& operator=(const KrARGB& o) = default;
    virtual ~KrARGB() {}
    // Packed as a D3DCOLOR: alpha in the top byte.
    unsigned long GetDWORD() const {
        return ((unsigned long)(a & 0xFF) << 24) | ((unsigned long)(r & 0xFF) << 16) |
               ((unsigned long)(g & 0xFF) << 8) | (unsigned long)(b & 0xFF);
    }
    static KrARGB FromDWORD(unsigned long c) {
        return KrARGB((int)((c >> 24) & 0xFF), (int)((c >> 16) & 0xFF), (int)((c >> 8) & 0xFF),
                      (int)(c & 0xFF));
    }
};
