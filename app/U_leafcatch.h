// The tool window: two picture buttons that capture the browser's page into save
// folder 1 or 2, and the tray icon with its menu. Also the program's globals.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/controls.h"
#include "platform/form.h"
#include "platform/http_client.h"

class TForm1 : public platform::Form {
public:
    TForm1();

    platform::PopupMenu PopupMenu1;
    platform::MenuItem Exit1;
    platform::HttpClient NMHTTP1;
    platform::MenuItem Setup;
    platform::BitBtn BitBtn1;
    platform::BitBtn BitBtn2;

    void FormCreate();
    void FormDestroy();
    void Exit1Click();
    void SetupClick();
    void BitBtn1Click();
    void BitBtn2Click();
    void NMHTTP1Success();
    void FormPaint();
    void FormMouseUp(platform::MouseButton button);
    void BitBtn1MouseUp(platform::MouseButton button);
    void BitBtn2MouseUp(platform::MouseButton button);

    // The tray icon's record, in its first form (88 bytes on 32-bit Windows).
    NOTIFYICONDATAA IconData{};

    // One capture into `folder`: the browser's address fetched and saved there.
    void CapturePage(std::string folder);

private:
    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam) override;
    void TrayNotify(WPARAM wParam, LPARAM lParam);
    void OpenSettingsDialog();
};

// The size the record states: its first form, up to the end of the 64-byte tip.
constexpr DWORD kIconDataSize = offsetof(NOTIFYICONDATAA, szTip) + 64;
#ifndef _WIN64
static_assert(kIconDataSize == 88, "the first form of NOTIFYICONDATAA is 88 bytes");
#endif

// The tray icon's call-back message.
constexpr UINT WM_TRAYNOTIFY = WM_USER + 1;

extern TForm1* Form1;

// Settings and the capture in progress; they live as long as the process.
extern std::string Folder1;       // save folder of button 1: empty or ending in '\'
extern std::string Folder2;       // save folder of button 2
extern std::int32_t SavedLeft;    // the tool window's position from the settings file
extern std::int32_t SavedTop;
extern std::string StartDir;      // current directory at start; holds the settings file
extern std::string BrowserPath;   // the browser's executable; empty when not found
extern std::string TargetFolder;  // save folder of the capture in progress
extern std::string TargetUrl;     // address of the capture in progress
