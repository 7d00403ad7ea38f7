#include "platform/dde_client.h"

#include <dde.h>

#include <algorithm>
#include <vector>

namespace platform {

namespace {

// A DDE string handle, freed with its owner.
class StringHandle {
public:
    StringHandle(DWORD instance, const std::string& text)
        : instance_(instance),
          handle_(text.empty() ? nullptr : DdeCreateStringHandleA(instance, text.c_str(), CP_WINANSI)) {}
    StringHandle(const StringHandle&) = delete;
    StringHandle& operator=(const StringHandle&) = delete;
    ~StringHandle() {
        if (handle_) DdeFreeStringHandle(instance_, handle_);
    }
    HSZ Get() const { return handle_; }

private:
    DWORD instance_;
    HSZ handle_;
};

// A request waiting for its data. The instance's call-back completes it; the
// requests of a thread are listed so that it can find them.
struct PendingRequest {
    HCONV conversation = nullptr;
    DWORD transaction = 0;  // 0 until the transaction has started
    bool done = false;
    std::optional<std::string> data;
};

thread_local std::vector<PendingRequest*> pendingRequests;

std::string CopyData(HDDEDATA data) {
    const DWORD size = DdeGetData(data, nullptr, 0, 0);
    std::string bytes(size, '\0');
    if (size > 0) {
        const DWORD got = DdeGetData(data, reinterpret_cast<LPBYTE>(bytes.data()), size, 0);
        bytes.resize(std::min(got, size));
    }
    return bytes;
}

HDDEDATA CALLBACK ClientCallback(UINT type, UINT /*format*/, HCONV conversation, HSZ, HSZ, HDDEDATA data,
                                 ULONG_PTR data1, ULONG_PTR /*data2*/) {
    switch (type) {
    case XTYP_XACT_COMPLETE:
        // The data handle belongs to the library: copy it now.
        for (PendingRequest* request : pendingRequests) {
            if (!request->done && request->conversation == conversation &&
                (request->transaction == data1 || request->transaction == 0)) {
                request->done = true;
                if (data) request->data = CopyData(data);
            }
        }
        break;
    case XTYP_DISCONNECT:
        for (PendingRequest* request : pendingRequests) {
            if (request->conversation == conversation) request->done = true;
        }
        break;
    default:
        break;
    }
    return nullptr;
}

// Lists a request while it waits, and abandons what is left of it at its end:
// Wine's library keeps even a finished asynchronous transaction queued, where it
// would be taken for the next request's.
class PendingGuard {
public:
    PendingGuard(DWORD instance, PendingRequest& request) : instance_(instance), request_(request) {
        pendingRequests.push_back(&request_);
    }
    PendingGuard(const PendingGuard&) = delete;
    PendingGuard& operator=(const PendingGuard&) = delete;
    ~PendingGuard() {
        pendingRequests.erase(std::remove(pendingRequests.begin(), pendingRequests.end(), &request_),
                              pendingRequests.end());
        // 0: every transaction of the conversation; one request runs at a time.
        DdeAbandonTransaction(instance_, request_.conversation, 0);
    }

private:
    DWORD instance_;
    PendingRequest& request_;
};

// A positive acknowledgement is never an answer to a request (data or a negative
// acknowledgement is); Wine's servers send one after the data all the same, and it
// may arrive while the next request waits. Such a message is dropped. Its item
// atom is the one that came with the data, released already: it is left alone.
bool IsStrayPositiveAck(const MSG& message, HWND clientWindow) {
    if (message.message != WM_DDE_ACK || message.hwnd != clientWindow) return false;
    UINT_PTR status = 0;
    UINT_PTR atom = 0;
    if (!UnpackDDElParam(WM_DDE_ACK, message.lParam, &status, &atom)) return false;
    if (!(status & 0x8000)) return false;  // fAck
    FreeDDElParam(WM_DDE_ACK, message.lParam);
    return true;
}

}  // namespace

DdeClientConv::Instance::~Instance() {
    if (id_) DdeUninitialize(id_);
}

bool DdeClientConv::Instance::Initialize() {
    if (id_) return true;
    DWORD id = 0;
    const UINT flags = APPCMD_CLIENTONLY | CBF_SKIP_REGISTRATIONS | CBF_SKIP_UNREGISTRATIONS;
    if (DdeInitializeA(&id, ClientCallback, flags, 0) != DMLERR_NO_ERROR) return false;
    id_ = id;
    return true;
}

DdeClientConv::~DdeClientConv() {
    CloseLink();
}

std::string DdeClientConv::StartCommand(const std::string& serviceApplication, const std::string& service,
                                        const std::string& topic) {
    if (serviceApplication.empty()) return service + " " + topic;
    if (serviceApplication.find(' ') != std::string::npos && serviceApplication.front() != '"')
        return "\"" + serviceApplication + "\"";
    return serviceApplication;
}

bool DdeClientConv::SetLink(const std::string& service, const std::string& topic) {
    CloseLink();
    service_ = service;
    topic_ = topic;
    return Open();
}

bool DdeClientConv::OpenLink() {
    if (conversation_) return false;
    return Open();
}

void DdeClientConv::CloseLink() {
    if (!conversation_) return;
    conversation_.reset();
    format_ = CF_TEXT;
    service_.clear();
    topic_.clear();
}

bool DdeClientConv::Open() {
    bool open = false;
    // Empty service and topic would be a wildcard connection to any server.
    if (instance_.Initialize() && !(service_.empty() && topic_.empty())) {
        open = Connect();
        if (!open) {
            const std::string command = StartCommand(ServiceApplication, service_, topic_);
            // WinExec returns once the started program waits for input.
            if (WinExec(command.c_str(), SW_SHOWMINNOACTIVE) >= 32) open = Connect();
        }
    }
    if (!open) {
        service_.clear();
        topic_.clear();
    }
    return open;
}

bool DdeClientConv::Connect() {
    const StringHandle service(instance_.Id(), service_);
    const StringHandle topic(instance_.Id(), topic_);
    if ((!service_.empty() && !service.Get()) || (!topic_.empty() && !topic.Get())) return false;
    HCONV conversation = DdeConnect(instance_.Id(), service.Get(), topic.Get(), nullptr);
    if (!conversation) return false;
    conversation_.reset(conversation);

    CONVINFO info{};
    info.cb = sizeof info;
    format_ = DdeQueryConvInfo(conversation, QID_SYNC, &info) && info.wFmt ? info.wFmt : CF_TEXT;
    return true;
}

std::optional<std::string> DdeClientConv::RequestData(const std::string& item) {
    if (!conversation_) return std::nullopt;
    const StringHandle itemHandle(instance_.Id(), item);
    if (!item.empty() && !itemHandle.Get()) return std::nullopt;

    // Wine's synchronous wait takes in DDE messages alone (a timer stands still
    // for the whole wait); an asynchronous transaction and this loop keep every
    // message of the thread flowing while the caller waits, on every system.
    PendingRequest request;
    request.conversation = conversation_.get();
    // Listed before the transaction starts: its id is known once it has started.
    const PendingGuard guard(instance_.Id(), request);
    DWORD transaction = 0;
    if (!DdeClientTransaction(nullptr, 0, request.conversation, itemHandle.Get(), format_, XTYP_REQUEST,
                              TIMEOUT_ASYNC, &transaction)) {
        return std::nullopt;
    }
    request.transaction = transaction;
    CONVINFO info{};
    info.cb = sizeof info;
    const HWND clientWindow = DdeQueryConvInfo(request.conversation, QID_SYNC, &info) ? info.hwnd : nullptr;

    const DWORD start = GetTickCount();
    bool quit = false;
    int quitCode = 0;
    while (!request.done && !quit) {
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= RequestTimeout) break;
        MsgWaitForMultipleObjectsEx(0, nullptr, RequestTimeout - elapsed, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        MSG message;
        while (!request.done && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                quit = true;
                quitCode = static_cast<int>(message.wParam);
                break;
            }
            if (clientWindow && IsStrayPositiveAck(message, clientWindow)) continue;
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    if (quit) PostQuitMessage(quitCode);
    if (!request.done) return std::nullopt;
    return std::move(request.data);
}

}  // namespace platform
