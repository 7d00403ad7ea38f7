#include "settings/browser_path.h"

#include "platform/registry.h"

std::string ReadBrowserPath() {
    platform::Registry registry(HKEY_LOCAL_MACHINE);
    if (!registry.OpenKeyReadOnly(kBrowserAppPathKey)) return {};
    return registry.ValueExists("") ? registry.ReadString("") : std::string();
}
