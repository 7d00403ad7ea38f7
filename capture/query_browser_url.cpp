// The browser query over the program's globals; linked into Leafcatch.exe only.
#include "app/U_leafcatch.h"
#include "capture/browser_query.h"

std::string QueryBrowserUrl() {
    return QueryBrowserUrlWith(BrowserPath);
}
