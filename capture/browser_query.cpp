#include "capture/browser_query.h"

#include <memory>

#include "platform/dde_client.h"

std::string QueryBrowserUrlWith(const std::string& browserPath) {
    std::string reply;
    {
        // One conversation per query, gone before the reply is looked at.
        auto conversation = std::make_unique<platform::DdeClientConv>();
        conversation->ServiceApplication = browserPath;
        conversation->RequestTimeout = kBrowserRequestTimeout;
        const bool linked = conversation->SetLink(kBrowserDdeService, kBrowserDdeTopic);
        const bool opened = linked && conversation->OpenLink();
        if (linked && !opened) {
            reply = ReplyFromData(conversation->RequestData(kBrowserDdeItem));
            conversation->CloseLink();
        }
    }
    if (reply.empty()) return {};
    return UrlFromReply(reply);
}
