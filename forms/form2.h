// The settings dialog, which is also the about box.
#pragma once

#include "platform/description.h"

namespace forms::form2 {

using namespace platform;

inline constexpr Font kFont{"ＭＳ Ｐゴシック", -12, kShiftJisCharset};

inline constexpr FormDescription kForm{
    .className = "TForm2",
    .caption = "Leafcatch",
    .clientWidth = 644,
    .clientHeight = 186,
    .border = BorderStyle::Single,
    .borderIcons = kSystemMenu,
    .stayOnTop = false,
    .position = Position::ScreenCenter,
    .font = kFont,
    .visible = false,
};

inline constexpr const char* kImage1Icon = "MAINICON";
inline constexpr ControlDescription kImage1{.left = 24, .top = 24, .width = 33, .height = 33};
inline constexpr ControlDescription kLabel3{
    .left = 88, .top = 27, .width = 121, .height = 20, .caption = "Leafcatcher Ver. 1.0"};
inline constexpr ControlDescription kLabel4{
    .left = 230, .top = 27, .width = 153, .height = 20, .caption = "Leafcatch ホームページ"};
inline constexpr ControlDescription kLabel5{
    .left = 230, .top = 47, .width = 257, .height = 20, .caption = "http://leafcatch.example/"};
inline constexpr ControlDescription kLabel1{
    .left = 8, .top = 80, .width = 103, .height = 12, .caption = "ボタン1保存フォルダ"};
inline constexpr ControlDescription kEdit1{.left = 120, .top = 80, .width = 489, .height = 20, .tabOrder = 0};
inline constexpr ControlDescription kButton1{
    .left = 608, .top = 80, .width = 17, .height = 17, .caption = "･･･", .tabOrder = 2};
inline constexpr ControlDescription kLabel2{
    .left = 8, .top = 112, .width = 103, .height = 12, .caption = "ボタン2保存フォルダ"};
inline constexpr ControlDescription kEdit2{.left = 120, .top = 112, .width = 489, .height = 20, .tabOrder = 1};
inline constexpr ControlDescription kButton2{
    .left = 608, .top = 112, .width = 17, .height = 17, .caption = "･･･", .tabOrder = 3};
inline constexpr ControlDescription kButton3{
    .left = 496, .top = 144, .width = 65, .height = 25, .caption = "OK", .tabOrder = 4};
inline constexpr ControlDescription kButton4{
    .left = 568, .top = 144, .width = 65, .height = 25, .caption = "キャンセル", .tabOrder = 5};

template <class F>
inline constexpr FormEvents<F> kEvents{.onActivate = &F::FormActivate, .onClose = &F::FormClose};
template <class F>
inline constexpr ControlEvents<F> kButton1Events{.onClick = &F::Button1Click};
template <class F>
inline constexpr ControlEvents<F> kButton2Events{.onClick = &F::Button2Click};
template <class F>
inline constexpr ControlEvents<F> kButton3Events{.onClick = &F::Button3Click};
template <class F>
inline constexpr ControlEvents<F> kButton4Events{.onClick = &F::Button4Click};

}  // namespace forms::form2
