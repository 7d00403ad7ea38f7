#include "platform/controls.h"

#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>

#include "platform/application.h"
#include "platform/form.h"

namespace platform {

namespace {

int next_control_id = 100;  // ids 1 and 2 are the dialog keys' IDOK and IDCANCEL

}  // namespace

Control::Control(Form& owner, const ControlDescription& description)
    : description_(description), id_(next_control_id++) {
    owner.AddControl(this);
}

Control::~Control() {
    DestroyHandle();
}

void Control::CreateHandle(HWND parent, HFONT formFont) {
    const ControlDescription& d = description_;
    DWORD style = WS_CHILD | WS_VISIBLE | Style();
    if (d.tabOrder >= 0) style |= WS_TABSTOP;
    hwnd_ = CreateWindowExA(ExStyle(), WindowClass(), d.caption, style, d.left, d.top, d.width, d.height,
                            parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id_)),
                            GetModuleHandleA(nullptr), nullptr);
    if (!hwnd_) throw Exception("Error creating window");
    HFONT font = formFont;
    if (d.font) {
        font_ = MakeFont(*d.font);
        font = font_.get();
    }
    SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    SetWindowSubclass(hwnd_, SubclassProc, 1, reinterpret_cast<DWORD_PTR>(this));
    Created();
}

void Control::DestroyHandle() {
    if (!hwnd_) return;
    RemoveWindowSubclass(hwnd_, SubclassProc, 1);
    DestroyWindow(hwnd_);
    hwnd_ = nullptr;
}

void Control::SetText(const std::string& text) {
    if (hwnd_) SetWindowTextA(hwnd_, text.c_str());
}

std::string Control::Text() const {
    if (!hwnd_) return {};
    std::string text(static_cast<std::size_t>(GetWindowTextLengthA(hwnd_)) + 1, '\0');
    text.resize(static_cast<std::size_t>(GetWindowTextA(hwnd_, text.data(), static_cast<int>(text.size()))));
    return text;
}

// Mouse releases over a control reach its OnMouseUp after the control's own handling.
LRESULT CALLBACK Control::SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                       DWORD_PTR data) {
    const LRESULT result = DefSubclassProc(hwnd, message, wParam, lParam);
    auto* control = reinterpret_cast<Control*>(data);
    MouseButton button;
    switch (message) {
    case WM_LBUTTONUP: button = MouseButton::Left; break;
    case WM_RBUTTONUP: button = MouseButton::Right; break;
    case WM_MBUTTONUP: button = MouseButton::Middle; break;
    default: return result;
    }
    if (control->OnMouseUp) {
        try {
            control->OnMouseUp(button);
        } catch (...) {
            HandleException();
        }
    }
    return result;
}

void BitBtn::Created() {
    // The glyphs' light grey background becomes the button face.
    glyph_.reset(static_cast<HBITMAP>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(glyphId_),
                                                 IMAGE_BITMAP, 0, 0, LR_LOADMAP3DCOLORS)));
    SendMessageA(Handle(), BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(glyph_.get()));
}

void Edit::Created() {
    SendMessageA(Handle(), EM_SETLIMITTEXT, 0, 0);  // no limit
}

void Image::Created() {
    icon_.reset(static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), iconName_, IMAGE_ICON, 32, 32, 0)));
    SendMessageA(Handle(), STM_SETICON, reinterpret_cast<WPARAM>(icon_.get()), 0);
}

void PopupMenu::Popup(int screenX, int screenY) {
    UniqueMenu menu(CreatePopupMenu());
    for (std::size_t i = 0; i < items_.size(); ++i) {
        AppendMenuA(menu.get(), MF_STRING, i + 1, items_[i]->Caption());
    }
    HWND owner = Application::Instance().Handle();
    const UINT chosen = static_cast<UINT>(
        TrackPopupMenu(menu.get(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY,
                       screenX, screenY, 0, owner, nullptr));
    PostMessageA(owner, WM_NULL, 0, 0);  // lets the menu close properly when focus moves away
    if (chosen >= 1 && chosen <= items_.size() && items_[chosen - 1]->OnClick) items_[chosen - 1]->OnClick();
}

bool SaveDialog::Execute() {
    std::string buffer = FileName;
    buffer.resize(std::max<std::size_t>(buffer.size() + 1, 32768), '\0');
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner_.Handle();
    ofn.lpstrFile = buffer.data();
    ofn.nMaxFile = static_cast<DWORD>(buffer.size());
    ofn.Flags = OFN_HIDEREADONLY | OFN_NOVALIDATE | OFN_ENABLESIZING | OFN_EXPLORER;
    if (!GetSaveFileNameA(&ofn)) return false;
    FileName = buffer.c_str();
    return true;
}

}  // namespace platform
