// The version resource of each DLL, as Windows reads it (Explorer's Details tab, installers):
// the numeric file and product versions and the version strings carry the project's version, and
// the original file name is the DLL's own. The DLLs are the ones next to this program, the same
// files the other tests load.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace {

struct DllCase {
    const char* fileName;
};

void PrintTo(const DllCase& dll, std::ostream* os) {
    *os << dll.fileName;
}

const DllCase kDlls[] = {{"libillsxmk.dll"}, {"libillsxmk_host.dll"}};

std::string ProgramFolder() {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length);
    return folder.substr(0, folder.find_last_of("\\/") + 1);
}

// The whole version resource of the file; empty when it has none.
std::vector<char> ReadVersionInfo(const std::string& path) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    std::vector<char> data(size);
    if (size == 0 || !GetFileVersionInfoA(path.c_str(), 0, size, data.data()))
        data.clear();
    return data;
}

// A string of the U.S. English, Unicode table; "<missing>" when absent.
std::string StringValue(std::vector<char>& info, const char* name) {
    const std::string key = std::string("\\StringFileInfo\\040904B0\\") + name;
    char* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(info.data(), key.c_str(), reinterpret_cast<void**>(&value), &length) ||
        value == nullptr)
        return "<missing>";
    return std::string(value);
}

class VersionResource : public ::testing::TestWithParam<DllCase> {};

TEST_P(VersionResource, CarriesTheProjectVersion) {
    const std::string path = ProgramFolder() + GetParam().fileName;
    std::vector<char> info = ReadVersionInfo(path);
    ASSERT_FALSE(info.empty()) << path << " has no version resource";

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    const DWORD expectedMs = MAKELONG(ILLSXMK_VERSION_MINOR, ILLSXMK_VERSION_MAJOR);
    const DWORD expectedLs = MAKELONG(0, ILLSXMK_VERSION_PATCH);
    EXPECT_EQ(fixed->dwFileVersionMS, expectedMs);
    EXPECT_EQ(fixed->dwFileVersionLS, expectedLs);
    EXPECT_EQ(fixed->dwProductVersionMS, expectedMs);
    EXPECT_EQ(fixed->dwProductVersionLS, expectedLs);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_DLL));

    EXPECT_EQ(StringValue(info, "FileVersion"), ILLSXMK_VERSION);
    EXPECT_EQ(StringValue(info, "ProductVersion"), ILLSXMK_VERSION);
    EXPECT_EQ(StringValue(info, "OriginalFilename"), GetParam().fileName);
    EXPECT_NE(StringValue(info, "FileDescription"), "<missing>");
}

INSTANTIATE_TEST_SUITE_P(Dlls, VersionResource, ::testing::ValuesIn(kDlls),
                         [](const ::testing::TestParamInfo<DllCase>& param) {
                             std::string name = param.param.fileName;
                             return name.substr(0, name.find('.'));
                         });

}  // namespace
