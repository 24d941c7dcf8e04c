#pragma once

#include <string>
#include <utility>

// What every fallible core operation gives back: done, failed with a message for the user, or the program must
// end (the user answered a question that way, or the data cannot be used). The core never ends the process and
// never throws across its interface; the application object ends the program when a result says so.
class [[nodiscard]] Result
{
public:
    enum class Status {
        Ok,
        Failed,     // message() is complete text for the user
        EndProgram, // whatever the user had to be told has been shown; the program must end now
    };

    Result() = default;
    static Result ok() { return {}; }
    static Result failed(std::string message) { return Result(Status::Failed, std::move(message)); }
    static Result endProgram() { return Result(Status::EndProgram, {}); }

    Status status() const { return status_; }
    bool isOk() const { return status_ == Status::Ok; }
    bool isFailed() const { return status_ == Status::Failed; }
    bool mustEnd() const { return status_ == Status::EndProgram; }
    const std::string& message() const { return message_; }

private:
    Result(Status status, std::string message) : status_(status), message_(std::move(message)) {}

    Status status_ = Status::Ok;
    std::string message_;
};

// The one pattern for an operation that also yields a value: the value counts when result.isOk() (an operation
// whose caller must tell failures apart says which part of the value also describes a failure).
template <class T> struct [[nodiscard]] Outcome
{
    Result result;
    T value{};
};
