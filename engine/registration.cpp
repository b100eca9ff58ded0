// The installation record under HKEY_LOCAL_MACHINE.
#include <cstring>

#include "app/product_config.h"
#include "engine/setup_engine.h"
#include "engine/text_format.h"

namespace {

// A text field is written with its terminator and the byte after it (the
// record's established layout: length + 2). For a 259-byte text that byte
// lies outside the field and is written as zero.
bool WriteTextValue(SetupEngine& engine, const char* name, const char (&field)[kFieldSize]) {
    char data[kFieldSize + 1];
    std::memcpy(data, field, kFieldSize);
    data[kFieldSize] = '\0';
    DWORD length = static_cast<DWORD>(strnlen(field, kFieldSize - 1));
    return engine.WriteValue(name, REG_SZ, data, length + 2);
}

// Reads a text value into its field only when it fits with a terminator;
// otherwise the field keeps what it held.
bool ReadTextValue(SetupEngine& engine, const char* name, char (&field)[kFieldSize]) {
    char data[kFieldSize];
    std::memcpy(data, field, sizeof data);  // bytes past the value keep the field's remnant
    DWORD length = 0;
    if (!engine.ReadValue(name, data, sizeof data, &length)) return false;
    if (memchr(data, '\0', length) == nullptr) {
        if (length >= sizeof data) {  // fills the field with no room for a terminator
            engine.CloseKey();
            return false;
        }
        data[length] = '\0';
    }
    std::memcpy(field, data, sizeof data);
    return true;
}

}  // namespace

void SetupEngine::CloseKey() {
    regKey.Reset();
}

bool SetupEngine::CreateKey(const char* path) {
    CloseKey();
    return RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                           nullptr, regKey.Put(), nullptr) == ERROR_SUCCESS;
}

bool SetupEngine::OpenKey(const char* path) {
    CloseKey();
    return RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_ALL_ACCESS, regKey.Put()) == ERROR_SUCCESS;
}

bool SetupEngine::WriteValue(const char* name, DWORD type, const void* data, DWORD count) {
    if (RegSetValueExA(regKey.Get(), name, 0, type, static_cast<const BYTE*>(data), count) != ERROR_SUCCESS) {
        CloseKey();
        return false;
    }
    return true;
}

bool SetupEngine::ReadValue(const char* name, void* buffer, DWORD size, DWORD* lengthOut) {
    DWORD type = 0;
    DWORD length = size;
    if (RegQueryValueExA(regKey.Get(), name, nullptr, &type, static_cast<BYTE*>(buffer), &length) !=
        ERROR_SUCCESS) {
        CloseKey();
        return false;
    }
    if (lengthOut != nullptr) *lengthOut = length;
    return true;
}

bool SetupEngine::DeleteRegistration(const char* path) {
    return RegDeleteKeyA(HKEY_LOCAL_MACHINE, path) == ERROR_SUCCESS;
}

bool SetupEngine::WriteRegistration() {
    const char* key = productConfig.registryKey;
    if (!CreateKey(key)) return false;
    DebugTrace("create <%s>", key);
    if (!WriteTextValue(*this, "Dir", installDir)) return false;
    DebugTrace("Dir <%s>", installDir);
    if (!WriteTextValue(*this, "CD", sourceDir)) return false;
    DebugTrace("CD <%s>", sourceDir);
    if (!WriteValue("InstType", REG_DWORD, &instType, sizeof instType)) return false;
    DebugTrace("InstType <%d>", instType);
    CloseKey();
    return true;
}

bool SetupEngine::ReadRegistration() {
    const char* key = productConfig.registryKey;
    if (!OpenKey(key)) return false;
    DebugTrace("open <%s>", key);
    if (!ReadTextValue(*this, "Dir", installDir)) return false;
    // A record without a usable installed folder is no installation: an
    // update or uninstall would otherwise work at the current drive's root.
    if (!IsAbsoluteFolder(installDir)) {
        CloseKey();
        return false;
    }
    DebugTrace("Dir <%s>", installDir);
    if (!ReadTextValue(*this, "CD", sourceDir)) return false;
    DebugTrace("CD <%s>", sourceDir);
    int32_t type = instType;
    if (!ReadValue("InstType", &type, sizeof type)) return false;
    instType = type;
    DebugTrace("InstType <%d>", instType);
    CloseKey();
    return true;
}
