// The class library's exception: every failure the program reports is one.
#pragma once

#include <exception>
#include <string>

namespace platform {

class Exception : public std::exception {
public:
    explicit Exception(std::string message) : message_(std::move(message)) {}
    const std::string& Message() const { return message_; }
    const char* what() const noexcept override { return message_.c_str(); }

private:
    std::string message_;
};

// The message the default error report shows for a message: a full stop is added
// when the last character sorts after ".".
std::string ReportText(const std::string& message);

}  // namespace platform
