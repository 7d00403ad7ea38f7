// Drives a real Windows program from a Windows test program: starts it, finds
// and reads its windows, and acts on them as a user would, from outside, through
// window messages and real input. Nothing here knows the program under test.
//
// Texts are ANSI byte strings (code page 932 under the Japanese locale) and are
// compared as exact bytes. Every wait has a bound and polls every kPollMs.
//
// Two ways to act:
//   - posted messages (ClickButton, ReleaseMouseButton, PressKey, ChooseMenuItem,
//     PressMessageBoxButton): go straight into the target's queue; they do not
//     depend on the pointer, on what covers the window or on the foreground;
//   - real input (ClickAt, ClickMenuItem): SendInput at screen coordinates, the
//     path a user's click takes; the point must not be covered by another window.
// Nothing here ever sends a message that waits for the target without a bound.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace driver {

// Default bound of the waits, and the polling interval.
inline constexpr DWORD kWaitMs = 5000;
inline constexpr DWORD kPollMs = 10;
// Bound of the few messages sent (not posted) to another process.
inline constexpr DWORD kSendMs = 2000;

// Owns a kernel handle; null and INVALID_HANDLE_VALUE both mean "none".
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE h) : h_(h) {}
    UniqueHandle(UniqueHandle&& other) noexcept : h_(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept;
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() { Reset(); }

    HANDLE Get() const { return h_; }
    explicit operator bool() const { return h_ != nullptr && h_ != INVALID_HANDLE_VALUE; }
    HANDLE Release();
    void Reset(HANDLE h = nullptr);

private:
    HANDLE h_ = nullptr;
};

// A started program. Move-only; the destructor kills the program if it still
// runs (exit status kKilledExitCode) and waits for its end, so a failing test
// never leaves a program behind.
class Process {
public:
    static constexpr UINT kKilledExitCode = 0xDEAD;

    // Starts `exePath` with the command line `"exePath" args` in `workingDir`,
    // then waits (at most idleMs) until it first waits for input; a program that
    // never does (a console program) just costs the wait. Throws
    // std::runtime_error when the program cannot be started.
    static Process Launch(const std::string& exePath, const std::string& workingDir,
                          const std::string& args = "", DWORD idleMs = kWaitMs);

    Process(Process&&) noexcept = default;
    Process& operator=(Process&& other) noexcept;
    ~Process() { Kill(); }

    DWORD Id() const { return id_; }
    HANDLE Handle() const { return process_.Get(); }
    bool Running() const;
    // The exit status once the program has ended, or nothing after timeoutMs.
    std::optional<DWORD> WaitForExit(DWORD timeoutMs = kWaitMs) const;
    // Terminates the program if it runs and waits (bounded) for its end.
    void Kill();

private:
    Process() = default;
    UniqueHandle process_;
    DWORD id_ = 0;
};

// ---- Finding windows -------------------------------------------------------

// Top-level windows of a process, hidden ones included, in Z order (top first).
std::vector<HWND> TopLevelWindows(DWORD processId);
// First top-level window of the process with exactly this caption.
HWND FindWindowByCaption(DWORD processId, const std::string& caption, bool visibleOnly = true);
// First top-level window of the process of this class (compared ignoring case).
HWND FindWindowByClass(DWORD processId, const std::string& className, bool visibleOnly = false);
// Calls `find` until it returns a window; null after timeoutMs.
HWND WaitForWindow(const std::function<HWND()>& find, DWORD timeoutMs = kWaitMs);
// A visible top-level window of the process with exactly this caption.
HWND WaitForWindow(DWORD processId, const std::string& caption, DWORD timeoutMs = kWaitMs);

// All descendants of `parent` (children, their children, ...).
std::vector<HWND> ChildWindows(HWND parent);
// First descendant with this class (ignoring case) and caption; an empty
// argument matches anything. Captions are what Caption() reads, so an edit
// control is found by its class only.
HWND FindChild(HWND parent, const std::string& className, const std::string& text = "");
// The child with this control id, or null.
HWND ChildById(HWND parent, int id);

// ---- Reading ---------------------------------------------------------------

// The caption stored with the window (GetWindowTextA). Never waits for the
// window's program. Right for top-level windows, buttons and labels; an edit
// control keeps its text itself: use EditText.
std::string Caption(HWND window);
std::string ClassName(HWND window);
bool IsEnabled(HWND window);
bool IsVisible(HWND window);  // the window and all its ancestors are shown
RECT WindowRect(HWND window);  // screen coordinates, frame included
SIZE ClientSize(HWND window);
POINT ClientOrigin(HWND window);  // screen position of the client area's top-left
POINT ScreenCentre(HWND window);  // screen position of the window's centre
LONG Style(HWND window);
LONG ExStyle(HWND window);
bool IsTopMost(HWND window);  // WS_EX_TOPMOST
HWND Owner(HWND window);      // GetWindow(GW_OWNER); null when unowned
int ControlId(HWND window);

// ---- Acting ----------------------------------------------------------------

enum class MouseButton { Left, Right, Middle };

// Posts a mouse move and a left button press and release at the centre of the
// button's client area, as the button receives a user's click. Posts nothing
// and returns false when the button or one of its ancestors is hidden or
// disabled (a user could not click it; posted messages would reach it anyway).
bool ClickButton(HWND button);
// Posts a mouse move, then the press and release of `which`, at (x, y) in the
// window's client coordinates. Same refusal as ClickButton.
bool ReleaseMouseButton(HWND window, MouseButton which, int x, int y);
// Moves the pointer (SendInput) to the screen point and waits, at most a
// second, until it stays there; the programs under the old and the new point
// are made to take their pending messages meanwhile (about 60 ms).
bool MovePointer(int screenX, int screenY);
// A real click (SendInput): moves the pointer to the screen point as
// MovePointer does, presses and releases. The window under the point receives
// it; disabled windows ignore it.
// Two clicks at one point within the double-click time make a double click.
bool ClickAt(int screenX, int screenY, MouseButton which = MouseButton::Left);
bool ClickAt(POINT screen, MouseButton which = MouseButton::Left);
// Posts a key press and release (WM_KEYDOWN, WM_KEYUP) to the window. True
// when the press was posted; the press may close the window before the release
// is posted (Escape or Enter in a menu), which is not a failure.
bool PressKey(HWND window, UINT virtualKey);
bool PostMessageTo(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
// Posts WM_CLOSE, like the close box. (Not named CloseWindow: Win32 has one.)
bool PostClose(HWND window);
// Replaces an edit control's text (WM_SETTEXT, sent with a bound).
bool SetEditText(HWND edit, const std::string& text);
// Asks the control for its text (WM_GETTEXT, sent with a bound); works for edit
// controls of another process. Empty when the program does not answer.
std::string EditText(HWND control);

// ---- Message boxes ---------------------------------------------------------

// A visible top-level message box of the process: a "#32770" window with the
// text label (id 0xFFFF) and nothing but labels and buttons. Null if none.
HWND FindMessageBox(DWORD processId);
HWND WaitForMessageBox(DWORD processId, DWORD timeoutMs = kWaitMs);
std::string MessageBoxText(HWND box);
std::string MessageBoxCaption(HWND box);
// Presses the box's button with this id (IDOK, IDCANCEL, IDYES, ...) by a posted
// BM_CLICK; without such a button, posts WM_COMMAND with the id to the box.
bool PressMessageBoxButton(HWND box, int id = IDOK);

// ---- Pop-up menus ----------------------------------------------------------

// A visible pop-up menu window ("#32768"), of the process when processId is not 0.
HWND FindPopupMenu(DWORD processId = 0);
HWND WaitForPopupMenu(DWORD timeoutMs = kWaitMs, DWORD processId = 0);
RECT MenuRect(HWND menu);
// Chooses the item at `index` with the keyboard: posts Home (first item, even
// if the pointer has selected another), Down `index` times, then Enter.
// Separators are skipped by the menu and not counted in `index`; a disabled
// item is counted but cannot be chosen. Posted keys are taken before any
// pointer movement, so this is independent of fonts, of where the menu stands
// and of where the pointer is.
bool ChooseMenuItem(HWND menu, int index);
// Chooses the item at `index` with a real click at its centre, for a menu of
// `itemCount` items of equal height (no separators). Wine draws a 3-pixel frame
// inside the menu window (an item is 17 pixels high with the default font);
// this is allowed for.
bool ClickMenuItem(HWND menu, int index, int itemCount);
// Closes the menu without choosing (posted Escape).
bool CloseMenu(HWND menu);

// ---- Utilities -------------------------------------------------------------

// Calls `condition` until it is true (then true) or timeoutMs has passed
// (then false); checks once more at the end.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = kWaitMs);
// The file's bytes, or nothing when it cannot be read.
std::optional<std::string> ReadFileBytes(const std::string& path);
bool WriteFileBytes(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);
// A new, empty folder under the temporary folder; the path ends in '\'.
// Empty when none could be made.
std::string MakeTempFolder();
// Removes the folder with everything in it (trailing '\' optional).
void RemoveFolder(const std::string& path);
// The folder of the running program, ending in '\' (sibling executables of a
// test program stand there).
std::string ExeFolder();

}  // namespace driver
