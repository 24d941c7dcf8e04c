#pragma once

#include "platform/Platform.h"

#include <QLockFile>
#include <QString>

#include <memory>

// The desktop as Qt offers it.
class QtPlatform : public Platform
{
public:
    // programFolder names the lock that keeps a second copy from running on the same data files.
    explicit QtPlatform(const QString& programFolder);
    ~QtPlatform() override;

    Answer messageBox(const std::string& text, int style, const std::string& caption) override;
    std::string saveFileName(const std::string& filter) override;
    std::string openFileName(const std::string& filter) override;
    void clearClipboard() override;
    bool setClipboardText(const std::string& text) override;
    bool openUrl(const std::string& url) override;
    bool previousInstanceRunning() override;
    bool setWindowTopmost(int mode, QWidget* window) override;
    [[noreturn]] void endProgram() override;

    static QString lockFilePath(const QString& programFolder);
    // "Text Files  (*.txt; *.csv)|*.txt; *.csv" becomes the Qt filter "Text Files  (*.txt *.csv)".
    static QString qtFilter(const std::string& filter);

private:
    QString programFolder_;
    std::unique_ptr<QLockFile> lock_;
    bool lockTested_ = false;
    bool otherRunning_ = false;
};
