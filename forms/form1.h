// The tool window: two picture buttons, always on top, and the tray menu.
#pragma once

#include "forms/resource_ids.h"
#include "platform/description.h"

namespace forms::form1 {

using namespace platform;

inline constexpr Font kFont{"ＭＳ Ｐゴシック", -12, kShiftJisCharset};

inline constexpr FormDescription kForm{
    .className = "TForm1",
    .caption = "Leafcatch",
    .clientWidth = 115,
    .clientHeight = 55,
    .border = BorderStyle::ToolWindow,
    .borderIcons = kSystemMenu,
    .stayOnTop = true,
    .position = Position::DefaultPosOnly,
    .font = kFont,
    .visible = true,
};

inline constexpr ControlDescription kBitBtn1{.left = 8, .top = 8, .width = 41, .height = 41, .tabOrder = 0};
inline constexpr unsigned kBitBtn1Glyph = IDB_GLYPH1;
inline constexpr ControlDescription kBitBtn2{.left = 64, .top = 8, .width = 41, .height = 41, .tabOrder = 1};
inline constexpr unsigned kBitBtn2Glyph = IDB_GLYPH2;

// PopupMenu1, in this order.
inline constexpr const char* kSetupCaption = "設定";
inline constexpr const char* kExit1Caption = "終了(&X)";

template <class F>
inline constexpr FormEvents<F> kEvents{
    .onCreate = &F::FormCreate,
    .onDestroy = &F::FormDestroy,
    .onPaint = &F::FormPaint,
    .onMouseUp = &F::FormMouseUp,
};
template <class F>
inline constexpr ControlEvents<F> kBitBtn1Events{.onClick = &F::BitBtn1Click, .onMouseUp = &F::BitBtn1MouseUp};
template <class F>
inline constexpr ControlEvents<F> kBitBtn2Events{.onClick = &F::BitBtn2Click, .onMouseUp = &F::BitBtn2MouseUp};
template <class F>
inline constexpr auto kSetupClick = &F::SetupClick;
template <class F>
inline constexpr auto kNMHTTP1Success = &F::NMHTTP1Success;
template <class F>
inline constexpr auto kExit1Click = &F::Exit1Click;

}  // namespace forms::form1
