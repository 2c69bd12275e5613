/* Keeps the Wine server and its services alive between test programs, so that each test starts in
 * a fraction of a second. It has no window and waits until the server is stopped. */
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show) {
    (void)instance;
    (void)previous;
    (void)commandLine;
    (void)show;
    Sleep(INFINITE);
    return 0;
}
