// A tiny Windows program for the launch tests: it proves it was started by
// writing the file "<its own path>.ran", then ends. The text is written under
// another name first and then renamed, so a test that sees the marker never
// reads it half-written.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int show)
{
    char path[MAX_PATH + 8] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return 1;
    }
    char marker[MAX_PATH + 8] = {};
    lstrcpyA(marker, path);
    lstrcatA(marker, ".ran");
    lstrcatA(path, ".new");
    const HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return 1;
    }
    // The show command the launcher asked for, so the test can check it.
    char text[16] = {};
    const int size = wsprintfA(text, "show=%d", show);
    DWORD written = 0;
    WriteFile(file, text, static_cast<DWORD>(size), &written, nullptr);
    CloseHandle(file);
    return MoveFileExA(path, marker, MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
}
