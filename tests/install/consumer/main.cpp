// An outside program using the installed package: builds a centre line and reads it back.
#include <dg/Location.h>
#include <du/SmartPtr.h>
#include <sxmk/CenterLineXYZ.h>

#include <cstdio>
#include <vector>

int main() {
    du::SmartPtr<sxmk::CenterLineXYZ> line(new sxmk::CenterLineXYZ());
    if (!line)
        return 1;
    const unsigned short order[3] = {0, 1, 2};
    std::vector<dg::DPoint3D> pts;
    line->BuildPoints(dg::DPoint3D(0, 0, 0), dg::DPoint3D(3, 4, 0), false, 5.0f, 10.0f, 0.5f,
                      dg::Location(), order, pts);
    line->SetPoints(pts);
    const std::vector<dg::DPoint3D>& stored = *line->GetPoints();
    if (stored.size() != 4 || stored[0] != dg::DPoint3D(-3, -4, 0) ||
        stored[3] != dg::DPoint3D(9, 12, 0)) {
        std::puts("unexpected centre line");
        return 1;
    }
    std::puts("ok");
    return 0;
}
