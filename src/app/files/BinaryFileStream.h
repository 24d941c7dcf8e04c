#pragma once

#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string>

// Raised when the stream's file cannot be found (number 53) or opened.
class FileStreamError : public std::runtime_error
{
public:
    FileStreamError(int number, const std::string& source)
        : std::runtime_error(source + ": error " + std::to_string(number)), number_(number)
    {
    }
    int number() const { return number_; }

private:
    int number_;
};

// A read-only byte stream over one file, delivering it in chunks to the CRC.
class cBinaryFileStream
{
public:
    cBinaryFileStream() = default;
    ~cBinaryFileStream();
    cBinaryFileStream(const cBinaryFileStream&) = delete;
    cBinaryFileStream& operator=(const cBinaryFileStream&) = delete;

    const std::string& File() const { return fileName_; }
    // Opens the file for reading; throws FileStreamError(53) when it is not there.
    void File(const std::string& fileName);
    std::int32_t Length() const { return length_; }
    // Places up to readSize bytes at the start of buffer (which holds readSize bytes) and returns how many;
    // 0 at the end of the file, which also closes it. A short last chunk leaves the rest of buffer as it was.
    std::int32_t Read(unsigned char* buffer, std::int32_t readSize);
    void Dispose();
    bool isOpen() const { return handle_ != nullptr; }

private:
    std::string fileName_;
    std::FILE* handle_ = nullptr;
    std::int32_t length_ = 0;
    std::int32_t position_ = 0;
};
