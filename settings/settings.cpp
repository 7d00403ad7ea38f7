#include "settings/settings.h"

#include "app/U_leafcatch.h"
#include "settings/settings_file.h"

void FindBrowserPath() {
    BrowserPath = ReadBrowserPath();
}

void LoadSettings() {
    Settings settings{Folder1, Folder2, SavedLeft, SavedTop};
    if (!LoadSettingsFile(SettingsPath(StartDir), settings)) return;
    Folder1 = settings.folder1;
    Folder2 = settings.folder2;
    SavedLeft = settings.left;
    SavedTop = settings.top;
}

void SaveSettings(std::int32_t left, std::int32_t top) {
    // A failure leaves the former file as it was; nothing is reported.
    SaveSettingsFile(SettingsPath(StartDir), Settings{Folder1, Folder2, left, top});
}

void ApplyFirstRunDefaults(const std::function<void()>& openSettingsDialog) {
    Folder1 = "c:\\";
    Folder2 = "c:\\";
    openSettingsDialog();
    LoadSettings();
}
