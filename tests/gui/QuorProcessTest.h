// Shared by the tests that start Quor.exe as a separate process, as
// Explorer starts it: a private copy of the program in a temporary folder
// of its own (so its settings file and progress folder are the test's), and
// a temporary folder for the test's data.
#pragma once

#include <windows.h>
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <utility>

#include "TestUtil.h"
#include "platform/fs.h"

namespace guitest {

class QuorProcessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    app_ = app_dir_.path() + "Quor.exe";
    ASSERT_TRUE(CopyFileA((platform::ExecutableFolder() + "Quor.exe").c_str(), app_.c_str(), FALSE));
  }
  // The copy's settings file.
  std::string settings() const { return app_dir_ / "ZERAravo.dat"; }
  // Makes the folder data_/name holding those files (name, content); its path.
  std::string DataFolder(const std::string& name, std::initializer_list<std::pair<const char*, std::string>> files) {
    const std::string folder = data_ / name;
    testutil::MakeFolder(folder);
    for (const auto& [file, content] : files) testutil::WriteBytes(folder + "\\" + file, content);
    return folder;
  }

  testutil::TempDir app_dir_;
  testutil::TempDir data_;
  std::string app_;
};

}  // namespace guitest
