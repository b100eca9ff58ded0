#include "support/test_support.h"

#include <cstdio>
#include <cstring>

namespace testing_support {

TempDir::TempDir(const std::string& tag) {
    char base[MAX_PATH];
    GetTempPathA(sizeof base, base);
    static unsigned counter = 0;
    char name[MAX_PATH];
    std::snprintf(name, sizeof name, "%sbm_%s_%lu_%u", base, tag.c_str(), GetCurrentProcessId(), ++counter);
    path_ = name;
    RemoveTree(path_);
    CreateDirectoryA(path_.c_str(), nullptr);
}

TempDir::~TempDir() {
    RemoveTree(path_);
}

std::vector<char> MakeContent(std::size_t size, uint32_t seed) {
    std::vector<char> data(size);
    uint32_t x = seed * 2654435761u + 1;
    for (std::size_t i = 0; i < size; ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        data[i] = static_cast<char>(x);
    }
    return data;
}

bool WriteFileBytes(const std::string& path, const std::vector<char>& content) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return false;
    bool ok = content.empty() || std::fwrite(content.data(), 1, content.size(), f) == content.size();
    return std::fclose(f) == 0 && ok;
}

bool WriteFileSized(const std::string& path, std::size_t size, uint32_t seed) {
    return WriteFileBytes(path, MakeContent(size, seed));
}

std::vector<char> ReadFileBytes(const std::string& path, bool* ok) {
    std::vector<char> data;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (ok != nullptr) *ok = f != nullptr;
    if (f == nullptr) return data;
    char block[65536];
    std::size_t n;
    while ((n = std::fread(block, 1, sizeof block, f)) > 0) data.insert(data.end(), block, block + n);
    std::fclose(f);
    return data;
}

bool FileExists(const std::string& path) {
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const std::string& path) {
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool RemoveTree(const std::string& path) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((path + "\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            if (std::strcmp(data.cFileName, ".") == 0 || std::strcmp(data.cFileName, "..") == 0) continue;
            std::string child = path + "\\" + data.cFileName;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(child);
            } else {
                SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(child.c_str());
            }
        } while (FindNextFileA(find, &data));
        FindClose(find);
    }
    RemoveDirectoryA(path.c_str());
    return GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES;
}

std::string ProgramFolder() {
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    std::string s(path, n);
    return s.substr(0, s.find_last_of('\\'));
}

std::string EnvValue(const char* name) {
    char value[1024];
    DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
    return n > 0 && n < sizeof value ? std::string(value, n) : std::string();
}

void DeleteProductKey() {
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Quorvel\\Brindlemarch");
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Quorvel");  // only when empty
}

bool ProductKeyExists() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Quorvel\\Brindlemarch", 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

}  // namespace testing_support
