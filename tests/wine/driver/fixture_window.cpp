// A small window for the driver's own tests.
//
//   fixture_window.exe "Caption" [exit-code] [topmost]
//
// Writes the working folder into cwd.txt there, then shows a window with the
// caption, a "Push" button (message box "pushed", then caption "done"), a
// disabled "Off" button and an edit control. Releasing the right button over
// the client area opens a menu "One" / "Two" (caption "one" / "two"). Closing
// the window ends the process with the exit code.
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int kClientWidth = 300;
constexpr int kClientHeight = 150;
constexpr int kPushId = 101;
constexpr int kOffId = 102;
constexpr int kEditId = 103;
constexpr UINT kOne = 1;
constexpr UINT kTwo = 2;

int g_exitCode = 0;

// Arguments of the command line after the program's name; double quotes group.
std::vector<std::string> Arguments(const char* line) {
    std::vector<std::string> args;
    std::string current;
    bool quoted = false, any = false;
    for (const char* p = line; *p != '\0'; ++p) {
        if (*p == '"') {
            quoted = !quoted;
            any = true;
        } else if ((*p == ' ' || *p == '\t') && !quoted) {
            if (any) args.push_back(current);
            current.clear();
            any = false;
        } else {
            current += *p;
            any = true;
        }
    }
    if (any) args.push_back(current);
    return args;
}

void WriteWorkingFolder() {
    char folder[MAX_PATH + 1];
    const DWORD length = GetCurrentDirectoryA(sizeof folder, folder);
    HANDLE file = CreateFileA("cwd.txt", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, folder, length, &written, nullptr);
    CloseHandle(file);
}

void ShowMenu(HWND window, LPARAM at) {
    POINT p{static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))};
    ClientToScreen(window, &p);
    HMENU menu = CreatePopupMenu();
    AppendMenuA(menu, MF_STRING, kOne, "One");
    AppendMenuA(menu, MF_STRING, kTwo, "Two");
    SetForegroundWindow(window);
    const UINT chosen = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, p.x, p.y, 0, window, nullptr);
    DestroyMenu(menu);
    if (chosen == kOne) SetWindowTextA(window, "one");
    if (chosen == kTwo) SetWindowTextA(window, "two");
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: {
        const HINSTANCE instance = reinterpret_cast<CREATESTRUCTA*>(lParam)->hInstance;
        CreateWindowExA(0, "BUTTON", "Push", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 10, 10, 80, 26, window,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kPushId)), instance, nullptr);
        HWND off = CreateWindowExA(0, "BUTTON", "Off", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 100, 10, 80,
                                   26, window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kOffId)),
                                   instance, nullptr);
        EnableWindow(off, FALSE);
        CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "初期", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 10, 50, 200,
                        24, window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kEditId)), instance,
                        nullptr);
        return 0;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == kPushId && HIWORD(wParam) == BN_CLICKED) {
            MessageBoxA(window, "pushed", "Fixture", MB_OK);
            SetWindowTextA(window, "done");
        }
        return 0;
    case WM_RBUTTONUP:
        ShowMenu(window, lParam);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(g_exitCode);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    WriteWorkingFolder();
    const std::vector<std::string> args = Arguments(commandLine);
    const std::string caption = args.empty() ? "Fixture" : args[0];
    if (args.size() > 1) g_exitCode = std::atoi(args[1].c_str());
    const bool topMost = args.size() > 2 && args[2] == "topmost";

    WNDCLASSA wc{};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = "DriverFixture";
    if (!RegisterClassA(&wc)) return 100;

    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
    const DWORD exStyle = topMost ? WS_EX_TOPMOST : 0;
    RECT frame{0, 0, kClientWidth, kClientHeight};
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    HWND window = CreateWindowExA(exStyle, wc.lpszClassName, caption.c_str(), style, 100, 100,
                                  frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                                  instance, nullptr);
    if (!window) return 101;
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}
