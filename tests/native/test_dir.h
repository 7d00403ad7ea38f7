// A fresh temporary folder per test, removed afterwards, with small file helpers.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

class TestDir : public testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "lc-test-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::permissions(dir_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(dir_, ignored);
    }

    // The folder as the program holds folders: with its closing separator.
    std::string Folder() const { return dir_.string() + "/"; }
    std::string PathOf(const std::string& name) const { return (dir_ / name).string(); }

    void Put(const std::string& name, const std::string& bytes = "x") const {
        std::ofstream(dir_ / name, std::ios::binary) << bytes;
    }
    std::string Read(const std::string& name) const {
        std::ifstream in(dir_ / name, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    bool Exists(const std::string& name) const {
        std::error_code ignored;
        return std::filesystem::is_symlink(dir_ / name) || std::filesystem::exists(dir_ / name, ignored);
    }
    std::size_t Count() const {
        return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(dir_),
                                                      std::filesystem::directory_iterator()));
    }

    std::filesystem::path dir_;
};
