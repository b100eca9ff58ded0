// Finding the product's source: the product disc in a CD-ROM drive, or the
// folder the program runs from.
#include <cstring>

#include "engine/setup_engine.h"
#include "engine/text_format.h"

int SetupEngine::QueryDrive(const char* root, char* labelOut, int len) const {
    int kind = kDriveNone;
    switch (GetDriveTypeA(root)) {
    case DRIVE_REMOVABLE: kind = kDriveRemovable; break;
    case DRIVE_FIXED: kind = kDriveFixed; break;
    case DRIVE_REMOTE: kind = kDriveRemote; break;
    case DRIVE_CDROM: kind = kDriveCdrom; break;
    case DRIVE_RAMDISK: kind = kDriveRamDisk; break;
    default: kind = kDriveNone; break;
    }

    char volumeName[256] = {};
    char fileSystem[256] = {};
    DWORD serial = 0, maxComponent = 0, flags = 0;
    if (GetVolumeInformationA(root, volumeName, sizeof volumeName, &serial, &maxComponent, &flags,
                              fileSystem, sizeof fileSystem) &&
        len > 0) {
        CopyText(labelOut, static_cast<std::size_t>(len), volumeName);
    }
    return kind;
}

bool SetupEngine::LocateSource(const char* folderName, const char* probeFile) {
    char root[kFieldSize] = "c:\\";
    for (int drive = 0; drive < 24; ++drive, ++root[0]) {
        char label[kFieldSize] = {};
        if (QueryDrive(root, label, sizeof label) != kDriveCdrom) continue;

        for (int i = 0; i < volumeLabelCount && volumeLabels != nullptr; ++i) {
            if (volumeLabels[i][0] == '\0') break;  // the list's end
            if (std::strcmp(label, volumeLabels[i]) != 0) continue;

            std::memset(sourceDir, 0, sizeof sourceDir);
            CopyText(sourceDir, sizeof sourceDir, root);
            if (std::strlen(sourceDir) < 4) sourceDir[2] = '\0';  // d:\ -> d:

            char probe[kLongPathSize];
            if (!FormatPath(probe, sizeof probe, "%s\\%s\\%s", sourceDir, folderName, probeFile)) continue;
            StdioFile file(std::fopen(probe, "r"));
            if (file) return true;
        }
    }

    // No disc: the folder of the running program.
    DWORD length = GetModuleFileNameA(nullptr, sourceDir, sizeof sourceDir);
    if (length == 0 || length >= sizeof sourceDir) {
        sourceDir[0] = '\0';  // a cut-off module path would name another folder
        return true;
    }
    CutAtLastBackslash(sourceDir);
    return true;
}
