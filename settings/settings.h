// The settings in the tool window's globals: loaded at start, saved at the end,
// and the browser's location from the registry.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "settings/browser_path.h"

// BrowserPath := ReadBrowserPath().
void FindBrowserPath();
// Folder1, Folder2, SavedLeft and SavedTop from the settings file in StartDir, when
// it opens.
void LoadSettings();
// Writes Folder1, Folder2 and the given position to the settings file.
void SaveSettings(std::int32_t left, std::int32_t top);
// Both folders "c:\", the settings dialog opened, then the file read again.
void ApplyFirstRunDefaults(const std::function<void()>& openSettingsDialog);
