#pragma once
#include <gtest/gtest.h>

#include <string>

// Each test works in a fresh folder of its own and starts with a closed store.
class SettingsFileTest : public ::testing::Test {
 public:
  void SetUp() override;
  void TearDown() override;

  std::string PathOf(const std::string& name) const;
  void Put(const std::string& bytes, const std::string& name = "Settings.ini") const;
  std::string Get(const std::string& name = "Settings.ini") const;
  bool Exists(const std::string& name = "Settings.ini") const;
  const char* File() const { return file_.c_str(); }

  std::string folder_;
  std::string file_;
};

// The store's groups and keys as one line of text, for comparing whole documents.
std::string DescribeDocument();
