// Compile-time descriptions of forms and their controls, and their event bindings.
// A form's description lives in forms/; the form class hands it to its base.
#pragma once

namespace platform {

enum class MouseButton { Left, Right, Middle };

// What a form does when asked to close: hide it (the default for a secondary
// form) or nothing.
enum class CloseAction { None, Hide };

enum class BorderStyle {
    Single,      // caption, fixed size
    ToolWindow,  // small caption, fixed size, no task-bar button of its own
};

enum BorderIcons : unsigned {
    kNoBorderIcons = 0,
    kSystemMenu = 1,  // system menu and close box
};

enum class Position {
    DefaultPosOnly,  // where the system puts new windows
    ScreenCenter,
};

struct Font {
    const char* face;
    int height;  // pixels; negative: character height
    unsigned char charset;
};

inline constexpr unsigned char kShiftJisCharset = 128;

struct FormDescription {
    const char* className;  // the native window class
    const char* caption;
    int clientWidth;
    int clientHeight;
    BorderStyle border;
    unsigned borderIcons;
    bool stayOnTop;
    Position position;
    Font font;
    bool visible;
};

// Place and text of a control on its form (client coordinates, pixels).
struct ControlDescription {
    int left;
    int top;
    int width;
    int height;
    const char* caption = "";
    int tabOrder = -1;           // -1: takes no focus
    const Font* font = nullptr;  // nullptr: the form's font
};

// Event bindings of a form class F: member functions, checked at compile time.
template <class F>
struct FormEvents {
    void (F::*onCreate)() = nullptr;
    void (F::*onDestroy)() = nullptr;
    void (F::*onPaint)() = nullptr;
    void (F::*onMouseUp)(MouseButton) = nullptr;
    void (F::*onActivate)() = nullptr;
    void (F::*onClose)(CloseAction&) = nullptr;
};

template <class F>
struct ControlEvents {
    void (F::*onClick)() = nullptr;
    void (F::*onMouseUp)(MouseButton) = nullptr;
};

}  // namespace platform
