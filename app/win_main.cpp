// Entry point of both programs; they differ only in their resources.
#include <windows.h>

#include "app/main_window.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    return RunProgram(instance, showCommand);
}
