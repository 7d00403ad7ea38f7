// Driving a Windows program from outside; see driver.h.
#include "tests/wine/driver/driver.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace driver {

namespace {

// ---- helpers ----------------------------------------------------------------

bool SameIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

// Position of the last path separator, or npos. Paths are ANSI: a backslash
// byte can be the second byte of a double-byte character.
size_t LastSeparator(const std::string& path) {
    size_t last = std::string::npos;
    for (size_t i = 0; i < path.size(); ++i) {
        const char c = path[i];
        if (c == '\\' || c == '/') {
            last = i;
        } else if (IsDBCSLeadByte(static_cast<BYTE>(c)) && i + 1 < path.size()) {
            ++i;
        }
    }
    return last;
}

std::string WithSlash(const std::string& folder) {
    if (folder.empty() || LastSeparator(folder) == folder.size() - 1) return folder;
    return folder + "\\";
}

std::string LastErrorText(const char* what) {
    return std::string(what) + " failed, error " + std::to_string(GetLastError());
}

// A FindFirstFileA search, closed at scope end.
class FindHandle {
public:
    explicit FindHandle(HANDLE h) : h_(h) {}
    FindHandle(const FindHandle&) = delete;
    FindHandle& operator=(const FindHandle&) = delete;
    ~FindHandle() {
        if (ok()) FindClose(h_);
    }
    bool ok() const { return h_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return h_; }

private:
    HANDLE h_;
};

// Both checks a user's click passes: the window and every ancestor are shown
// and enabled.
bool Clickable(HWND window) {
    if (!IsWindow(window) || !IsWindowVisible(window)) return false;
    for (HWND w = window; w != nullptr; w = GetAncestor(w, GA_PARENT)) {
        if (w == GetDesktopWindow()) break;
        if (!IsWindowEnabled(w)) return false;
    }
    return true;
}

bool PostMouse(HWND window, MouseButton which, int x, int y) {
    UINT down = WM_LBUTTONDOWN, up = WM_LBUTTONUP;
    WPARAM held = MK_LBUTTON;
    if (which == MouseButton::Right) {
        down = WM_RBUTTONDOWN;
        up = WM_RBUTTONUP;
        held = MK_RBUTTON;
    } else if (which == MouseButton::Middle) {
        down = WM_MBUTTONDOWN;
        up = WM_MBUTTONUP;
        held = MK_MBUTTON;
    }
    const LPARAM at = MAKELPARAM(x, y);
    if (!PostMessageA(window, WM_MOUSEMOVE, 0, at) || !PostMessageA(window, down, held, at)) return false;
    // The press may already have closed the window (the program is not
    // waiting for us); then there is nothing left to release over.
    PostMessageA(window, up, 0, at);
    return true;
}

// Enumeration callbacks (CALLBACK: lambdas would have the wrong calling
// convention on 32-bit Windows).
struct ProcessWindows {
    DWORD pid;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectProcessWindow(HWND w, LPARAM param) {
    auto* search = reinterpret_cast<ProcessWindows*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid == search->pid) search->found.push_back(w);
    return TRUE;
}

BOOL CALLBACK CollectWindow(HWND w, LPARAM param) {
    reinterpret_cast<std::vector<HWND>*>(param)->push_back(w);
    return TRUE;
}

// Lets the window's thread take its pending messages (and, under Wine, the
// pending events of its X connection), within a short bound.
void Ping(HWND window) {
    if (window == nullptr) return;
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 200, &ignored);
}

bool CursorAt(int x, int y) {
    POINT at{};
    return GetCursorPos(&at) && at.x == x && at.y == y;
}

HWND FindTopLevel(DWORD processId, const std::function<bool(HWND)>& match) {
    for (HWND w : TopLevelWindows(processId)) {
        if (match(w)) return w;
    }
    return nullptr;
}

bool LooksLikeMessageBox(HWND dialog) {
    if (ClassName(dialog) != "#32770") return false;
    bool hasText = false;
    for (HWND child : ChildWindows(dialog)) {
        const std::string cls = ClassName(child);
        if (!SameIgnoringCase(cls, "Static") && !SameIgnoringCase(cls, "Button")) return false;
        if (SameIgnoringCase(cls, "Static") && ControlId(child) == 0xFFFF) hasText = true;
    }
    return hasText;
}

}  // namespace

// ---- UniqueHandle -------------------------------------------------------------

UniqueHandle& UniqueHandle::operator=(UniqueHandle&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
}

HANDLE UniqueHandle::Release() {
    return std::exchange(h_, nullptr);
}

void UniqueHandle::Reset(HANDLE h) {
    if (*this) CloseHandle(h_);
    h_ = h;
}

// ---- Process ------------------------------------------------------------------

Process Process::Launch(const std::string& exePath, const std::string& workingDir,
                        const std::string& args, DWORD idleMs) {
    std::string commandLine = "\"" + exePath + "\"";
    if (!args.empty()) commandLine += " " + args;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(exePath.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        workingDir.empty() ? nullptr : workingDir.c_str(), &startup, &info)) {
        throw std::runtime_error(LastErrorText("CreateProcessA") + ": " + commandLine);
    }
    CloseHandle(info.hThread);
    Process p;
    p.process_.Reset(info.hProcess);
    p.id_ = info.dwProcessId;
    WaitForInputIdle(info.hProcess, idleMs);
    return p;
}

Process& Process::operator=(Process&& other) noexcept {
    if (this != &other) {
        Kill();
        process_ = std::move(other.process_);
        id_ = std::exchange(other.id_, 0);
    }
    return *this;
}

bool Process::Running() const {
    return process_ && WaitForSingleObject(process_.Get(), 0) == WAIT_TIMEOUT;
}

std::optional<DWORD> Process::WaitForExit(DWORD timeoutMs) const {
    if (!process_) return std::nullopt;
    if (WaitForSingleObject(process_.Get(), timeoutMs) != WAIT_OBJECT_0) return std::nullopt;
    DWORD status = 0;
    if (!GetExitCodeProcess(process_.Get(), &status)) return std::nullopt;
    return status;
}

void Process::Kill() {
    if (!Running()) return;
    TerminateProcess(process_.Get(), kKilledExitCode);
    WaitForSingleObject(process_.Get(), kWaitMs);
}

// ---- Finding windows ------------------------------------------------------------

std::vector<HWND> TopLevelWindows(DWORD processId) {
    ProcessWindows search{processId, {}};
    EnumWindows(CollectProcessWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND FindWindowByCaption(DWORD processId, const std::string& caption, bool visibleOnly) {
    return FindTopLevel(processId, [&](HWND w) {
        return (!visibleOnly || IsWindowVisible(w)) && Caption(w) == caption;
    });
}

HWND FindWindowByClass(DWORD processId, const std::string& className, bool visibleOnly) {
    return FindTopLevel(processId, [&](HWND w) {
        return (!visibleOnly || IsWindowVisible(w)) && SameIgnoringCase(ClassName(w), className);
    });
}

HWND WaitForWindow(const std::function<HWND()>& find, DWORD timeoutMs) {
    HWND found = nullptr;
    WaitUntil([&] { return (found = find()) != nullptr; }, timeoutMs);
    return found;
}

HWND WaitForWindow(DWORD processId, const std::string& caption, DWORD timeoutMs) {
    return WaitForWindow([&] { return FindWindowByCaption(processId, caption, true); }, timeoutMs);
}

std::vector<HWND> ChildWindows(HWND parent) {
    std::vector<HWND> found;
    if (!IsWindow(parent)) return found;
    EnumChildWindows(parent, CollectWindow, reinterpret_cast<LPARAM>(&found));
    return found;
}

HWND FindChild(HWND parent, const std::string& className, const std::string& text) {
    for (HWND w : ChildWindows(parent)) {
        if (!className.empty() && !SameIgnoringCase(ClassName(w), className)) continue;
        if (!text.empty() && Caption(w) != text) continue;
        return w;
    }
    return nullptr;
}

HWND ChildById(HWND parent, int id) {
    return GetDlgItem(parent, id);
}

// ---- Reading --------------------------------------------------------------------

std::string Caption(HWND window) {
    // GetWindowTextLengthA may ask the window's program; a growing buffer does not.
    std::string text(256, '\0');
    for (;;) {
        const int got = GetWindowTextA(window, text.data(), static_cast<int>(text.size()));
        if (got < 0) return {};
        if (static_cast<size_t>(got) + 2 < text.size() || text.size() >= (1u << 20)) {
            text.resize(static_cast<size_t>(got));
            return text;
        }
        text.resize(text.size() * 4);
    }
}

std::string ClassName(HWND window) {
    char name[256];
    const int got = GetClassNameA(window, name, sizeof name);
    return got > 0 ? std::string(name, static_cast<size_t>(got)) : std::string();
}

bool IsEnabled(HWND window) {
    return IsWindowEnabled(window) != FALSE;
}

bool IsVisible(HWND window) {
    return IsWindowVisible(window) != FALSE;
}

RECT WindowRect(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return r;
}

SIZE ClientSize(HWND window) {
    RECT r{};
    GetClientRect(window, &r);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

POINT ClientOrigin(HWND window) {
    POINT p{0, 0};
    ClientToScreen(window, &p);
    return p;
}

POINT ScreenCentre(HWND window) {
    const RECT r = WindowRect(window);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

LONG Style(HWND window) {
    return GetWindowLongA(window, GWL_STYLE);
}

LONG ExStyle(HWND window) {
    return GetWindowLongA(window, GWL_EXSTYLE);
}

bool IsTopMost(HWND window) {
    return (ExStyle(window) & WS_EX_TOPMOST) != 0;
}

HWND Owner(HWND window) {
    return GetWindow(window, GW_OWNER);
}

int ControlId(HWND window) {
    return GetDlgCtrlID(window);
}

// ---- Acting ---------------------------------------------------------------------

bool ClickButton(HWND button) {
    if (!Clickable(button)) return false;
    const SIZE size = ClientSize(button);
    return PostMouse(button, MouseButton::Left, size.cx / 2, size.cy / 2);
}

bool ReleaseMouseButton(HWND window, MouseButton which, int x, int y) {
    if (!Clickable(window)) return false;
    return PostMouse(window, which, x, y);
}

// Under Wine each program reads the X events of its windows only when it next
// waits for messages, and an old "pointer entered" event, read late, puts the
// pointer back where it entered: a click pressed just then is moved away from
// its button between press and release. So the programs under the old and the
// new point are made to take their messages until the pointer has kept its
// place for a few polls.
bool MovePointer(int x, int y) {
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    if (width <= 0 || height <= 0) return false;
    // Absolute coordinates run from 0 to 65535 over the screen; a pixel x maps
    // back as dx * width / 65536, so round up.
    INPUT move{};
    move.type = INPUT_MOUSE;
    move.mi.dx = static_cast<LONG>((x * 65536LL + width - 1) / width);
    move.mi.dy = static_cast<LONG>((y * 65536LL + height - 1) / height);
    move.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    POINT previous{};
    GetCursorPos(&previous);
    const POINT target{x, y};
    constexpr int kQuietPolls = 5;
    int quiet = 0;
    const ULONGLONG start = GetTickCount64();
    while (GetTickCount64() - start < 1000) {
        if (!CursorAt(x, y)) {
            if (SendInput(1, &move, sizeof(INPUT)) != 1) return false;
            if (!CursorAt(x, y)) SetCursorPos(x, y);
            quiet = 0;
        } else if (++quiet >= kQuietPolls) {
            return true;
        }
        Ping(WindowFromPoint(previous));
        Ping(WindowFromPoint(target));
        Sleep(kPollMs);
    }
    return false;
}

bool ClickAt(int screenX, int screenY, MouseButton which) {
    DWORD down = MOUSEEVENTF_LEFTDOWN, up = MOUSEEVENTF_LEFTUP;
    if (which == MouseButton::Right) {
        down = MOUSEEVENTF_RIGHTDOWN;
        up = MOUSEEVENTF_RIGHTUP;
    } else if (which == MouseButton::Middle) {
        down = MOUSEEVENTF_MIDDLEDOWN;
        up = MOUSEEVENTF_MIDDLEUP;
    }
    if (!MovePointer(screenX, screenY)) return false;
    INPUT press[2]{};
    press[0].type = press[1].type = INPUT_MOUSE;
    press[0].mi.dwFlags = down;
    press[1].mi.dwFlags = up;
    return SendInput(2, press, sizeof(INPUT)) == 2;
}

bool ClickAt(POINT screen, MouseButton which) {
    return ClickAt(screen.x, screen.y, which);
}

bool PressKey(HWND window, UINT virtualKey) {
    const UINT scan = MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC);
    // Repeat count 1 and the scan code; a release also has the previous-state
    // and transition bits.
    const DWORD downBits = 1u | (scan << 16);
    const DWORD upBits = downBits | 0xC0000000u;
    if (!PostMessageA(window, WM_KEYDOWN, virtualKey, static_cast<LPARAM>(downBits))) return false;
    // The press may already have closed the window (Escape or Enter in a menu).
    PostMessageA(window, WM_KEYUP, virtualKey, static_cast<LPARAM>(upBits));
    return true;
}

bool PostMessageTo(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return PostMessageA(window, message, wParam, lParam) != FALSE;
}

bool PostClose(HWND window) {
    return PostMessageTo(window, WM_CLOSE);
}

bool SetEditText(HWND edit, const std::string& text) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                               SMTO_ABORTIFHUNG, kSendMs, &result) != 0 &&
           result != FALSE;
}

std::string EditText(HWND control) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(control, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kSendMs, &length)) {
        return {};
    }
    // The length may be an overestimate for double-byte text; the copy tells.
    std::string text(static_cast<size_t>(length) + 1, '\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutA(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                             SMTO_ABORTIFHUNG, kSendMs, &copied)) {
        return {};
    }
    text.resize(std::min<size_t>(static_cast<size_t>(copied), text.size() - 1));
    return text;
}

// ---- Message boxes -----------------------------------------------------------------

HWND FindMessageBox(DWORD processId) {
    return FindTopLevel(processId, [](HWND w) { return IsWindowVisible(w) && LooksLikeMessageBox(w); });
}

HWND WaitForMessageBox(DWORD processId, DWORD timeoutMs) {
    return WaitForWindow([&] { return FindMessageBox(processId); }, timeoutMs);
}

std::string MessageBoxText(HWND box) {
    const HWND label = GetDlgItem(box, 0xFFFF);
    return label ? Caption(label) : std::string();
}

std::string MessageBoxCaption(HWND box) {
    return Caption(box);
}

bool PressMessageBoxButton(HWND box, int id) {
    if (const HWND button = GetDlgItem(box, id)) return PostMessageTo(button, BM_CLICK);
    return PostMessageTo(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
}

// ---- Pop-up menus --------------------------------------------------------------------

HWND FindPopupMenu(DWORD processId) {
    HWND found = nullptr;
    for (HWND w = FindWindowExA(nullptr, nullptr, "#32768", nullptr); w != nullptr;
         w = FindWindowExA(nullptr, w, "#32768", nullptr)) {
        if (!IsWindowVisible(w)) continue;
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        if (processId != 0 && pid != processId) continue;
        found = w;
        break;
    }
    return found;
}

HWND WaitForPopupMenu(DWORD timeoutMs, DWORD processId) {
    return WaitForWindow([&] { return FindPopupMenu(processId); }, timeoutMs);
}

RECT MenuRect(HWND menu) {
    return WindowRect(menu);
}

bool ChooseMenuItem(HWND menu, int index) {
    if (index < 0 || !IsWindow(menu)) return false;
    // Home selects the first item whatever the pointer has selected before.
    if (!PressKey(menu, VK_HOME)) return false;
    for (int i = 0; i < index; ++i) {
        if (!PressKey(menu, VK_DOWN)) return false;
    }
    return PressKey(menu, VK_RETURN);
}

bool ClickMenuItem(HWND menu, int index, int itemCount) {
    if (index < 0 || index >= itemCount || !IsWindowVisible(menu)) return false;
    // Wine draws the menu's frame, 3 pixels wide, inside a window without a
    // non-client area; with a real non-client frame the items fill the client area.
    const POINT origin = ClientOrigin(menu);
    const SIZE size = ClientSize(menu);
    const RECT frame = WindowRect(menu);
    const bool frameInside = frame.right - frame.left == size.cx && frame.bottom - frame.top == size.cy;
    const int margin = frameInside ? 3 : 0;
    const int itemHeight = (size.cy - 2 * margin) / itemCount;
    if (itemHeight <= 0) return false;
    return ClickAt(origin.x + size.cx / 2, origin.y + margin + index * itemHeight + itemHeight / 2);
}

bool CloseMenu(HWND menu) {
    return PressKey(menu, VK_ESCAPE);
}

// ---- Utilities --------------------------------------------------------------------

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    const ULONGLONG start = GetTickCount64();
    for (;;) {
        if (condition()) return true;
        if (GetTickCount64() - start >= timeoutMs) return condition();
        Sleep(kPollMs);
    }
}

std::optional<std::string> ReadFileBytes(const std::string& path) {
    UniqueHandle file(CreateFileA(path.c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return std::nullopt;
    std::string bytes;
    char buffer[65536];
    DWORD got = 0;
    for (;;) {
        if (!ReadFile(file.Get(), buffer, sizeof buffer, &got, nullptr)) return std::nullopt;
        if (got == 0) return bytes;
        bytes.append(buffer, got);
    }
}

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
    UniqueHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 20));
        DWORD written = 0;
        if (!WriteFile(file.Get(), bytes.data() + done, chunk, &written, nullptr) || written == 0) {
            return false;
        }
        done += written;
    }
    return true;
}

bool FileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string MakeTempFolder() {
    char temp[MAX_PATH + 1];
    const DWORD got = GetTempPathA(sizeof temp, temp);
    if (got == 0 || got > MAX_PATH) return {};
    const std::string parent = WithSlash(temp);
    const std::string stem = parent + "drv-" + std::to_string(GetCurrentProcessId()) + "-";
    for (ULONGLONG n = GetTickCount64(), tries = 0; tries < 1000; ++n, ++tries) {
        const std::string folder = stem + std::to_string(n);
        if (CreateDirectoryA(folder.c_str(), nullptr)) return folder + "\\";
        if (GetLastError() != ERROR_ALREADY_EXISTS) return {};
    }
    return {};
}

void RemoveFolder(const std::string& path) {
    if (path.empty()) return;
    const std::string folder = WithSlash(path);
    WIN32_FIND_DATAA found;
    {
        FindHandle search(FindFirstFileA((folder + "*").c_str(), &found));
        if (search.ok()) {
            do {
                const std::string name = found.cFileName;
                if (name == "." || name == "..") continue;
                const std::string full = folder + name;
                if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                    RemoveFolder(full);
                } else {
                    SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                    DeleteFileA(full.c_str());
                }
            } while (FindNextFileA(search.get(), &found));
        }
    }
    RemoveDirectoryA(folder.c_str());
}

std::string ExeFolder() {
    std::string path(MAX_PATH, '\0');
    for (;;) {
        const DWORD got = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (got == 0) return {};
        if (got < path.size()) {
            path.resize(got);
            break;
        }
        path.resize(path.size() * 2);
    }
    const size_t slash = LastSeparator(path);
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

}  // namespace driver
