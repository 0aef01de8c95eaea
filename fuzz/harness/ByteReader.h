#pragma once

// Turns fuzzer bytes into the values the harnesses feed to the library. Every byte sequence is
// valid input: a read past the end yields zeros, so a truncated input simply ends the run early
// with neutral values.

#include <dg/Matrix.h>
#include <dg/Vector.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>

namespace fuzzharness {

// The size of value that the finiteness invariants cover: finite and below this in magnitude.
constexpr double kModerateLimit = 1e6;

inline bool IsModerate(double v) {
    return std::isfinite(v) && std::fabs(v) < kModerateLimit;
}
inline bool IsModerate(const dg::DPoint3D& p) {
    return IsModerate(p.x) && IsModerate(p.y) && IsModerate(p.z);
}
inline bool IsModerate(const dg::DVec3& v) {
    return IsModerate(v.x) && IsModerate(v.y) && IsModerate(v.z);
}
inline bool IsModerate(const dg::FMat33& r) {
    for (const auto& row : r.m)
        for (float v : row)
            if (!IsModerate(static_cast<double>(v)))
                return false;
    return true;
}
inline bool IsFinite(const dg::DPoint3D& p) {
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

// Bitwise equality: NaN equals the same NaN, and 0 differs from -0. "Unchanged" checks use it so
// that a stored NaN counts as kept.
inline bool Same(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}
inline bool Same(float a, float b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}
inline bool Same(const dg::DPoint3D& a, const dg::DPoint3D& b) {
    return Same(a.x, b.x) && Same(a.y, b.y) && Same(a.z, b.z);
}
inline bool Same(const dg::DVec3& a, const dg::DVec3& b) {
    return Same(a.x, b.x) && Same(a.y, b.y) && Same(a.z, b.z);
}

class ByteReader {
public:
    ByteReader(const std::uint8_t* bytes, std::size_t count) : data(bytes), size(count) {}

    bool Empty() const { return pos >= size; }

    // Whether the unread bytes start with prefix; if so they are consumed.
    bool SkipPrefix(const char* prefix, std::size_t count) {
        if (count == 0 || size - pos < count || std::memcmp(data + pos, prefix, count) != 0)
            return false;
        pos += count;
        return true;
    }
    // The next count bytes (fewer at the end) as a reader of their own; this one skips them.
    ByteReader Take(std::size_t count) {
        const std::size_t taken = count < size - pos ? count : size - pos;
        const ByteReader part(taken > 0 ? data + pos : nullptr, taken);
        pos += taken;
        return part;
    }

    std::uint8_t U8() { return pos < size ? data[pos++] : std::uint8_t{0}; }
    // Multi-byte values read low byte first. Each read is a statement of its own: the operands
    // of an operator, like the arguments of a call, may be evaluated in any order.
    std::uint16_t U16() {
        const unsigned lo = U8();
        return static_cast<std::uint16_t>(lo | (static_cast<unsigned>(U8()) << 8));
    }
    std::uint32_t U32() {
        const std::uint32_t lo = U16();
        return lo | (static_cast<std::uint32_t>(U16()) << 16);
    }
    std::uint64_t U64() {
        const std::uint64_t lo = U32();
        return lo | (static_cast<std::uint64_t>(U32()) << 32);
    }
    bool Bool() { return (U8() & 1u) != 0; }
    // A value in [0, count); 0 when count is 0.
    int Below(int count) { return count > 0 ? static_cast<int>(U8() % count) : 0; }
    // A signed window coordinate: mostly small moves, sometimes far outside the viewport.
    int Pixel() {
        const std::uint8_t tag = U8();
        if (tag < 200)
            return static_cast<int>(static_cast<std::int8_t>(U8())) * 4;
        return static_cast<int>(static_cast<std::int32_t>(U32()) / 4);
    }

    // Any double: small integers and fractions most of the time, otherwise raw bit patterns
    // (NaN and infinities included) and a table of edge values.
    double AnyDouble() {
        switch (U8() % 8) {
            case 0:
            case 1:
                return static_cast<double>(static_cast<std::int8_t>(U8()));
            case 2:
                return static_cast<double>(static_cast<std::int16_t>(U16())) / 256.0;
            case 3: {
                const std::uint32_t bits = U32();
                float f;
                std::memcpy(&f, &bits, sizeof f);
                return static_cast<double>(f);
            }
            case 4: {
                const std::uint64_t bits = U64();
                double d;
                std::memcpy(&d, &bits, sizeof d);
                return d;
            }
            case 5:
                return Special();
            case 6:
                return static_cast<double>(static_cast<std::int32_t>(U32())) / 65536.0;
            default:
                return static_cast<double>(static_cast<std::int8_t>(U8())) / 8.0;
        }
    }
    float AnyFloat() { return static_cast<float>(AnyDouble()); }

    dg::DPoint3D Point() {
        const double x = AnyDouble();
        const double y = AnyDouble();
        return dg::DPoint3D(x, y, AnyDouble());
    }
    dg::DVec3 Vec() {
        const double x = AnyDouble();
        const double y = AnyDouble();
        return dg::DVec3(x, y, AnyDouble());
    }

    // A frame rotation: the identity, an axis permutation with signs, a rotation from three
    // angles (possibly scaled), or nine arbitrary entries.
    dg::FMat33 Rotation() {
        switch (U8() % 5) {
            case 0:
                return dg::FMat33::IDENTITY;
            case 1: {
                static const int kPermutations[6][3] = {{0, 1, 2}, {0, 2, 1}, {1, 0, 2},
                                                        {1, 2, 0}, {2, 0, 1}, {2, 1, 0}};
                const int* perm = kPermutations[U8() % 6];
                const std::uint8_t signs = U8();
                dg::FMat33 r;
                for (int row = 0; row < 3; ++row)
                    for (int col = 0; col < 3; ++col)
                        r.m[row][col] =
                            col == perm[row] ? ((signs >> row) & 1u ? -1.0f : 1.0f) : 0.0f;
                return r;
            }
            case 2:
            case 3: {
                const double a = AnyDouble();
                const double b = AnyDouble();
                const double c = AnyDouble();
                const double scale = (U8() & 3u) == 0 ? AnyDouble() : 1.0;
                return FromAngles(a, b, c, scale);
            }
            default: {
                dg::FMat33 r;
                for (auto& row : r.m)
                    for (float& v : row)
                        v = AnyFloat();
                return r;
            }
        }
    }

    // Three axis indices: usually a permutation of 0, 1, 2, sometimes any values.
    void AxisOrder(unsigned short (&order)[3]) {
        static const unsigned short kPermutations[6][3] = {{0, 1, 2}, {0, 2, 1}, {1, 0, 2},
                                                           {1, 2, 0}, {2, 0, 1}, {2, 1, 0}};
        const std::uint8_t tag = U8();
        if (tag < 224) {
            for (int i = 0; i < 3; ++i)
                order[i] = kPermutations[tag % 6][i];
            return;
        }
        for (unsigned short& v : order)
            v = U16();
    }

private:
    double Special() {
        static const double kTable[] = {0.0,
                                        -0.0,
                                        1.0,
                                        -1.0,
                                        0.5,
                                        1e-7,
                                        4.76837158203125e-07,
                                        -4.76837158203125e-07,
                                        999999.0,
                                        -999999.0,
                                        1e6,
                                        1e300,
                                        -1e300,
                                        1e-310,
                                        std::numeric_limits<double>::infinity(),
                                        -std::numeric_limits<double>::infinity(),
                                        std::numeric_limits<double>::quiet_NaN(),
                                        std::numeric_limits<double>::max(),
                                        std::numeric_limits<double>::denorm_min(),
                                        static_cast<double>(std::numeric_limits<float>::max()),
                                        static_cast<double>(std::numeric_limits<float>::min()),
                                        3.141592653589793};
        return kTable[U8() % (sizeof kTable / sizeof kTable[0])];
    }

    static dg::FMat33 FromAngles(double a, double b, double c, double scale) {
        const double ca = std::cos(a), sa = std::sin(a);
        const double cb = std::cos(b), sb = std::sin(b);
        const double cc = std::cos(c), sc = std::sin(c);
        // Rz(c) * Ry(b) * Rx(a), rows as the images of the axes.
        const double m[3][3] = {{cc * cb, sc * cb, -sb},
                                {cc * sb * sa - sc * ca, sc * sb * sa + cc * ca, cb * sa},
                                {cc * sb * ca + sc * sa, sc * sb * ca - cc * sa, cb * ca}};
        dg::FMat33 r;
        for (int row = 0; row < 3; ++row)
            for (int col = 0; col < 3; ++col)
                r.m[row][col] = static_cast<float>(m[row][col] * scale);
        return r;
    }

    const std::uint8_t* data;
    std::size_t size;
    std::size_t pos = 0;
};

}  // namespace fuzzharness
