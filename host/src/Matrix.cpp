#include <dg/Matrix.h>

#include <cmath>
#include <utility>

namespace dg {

bool DMat44::Invert() {
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
