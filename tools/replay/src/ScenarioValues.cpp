// The values a scenario is made of: numbers, points, rotations, names, preference values, each
// checked against its place.
#include "ScenarioReading.h"
#include "Utf8Text.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace replay {
namespace reading {

namespace {

// Coordinates beyond this are refused: they only overflow the projection.
constexpr double kCoordinateLimit = 1e9;
constexpr double kPi = 3.14159265358979323846;

// An axis is a direction of any length, but normalising it needs its squared length to be a
// normal double: below 1e-150 the squares fall towards the subnormal range (under 2.2e-308), keep
// too few bits, and the "unit" axis comes out short ([0, 0, 3e-162] gives rows of length 0.988).
constexpr double kShortestAxis = 1e-150;
// Angles beyond +/-1e9 degrees are refused: within it the double holding the angle is finer
// (1.2e-7 degrees at 1e9) than the single-precision matrix it becomes can tell apart, beyond it
// the written angle means less and less, and past about 1e306 its radians overflow to a NaN
// rotation.
constexpr double kAngleLimit = 1e9;

}  // namespace

std::string Describe(const Json& j) {
    switch (j.type()) {
        case Json::value_t::null:
            return "null";
        case Json::value_t::boolean:
            return "a boolean";
        case Json::value_t::string:
            return "a string";
        case Json::value_t::array:
            return "an array";
        case Json::value_t::object:
            return "an object";
        default:
            return "a number";
    }
}

// Places and quoted values carry the scenario's own text (keys, ids): its control characters are
// written as escapes, so the message stays one line and a NUL does not cut it short.
[[noreturn]] void Fail(const std::string& where, const std::string& what) {
    throw Invalid(Printable(where + ": " + what));
}

std::string Field(const std::string& where, const std::string& key) {
    // An empty key is written as "", so that a message still names its place.
    const std::string name = key.empty() ? "\"\"" : key;
    return where.empty() ? name : where + "." + name;
}

std::string Index(const std::string& where, std::size_t i) {
    return where + "[" + std::to_string(i) + "]";
}

void ExpectObject(const Json& j, const std::string& where) {
    if (!j.is_object())
        Fail(where.empty() ? "scenario" : where, "expected an object, got " + Describe(j));
}

// Refuses any key that is not in the allowed list.
void CheckKeys(const Json& j, const std::string& where, const std::vector<const char*>& allowed) {
    ExpectObject(j, where);
    for (auto it = j.begin(); it != j.end(); ++it) {
        const bool known = std::any_of(allowed.begin(), allowed.end(),
                                       [&](const char* k) { return it.key() == k; });
        if (!known)
            Fail(Field(where, it.key()), "unknown field");
    }
}

const Json& Require(const Json& j, const std::string& where, const char* key) {
    const auto it = j.find(key);
    if (it == j.end())
        Fail(Field(where, key), "missing");
    return *it;
}

const Json* Optional(const Json& j, const char* key) {
    const auto it = j.find(key);
    return it == j.end() ? nullptr : &*it;
}

double ReadNumber(const Json& j, const std::string& where) {
    if (!j.is_number())
        Fail(where, "expected a number, got " + Describe(j));
    const double v = j.get<double>();
    if (!std::isfinite(v))
        Fail(where, "not a finite number");
    return v;
}

double ReadCoordinate(const Json& j, const std::string& where) {
    const double v = ReadNumber(j, where);
    if (std::fabs(v) > kCoordinateLimit)
        Fail(where, "out of range (beyond +/-1e9)");
    return v;
}

float ReadFloat(const Json& j, const std::string& where) {
    const double v = ReadNumber(j, where);
    if (std::fabs(v) > 1e30)
        Fail(where, "out of range for a single-precision value");
    return static_cast<float>(v);
}

// An integer may be written with a fraction or an exponent (400.0, 4e2: some JSON writers keep
// every number a double), as long as its value is whole.
int ReadInt(const Json& j, const std::string& where) {
    if (j.is_number_float()) {
        const double v = ReadNumber(j, where);  // a non-finite value gets its own message
        if (v != std::trunc(v))
            Fail(where, "expected an integer, got a number with a fraction (" + j.dump() + ")");
        if (v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max())
            Fail(where, "out of range");
        return static_cast<int>(v);
    }
    if (!j.is_number_integer())
        Fail(where, "expected an integer, got " + Describe(j));
    if (j.is_number_unsigned()
            ? j.get<std::uint64_t>() > static_cast<std::uint64_t>(std::numeric_limits<int>::max())
            : (j.get<std::int64_t>() < std::numeric_limits<int>::min() ||
               j.get<std::int64_t>() > std::numeric_limits<int>::max()))
        Fail(where, "out of range");
    return static_cast<int>(j.get<std::int64_t>());
}

int ReadIntIn(const Json& j, const std::string& where, int lo, int hi) {
    const int v = ReadInt(j, where);
    if (v < lo || v > hi)
        Fail(where, "out of range (" + std::to_string(v) + " not in " + std::to_string(lo) + ".." +
                        std::to_string(hi) + ")");
    return v;
}

bool ReadBool(const Json& j, const std::string& where) {
    if (!j.is_boolean())
        Fail(where, "expected true or false, got " + Describe(j));
    return j.get<bool>();
}

std::string ReadString(const Json& j, const std::string& where) {
    if (!j.is_string())
        Fail(where, "expected a string, got " + Describe(j));
    return j.get<std::string>();
}

const Json& ReadArray(const Json& j, const std::string& where) {
    if (!j.is_array())
        Fail(where, "expected an array, got " + Describe(j));
    return j;
}

namespace {

dg::DPoint3D ReadTriple(const Json& j, const std::string& where,
                        double (*read)(const Json&, const std::string&)) {
    if (!j.is_array() || j.size() != 3)
        Fail(where, "expected an array of three numbers [x, y, z]");
    return {read(j[0], Index(where, 0)), read(j[1], Index(where, 1)), read(j[2], Index(where, 2))};
}

}  // namespace

dg::DPoint3D ReadPoint(const Json& j, const std::string& where) {
    return ReadTriple(j, where, &ReadCoordinate);
}

dg::DPoint3D ReadCheckedPoint(const Json& j, const std::string& where) {
    return ReadTriple(j, where, &ReadNumber);
}

dg::DVec3 ReadVector(const Json& j, const std::string& where) {
    const dg::DPoint3D p = ReadPoint(j, where);
    return {p.x, p.y, p.z};
}
std::vector<std::string> ReadNames(const Json& j, const std::string& where) {
    ReadArray(j, where);
    std::vector<std::string> names;
    for (std::size_t i = 0; i < j.size(); ++i)
        names.push_back(ReadString(j[i], Index(where, i)));
    return names;
}

// A rotation: three rows (p * M convention, row i is the image of axis i), or an axis and an
// angle in degrees.
dg::FMat33 ReadRotation(const Json& j, const std::string& where) {
    dg::DVec3 rows[3];
    if (j.is_object()) {
        CheckKeys(j, where, {"axis", "degrees"});
        dg::DVec3 axis = ReadVector(Require(j, where, "axis"), Field(where, "axis"));
        const double length = axis.Norm();
        if (length == 0.0)
            Fail(Field(where, "axis"), "must not be the zero vector");
        if (!(length >= kShortestAxis) || !axis.Normalize())
            Fail(Field(where, "axis"), "too short to give a direction (length below 1e-150)");
        const double degrees = ReadNumber(Require(j, where, "degrees"), Field(where, "degrees"));
        if (std::fabs(degrees) > kAngleLimit)
            Fail(Field(where, "degrees"), "out of range (beyond +/-1e9)");
        // Whole turns taken off exactly (fmod is exact), so a large angle keeps its accuracy.
        const double a = std::fmod(degrees, 360.0) * kPi / 180.0;
        const double c = std::cos(a), s = std::sin(a), t = 1.0 - c;
        const double x = axis.x, y = axis.y, z = axis.z;
        // Rodrigues' matrix, transposed for row vectors.
        rows[0] = {t * x * x + c, t * x * y + s * z, t * x * z - s * y};
        rows[1] = {t * x * y - s * z, t * y * y + c, t * y * z + s * x};
        rows[2] = {t * x * z + s * y, t * y * z - s * x, t * z * z + c};
    } else {
        if (!j.is_array() || j.size() != 3)
            Fail(where, "expected three rows [[..],[..],[..]] or {\"axis\": .., \"degrees\": ..}");
        for (std::size_t r = 0; r < 3; ++r)
            rows[r] = ReadVector(j[r], Index(where, r));
        for (int r = 0; r < 3; ++r) {
            if (std::fabs(rows[r].Norm() - 1.0) > 1e-3)
                Fail(Index(where, static_cast<std::size_t>(r)),
                     "a rotation row must have length 1");
            for (int q = r + 1; q < 3; ++q)
                if (std::fabs(dg::Dot(rows[r], rows[q])) > 1e-3)
                    Fail(where, "rows must be perpendicular (not a rotation)");
        }
        if (dg::Dot(dg::Cross(rows[0], rows[1]), rows[2]) < 0.0)
            Fail(where, "a mirror, not a rotation");
    }
    dg::FMat33 m;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            m.m[r][c] = static_cast<float>(rows[r][c]);
    return m;
}

dg::Location ReadPlacement(const Json& j, const std::string& where) {
    CheckKeys(j, where, {"rotation", "position"});
    dg::Location placement;
    if (const Json* r = Optional(j, "rotation"))
        placement.SetRotation(ReadRotation(*r, Field(where, "rotation")));
    if (const Json* p = Optional(j, "position"))
        placement.SetPos(ReadPoint(*p, Field(where, "position")));
    return placement;
}

std::string ReadId(const Json& j, const std::string& where, Kind kind, Ids& ids) {
    std::string id = ReadString(Require(j, where, "id"), Field(where, "id"));
    if (id.empty())
        Fail(Field(where, "id"), "must not be empty");
    if (!ids.emplace(id, kind).second)
        Fail(Field(where, "id"), "\"" + id + "\" is already used");
    return id;
}

}  // namespace reading
}  // namespace replay
