// The settings file: four lines (folder 1, folder 2, left, top) with CR LF ends.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

struct Settings {
    std::string folder1;
    std::string folder2;
    std::int32_t left = 0;
    std::int32_t top = 0;
};

// The settings file in a folder: the two are joined with a backslash, as they
// stand (a drive root gives a doubled backslash, which Windows accepts).
std::string SettingsPath(const std::string& startDir);

// Reads a settings file's bytes into `settings`, as a text-mode reader does: CR
// bytes are dropped; each folder line runs up to and including its LF, at most
// 999 bytes (the rest of a longer line is read as the next line), and ends at a
// NUL; a missing line gives an empty folder. Then two whitespace-separated
// decimal integers; a value that does not scan is not stored, nor any after it.
// Both folders are cut after their last backslash.
void ReadSettings(const std::function<int()>& nextByte, Settings& settings);
void ReadSettings(std::string_view bytes, Settings& settings);

// The file's bytes: folders as held, positions in decimal, every LF as CR LF, and
// nothing after a NUL in a folder.
std::string SettingsText(const Settings& settings);

// False when the file cannot be opened; `settings` is then unchanged.
bool LoadSettingsFile(const std::string& path, Settings& settings);
// Replaces the file; on any failure the former file stays as it was.
bool SaveSettingsFile(const std::string& path, const Settings& settings);
