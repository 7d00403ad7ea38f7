// The entry point: one running copy, the three windows in order, the event loop.
#include <windows.h>

#include "app/U_leafcatch.h"
#include "capture/U_leafcatch3.h"
#include "platform/application.h"
#include "settings/U_leafcatch2.h"

HANDLE InstanceMutex = nullptr;

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    InstanceMutex = CreateMutexA(nullptr, TRUE, "Leafcatch");
    if (!InstanceMutex || GetLastError() == ERROR_ALREADY_EXISTS) return 1;

    platform::Application& application = platform::Application::Instance();
    try {
        application.HideWindow();
        application.Initialize();
        application.SetTitle("Leafcatch");
        application.CreateForm(Form1);
        application.CreateForm(Form2);
        application.CreateForm(Form3);
        application.Run();
    } catch (const platform::Exception& error) {
        application.ShowException(error);
    }
    ReleaseMutex(InstanceMutex);
    // Returning ends the application object first (its forms, Form1 last), and
    // only then the globals of the tool window's unit.
    return 0;
}
