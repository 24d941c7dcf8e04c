#pragma once

#include <string>
#include <utility>

// How the program ended, as its exit status (the command line's own status, 2, comes before any of this): closed
// normally, or ended after a failure the user was told of (data it cannot use, a refused lock, a message that said
// the program will close).
enum class ExitStatus : int { Closed = 0, Failed = 1 };

// What every fallible core operation gives back: done, failed, or the program must end (the user answered a
// question that way, or the data cannot be used). The core never ends the process and never throws across its
// interface; the application object ends the program when a result says so.
//
// One rule for messages, written in the status: an operation that returns failed(text) has shown nothing, and
// whoever receives it shows the text or hands it on; an operation that has told the user itself returns
// reported() or endProgram(), which carry no text, so nothing can be shown twice.
class [[nodiscard]] Result
{
public:
    enum class Status {
        Ok,
        Failed,     // not told yet: message() is complete text for the user
        Reported,   // failed, and the user has been told; no text is left to show
        EndProgram, // whatever the user had to be told has been shown; the program must end now
    };

    Result() = default;
    static Result ok() { return {}; }
    static Result failed(std::string message) { return Result(Status::Failed, std::move(message)); }
    static Result reported() { return Result(Status::Reported, {}); }
    // The program must end: after a failure unless the user closed it.
    static Result endProgram(ExitStatus exit = ExitStatus::Failed)
    {
        Result r(Status::EndProgram, {});
        r.exit_ = exit;
        return r;
    }

    Status status() const { return status_; }
    bool isOk() const { return status_ == Status::Ok; }
    bool isFailed() const { return status_ == Status::Failed; }
    bool isReported() const { return status_ == Status::Reported; }
    bool mustEnd() const { return status_ == Status::EndProgram; }
    // The text of a failure not told yet; empty for every other status.
    const std::string& message() const { return message_; }
    // The exit status of a result that ends the program.
    ExitStatus exitStatus() const { return exit_; }

private:
    Result(Status status, std::string message) : status_(status), message_(std::move(message)) {}

    Status status_ = Status::Ok;
    std::string message_;
    ExitStatus exit_ = ExitStatus::Failed;
};

// The one pattern for an operation that also yields a value: the value counts when result.isOk() (an operation
// whose caller must tell failures apart says which part of the value also describes a failure).
template <class T> struct [[nodiscard]] Outcome
{
    Result result;
    T value{};
};
