// The resources of the two programs users get: the version block Explorer
// shows under Properties > Details, and the manifest Windows reads before
// the program starts (without its supportedOS entries Windows runs it in a
// compatibility mode, as for a program made for Vista).
#include <gtest/gtest.h>

#include <windows.h>

#include <ostream>
#include <string>
#include <vector>

namespace {

struct Program {
  const wchar_t* file;
  const char* name;
  bool window;  // a window program, which uses common controls version 6
};

void PrintTo(const Program& program, std::ostream* out) { *out << program.name; }

const Program kPrograms[] = {{L"Quor.exe", "Quor", true}, {L"quor-cli.exe", "quor_cli", false}};

// The program's full path: it is built beside this test program.
std::wstring ProgramPath(const Program& program) {
  wchar_t self[MAX_PATH];
  DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring path(self, length);
  return path.substr(0, path.find_last_of(L'\\') + 1) + program.file;
}

std::wstring Widen(const char* text) {
  std::wstring out;
  for (; *text; ++text) out += static_cast<wchar_t>(*text);
  return out;
}

class Resources : public testing::TestWithParam<Program> {
 protected:
  // The program's version block; empty when it has none.
  std::vector<unsigned char> VersionBlock() const {
    const std::wstring path = ProgramPath(GetParam());
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    std::vector<unsigned char> block(size);
    if (size == 0 || !GetFileVersionInfoW(path.c_str(), 0, size, block.data())) block.clear();
    return block;
  }

  // A string of the version block's US English, Windows-1252 table.
  static std::wstring VersionString(std::vector<unsigned char>& block, const wchar_t* key) {
    void* value = nullptr;
    UINT length = 0;
    const std::wstring query = std::wstring(L"\\StringFileInfo\\040904E4\\") + key;
    if (!VerQueryValueW(block.data(), query.c_str(), &value, &length) || length == 0) return L"<none>";
    return static_cast<const wchar_t*>(value);
  }

  // The manifest the loader reads (resource 1 of type 24), as text.
  std::string Manifest() const {
    HMODULE module = LoadLibraryExW(ProgramPath(GetParam()).c_str(), nullptr,
                                    LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!module) return {};
    std::string text;
    if (HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24))) {
      const char* data = static_cast<const char*>(LockResource(LoadResource(module, found)));
      if (data) text.assign(data, SizeofResource(module, found));
    }
    FreeLibrary(module);
    return text;
  }
};

TEST_P(Resources, FixedVersionNumbersAreTheProjectsVersion) {
  std::vector<unsigned char> block = VersionBlock();
  ASSERT_FALSE(block.empty()) << "no version block";
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  ASSERT_GE(length, sizeof(VS_FIXEDFILEINFO));
  EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
  EXPECT_EQ(fixed->dwFileVersionMS, static_cast<DWORD>(MAKELONG(QUOR_PROJECT_VERSION_MINOR, QUOR_PROJECT_VERSION_MAJOR)));
  EXPECT_EQ(fixed->dwFileVersionLS, 0u);
  EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
}

TEST_P(Resources, VersionTextsNameTheProgramAndTheProjectsVersion) {
  std::vector<unsigned char> block = VersionBlock();
  ASSERT_FALSE(block.empty()) << "no version block";
  EXPECT_EQ(VersionString(block, L"FileVersion"), Widen(QUOR_PROJECT_VERSION));
  EXPECT_EQ(VersionString(block, L"ProductVersion"), Widen(QUOR_PROJECT_VERSION));
  EXPECT_EQ(VersionString(block, L"ProductName"), L"Quor");
  EXPECT_EQ(VersionString(block, L"OriginalFilename"), GetParam().file);
  EXPECT_NE(VersionString(block, L"FileDescription").find(L"SFV"), std::wstring::npos);
}

TEST_P(Resources, ManifestListsWindows7To11AsSupported) {
  const std::string manifest = Manifest();
  ASSERT_FALSE(manifest.empty()) << "no manifest";
  EXPECT_NE(manifest.find("urn:schemas-microsoft-com:compatibility.v1"), std::string::npos);
  for (const char* id : {"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",    // Windows 7
                         "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",    // Windows 8
                         "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",    // Windows 8.1
                         "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"}) {  // Windows 10 and 11
    EXPECT_NE(manifest.find(std::string("<supportedOS Id=\"") + id + "\"/>"), std::string::npos) << id;
  }
}

TEST_P(Resources, ManifestIdentityCarriesTheProjectsVersion) {
  const std::string manifest = Manifest();
  ASSERT_FALSE(manifest.empty()) << "no manifest";
  EXPECT_NE(manifest.find(std::string("version=\"") + QUOR_PROJECT_VERSION + ".0.0\""), std::string::npos);
  EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos);
}

TEST_P(Resources, OnlyTheWindowProgramAsksForCommonControls6) {
  const std::string manifest = Manifest();
  ASSERT_FALSE(manifest.empty()) << "no manifest";
  EXPECT_EQ(manifest.find("Microsoft.Windows.Common-Controls") != std::string::npos, GetParam().window);
}

INSTANTIATE_TEST_SUITE_P(Programs, Resources, testing::ValuesIn(kPrograms),
                         [](const testing::TestParamInfo<Program>& info) { return std::string(info.param.name); });

}  // namespace
