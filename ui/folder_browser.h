// The shell's folder picker.
#pragma once

#include <windows.h>

class FolderBrowser {
public:
    void SetOwner(HWND owner) { owner_ = owner; }
    HWND Owner() const { return owner_; }
    // Shows the picker; buffer holds the folder to preselect on entry and the
    // chosen path on success. Returns 1 when a folder was chosen, else 0.
    int Browse(char* buffer, int length, int mode, int appendBackslash);

private:
    HWND owner_ = nullptr;
};

extern FolderBrowser folderBrowser;

int CALLBACK BrowseCallback(HWND window, UINT message, LPARAM lParam, LPARAM data);
