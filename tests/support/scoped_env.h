// Environment and file-system scopes for tests: each restores what it changed.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

namespace testing_support {

// Sets (or, with nullopt, unsets) one environment variable for the scope.
class ScopedEnv {
 public:
  ScopedEnv(std::string name, std::optional<std::string> value) : name_(std::move(name)) {
    if (const char* old = std::getenv(name_.c_str())) old_ = old;
    Apply(value);
  }
  ~ScopedEnv() { Apply(old_); }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  void Apply(const std::optional<std::string>& value) {
    if (value) {
      ::setenv(name_.c_str(), value->c_str(), 1);
    } else {
      ::unsetenv(name_.c_str());
    }
  }
  std::string name_;
  std::optional<std::string> old_;
};

// A fresh folder, removed with everything in it at the end of the scope.
class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "quorvel-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) ADD_FAILURE() << "mkdtemp failed";
    path_ = pattern;
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// The user's configuration folder pointed at a fresh temporary folder, and a fixed locale.
class ScopedUserProfile {
 public:
  explicit ScopedUserProfile(const char* locale = "en_US.UTF-8")
      : config_("XDG_CONFIG_HOME", home_.path().string()),
        lc_all_("LC_ALL", std::nullopt),
        lc_messages_("LC_MESSAGES", std::nullopt),
        lang_("LANG", std::string(locale)) {}

  std::filesystem::path config_folder() const { return home_.path(); }
  std::filesystem::path settings_file() const { return home_.path() / "Quorvel" / "app.conf"; }

 private:
  TempDir home_;
  ScopedEnv config_;
  ScopedEnv lc_all_;
  ScopedEnv lc_messages_;
  ScopedEnv lang_;
};

}  // namespace testing_support
