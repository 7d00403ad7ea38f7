#include "app/U_leafcatch.h"

#include <cstdlib>

#include "app/folder_part.h"
#include "capture/U_leafcatch3.h"
#include "capture/browser_query.h"
#include "capture/page_file.h"
#include "forms/form1.h"
#include "platform/application.h"
#include "platform/file.h"
#include "settings/U_leafcatch2.h"
#include "settings/settings.h"

TForm1* Form1 = nullptr;

std::string Folder1;
std::string Folder2;
std::int32_t SavedLeft = 0;
std::int32_t SavedTop = 0;
std::string StartDir;
std::string BrowserPath;
std::string TargetFolder;
std::string TargetUrl;

namespace f = forms::form1;

TForm1::TForm1()
    : Form(f::kForm, f::kEvents<TForm1>),
      PopupMenu1({&Setup, &Exit1}),
      Exit1(*this, f::kExit1Caption, f::kExit1Click<TForm1>),
      Setup(*this, f::kSetupCaption, f::kSetupClick<TForm1>),
      BitBtn1(*this, f::kBitBtn1, f::kBitBtn1Glyph, f::kBitBtn1Events<TForm1>),
      BitBtn2(*this, f::kBitBtn2, f::kBitBtn2Glyph, f::kBitBtn2Events<TForm1>) {
    NMHTTP1.OnSuccess = [this, handler = f::kNMHTTP1Success<TForm1>] { (this->*handler)(); };
#ifdef LC_TEST_BUILD
    // The test build alone takes shorter limits from its environment, so that
    // tests of a stalled server or an oversized page end quickly.
    if (const char* ms = std::getenv("LC_TEST_HTTP_TIMEOUT_MS")) NMHTTP1.TimeoutMs = std::strtoul(ms, nullptr, 10);
    if (const char* bytes = std::getenv("LC_TEST_HTTP_MAX_BODY")) NMHTTP1.MaxBodyBytes = std::strtoull(bytes, nullptr, 10);
#endif
}

LRESULT TForm1::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TRAYNOTIFY) {
        TrayNotify(wParam, lParam);
        return 0;
    }
    return Form::Dispatch(message, wParam, lParam);
}

void TForm1::FormCreate() {
    platform::Application& application = platform::Application::Instance();
    IconData.cbSize = kIconDataSize;
    IconData.hWnd = Handle();
    IconData.uID = 1;
    IconData.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    IconData.uCallbackMessage = WM_TRAYNOTIFY;
    IconData.hIcon = application.Icon();
    lstrcpynA(IconData.szTip, application.Title().c_str(), sizeof IconData.szTip);
    Shell_NotifyIconA(NIM_ADD, &IconData);

    StartDir = platform::CurrentDirectory();
    FindBrowserPath();
    LoadSettings();
    SetLeft(SavedLeft);
    SetTop(SavedTop);
}

void TForm1::FormDestroy() {
    SaveSettings(Left(), Top());
    Shell_NotifyIconA(NIM_DELETE, &IconData);
}

void TForm1::Exit1Click() {
    platform::Application::Instance().EndProcess(0);
}

void TForm1::SetupClick() {
    OpenSettingsDialog();
}

void TForm1::BitBtn1Click() {
    SetEnabled(false);
    CapturePage(FolderPart(Folder1));
    SetEnabled(true);
}

void TForm1::BitBtn2Click() {
    SetEnabled(false);
    CapturePage(FolderPart(Folder2));
    SetEnabled(true);
}

// The disabled window is the only guard against a second run: the waits below
// keep dispatching messages, so the tray menu answers meanwhile.
void TForm1::CapturePage(std::string folder) {
    SetEnabled(false);
    SetCaption("LC(取得中)");
    Form3->Show();
    const std::string url = QueryBrowserUrl();
    if (!url.empty()) {
        TargetFolder = folder;
        TargetUrl = url;
        try {
            NMHTTP1.Get(TargetUrl);
        } catch (const platform::Exception&) {
            platform::Application::Instance().ShowMessageBox("取得できません", "Leafcatch", 0);
        }
    }
    Form3->Hide();
    SetCaption("Leafcatch");
    SetEnabled(true);
}

// The page as fetched, marked with its address, saved under a free name. A page
// that could not be saved ends the capture with its failure message.
void TForm1::NMHTTP1Success() {
    const MarkedPage marked = MarkPage(NMHTTP1.Body, TargetUrl);
    const std::string name = PageFileName(TargetUrl);
    // FindFreePath and WritePage; a name taken meanwhile moves on to the next.
    const SaveResult saved = SavePage(TargetFolder, name, marked);
    switch (saved.error) {
    case SaveError::None: return;
    case SaveError::NoFreeName: throw platform::Exception("No free file name for " + TargetFolder + name);
    case SaveError::WriteFailed: throw platform::Exception("Cannot write " + TargetFolder + name);
    }
}

void TForm1::FormPaint() {
    platform::Application::Instance().HideWindow();
    if (Folder1.empty()) ApplyFirstRunDefaults([this] { OpenSettingsDialog(); });
}

void TForm1::FormMouseUp(platform::MouseButton button) {
    if (button == platform::MouseButton::Right) OpenSettingsDialog();
}

void TForm1::BitBtn1MouseUp(platform::MouseButton button) {
    if (button == platform::MouseButton::Right) OpenSettingsDialog();
}

void TForm1::BitBtn2MouseUp(platform::MouseButton button) {
    if (button == platform::MouseButton::Right) OpenSettingsDialog();
}

// The settings dialog gives the tool window its input back when it is left.
void TForm1::OpenSettingsDialog() {
    SetEnabled(false);
    Form2->Show();
}

void TForm1::TrayNotify(WPARAM, LPARAM lParam) {
    if (lParam != WM_LBUTTONDOWN && lParam != WM_RBUTTONDOWN) return;
    POINT cursor{};
    GetCursorPos(&cursor);
    platform::Application& application = platform::Application::Instance();
    // The menu closes properly only when its owner is the foreground window.
    SetForegroundWindow(application.Handle());
    application.ProcessMessages();
    PopupMenu1.Popup(cursor.x, cursor.y);
}
