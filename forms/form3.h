// The progress notice shown while a page is fetched.
#pragma once

#include "platform/description.h"

namespace forms::form3 {

using namespace platform;

inline constexpr Font kFont{"ＭＳ Ｐゴシック", -12, kShiftJisCharset};
inline constexpr Font kLabel1Font{"ＭＳ Ｐゴシック", -28, kShiftJisCharset};

inline constexpr FormDescription kForm{
    .className = "TForm3",
    .caption = "Leafcatch",
    .clientWidth = 173,
    .clientHeight = 41,
    .border = BorderStyle::Single,
    .borderIcons = kNoBorderIcons,
    .stayOnTop = false,
    .position = Position::ScreenCenter,
    .font = kFont,
    .visible = false,
};

inline constexpr ControlDescription kLabel1{
    .left = 8, .top = 8, .width = 155, .height = 28, .caption = "HTML取得中", .font = &kLabel1Font};

template <class F>
inline constexpr FormEvents<F> kEvents{};

}  // namespace forms::form3
