// A DLL named like one that krview or the rendering device loads, planted where krview must never
// load code from. Loaded, it says so on standard error; the planted plug-in then loads by bare
// name, as a plug-in may, krplanted.dll, a DLL that only the folder it was planted in holds.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    (void)instance;
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH) {
        const char line[] = "PLANTED " PLANTED_NAME " RAN\n";
        DWORD written = 0;
        WriteFile(GetStdHandle(STD_ERROR_HANDLE), line, sizeof line - 1, &written, NULL);
        if (lstrcmpA(PLANTED_NAME, "D3DDev.dll") == 0)
            LoadLibraryA("krplanted.dll");
    }
    return TRUE;
}
