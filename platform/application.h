// The application object: the hidden application window that owns every form,
// the forms in creation order, the event loop and the default error report.
#pragma once

#include <windows.h>

#include <exception>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "platform/exception.h"
#include "platform/form.h"

namespace platform {

class Application {
public:
    // The one application object, made on first use (inside the entry point, so it
    // ends before any global made earlier: the forms go first at the end).
    static Application& Instance();

    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;
    ~Application();  // destroys the forms, the last created first

    void Initialize();

    // The application window: hidden, it keeps the program off the task bar.
    HWND Handle() const { return handle_; }
    void HideWindow();

    void SetTitle(const std::string& title);
    const std::string& Title() const { return title_; }
    HICON Icon() const { return icon_; }

    // Creates a form owned by the application. `variable` refers to the form from
    // before its constructor runs; it is reset to null when the constructor throws.
    template <class F>
    void CreateForm(F*& variable) {
        void* memory = ::operator new(sizeof(F));
        variable = static_cast<F*>(memory);
        F* form = nullptr;
        try {
            form = ::new (memory) F();
        } catch (...) {
            ::operator delete(memory);
            variable = nullptr;
            throw;
        }
        Adopt(std::unique_ptr<Form>(form));
    }
    Form* MainForm() const { return forms_.empty() ? nullptr : forms_.front().get(); }
    bool IsProgramWindow(HWND hwnd) const;

    // Shows the main form and dispatches events until Terminate.
    void Run();
    // Dispatches the events waiting in the queue, then returns.
    void ProcessMessages();
    void Terminate();
    bool Terminated() const { return terminated_; }

    // The default error report.
    void ShowException(const std::exception& error);
    // A message box owned by the application window; the program's other windows
    // take no input while it is open.
    int ShowMessageBox(const std::string& text, const std::string& caption, UINT flags);

    // Destroys every form, the last created first.
    void DestroyForms();

    // Ends the process with `status` after the ordered end: forms destroyed, then
    // the program's globals.
    [[noreturn]] void EndProcess(int status);

private:
    Application();
    void Adopt(std::unique_ptr<Form> form);
    bool DispatchOne(MSG& message);
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    HWND handle_ = nullptr;
    HICON icon_ = nullptr;
    std::string title_;
    std::vector<std::unique_ptr<Form>> forms_;
    bool terminated_ = false;
};

// Reports an exception that escaped an event handler; never throws.
void HandleException() noexcept;

}  // namespace platform
