// The product's built-in configuration: everything product-specific lives
// here, so the engine and dialogs serve any product by changing this table.
#pragma once

#include <cstdint>

// A configuration file list: pointers to names, ended by a null pointer.
using ConfigList = const char**;

struct ProductConfig {
    const char* windowClassName;
    const char* productTitle;
    const char* companyName;
    const char* productFolder;
    const char* executable;
    const char* registryKey;
    ConfigList updateFiles;
    ConfigList installFiles;  // slot 0 is written at start-up
    ConfigList volumeLabels;
    int32_t requiredMB;       // rewritten by the install options dialog
    int32_t type2SizeMB;
    int32_t type1SizeMB;
};

extern ProductConfig productConfig;

// Indices of installFiles that other parts address directly.
enum InstallFileIndex : int {
    kExecutableIndex = 0,
    kGfxArchiveIndex = 1,
    kVoxArchiveIndex = 2,
    kBgmArchiveIndex = 5,
    kReadmeIndex = 10,
    kUninstallerIndex = 11,
};
constexpr int kInstallFileCount = 28;
constexpr int kUpdateFileCount = 10;
