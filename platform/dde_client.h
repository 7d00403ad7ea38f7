// A DDE client conversation over the DDE management library (DDEML): links to a
// service and a topic, starting the server's program when no server answers, and
// requests items from it.
//
// An object belongs to the thread that made it (DDEML instances are per thread).
// All DDE strings are in the ANSI code page (CP_WINANSI).
#pragma once

#include <windows.h>
#include <ddeml.h>

#include <memory>
#include <optional>
#include <string>
#include <type_traits>

namespace platform {

class DdeClientConv {
public:
    // The default time-out of a request.
    static constexpr DWORD kDefaultRequestTimeout = 10000;

    DdeClientConv() = default;
    DdeClientConv(const DdeClientConv&) = delete;
    DdeClientConv& operator=(const DdeClientConv&) = delete;
    ~DdeClientConv();  // closes the link first

    // The program started when no server answers a link; when empty, the command
    // is the service, a blank and the topic.
    std::string ServiceApplication;
    // How long a request waits for its data, in milliseconds.
    DWORD RequestTimeout = kDefaultRequestTimeout;

    // Set by SetLink; cleared when the link cannot be opened and when it is closed.
    const std::string& DdeService() const { return service_; }
    const std::string& DdeTopic() const { return topic_; }
    // The conversation's data format: the one the server names for the
    // conversation, CF_TEXT when it names none.
    UINT DdeFormat() const { return format_; }
    // True while a conversation is open.
    bool Connected() const { return conversation_ != nullptr; }

    // Closes any link, records the service and the topic and connects to them.
    // When no server answers, starts the command (see StartCommand) shown
    // minimised and not activated, and connects once more if it started. True when
    // a conversation is open afterwards; when false, DdeService and DdeTopic are
    // cleared again.
    bool SetLink(const std::string& service, const std::string& topic);
    // False at once, doing nothing, when a conversation is open; otherwise tries to
    // open one as SetLink does, with the recorded service and topic (false when
    // both are empty).
    bool OpenLink();
    // Ends the conversation and clears DdeService and DdeTopic; does nothing when
    // no conversation is open.
    void CloseLink();

    // One request transaction for `item` in the conversation's format. None
    // without an open conversation, and when no data came within RequestTimeout
    // (time-out, refusal, the server went away); otherwise every byte of the data.
    // The call returns when the data came or the wait ended, and the thread's
    // messages keep being dispatched meanwhile (timers, paints, the tray): the
    // caller must keep a second request on the conversation from starting during
    // the wait, and must not destroy the object from a message handler. A WM_QUIT
    // ends the wait (none) and is posted again for the outer loop.
    std::optional<std::string> RequestData(const std::string& item);

    // The command that starts the server: `serviceApplication` (in double quotes
    // when it holds a blank and is not quoted already, so that
    // C:\Program Files\... cannot start C:\Program.exe), or, when that is empty,
    // `service`, a blank and `topic`.
    static std::string StartCommand(const std::string& serviceApplication, const std::string& service,
                                    const std::string& topic);

private:
    // The DDEML instance of this object, uninitialised with it.
    class Instance {
    public:
        Instance() = default;
        Instance(const Instance&) = delete;
        Instance& operator=(const Instance&) = delete;
        ~Instance();
        bool Initialize();  // once; true when the instance exists
        DWORD Id() const { return id_; }

    private:
        DWORD id_ = 0;
    };

    struct ConversationDeleter {
        void operator()(HCONV conversation) const { DdeDisconnect(conversation); }
    };
    using UniqueConversation = std::unique_ptr<std::remove_pointer_t<HCONV>, ConversationDeleter>;

    bool Open();
    bool Connect();

    Instance instance_;
    UniqueConversation conversation_;  // after instance_: disconnected before it ends
    std::string service_;
    std::string topic_;
    UINT format_ = CF_TEXT;
};

}  // namespace platform
