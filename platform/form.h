// A top-level window built from its description, with named event handlers.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/description.h"
#include "platform/handles.h"

namespace platform {

class Control;

// A font as described.
UniqueFont MakeFont(const Font& font);

class Form {
public:
    template <class F>
    Form(const FormDescription& description, const FormEvents<F>& events) : description_(description) {
        Bind(static_cast<F*>(this), events);
    }
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;
    virtual ~Form();

    // The native window; created, with its controls, when first asked for.
    HWND Handle();
    bool HandleAllocated() const { return hwnd_ != nullptr; }

    void Show();  // visible, then brought to the front
    void Hide();
    bool Visible() const;
    void BringToFront();
    void SetEnabled(bool enabled);
    bool Enabled() const;
    void SetCaption(const std::string& caption);
    std::string Caption() const;
    int Left() const;
    int Top() const;
    void SetLeft(int left);
    void SetTop(int top);
    // As the close box: the close handler decides; closing the main form ends the
    // event loop, closing another form hides it by default.
    void Close();

    std::function<void()> OnCreate;
    std::function<void()> OnDestroy;
    std::function<void()> OnPaint;
    std::function<void()> OnActivate;
    std::function<void(MouseButton)> OnMouseUp;
    std::function<void(CloseAction&)> OnClose;

protected:
    // The form's own handling of a message. A form class overrides it to route a
    // message of its own and passes every other message on to this.
    virtual LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);

private:
    friend class Application;
    friend class Control;

    template <class F>
    void Bind(F* self, const FormEvents<F>& events) {
        auto bind = [self](auto member, auto& handler) {
            if (member) handler = [self, member](auto... args) { (self->*member)(args...); };
        };
        bind(events.onCreate, OnCreate);
        bind(events.onDestroy, OnDestroy);
        bind(events.onPaint, OnPaint);
        bind(events.onActivate, OnActivate);
        bind(events.onMouseUp, OnMouseUp);
        bind(events.onClose, OnClose);
    }

    void AfterConstruction();   // creation handler, then shown when described visible
    void BeforeDestruction();   // hidden, destruction handler, native window destroyed
    void CreateHandle();
    void DestroyHandle();
    void AddControl(Control* control) { controls_.push_back(control); }
    Control* FindControl(HWND child) const;

    void WmPaint();
    void WmCommand(WPARAM wParam, LPARAM lParam);
    void WmActivate(WPARAM wParam, LPARAM lParam);
    void WmMouseUp(MouseButton button);
    void WmClose();

    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    const FormDescription& description_;
    HWND hwnd_ = nullptr;
    UniqueFont font_;
    std::vector<Control*> controls_;
    HWND lastFocus_ = nullptr;
    bool shownSinceActivation_ = false;
};

}  // namespace platform
