// Checks the resources that lc_add_resources() links into a program: the icon,
// the two button glyphs, the version information and the manifest. This program
// carries forms/leafcatch.rc exactly as Leafcatch.exe does.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "forms/resource_ids.h"

namespace {

HINSTANCE Self() { return GetModuleHandleA(nullptr); }

COLORREF Rgb(int rgb) { return RGB(rgb >> 16 & 0xFF, rgb >> 8 & 0xFF, rgb & 0xFF); }

bool IsPaleYellow(COLORREF c) {
    return GetRValue(c) >= 0xF0 && GetGValue(c) >= 0xD8 && GetBValue(c) >= 0x80 &&
           GetBValue(c) <= 0xC0;
}

bool IsBlue(COLORREF c) {
    return GetBValue(c) >= 0xC0 && GetRValue(c) <= 0x40 && GetGValue(c) <= 0x80;
}

bool IsRed(COLORREF c) {
    return GetRValue(c) >= 0xC0 && GetGValue(c) <= 0x60 && GetBValue(c) <= 0x60;
}

// The raw bytes of a resource, or an empty string when it is missing.
std::string ResourceBytes(LPCSTR name, LPCSTR type) {
    HRSRC found = FindResourceA(Self(), name, type);
    if (!found) return {};
    HGLOBAL loaded = LoadResource(Self(), found);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data) return {};
    return std::string(static_cast<const char*>(data), SizeofResource(Self(), found));
}

// A 32 x 32 glyph loaded as a DIB section: its pixels as colours, top row first.
struct Glyph {
    int width = 0, height = 0, bits = 0;
    std::vector<COLORREF> pixels;
    COLORREF At(int x, int y) const { return pixels[y * width + x]; }
};

Glyph LoadGlyph(int id, UINT extra_flags = 0) {
    Glyph glyph;
    HBITMAP bitmap = static_cast<HBITMAP>(LoadImageA(
        Self(), MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION | extra_flags));
    if (!bitmap) return glyph;
    DIBSECTION dib{};
    if (GetObjectA(bitmap, sizeof dib, &dib) == sizeof dib && dib.dsBm.bmBits) {
        glyph.width = dib.dsBm.bmWidth;
        glyph.height = dib.dsBm.bmHeight;
        glyph.bits = dib.dsBm.bmBitsPixel;
        if (glyph.bits == 8) {
            RGBQUAD table[256]{};
            HDC dc = CreateCompatibleDC(nullptr);
            HGDIOBJ old = SelectObject(dc, bitmap);
            const UINT colours = GetDIBColorTable(dc, 0, 256, table);
            SelectObject(dc, old);
            DeleteDC(dc);
            const bool bottom_up = dib.dsBmih.biHeight > 0;
            const auto* bytes = static_cast<const BYTE*>(dib.dsBm.bmBits);
            for (int y = 0; y < glyph.height; ++y) {
                const int row = bottom_up ? glyph.height - 1 - y : y;
                for (int x = 0; x < glyph.width; ++x) {
                    const BYTE i = bytes[row * dib.dsBm.bmWidthBytes + x];
                    const RGBQUAD q = i < colours ? table[i] : RGBQUAD{};
                    glyph.pixels.push_back(RGB(q.rgbRed, q.rgbGreen, q.rgbBlue));
                }
            }
        }
    }
    DeleteObject(bitmap);
    return glyph;
}

int Count(const Glyph& glyph, bool (*test)(COLORREF)) {
    int n = 0;
    for (COLORREF c : glyph.pixels) n += test(c);
    return n;
}

class GlyphResource : public ::testing::TestWithParam<int> {};

TEST_P(GlyphResource, IsAStored32By32BitmapWith256Colours) {
    const std::string raw = ResourceBytes(MAKEINTRESOURCEA(GetParam()), MAKEINTRESOURCEA(2));
    ASSERT_GE(raw.size(), sizeof(BITMAPINFOHEADER));
    BITMAPINFOHEADER header;
    std::memcpy(&header, raw.data(), sizeof header);
    EXPECT_EQ(header.biSize, sizeof(BITMAPINFOHEADER));
    EXPECT_EQ(header.biWidth, 32);
    EXPECT_EQ(header.biHeight, 32);
    EXPECT_EQ(header.biBitCount, 8);
    EXPECT_EQ(header.biCompression, static_cast<DWORD>(BI_RGB));
    EXPECT_EQ(raw.size(), sizeof header + 256 * sizeof(RGBQUAD) + 32 * 32);
}

TEST_P(GlyphResource, LoadsAs8BitDibSection) {
    const Glyph glyph = LoadGlyph(GetParam());
    EXPECT_EQ(glyph.width, 32);
    EXPECT_EQ(glyph.height, 32);
    EXPECT_EQ(glyph.bits, 8);
    EXPECT_EQ(glyph.pixels.size(), 32u * 32u);
}

TEST_P(GlyphResource, HoldsPaleYellowFolderAndBlueNumeral) {
    const Glyph glyph = LoadGlyph(GetParam());
    ASSERT_EQ(glyph.pixels.size(), 32u * 32u);
    EXPECT_GE(Count(glyph, IsPaleYellow), 100);
    EXPECT_GE(Count(glyph, IsBlue), 40);
}

TEST_P(GlyphResource, BackgroundIsLightGreyAndNoOther3DColourIsUsed) {
    const Glyph glyph = LoadGlyph(GetParam());
    ASSERT_EQ(glyph.pixels.size(), 32u * 32u);
    const std::pair<int, int> corners[] = {{0, 0}, {31, 0}, {0, 31}, {31, 31}, {16, 0}};
    for (auto [x, y] : corners) {
        EXPECT_EQ(glyph.At(x, y), Rgb(0xC0C0C0)) << "pixel " << x << "," << y;
    }
    for (COLORREF c : glyph.pixels) {
        ASSERT_NE(c, Rgb(0x808080));
        ASSERT_NE(c, Rgb(0xDFDFDF));
    }
}

// What a picture button shows: LR_LOADMAP3DCOLORS turns the grey into the face.
TEST_P(GlyphResource, MappedBackgroundIsTheButtonFace) {
    HBITMAP bitmap = static_cast<HBITMAP>(LoadImageA(
        Self(), MAKEINTRESOURCEA(GetParam()), IMAGE_BITMAP, 0, 0, LR_LOADMAP3DCOLORS));
    ASSERT_NE(bitmap, nullptr);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    const COLORREF corner = GetPixel(dc, 0, 0);
    int blue = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) blue += IsBlue(GetPixel(dc, x, y));
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bitmap);
    // A screen-compatible bitmap of fewer than 24 bits may round the face colour.
    HDC screen = GetDC(nullptr);
    const int depth = GetDeviceCaps(screen, BITSPIXEL);
    ReleaseDC(nullptr, screen);
    if (depth >= 24) {
        EXPECT_EQ(corner, GetSysColor(COLOR_3DFACE));
    }
    EXPECT_GE(blue, 40);
}

INSTANTIATE_TEST_SUITE_P(Buttons, GlyphResource, ::testing::Values(IDB_GLYPH1, IDB_GLYPH2),
                         [](const auto& info) { return "Glyph" + std::to_string(info.index + 1); });

TEST(GlyphResources, TheTwoGlyphsDiffer) {
    const Glyph one = LoadGlyph(IDB_GLYPH1);
    const Glyph two = LoadGlyph(IDB_GLYPH2);
    ASSERT_EQ(one.pixels.size(), two.pixels.size());
    int different = 0;
    for (size_t i = 0; i < one.pixels.size(); ++i) different += one.pixels[i] != two.pixels[i];
    EXPECT_GE(different, 20);
}

// Icon group directory as stored in an RT_GROUP_ICON resource.
#pragma pack(push, 2)
struct GroupIconEntry {
    BYTE width, height, colours, reserved;
    WORD planes, bit_count;
    DWORD bytes;
    WORD id;
};
struct GroupIconHeader {
    WORD reserved, type, count;
};
#pragma pack(pop)

TEST(IconResource, MainIconLoadsAt32By32) {
    HICON icon = static_cast<HICON>(LoadImageA(Self(), "MAINICON", IMAGE_ICON, 32, 32, 0));
    ASSERT_NE(icon, nullptr);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    ASSERT_NE(info.hbmColor, nullptr);
    BITMAP colour{};
    GetObjectA(info.hbmColor, sizeof colour, &colour);
    EXPECT_EQ(colour.bmWidth, 32);
    EXPECT_EQ(colour.bmHeight, 32);

    // Read both masks as 32-bit top-down pixels.
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = 32;
    bi.bmiHeader.biHeight = -32;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    std::vector<DWORD> colours(32 * 32), mask(32 * 32);
    HDC dc = GetDC(nullptr);
    EXPECT_EQ(GetDIBits(dc, info.hbmColor, 0, 32, colours.data(), &bi, DIB_RGB_COLORS), 32);
    EXPECT_EQ(GetDIBits(dc, info.hbmMask, 0, 32, mask.data(), &bi, DIB_RGB_COLORS), 32);
    ReleaseDC(nullptr, dc);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    DestroyIcon(icon);

    int red = 0, opaque = 0;
    for (size_t i = 0; i < colours.size(); ++i) {
        const DWORD p = colours[i];  // 0x00RRGGBB
        red += IsRed(RGB(p >> 16 & 0xFF, p >> 8 & 0xFF, p & 0xFF));
        opaque += (mask[i] & 0xFFFFFF) == 0;
    }
    EXPECT_GE(red, 100) << "the folder is red";
    EXPECT_GE(opaque, 400);
    EXPECT_NE(mask[0] & 0xFFFFFF, 0u) << "the top left corner is see-through";
}

TEST(IconResource, GroupHolds32And16PixelImagesWith256Colours) {
    const std::string raw = ResourceBytes("MAINICON", MAKEINTRESOURCEA(14));
    ASSERT_GE(raw.size(), sizeof(GroupIconHeader));
    GroupIconHeader header;
    std::memcpy(&header, raw.data(), sizeof header);
    EXPECT_EQ(header.type, 1);
    ASSERT_EQ(header.count, 2);
    ASSERT_EQ(raw.size(), sizeof header + header.count * sizeof(GroupIconEntry));
    std::vector<int> sizes;
    for (int i = 0; i < header.count; ++i) {
        GroupIconEntry entry;
        std::memcpy(&entry, raw.data() + sizeof header + i * sizeof entry, sizeof entry);
        EXPECT_EQ(entry.width, entry.height);
        EXPECT_EQ(entry.bit_count, 8);
        EXPECT_FALSE(ResourceBytes(MAKEINTRESOURCEA(entry.id), MAKEINTRESOURCEA(3)).empty());
        sizes.push_back(entry.width);
    }
    EXPECT_EQ(sizes, (std::vector<int>{32, 16}));

    HICON small = static_cast<HICON>(LoadImageA(Self(), "MAINICON", IMAGE_ICON, 16, 16, 0));
    ASSERT_NE(small, nullptr);
    DestroyIcon(small);
}

BOOL CALLBACK FirstName(HMODULE, LPCSTR, LPSTR name, LONG_PTR out) {
    *reinterpret_cast<std::string*>(out) = IS_INTRESOURCE(name)
        ? "#" + std::to_string(reinterpret_cast<ULONG_PTR>(name)) : std::string(name);
    return FALSE;
}

TEST(IconResource, MainIconIsTheFirstIconGroup) {
    std::string first;
    EnumResourceNamesA(Self(), MAKEINTRESOURCEA(14), FirstName, reinterpret_cast<LONG_PTR>(&first));
    EXPECT_EQ(first, "MAINICON");
}

std::string VersionString(const std::vector<char>& block, const std::string& key) {
    void* value = nullptr;
    UINT length = 0;
    const std::string path = "\\StringFileInfo\\041104B0\\" + key;
    if (!VerQueryValueA(block.data(), path.c_str(), &value, &length) || !value) return "(none)";
    return std::string(static_cast<const char*>(value));
}

TEST(VersionResource, NamesLeafcatch) {
    char path[MAX_PATH];
    ASSERT_GT(GetModuleFileNameA(nullptr, path, sizeof path), 0u);
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path, &ignored);
    ASSERT_GT(size, 0u);
    std::vector<char> block(size);
    ASSERT_TRUE(GetFileVersionInfoA(path, 0, size, block.data()));

    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", &value, &length));
    ASSERT_EQ(length, 4u);
    const WORD* translation = static_cast<const WORD*>(value);
    EXPECT_EQ(translation[0], 0x0411);  // Japanese
    EXPECT_EQ(translation[1], 1200);    // Unicode

    EXPECT_EQ(VersionString(block, "ProductName"), "Leafcatch");
    EXPECT_EQ(VersionString(block, "FileDescription"), "Leafcatch");
    EXPECT_EQ(VersionString(block, "CompanyName"), "Leafcatch project");
    EXPECT_EQ(VersionString(block, "OriginalFilename"), "Leafcatch.exe");
    EXPECT_EQ(VersionString(block, "InternalName"), "Leafcatch");
    EXPECT_EQ(VersionString(block, "FileVersion"), "1.0.0.0");
    EXPECT_EQ(VersionString(block, "ProductVersion"), "1.0.0.0");

    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", &value, &length));
    ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
}

TEST(ManifestResource, AsksForCommonControls6AsInvokerWithoutDpiAwareness) {
    const std::string manifest = ResourceBytes(MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    ASSERT_FALSE(manifest.empty());
    EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\""), std::string::npos);
    EXPECT_NE(manifest.find("version=\"6.0.0.0\""), std::string::npos);
    EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos);
    EXPECT_NE(manifest.find("<supportedOS"), std::string::npos);
    EXPECT_EQ(manifest.find("dpiAware"), std::string::npos);
}

}  // namespace
