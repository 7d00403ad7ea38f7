// Controls on a form, and the pop-up menu and file-save dialog components.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/description.h"
#include "platform/handles.h"

namespace platform {

class Form;

// A child window of a form, created with the form's native window.
class Control {
public:
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;
    virtual ~Control();

    HWND Handle() const { return hwnd_; }
    int Id() const { return id_; }
    int TabOrder() const { return description_.tabOrder; }
    void SetText(const std::string& text);
    std::string Text() const;

    std::function<void()> OnClick;
    std::function<void(MouseButton)> OnMouseUp;

protected:
    Control(Form& owner, const ControlDescription& description);

    template <class F>
    void Bind(F& form, const ControlEvents<F>& events) {
        if (events.onClick) OnClick = [&form, m = events.onClick] { (form.*m)(); };
        if (events.onMouseUp)
            OnMouseUp = [&form, m = events.onMouseUp](MouseButton b) { (form.*m)(b); };
    }

    // Class and styles of the native control.
    virtual const char* WindowClass() const = 0;
    virtual DWORD Style() const = 0;
    virtual DWORD ExStyle() const { return 0; }
    // Called once the native control exists.
    virtual void Created() {}

    const ControlDescription& description_;

private:
    friend class Form;
    void CreateHandle(HWND parent, HFONT formFont);
    void DestroyHandle();
    static LRESULT CALLBACK SubclassProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);

    HWND hwnd_ = nullptr;
    int id_;
    UniqueFont font_;
};

// A push button showing only its glyph (a bitmap resource).
class BitBtn : public Control {
public:
    template <class F>
    BitBtn(F& form, const ControlDescription& d, unsigned glyph, const ControlEvents<F>& events)
        : Control(form, d), glyphId_(glyph) {
        Bind(form, events);
    }

private:
    const char* WindowClass() const override { return "BUTTON"; }
    DWORD Style() const override { return BS_PUSHBUTTON | BS_BITMAP | BS_CENTER | BS_VCENTER; }
    void Created() override;

    unsigned glyphId_;
    UniqueBitmap glyph_;
};

class Button : public Control {
public:
    template <class F>
    Button(F& form, const ControlDescription& d, const ControlEvents<F>& events) : Control(form, d) {
        Bind(form, events);
    }

private:
    const char* WindowClass() const override { return "BUTTON"; }
    DWORD Style() const override { return BS_PUSHBUTTON; }
};

class Label : public Control {
public:
    Label(Form& form, const ControlDescription& d) : Control(form, d) {}

private:
    const char* WindowClass() const override { return "STATIC"; }
    DWORD Style() const override { return SS_LEFT; }
};

// A single-line edit without a length limit.
class Edit : public Control {
public:
    Edit(Form& form, const ControlDescription& d) : Control(form, d) {}

private:
    const char* WindowClass() const override { return "EDIT"; }
    DWORD Style() const override { return ES_AUTOHSCROLL; }
    DWORD ExStyle() const override { return WS_EX_CLIENTEDGE; }
    void Created() override;
};

// Shows an icon resource.
class Image : public Control {
public:
    Image(Form& form, const ControlDescription& d, const char* icon) : Control(form, d), iconName_(icon) {}

private:
    const char* WindowClass() const override { return "STATIC"; }
    DWORD Style() const override { return SS_ICON | SS_CENTERIMAGE; }
    void Created() override;

    const char* iconName_;
    UniqueIcon icon_;
};

class MenuItem {
public:
    template <class F>
    MenuItem(F& form, const char* caption, void (F::*onClick)())
        : caption_(caption), OnClick([&form, onClick] { (form.*onClick)(); }) {}

    const char* Caption() const { return caption_; }

private:
    const char* caption_;

public:
    std::function<void()> OnClick;
};

// A pop-up menu opened at a screen point; the chosen item's click runs after the
// menu has closed.
class PopupMenu {
public:
    explicit PopupMenu(std::vector<MenuItem*> items) : items_(std::move(items)) {}
    void Popup(int screenX, int screenY);

private:
    std::vector<MenuItem*> items_;
};

// The system's file-save dialog, used with an initial full file name.
class SaveDialog {
public:
    SaveDialog(Form& owner) : owner_(owner) {}

    std::string FileName;
    // Runs the dialog modally; true when confirmed. FileName then holds the chosen
    // full file name, and is left unchanged otherwise.
    bool Execute();

private:
    Form& owner_;
};

}  // namespace platform
