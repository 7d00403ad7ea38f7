// The stand-in browser: a small window program that answers the browser's
// window-information request over DDE, for tests and demonstrations.
//
//   stand_in_browser.exe [ADDRESS] [--title T] [--delay-ms N] [--reply RAW]
//                        [--reply-hex HEX] [--refuse] [--no-dde] [--state FILE]
//
// It shows the address it reports in an edit box of a top-level window captioned
// "Stand-in browser"; the user can change it. It registers the DDE service
// "Iexplore" and answers a request for the item "0xFFFFFFFF" of the topic
// "WWW_GetWindowInfo" in CF_TEXT with
//     "<address>","<title>" and a NUL
// It ends when its window closes. Arguments follow the usual Windows rules
// (double quotes group, \" is a double quote); a double-byte character is taken
// whole, so a Shift-JIS second byte 0x5C is never a backslash.
//
//   ADDRESS         the address it reports at first (the first argument, unless it
//                   begins with "--"). Without one: the environment variable
//                   LC_STAND_IN_URL, else "http://localhost/".
//   --title T       the page title in the reply; "Stand-in page" by default.
//   --delay-ms N    waits N ms before answering each request, doing nothing else
//                   meanwhile, like a busy browser.
//   --reply RAW     answers with the bytes of RAW exactly, and nothing after them.
//   --reply-hex HEX answers with the bytes written in hexadecimal (blanks allowed):
//                   "22 41 00 22" is a double quote, A, NUL, a double quote.
//   --refuse        refuses every request (the client gets no data).
//   --no-dde        registers no DDE service.
//   --state FILE    after the service is registered, and after each connection,
//                   disconnection and request, rewrites FILE with three lines:
//                       connects N / disconnects N / requests N
//                   (CR LF line ends), written as FILE.tmp and renamed over FILE.
//                   Without the option, the environment variable
//                   LC_STAND_IN_STATE names the file; without both, nothing is
//                   written. It writes no other file.
//
// Started without arguments (as the query starts it, with WinExec and the bare
// program path), it takes its arguments from the first line of the file next to
// the program with its name and the extension ".args" ("stand in.args" next to
// "stand in.exe"), when there is one.
//
// Its window's class is "LcStandInBrowser", for tests that look for it.
#include <windows.h>
#include <ddeml.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr char kWindowClass[] = "LcStandInBrowser";
constexpr char kCaption[] = "Stand-in browser";
constexpr char kService[] = "Iexplore";
constexpr char kTopic[] = "WWW_GetWindowInfo";
constexpr char kItem[] = "0xFFFFFFFF";
constexpr char kDefaultAddress[] = "http://localhost/";
constexpr char kDefaultTitle[] = "Stand-in page";
constexpr int kEditId = 100;

struct Options {
    std::string address;
    bool hasAddress = false;
    std::string title = kDefaultTitle;
    DWORD delayMs = 0;
    std::string reply;
    bool hasReply = false;
    bool refuse = false;
    bool dde = true;
    std::string stateFile;
};

struct State {
    Options options;
    std::string address;  // what the edit box shows
    HWND edit = nullptr;
    bool ready = false;   // the edit box holds the first address
    DWORD ddeInstance = 0;
    HSZ service = nullptr;
    HSZ topic = nullptr;
    HSZ item = nullptr;
    unsigned connects = 0;
    unsigned disconnects = 0;
    unsigned requests = 0;
};

State state;

bool IsLeadByte(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// Splits a command line (without the program name) into arguments.
std::vector<std::string> SplitArguments(const char* line) {
    std::vector<std::string> arguments;
    const char* p = line;
    for (;;) {
        while (*p == ' ' || *p == '\t') ++p;
        if (!*p) break;
        std::string argument;
        bool quoted = false;
        while (*p && (quoted || (*p != ' ' && *p != '\t'))) {
            if (IsLeadByte(static_cast<unsigned char>(*p)) && p[1]) {
                argument += p[0];
                argument += p[1];
                p += 2;
            } else if (*p == '\\') {
                std::size_t count = 0;
                while (*p == '\\') {
                    ++count;
                    ++p;
                }
                if (*p == '"') {
                    argument.append(count / 2, '\\');
                    if (count % 2) {
                        argument += '"';
                        ++p;
                    }
                } else {
                    argument.append(count, '\\');
                }
            } else if (*p == '"') {
                quoted = !quoted;
                ++p;
            } else {
                argument += *p++;
            }
        }
        arguments.push_back(argument);
    }
    return arguments;
}

// The command line after the program's name.
const char* ArgumentsOf(const char* line) {
    const char* p = line;
    if (*p == '"') {
        ++p;
        while (*p && *p != '"') ++p;
        if (*p) ++p;
    } else {
        while (*p && *p != ' ' && *p != '\t') ++p;
    }
    return p;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string FromHex(const std::string& hex) {
    std::string bytes;
    int high = -1;
    for (char c : hex) {
        const int value = HexValue(c);
        if (value < 0) continue;
        if (high < 0) {
            high = value;
        } else {
            bytes += static_cast<char>(high * 16 + value);
            high = -1;
        }
    }
    return bytes;
}

// An environment variable in the ANSI code page. Read through the wide function:
// Wine's GetEnvironmentVariableA cuts a value with double-byte characters short.
std::string Environment(const wchar_t* name) {
    wchar_t wide[4096];
    const DWORD n = GetEnvironmentVariableW(name, wide, 4096);
    if (n == 0 || n >= 4096) return {};
    const int size = WideCharToMultiByte(CP_ACP, 0, wide, static_cast<int>(n), nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    if (size > 0) WideCharToMultiByte(CP_ACP, 0, wide, static_cast<int>(n), text.data(), size, nullptr, nullptr);
    return text;
}

// The first line of "<program without .exe>.args", or empty text.
std::string ArgumentsFileNextToProgram() {
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return {};
    std::string name(path, n);
    const std::size_t dot = name.rfind('.');
    const std::size_t slash = name.find_last_of("\\/");
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) name.resize(dot);
    name += ".args";
    HANDLE file = CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    std::string bytes;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
    CloseHandle(file);
    return bytes.substr(0, bytes.find_first_of("\r\n"));
}

Options ParseOptions(const std::vector<std::string>& arguments) {
    Options options;
    std::size_t i = 0;
    if (!arguments.empty() && arguments[0].rfind("--", 0) != 0) {
        options.address = arguments[0];
        options.hasAddress = true;
        i = 1;
    }
    for (; i < arguments.size(); ++i) {
        const std::string& a = arguments[i];
        const bool hasValue = i + 1 < arguments.size();
        if (a == "--title" && hasValue) {
            options.title = arguments[++i];
        } else if (a == "--delay-ms" && hasValue) {
            options.delayMs = static_cast<DWORD>(std::strtoul(arguments[++i].c_str(), nullptr, 10));
        } else if (a == "--reply" && hasValue) {
            options.reply = arguments[++i];
            options.hasReply = true;
        } else if (a == "--reply-hex" && hasValue) {
            options.reply = FromHex(arguments[++i]);
            options.hasReply = true;
        } else if (a == "--refuse") {
            options.refuse = true;
        } else if (a == "--no-dde") {
            options.dde = false;
        } else if (a == "--state" && hasValue) {
            options.stateFile = arguments[++i];
        }
    }
    if (!options.hasAddress) {
        options.address = Environment(L"LC_STAND_IN_URL");
        if (options.address.empty()) options.address = kDefaultAddress;
    }
    if (options.stateFile.empty()) options.stateFile = Environment(L"LC_STAND_IN_STATE");
    return options;
}

// Rewrites the state file whole, so that a reader never sees half of it.
void WriteState() {
    const std::string& path = state.options.stateFile;
    if (path.empty()) return;
    const std::string text = "connects " + std::to_string(state.connects) + "\r\ndisconnects " +
                             std::to_string(state.disconnects) + "\r\nrequests " +
                             std::to_string(state.requests) + "\r\n";
    const std::string temporary = path + ".tmp";
    HANDLE file = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
    MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
}

HDDEDATA Answer(HSZ item) {
    std::string reply;
    if (state.options.hasReply) {
        reply = state.options.reply;
    } else {
        reply = "\"" + state.address + "\",\"" + state.options.title + "\"";
        reply += '\0';
    }
    return DdeCreateDataHandle(state.ddeInstance, reinterpret_cast<LPBYTE>(reply.data()),
                               static_cast<DWORD>(reply.size()), 0, item, CF_TEXT, 0);
}

HDDEDATA CALLBACK ServerCallback(UINT type, UINT format, HCONV, HSZ hsz1, HSZ hsz2, HDDEDATA, ULONG_PTR,
                                 ULONG_PTR) {
    switch (type) {
    case XTYP_CONNECT:
        // hsz1 is the topic.
        return reinterpret_cast<HDDEDATA>(static_cast<ULONG_PTR>(DdeCmpStringHandles(hsz1, state.topic) == 0));
    case XTYP_CONNECT_CONFIRM:
        ++state.connects;
        WriteState();
        return nullptr;
    case XTYP_DISCONNECT:
        ++state.disconnects;
        WriteState();
        return nullptr;
    case XTYP_REQUEST: {
        ++state.requests;
        WriteState();
        if (state.options.delayMs > 0) Sleep(state.options.delayMs);
        if (state.options.refuse || format != CF_TEXT || DdeCmpStringHandles(hsz1, state.topic) != 0 ||
            DdeCmpStringHandles(hsz2, state.item) != 0) {
            return nullptr;
        }
        return Answer(hsz2);
    }
    default:
        return nullptr;
    }
}

bool RegisterService() {
    const UINT flags = APPCLASS_STANDARD | CBF_FAIL_EXECUTES | CBF_FAIL_POKES | CBF_FAIL_ADVISES |
                       CBF_SKIP_REGISTRATIONS | CBF_SKIP_UNREGISTRATIONS;
    if (DdeInitializeA(&state.ddeInstance, ServerCallback, flags, 0) != DMLERR_NO_ERROR) return false;
    state.service = DdeCreateStringHandleA(state.ddeInstance, kService, CP_WINANSI);
    state.topic = DdeCreateStringHandleA(state.ddeInstance, kTopic, CP_WINANSI);
    state.item = DdeCreateStringHandleA(state.ddeInstance, kItem, CP_WINANSI);
    return state.service && state.topic && state.item &&
           DdeNameService(state.ddeInstance, state.service, nullptr, DNS_REGISTER) != nullptr;
}

void UnregisterService() {
    if (!state.ddeInstance) return;
    if (state.service) DdeNameService(state.ddeInstance, state.service, nullptr, DNS_UNREGISTER);
    for (HSZ hsz : {state.service, state.topic, state.item}) {
        if (hsz) DdeFreeStringHandle(state.ddeInstance, hsz);
    }
    DdeUninitialize(state.ddeInstance);
    state.ddeInstance = 0;
}

std::string WindowText(HWND hwnd) {
    std::string text(static_cast<std::size_t>(GetWindowTextLengthA(hwnd)) + 1, '\0');
    text.resize(static_cast<std::size_t>(GetWindowTextA(hwnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: {
        state.edit = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", state.address.c_str(),
                                     WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, 8, 8, 100, 24, hwnd,
                                     reinterpret_cast<HMENU>(static_cast<INT_PTR>(kEditId)), nullptr, nullptr);
        SendMessageA(state.edit, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
        SendMessageA(state.edit, EM_LIMITTEXT, 0, 0);
        state.ready = true;
        return 0;
    }
    case WM_SIZE:
        if (state.edit) MoveWindow(state.edit, 8, 8, LOWORD(lParam) > 16 ? LOWORD(lParam) - 16 : 0, 24, TRUE);
        return 0;
    case WM_SETFOCUS:
        if (state.edit) SetFocus(state.edit);
        return 0;
    case WM_COMMAND:
        // The address follows the user's edits; until then it keeps its exact bytes.
        if (LOWORD(wParam) == kEditId && HIWORD(wParam) == EN_CHANGE && state.ready)
            state.address = WindowText(state.edit);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
    std::vector<std::string> arguments = SplitArguments(ArgumentsOf(GetCommandLineA()));
    if (arguments.empty()) arguments = SplitArguments(ArgumentsFileNextToProgram().c_str());
    state.options = ParseOptions(arguments);
    state.address = state.options.address;

    // The service is there before the program first waits for input, so that a
    // client that started it (WinExec waits until then) finds it at once.
    if (state.options.dde) {
        if (!RegisterService()) {
            UnregisterService();
            return 2;
        }
        WriteState();
    }

    WNDCLASSA wc{};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(nullptr, MAKEINTRESOURCEA(32512) /* IDI_APPLICATION */);
    wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512) /* IDC_ARROW */);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kWindowClass;
    RegisterClassA(&wc);
    HWND window = CreateWindowExA(0, kWindowClass, kCaption, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                                  480, 90, nullptr, nullptr, instance, nullptr);
    if (!window) {
        UnregisterService();
        return 1;
    }
    ShowWindow(window, show);
    UpdateWindow(window);

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (IsDialogMessageA(window, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    UnregisterService();
    return 0;
}
