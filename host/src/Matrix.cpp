#include <dg/Matrix.h>

#include <cmath>
#include <utility>

namespace dg {

namespace {

// Inverse of an affine transform (last column 0, 0, 0, 1): the 3x3 block by cofactors, the
// translation moved through it. Placements are affine, so this is the common case, and it costs a
// fraction of the general elimination.
bool InvertAffine(double (&m)[4][4]) {
    double largest = 0.0;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 3; ++c) {
            if (!std::isfinite(m[r][c]))
                return false;
            const double magnitude = std::fabs(m[r][c]);
            if (magnitude > largest)
                largest = magnitude;
        }
    const double c00 = m[1][1] * m[2][2] - m[1][2] * m[2][1];
    const double c01 = m[1][2] * m[2][0] - m[1][0] * m[2][2];
    const double c02 = m[1][0] * m[2][1] - m[1][1] * m[2][0];
    const double det = m[0][0] * c00 + m[0][1] * c01 + m[0][2] * c02;
    // A determinant this small against the entries' scale means dependent rows up to rounding.
    const double scale = largest * largest * largest;
    if (!(scale > 0.0) || !(std::fabs(det) > scale * 1e-14))
        return false;
    const double f = 1.0 / det;
    const double r[3][3] = {
        {c00 * f, (m[0][2] * m[2][1] - m[0][1] * m[2][2]) * f,
         (m[0][1] * m[1][2] - m[0][2] * m[1][1]) * f},
        {c01 * f, (m[0][0] * m[2][2] - m[0][2] * m[2][0]) * f,
         (m[0][2] * m[1][0] - m[0][0] * m[1][2]) * f},
        {c02 * f, (m[0][1] * m[2][0] - m[0][0] * m[2][1]) * f,
         (m[0][0] * m[1][1] - m[0][1] * m[1][0]) * f},
    };
    const double t[3] = {m[3][0], m[3][1], m[3][2]};
    double inv[4][4] = {};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            inv[i][j] = r[i][j];
    for (int j = 0; j < 3; ++j)
        inv[3][j] = -(t[0] * r[0][j] + t[1] * r[1][j] + t[2] * r[2][j]);
    inv[3][3] = 1.0;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            if (!std::isfinite(inv[i][j]))
                return false;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            m[i][j] = inv[i][j];
    return true;
}

}  // namespace

bool DMat44::Invert() {
    if (m[0][3] == 0.0 && m[1][3] == 0.0 && m[2][3] == 0.0 && m[3][3] == 1.0)
        return InvertAffine(m);

    double a[4][4];
    double inv[4][4] = {
        {1.0, 0.0, 0.0, 0.0}, {0.0, 1.0, 0.0, 0.0}, {0.0, 0.0, 1.0, 0.0}, {0.0, 0.0, 0.0, 1.0}};
    double largest = 0.0;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) {
            a[r][c] = m[r][c];
            if (!std::isfinite(a[r][c]))
                return false;
            largest = std::fmax(largest, std::fabs(a[r][c]));
        }
    if (!(largest > 0.0))
        return false;
    // Pivots this small against the largest entry mean the rows are dependent up to rounding.
    const double tiny = largest * 1e-14;

    // Gauss-Jordan elimination with partial pivoting.
    for (int col = 0; col < 4; ++col) {
        int pivot = col;
        for (int r = col + 1; r < 4; ++r)
            if (std::fabs(a[r][col]) > std::fabs(a[pivot][col]))
                pivot = r;
        if (!(std::fabs(a[pivot][col]) > tiny))
            return false;
        if (pivot != col) {
            std::swap(a[pivot], a[col]);
            std::swap(inv[pivot], inv[col]);
        }
        const double scale = 1.0 / a[col][col];
        for (int c = 0; c < 4; ++c) {
            a[col][c] *= scale;
            inv[col][c] *= scale;
        }
        for (int r = 0; r < 4; ++r) {
            if (r == col)
                continue;
            const double f = a[r][col];
            if (f == 0.0)
                continue;
            for (int c = 0; c < 4; ++c) {
                a[r][c] -= f * a[col][c];
                inv[r][c] -= f * inv[col][c];
            }
        }
    }
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            if (!std::isfinite(inv[r][c]))
                return false;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            m[r][c] = inv[r][c];
    return true;
}

}  // namespace dg
