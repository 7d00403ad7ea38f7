// What a person sees: screenshots of the real program's windows, taken with GDI
// from the screen (the Xvfb display behind Wine's virtual desktop), and checked
// for the pictures and the text that should be on them.
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <set>
#include <sstream>
#include <vector>

#include "tests/wine/leafcatch_fixture.h"

namespace {

using driver::IsVisible;
using driver::WaitUntil;

// The tool window stands clear of the settings dialog (centred on the screen)
// and of anything a test left at the top left.
const std::string kSettings = "c:\\\r\nc:\\\r\n300\r\n560\r\n";

// How long a window may take to be painted after it shows.
constexpr DWORD kPaintMs = 3000;

struct Colour {
    int r, g, b;
};
// The glyphs' own colours (forms/pictures/glyph1.txt): the folder's pale yellow
// front and the blue numeral.
constexpr Colour kFolderFront{0xF8, 0xE8, 0xA0};
constexpr Colour kNumeral{0x10, 0x40, 0xE0};
constexpr int kTolerance = 24;  // per channel

// A part of the screen as 32-bit pixels, top row first.
struct Shot {
    RECT rect{};
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;  // 0x00RRGGBB

    Colour At(int x, int y) const {
        const std::uint32_t p = pixels[static_cast<std::size_t>(y) * width + x];
        return {static_cast<int>((p >> 16) & 0xFF), static_cast<int>((p >> 8) & 0xFF), static_cast<int>(p & 0xFF)};
    }
    int Count(bool (*match)(Colour, Colour), Colour c) const {
        int n = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (match(At(x, y), c)) ++n;
        return n;
    }
    int Near(Colour c) const {
        return Count([](Colour p, Colour q) {
            return std::abs(p.r - q.r) <= kTolerance && std::abs(p.g - q.g) <= kTolerance &&
                   std::abs(p.b - q.b) <= kTolerance;
        }, c);
    }
    int Dark() const {
        return Count([](Colour p, Colour) { return p.r + p.g + p.b < 3 * 64; }, {});
    }
    int DistinctColours() const { return static_cast<int>(std::set<std::uint32_t>(pixels.begin(), pixels.end()).size()); }
};

// Copies the screen rectangle through a device-independent bitmap.
Shot TakeShot(const RECT& rect) {
    Shot shot;
    shot.rect = rect;
    shot.width = rect.right - rect.left;
    shot.height = rect.bottom - rect.top;
    if (shot.width <= 0 || shot.height <= 0) return shot;

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = shot.width;
    info.bmiHeader.biHeight = -shot.height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;

    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (memory && bitmap && bits) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        if (BitBlt(memory, 0, 0, shot.width, shot.height, screen, rect.left, rect.top, SRCCOPY)) {
            GdiFlush();
            const auto* p = static_cast<const std::uint32_t*>(bits);
            shot.pixels.assign(p, p + static_cast<std::size_t>(shot.width) * shot.height);
            for (std::uint32_t& pixel : shot.pixels) pixel &= 0x00FFFFFF;
        }
        SelectObject(memory, old);
    }
    if (bitmap) DeleteObject(bitmap);
    if (memory) DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    if (shot.pixels.empty()) shot.width = shot.height = 0;
    return shot;
}

// How many pixels of two shots of equal size differ.
int Differences(const Shot& a, const Shot& b) {
    if (a.width != b.width || a.height != b.height) return a.width * a.height + b.width * b.height;
    int n = 0;
    for (std::size_t i = 0; i < a.pixels.size(); ++i)
        if (a.pixels[i] != b.pixels[i]) ++n;
    return n;
}

std::string Describe(const Shot& s) {
    std::ostringstream out;
    out << s.width << "x" << s.height << " at (" << s.rect.left << "," << s.rect.top << "): folder front "
        << s.Near(kFolderFront) << ", numeral " << s.Near(kNumeral) << ", dark " << s.Dark() << ", colours "
        << s.DistinctColours();
    return out.str();
}

class VisualTest : public LeafcatchTest {
protected:
    void SetUp() override {
        LeafcatchTest::SetUp();
        // The pointer away from the windows: no hot button, no tool tip.
        driver::MovePointer(600, 20);
    }

    HWND StartTool() {
        HWND tool = StartShown(kSettings);
        if (tool) SetForegroundWindow(tool);
        return tool;
    }
    // The button's picture as it stands on the screen (the whole button).
    Shot ButtonShot(HWND tool, int index) { return TakeShot(driver::WindowRect(driver::ChildWindows(tool).at(index))); }
    // Waits until the button shows both glyph colours; the last shot either way.
    Shot PaintedButton(HWND tool, int index) {
        Shot shot;
        WaitUntil([&] {
            shot = ButtonShot(tool, index);
            return shot.Near(kFolderFront) >= 40 && shot.Near(kNumeral) >= 20;
        }, kPaintMs);
        return shot;
    }
};

TEST_F(VisualTest, ButtonsShowTheirGlyphs) {
    HWND tool = StartTool();
    ASSERT_NE(tool, nullptr);
    ASSERT_EQ(driver::ChildWindows(tool).size(), 2u);

    for (int index : {0, 1}) {
        SCOPED_TRACE(testing::Message() << "button " << index + 1);
        const Shot shot = PaintedButton(tool, index);
        ASSERT_GT(shot.width, 0) << "the screen could not be read";
        // The 32 x 32 glyph: much of it is the folder's front, a good part the numeral.
        EXPECT_GE(shot.Near(kFolderFront), 40) << Describe(shot);
        EXPECT_GE(shot.Near(kNumeral), 20) << Describe(shot);
    }
}

TEST_F(VisualTest, TheTwoButtonsLookDifferent) {
    HWND tool = StartTool();
    ASSERT_NE(tool, nullptr);
    const Shot one = PaintedButton(tool, 0);
    const Shot two = PaintedButton(tool, 1);
    ASSERT_GT(one.width, 0);
    ASSERT_EQ(one.width, two.width);
    ASSERT_EQ(one.height, two.height);
    // The numerals 1 and 2 differ in dozens of pixels; a focus frame alone in far fewer.
    EXPECT_GE(Differences(one, two), 40) << Describe(one) << " / " << Describe(two);
}

TEST_F(VisualTest, SettingsDialogShowsItsVersionLabel) {
    HWND tool = StartTool();
    ASSERT_NE(tool, nullptr);
    ASSERT_TRUE(driver::ReleaseMouseButton(tool, driver::MouseButton::Right, 60, 52));
    ASSERT_TRUE(WaitUntil([&] { return IsVisible(Dialog()); }));
    HWND label = driver::FindChild(Dialog(), "Static", "Leafcatcher Ver. 1.0");
    ASSERT_NE(label, nullptr);

    // Dark letters on the face colour, smoothed or not: several colours, and
    // enough dark pixels for about twenty characters.
    Shot shot;
    WaitUntil([&] {
        shot = TakeShot(driver::WindowRect(label));
        return shot.DistinctColours() >= 2 && shot.Dark() >= 40;
    }, kPaintMs);
    ASSERT_GT(shot.width, 0) << "the screen could not be read";
    EXPECT_GE(shot.DistinctColours(), 2) << Describe(shot);
    EXPECT_GE(shot.Dark(), 40) << Describe(shot);

    // And the letters go with the dialog, whatever stands behind it.
    driver::ClickButton(driver::FindChild(Dialog(), "Button", "キャンセル"));
    ASSERT_TRUE(WaitUntil([&] { return !IsVisible(Dialog()); }));
    Shot after;
    WaitUntil([&] {
        after = TakeShot(shot.rect);
        return Differences(shot, after) >= 40;
    }, kPaintMs);
    EXPECT_GE(Differences(shot, after), 40) << Describe(after);
}

}  // namespace
