// Helpers shared by the test programs.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

// A fresh folder under the temporary folder, removed with its contents.
class TempDir {
public:
    explicit TempDir(const std::string& tag = "t");
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

private:
    std::string path_;
};

// Deterministic content: size bytes derived from seed.
std::vector<char> MakeContent(std::size_t size, uint32_t seed);
// Writes content to path (creating or truncating); false on failure.
bool WriteFileBytes(const std::string& path, const std::vector<char>& content);
bool WriteFileSized(const std::string& path, std::size_t size, uint32_t seed);
// Whole content of a file; empty and ok=false when it cannot be read.
std::vector<char> ReadFileBytes(const std::string& path, bool* ok = nullptr);
bool FileExists(const std::string& path);
bool FolderExists(const std::string& path);
// Removes a folder tree; true when it no longer exists.
bool RemoveTree(const std::string& path);
// Folder of the running test program.
std::string ProgramFolder();
// Value of an environment variable, or "".
std::string EnvValue(const char* name);

// Deletes the product's record under HKLM (32-bit view) and the company key
// when it is left empty.
void DeleteProductKey();
// Whether the product's record key exists (32-bit view).
bool ProductKeyExists();

}  // namespace testing_support
