// The setup engine: one record that holds the state of an installation, an
// update or a removal, and the operations that carry them out.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>

#include "engine/handles.h"

// An owned file list: one 128-byte buffer per name, ended by an empty name.
using FileList = char**;

constexpr int kNameSize = 128;       // one name of an owned file list
constexpr int kFieldSize = MAX_PATH; // the engine's text fields (260)
constexpr int kLongPathSize = 1024;  // composed paths and status texts
constexpr int kMessageSize = 256;    // composed message texts
constexpr int kSelectionSlots = 256; // selection flags, one per fileList index

// The cancellation handshake between the dialog, the copy loop and the
// transfer worker.
enum CancelState : int32_t {
    kCancelNone = 0,       // no cancellation
    kCancelRequested = 1,  // the user asked to stop (dialog)
    kCancelCopyStopped = 2,// the copy loop stopped the current file
    kCancelWorkerStopped = 3, // the worker stopped
};

// How one file copy ended.
enum class CopyResult {
    kCopied,       // complete, or cut short by a cancellation request
    kNoSource,     // the source file does not exist: passed over
    kFailed,       // the source exists but the copy could not be made whole
};

// Drive kinds reported by QueryDrive.
enum DriveKind : int {
    kDriveNone = 0,
    kDriveFixed = 1,
    kDriveCdrom = 2,
    kDriveRemovable = 3,
    kDriveRamDisk = 4,
    kDriveRemote = 5,
};

class SetupEngine {
public:
    SetupEngine();
    ~SetupEngine();
    SetupEngine(const SetupEngine&) = delete;
    SetupEngine& operator=(const SetupEngine&) = delete;

    // --- record and initialisation ---------------------------------------
    void Initialize(const char* const* installFiles, const char* const* updateFiles,
                    const char* const* labels, HWND dialog, const char* company,
                    const char* product, const char* folder, uint32_t requiredSpaceMB);
    void Release();
    static FileList DuplicateList(FileList old, const char* const* source, int* countOut);
    static bool FreeList(FileList list);

    void SetProgressControl(int id) { progressCtrlId = id; }
    void SetTransferRange(int type, int first, int end) {
        instType = type;
        firstIndex = first;
        endIndex = end;
    }
    void SetRequiredSpace(uint32_t mb) { requiredMB = mb; }
    bool IsBusy() const { return busy.load() == 1; }
    void GetSourceDir(char* out, int size) const;

    // The engine's trace hook: deliberately silent.
    void DebugTrace(const char*, const char*) const {}
    void DebugTrace(const char*, int) const {}

    // --- source media ------------------------------------------------------
    int QueryDrive(const char* root, char* labelOut, int len) const;
    bool LocateSource(const char* folderName, const char* probeFile);

    // --- registration --------------------------------------------------------
    void CloseKey();
    bool CreateKey(const char* path);
    bool OpenKey(const char* path);
    bool WriteValue(const char* name, DWORD type, const void* data, DWORD count);
    // lengthOut, when given, receives the byte count the registry returned.
    bool ReadValue(const char* name, void* buffer, DWORD size, DWORD* lengthOut = nullptr);
    bool DeleteRegistration(const char* path);
    bool WriteRegistration();
    bool ReadRegistration();

    // --- file transfer -------------------------------------------------------
    static uint32_t GetFileSizeOf(const char* path);
    CopyResult CopyOneFile(const char* destination, const char* source);
    bool ApplyUpdate();

    bool RunTransfer();
    static DWORD WINAPI TransferWorker(LPVOID engine);
    uint32_t SelectedBytes() const;
    void ResetProgress(uint16_t range);
    void StepProgress();
    void AdvanceProgress();
    void ShowStatus(const char* text);

    // --- installation and removal --------------------------------------------
    bool Install();
    bool PrepareInstallDir(const char* path);
    static bool MakeDirectory(const char* path);
    static uint32_t FreeSpaceMB(const char* dir);

    bool CreateShortcut(const char* linkFolder, const char* targetFolder, const char* targetFile,
                        const char* linkName);
    bool CreateProgramGroup(int which);
    void RemoveProgramGroup();

    bool Uninstall();
    bool DeleteInstalledFiles(const char* folder);

    // --- shell ---------------------------------------------------------------
    static bool ShellOpen(const char* path, const char* parameters);
    bool LaunchProduct();
    bool OpenReadme();

    // --- fields, in the record's order -----------------------------------------
    FileList fileList = nullptr;
    FileList updateList = nullptr;
    FileList volumeLabels = nullptr;
    char companyName[kFieldSize] = {};
    char productFolder[kFieldSize] = {};
    char productName[kFieldSize] = {};
    char installDir[kFieldSize] = {};
    char sourceDir[kFieldSize] = {};
    char regKeyPath[kFieldSize] = {};
    char shortcutRoot[kFieldSize] = {};
    int32_t volumeLabelCount = 1;
    std::atomic<int32_t> busy{0};
    int32_t instType = 0;
    int32_t progressCtrlId = 0;
    std::atomic<uint32_t> bytesCopied{0};
    uint32_t requiredMB = 0;
    std::atomic<uint32_t> workerThreadId{0};
    StdioFile srcFile;
    StdioFile dstFile;
    HWND dialogWnd = nullptr;
    RegKey regKey;
    char installParent[kFieldSize] = "c:\\Program Files";
    int32_t installed = 0;
    std::atomic<int32_t> cancelState{kCancelNone};
    int32_t firstIndex = 0;
    int32_t endIndex = 9999;
    unsigned char selected[kSelectionSlots];
    std::atomic<int32_t> unitsDone{0};
    std::atomic<int32_t> unitsShown{0};
    uint32_t bytesPerUnit = 0;
    // Set by the worker when a selected file whose source exists could not
    // be copied whole; a transfer with such a file has failed.
    std::atomic<bool> copyFailed{false};
};

// The process's one engine.
extern SetupEngine setupEngine;
