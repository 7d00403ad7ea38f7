#include "app/U_leafcatch.h"

#include "forms/form1.h"
#include "platform/application.h"

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
      BitBtn2(*this, f::kBitBtn2, f::kBitBtn2Glyph, f::kBitBtn2Events<TForm1>) {}

LRESULT TForm1::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TRAYNOTIFY) {
        TrayNotify(wParam, lParam);
        return 0;
    }
    return Form::Dispatch(message, wParam, lParam);
}

// The handlers below gain their work with the settings file, the tray icon and
// the capture run.
void TForm1::FormCreate() {}

void TForm1::FormDestroy() {}

void TForm1::Exit1Click() {}

void TForm1::SetupClick() {}

void TForm1::BitBtn1Click() {}

void TForm1::BitBtn2Click() {}

void TForm1::FormPaint() {
    platform::Application::Instance().HideWindow();
}

void TForm1::FormMouseUp(platform::MouseButton) {}

void TForm1::BitBtn1MouseUp(platform::MouseButton) {}

void TForm1::BitBtn2MouseUp(platform::MouseButton) {}

void TForm1::TrayNotify(WPARAM, LPARAM) {}
