// Tallybox: the program's entry point.

#include <windows.h>

#include "app/TallyboxApp.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    tb::CTallyboxApp app;
    return app.Run();
}
