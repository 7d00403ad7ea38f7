// The browser URL query: asks the running browser over DDE for the address of the
// page it shows.
#pragma once

#include <optional>
#include <string>

// The browser's window-information interface.
inline constexpr char kBrowserDdeService[] = "Iexplore";
inline constexpr char kBrowserDdeTopic[] = "WWW_GetWindowInfo";
inline constexpr char kBrowserDdeItem[] = "0xFFFFFFFF";  // the last active window
inline constexpr unsigned long kBrowserRequestTimeout = 10000;  // ms

// The address in a browser's reply: its first byte is skipped unseen, and the
// address runs from the second byte up to the next double quote. Empty when the
// second byte is a double quote, and when no double quote follows the first byte.
std::string UrlFromReply(const std::string& reply);

// The reply in the data of a request: the bytes up to the first NUL; empty when
// no data came.
std::string ReplyFromData(const std::optional<std::string>& data);

// Asks the browser for its address; starts `browserPath` (or, when it is empty,
// "Iexplore WWW_GetWindowInfo") when no browser answers. Empty when there is no
// address. Windows only.
std::string QueryBrowserUrlWith(const std::string& browserPath);

// QueryBrowserUrlWith the program's BrowserPath; linked into Leafcatch.exe alone.
std::string QueryBrowserUrl();
