// The DDE client conversation and the browser query against the stand-in browser
// (stand_in_browser.exe, built next to this program), under Wine.
//
// DDE services belong to the wineserver: these tests expect no other "Iexplore"
// server in the prefix, and close every stand-in they start or find. Wine has a
// browser of its own (system32\iexplore.exe, with a service "IExplore" that has
// no topic WWW_GetWindowInfo): the command "Iexplore WWW_GetWindowInfo" starts it,
// and the tests end every copy that appeared while they ran.
#include <gtest/gtest.h>
#include <windows.h>
#include <ddeml.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "capture/browser_query.h"
#include "platform/dde_client.h"
#include "tests/wine/win_test_dir.h"

namespace {

using namespace std::string_literals;

constexpr char kStandInClass[] = "LcStandInBrowser";
constexpr DWORD kWaitMs = 10000;

// "日本語" and "表" (second byte 0x5C) in Shift-JIS.
const std::string kNihongo = "\x93\xFA\x96\x7B\x8C\xEA";
const std::string kHyou = "\x95\x5C";

std::string ExeFolder() {
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, n);
    return folder.substr(0, folder.rfind('\\') + 1);
}

std::string StandInPath() {
    return ExeFolder() + "stand_in_browser.exe";
}

bool IsLead(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// One argument of a command line, quoted by the usual Windows rules; a
// double-byte character is copied whole.
std::string QuoteArgument(const std::string& argument) {
    if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos) return argument;
    std::string out = "\"";
    std::size_t backslashes = 0;
    for (std::size_t i = 0; i < argument.size(); ++i) {
        const char c = argument[i];
        if (IsLead(static_cast<unsigned char>(c)) && i + 1 < argument.size()) {
            out += c;
            out += argument[++i];
            backslashes = 0;
        } else if (c == '\\') {
            out += c;
            ++backslashes;
        } else if (c == '"') {
            out.append(backslashes + 1, '\\');
            out += c;
            backslashes = 0;
        } else {
            out += c;
            backslashes = 0;
        }
    }
    out.append(backslashes, '\\');
    return out + "\"";
}

bool WaitUntil(const std::function<bool()>& done, DWORD ms = kWaitMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (done()) return true;
        if (GetTickCount() - start >= ms) return false;
        Sleep(10);
    }
}

// True when some server answers the browser's service and topic (a raw DDEML
// client, so that nothing is started).
HDDEDATA CALLBACK IgnoreDde(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR) {
    return nullptr;
}

bool BrowserServiceAnswers() {
    DWORD instance = 0;
    if (DdeInitializeA(&instance, IgnoreDde, APPCMD_CLIENTONLY, 0) != DMLERR_NO_ERROR) return false;
    HSZ service = DdeCreateStringHandleA(instance, kBrowserDdeService, CP_WINANSI);
    HSZ topic = DdeCreateStringHandleA(instance, kBrowserDdeTopic, CP_WINANSI);
    HCONV conversation = DdeConnect(instance, service, topic, nullptr);
    if (conversation) DdeDisconnect(conversation);
    DdeFreeStringHandle(instance, service);
    DdeFreeStringHandle(instance, topic);
    DdeUninitialize(instance);
    return conversation != nullptr;
}

struct WindowSearch {
    const char* windowClass;
    DWORD processId;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM lParam) {
    auto& search = *reinterpret_cast<WindowSearch*>(lParam);
    char name[64] = {};
    GetClassNameA(hwnd, name, sizeof name);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (lstrcmpiA(name, search.windowClass) == 0 && (search.processId == 0 || pid == search.processId))
        search.found.push_back(hwnd);
    return TRUE;
}

// Top-level windows of the given class (of one process, or of any).
std::vector<HWND> WindowsOfClass(const char* windowClass, DWORD processId = 0) {
    WindowSearch search{windowClass, processId, {}};
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Closes a process's windows of the class and waits for its end; kills it when
// it does not end.
void CloseProcess(HANDLE process, DWORD processId, const char* windowClass) {
    for (HWND hwnd : WindowsOfClass(windowClass, processId)) PostMessageA(hwnd, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process, 5000) != WAIT_OBJECT_0) {
        TerminateProcess(process, 1);
        WaitForSingleObject(process, 5000);
    }
}

// Closes every window of the class, and so the processes that own them.
void CloseAllOfClass(const char* windowClass) {
    for (HWND hwnd : WindowsOfClass(windowClass)) {
        DWORD pid = 0;
        GetWindowThreadProcessId(hwnd, &pid);
        HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, pid);
        if (!process) continue;
        CloseProcess(process, pid, windowClass);
        CloseHandle(process);
    }
}

// Ids of the running processes with the executable's name.
std::vector<DWORD> ProcessIds(const char* exeName) {
    std::vector<DWORD> ids;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return ids;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        if (lstrcmpiA(entry.szExeFile, exeName) == 0) ids.push_back(entry.th32ProcessID);
    }
    CloseHandle(snapshot);
    return ids;
}

// Ends the processes with the executable's name that are not in `keep`.
void EndNewProcesses(const char* exeName, const std::vector<DWORD>& keep) {
    for (DWORD id : ProcessIds(exeName)) {
        if (std::find(keep.begin(), keep.end(), id) != keep.end()) continue;
        HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, id);
        if (!process) continue;
        TerminateProcess(process, 1);
        WaitForSingleObject(process, 5000);
        CloseHandle(process);
    }
}

std::string ImageName(HWND hwnd) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (!process) return "<no process>";
    char path[MAX_PATH];
    DWORD size = MAX_PATH;
    const bool ok = QueryFullProcessImageNameA(process, 0, path, &size);
    CloseHandle(process);
    return ok ? std::string(path, size) : "<no name>";
}

// What the stand-in counted, from its state file.
struct Counts {
    int connects = -1;
    int disconnects = -1;
    int requests = -1;
};

Counts ReadCounts(const std::string& path) {
    Counts counts;
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return counts;
    char buffer[256] = {};
    DWORD got = 0;
    ReadFile(h, buffer, sizeof buffer - 1, &got, nullptr);
    CloseHandle(h);
    sscanf(buffer, "connects %d\r\ndisconnects %d\r\nrequests %d", &counts.connects, &counts.disconnects,
           &counts.requests);
    return counts;
}

// A stand-in browser started by the test; closed (or killed) with its owner.
class StandIn {
public:
    StandIn() = default;
    StandIn(const StandIn&) = delete;
    StandIn& operator=(const StandIn&) = delete;
    ~StandIn() { Close(); }

    // Starts the stand-in with the arguments and waits until its service answers
    // and the answer's conversation has ended.
    bool Start(const std::vector<std::string>& arguments, const std::string& stateFile) {
        stateFile_ = stateFile;
        std::string line = QuoteArgument(StandInPath());
        for (const std::string& a : arguments) line += " " + QuoteArgument(a);
        if (!stateFile.empty()) line += " --state " + QuoteArgument(stateFile);
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_SHOWNOACTIVATE;
        PROCESS_INFORMATION info{};
        if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
            return false;
        CloseHandle(info.hThread);
        process_ = info.hProcess;
        processId_ = info.dwProcessId;
        WaitForInputIdle(process_, kWaitMs);
        if (!WaitUntil(BrowserServiceAnswers)) return false;
        return stateFile.empty() || WaitUntil([&] {
                   const Counts c = CurrentCounts();
                   return c.connects > 0 && c.disconnects == c.connects;
               });
    }

    Counts CurrentCounts() const { return ReadCounts(stateFile_); }

    HWND Window() const {
        const std::vector<HWND> windows = WindowsOfClass(kStandInClass, processId_);
        return windows.empty() ? nullptr : windows.front();
    }

    void Close() {
        if (!process_) return;
        CloseProcess(process_, processId_, kStandInClass);
        CloseHandle(process_);
        process_ = nullptr;
    }

private:
    HANDLE process_ = nullptr;
    DWORD processId_ = 0;
    std::string stateFile_;
};

// Counts the ticks of a thread timer while it lives.
class TickCounter {
public:
    TickCounter() {
        ticks_ = 0;
        timer_ = SetTimer(nullptr, 0, 10, Tick);
    }
    ~TickCounter() { KillTimer(nullptr, timer_); }
    TickCounter(const TickCounter&) = delete;
    TickCounter& operator=(const TickCounter&) = delete;
    bool Running() const { return timer_ != 0; }
    int Ticks() const { return ticks_; }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) { ++ticks_; }
    static inline int ticks_ = 0;
    UINT_PTR timer_ = 0;
};

class BrowserQueryTestBase : public WinTestDir {
protected:
    void SetUp() override {
        WinTestDir::SetUp();
        SetEnvironmentVariableA("LC_STAND_IN_URL", nullptr);
        SetEnvironmentVariableA("LC_STAND_IN_STATE", nullptr);
        CloseAllOfClass(kStandInClass);  // left by an earlier run
        wineBrowsers_ = ProcessIds("iexplore.exe");
        ASSERT_FALSE(BrowserServiceAnswers()) << "another Iexplore DDE server runs in this prefix";
    }
    void TearDown() override {
        standIn_.Close();
        CloseAllOfClass(kStandInClass);  // started by a query
        EndNewProcesses("iexplore.exe", wineBrowsers_);
        SetEnvironmentVariableA("LC_STAND_IN_URL", nullptr);
        SetEnvironmentVariableA("LC_STAND_IN_STATE", nullptr);
        WinTestDir::TearDown();
    }

    std::string StateFile() const { return dir_ + "state.txt"; }

    // Starts the stand-in with a state file in the test's folder.
    void StartStandIn(const std::vector<std::string>& arguments) {
        ASSERT_TRUE(standIn_.Start(arguments, StateFile())) << "the stand-in browser did not answer";
    }

    // Waits until the stand-in counted `connects` connections and as many ends,
    // and `requests` requests.
    void ExpectCounts(int connects, int requests) {
        Counts c;
        WaitUntil(
            [&] {
                c = ReadCounts(StateFile());
                return c.connects == connects && c.disconnects == connects && c.requests == requests;
            },
            3000);
        EXPECT_EQ(c.connects, connects);
        EXPECT_EQ(c.disconnects, connects) << "a conversation stayed open";
        EXPECT_EQ(c.requests, requests);
    }

    StandIn standIn_;
    std::vector<DWORD> wineBrowsers_;  // running before the test
};

// ---- The DDE client conversation -----------------------------------------------

class BrowserQueryDdeClientWin : public BrowserQueryTestBase {};

TEST_F(BrowserQueryDdeClientWin, StartCommand) {
    using platform::DdeClientConv;
    EXPECT_EQ(DdeClientConv::StartCommand("", "Iexplore", "WWW_GetWindowInfo"), "Iexplore WWW_GetWindowInfo");
    EXPECT_EQ(DdeClientConv::StartCommand("C:\\Browser\\b.exe", "S", "T"), "C:\\Browser\\b.exe");
    EXPECT_EQ(DdeClientConv::StartCommand("C:\\Program Files\\B\\b.exe", "S", "T"),
              "\"C:\\Program Files\\B\\b.exe\"");
    EXPECT_EQ(DdeClientConv::StartCommand("\"C:\\Program Files\\B\\b.exe\" -x", "S", "T"),
              "\"C:\\Program Files\\B\\b.exe\" -x");
    EXPECT_EQ(DdeClientConv::StartCommand("C:\\" + kHyou + " x\\b.exe", "S", "T"),
              "\"C:\\" + kHyou + " x\\b.exe\"");
}

TEST_F(BrowserQueryDdeClientWin, LinkOpenRequestClose) {
    StartStandIn({"http://example.com/", "--title", "T"});
    platform::DdeClientConv conv;
    EXPECT_FALSE(conv.RequestData(kBrowserDdeItem)) << "no conversation yet";

    ASSERT_TRUE(conv.SetLink(kBrowserDdeService, kBrowserDdeTopic));
    EXPECT_TRUE(conv.Connected());
    EXPECT_EQ(conv.DdeService(), kBrowserDdeService);
    EXPECT_EQ(conv.DdeTopic(), kBrowserDdeTopic);
    EXPECT_EQ(conv.DdeFormat(), static_cast<UINT>(CF_TEXT));

    EXPECT_FALSE(conv.OpenLink()) << "open already: nothing done";
    EXPECT_TRUE(conv.Connected());
    EXPECT_EQ(conv.DdeService(), kBrowserDdeService);

    // Every byte of the data, the stand-in's NUL included.
    EXPECT_EQ(conv.RequestData(kBrowserDdeItem), "\"http://example.com/\",\"T\"\0"s);
    const DWORD start = GetTickCount();
    EXPECT_FALSE(conv.RequestData("another item")) << "refused";
    EXPECT_LT(GetTickCount() - start, 2000u) << "a refusal ends the wait";
    EXPECT_EQ(conv.RequestData(kBrowserDdeItem), "\"http://example.com/\",\"T\"\0"s);

    conv.CloseLink();
    EXPECT_FALSE(conv.Connected());
    EXPECT_EQ(conv.DdeService(), "");
    EXPECT_EQ(conv.DdeTopic(), "");
    conv.CloseLink();  // nothing open: nothing done
    EXPECT_FALSE(conv.RequestData(kBrowserDdeItem));
    // Service and topic were cleared: there is nothing to open.
    EXPECT_FALSE(conv.OpenLink());
    EXPECT_FALSE(conv.Connected());

    // A new link on the same object.
    ASSERT_TRUE(conv.SetLink(kBrowserDdeService, kBrowserDdeTopic));
    EXPECT_TRUE(conv.RequestData(kBrowserDdeItem).has_value());
    conv.CloseLink();
    ExpectCounts(1 + 2, 4);  // the start's probe, then two links
}

TEST_F(BrowserQueryDdeClientWin, RequestsOneAfterAnotherOnOneConversation) {
    StartStandIn({"http://example.com/"});
    platform::DdeClientConv conv;
    ASSERT_TRUE(conv.SetLink(kBrowserDdeService, kBrowserDdeTopic));
    const DWORD start = GetTickCount();
    for (int i = 0; i < 20; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(ReplyFromData(conv.RequestData(kBrowserDdeItem)), "\"http://example.com/\",\"Stand-in page\"");
    }
    EXPECT_LT(GetTickCount() - start, 5000u);
}

TEST_F(BrowserQueryDdeClientWin, DestructionClosesTheLink) {
    StartStandIn({"http://example.com/"});
    {
        platform::DdeClientConv conv;
        ASSERT_TRUE(conv.SetLink(kBrowserDdeService, kBrowserDdeTopic));
        EXPECT_EQ(standIn_.CurrentCounts().connects, 2);
    }
    ExpectCounts(2, 0);
}

TEST_F(BrowserQueryDdeClientWin, FailedLinkClearsServiceAndTopic) {
    platform::DdeClientConv conv;
    conv.ServiceApplication = dir_ + "no such folder\\no browser.exe";
    EXPECT_FALSE(conv.SetLink(kBrowserDdeService, kBrowserDdeTopic));
    EXPECT_FALSE(conv.Connected());
    EXPECT_EQ(conv.DdeService(), "");
    EXPECT_EQ(conv.DdeTopic(), "");
    EXPECT_FALSE(conv.RequestData(kBrowserDdeItem));
    conv.CloseLink();
}

TEST_F(BrowserQueryDdeClientWin, DataKeptByteForByte) {
    StartStandIn({"--reply-hex", "22 41 00 42 95 5C 22 00 00"});
    platform::DdeClientConv conv;
    ASSERT_TRUE(conv.SetLink(kBrowserDdeService, kBrowserDdeTopic));
    EXPECT_EQ(conv.RequestData(kBrowserDdeItem), "\"A\0B\x95\x5C\"\0\0"s);
}

TEST_F(BrowserQueryDdeClientWin, TimeOutGivesNoneWhileMessagesFlow) {
    StartStandIn({"http://example.com/", "--delay-ms", "2000"});
    platform::DdeClientConv conv;
    conv.RequestTimeout = 300;
    ASSERT_TRUE(conv.SetLink(kBrowserDdeService, kBrowserDdeTopic));
    TickCounter counter;
    ASSERT_TRUE(counter.Running());
    const DWORD start = GetTickCount();
    EXPECT_FALSE(conv.RequestData(kBrowserDdeItem));
    const DWORD elapsed = GetTickCount() - start;
    EXPECT_GE(elapsed, 290u);
    EXPECT_LT(elapsed, 1500u);
    EXPECT_GE(counter.Ticks(), 5) << "the timer stood still during the wait";
}

// ---- The query ---------------------------------------------------------------------

class BrowserQueryWin : public BrowserQueryTestBase {};

TEST_F(BrowserQueryWin, ReturnsTheAddressByteForByte) {
    const std::string addresses[] = {
        "http://example.com/dir/page.html?q=1&r=2#top",
        "http://example.com/" + kNihongo + "/" + kHyou + "/" + kHyou + ".html",
    };
    for (const std::string& address : addresses) {
        StartStandIn({address, "--title", kNihongo + " page"});
        EXPECT_EQ(QueryBrowserUrlWith(""), address);
        standIn_.Close();
    }
}

TEST_F(BrowserQueryWin, ReportsTheAddressTheUserTypedIn) {
    StartStandIn({"http://example.com/first.html"});
    HWND edit = FindWindowExA(standIn_.Window(), nullptr, "Edit", nullptr);
    ASSERT_NE(edit, nullptr);
    const std::string typed = "http://example.com/" + kNihongo + ".html";
    DWORD_PTR result = 0;
    ASSERT_TRUE(SendMessageTimeoutA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(typed.c_str()), SMTO_ABORTIFHUNG,
                                    2000, &result));
    EXPECT_EQ(QueryBrowserUrlWith(""), typed);
}

struct RawReply {
    const char* name;
    std::vector<std::string> arguments;
    std::string address;
};

TEST_F(BrowserQueryWin, MalformedReplies) {
    const RawReply replies[] = {
        {"two leading quotes", {"--reply", "\"\"http://a/\",\"t\""}, ""},
        {"empty address", {"", "--title", "t"}, ""},
        {"no closing quote", {"--reply", "\"http://a/"}, ""},
        {"one character", {"--reply", "\""}, ""},
        {"first character not a quote", {"--reply-hex", "78 68 3A 2F 22 00"}, "h:/"},
        {"closing quote only after a NUL", {"--reply-hex", "22 68 3A 2F 00 22 00"}, ""},
        {"NUL first", {"--reply-hex", "00 22 68 3A 2F 22 00"}, ""},
        {"no NUL at the end", {"--reply-hex", "22 68 3A 2F 22"}, "h:/"},
        {"empty data", {"--reply-hex", ""}, ""},
        {"refused", {"http://a/", "--refuse"}, ""},
    };
    for (const RawReply& reply : replies) {
        SCOPED_TRACE(reply.name);
        StartStandIn(reply.arguments);
        EXPECT_EQ(QueryBrowserUrlWith(""), reply.address);
        ExpectCounts(2, 1);
        standIn_.Close();
        DeleteFileA(StateFile().c_str());
    }
}

TEST_F(BrowserQueryWin, EachQueryOpensAndClosesItsOwnConversation) {
    StartStandIn({"http://example.com/"});
    ExpectCounts(1, 0);  // the start's probe
    EXPECT_EQ(QueryBrowserUrlWith(""), "http://example.com/");
    ExpectCounts(2, 1);
    EXPECT_EQ(QueryBrowserUrlWith(""), "http://example.com/");
    ExpectCounts(3, 2);
}

TEST_F(BrowserQueryWin, SlowReplyKeepsTheThreadsMessagesFlowing) {
    StartStandIn({"http://example.com/slow.html", "--delay-ms", "1500"});
    TickCounter counter;
    ASSERT_TRUE(counter.Running());
    const DWORD start = GetTickCount();
    EXPECT_EQ(QueryBrowserUrlWith(""), "http://example.com/slow.html");
    const DWORD elapsed = GetTickCount() - start;
    const int ticks = counter.Ticks();  // counted inside the query: nothing else dispatches
    EXPECT_GE(elapsed, 1400u);
    EXPECT_LT(elapsed, 8000u);
    EXPECT_GE(ticks, 30) << "the 10 ms timer stood still during the wait (" << elapsed << " ms)";
    ExpectCounts(2, 1);
}

TEST_F(BrowserQueryWin, NoBrowserAndNoPathGivesEmpty) {
    // The command is "Iexplore WWW_GetWindowInfo". Where it does not start, the
    // query ends at once; under Wine it starts Wine's own browser, which does not
    // serve the topic, so the second connect finds no server either.
    const DWORD start = GetTickCount();
    EXPECT_EQ(QueryBrowserUrlWith(""), "");
    EXPECT_LT(GetTickCount() - start, 5000u);
    EXPECT_TRUE(WindowsOfClass(kStandInClass).empty());
}

TEST_F(BrowserQueryWin, NoBrowserAndAMissingProgramGivesEmpty) {
    const DWORD start = GetTickCount();
    EXPECT_EQ(QueryBrowserUrlWith(dir_ + "no browser.exe"), "");
    EXPECT_LT(GetTickCount() - start, 2000u);
}

// A folder with a blank that holds the stand-in as "stand in.exe", and next to
// the folder a decoy "lc.exe": an unquoted command line would start the decoy
// with the arguments "test dir\stand in.exe".
class BrowserQueryStartWin : public BrowserQueryTestBase {
protected:
    void SetUp() override {
        BrowserQueryTestBase::SetUp();
        if (HasFatalFailure()) return;
        program_ = dir_ + "lc test dir\\stand in.exe";
        ASSERT_TRUE(CreateDirectoryA((dir_ + "lc test dir").c_str(), nullptr));
        ASSERT_TRUE(CopyFileA(StandInPath().c_str(), program_.c_str(), FALSE)) << StandInPath();
        ASSERT_TRUE(CopyFileA(StandInPath().c_str(), (dir_ + "lc.exe").c_str(), FALSE));
        // Started bare, the stand-in takes its arguments from "<name>.args".
        Put(dir_ + "lc test dir\\stand in.args", QuoteArgument(address_) + "\r\n");
        SetEnvironmentVariableA("LC_STAND_IN_STATE", StateFile().c_str());
    }

    std::string program_;
    const std::string address_ = "http://example.com/" + kNihongo + "/started.html";
};

TEST_F(BrowserQueryStartWin, StartsTheBrowserAtAPathWithABlank) {
    EXPECT_EQ(QueryBrowserUrlWith(program_), address_);

    const std::vector<HWND> windows = WindowsOfClass(kStandInClass);
    ASSERT_EQ(windows.size(), 1u);
    EXPECT_EQ(ImageName(windows[0]), program_);
    EXPECT_TRUE(IsIconic(windows[0])) << "started minimised";
    EXPECT_NE(GetForegroundWindow(), windows[0]) << "started without activation";
    ExpectCounts(1, 1);  // the second connect of the query, and its request
}

TEST_F(BrowserQueryStartWin, ABareStandInReportsTheAddressInTheEnvironment) {
    const std::string plain = dir_ + "lc test dir\\plain.exe";  // no "plain.args"
    ASSERT_TRUE(CopyFileA(StandInPath().c_str(), plain.c_str(), FALSE));
    const std::string address = "http://example.com/" + kHyou + "/from-the-environment.html";
    SetEnvironmentVariableA("LC_STAND_IN_URL", address.c_str());
    EXPECT_EQ(QueryBrowserUrlWith(plain), address);
    ExpectCounts(1, 1);
}

TEST_F(BrowserQueryStartWin, AnUnquotedPathWouldStartTheDecoy) {
    // What the quotes prevent: the same path without them starts "lc.exe".
    ASSERT_GE(WinExec(program_.c_str(), SW_SHOWMINNOACTIVE), 32u);
    // The decoy's arguments are "test dir\stand in.exe": it reports "test".
    EXPECT_EQ(QueryBrowserUrlWith(""), "test");
    const std::vector<HWND> windows = WindowsOfClass(kStandInClass);
    ASSERT_EQ(windows.size(), 1u);
    EXPECT_EQ(ImageName(windows[0]), dir_ + "lc.exe");
}

TEST_F(BrowserQueryStartWin, AStartedProgramThatDoesNotAnswerGivesEmpty) {
    // The stand-in without a DDE service.
    const std::string quiet = dir_ + "lc test dir\\quiet.exe";
    ASSERT_TRUE(CopyFileA(StandInPath().c_str(), quiet.c_str(), FALSE));
    Put(dir_ + "lc test dir\\quiet.args", "http://quiet.example/ --no-dde\r\n");
    EXPECT_EQ(QueryBrowserUrlWith(quiet), "");
    EXPECT_EQ(WindowsOfClass(kStandInClass).size(), 1u) << "the program was started";
}

}  // namespace
