// What the program's own desktop seam puts on the clipboard: the text, and the hints that ask clipboard
// managers and history tools not to keep it.
#include "platform/qt/QtPlatform.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QMimeData>
#include <gtest/gtest.h>

TEST(QtPlatformClipboard, CopiedTextCarriesTheSecretHints)
{
    struct Hint
    {
        const char* format;
        QByteArray value;
    };
    const Hint hints[] = {
        {"x-kde-passwordManagerHint", QByteArrayLiteral("secret")},
#if defined(Q_OS_WIN)
        {"ExcludeClipboardContentFromMonitorProcessing", QByteArray(4, '\0')},
        {"CanIncludeInClipboardHistory", QByteArray(4, '\0')},
#elif defined(Q_OS_MACOS)
        {"org.nspasteboard.ConcealedType", QByteArray()},
#endif
    };
    QtPlatform platform(QDir::temp().filePath(QStringLiteral("coffernote-clipboard-test")));
    const std::string text = "s3cr3t, p\xC3\xA4ss \"word\"";
    ASSERT_TRUE(platform.setClipboardText(text));

    const QMimeData* data = QApplication::clipboard()->mimeData(QClipboard::Clipboard);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->text().toStdString(), text);
    for (const Hint& h : hints) {
        EXPECT_TRUE(data->hasFormat(QString::fromLatin1(h.format))) << h.format;
        EXPECT_EQ(data->data(QString::fromLatin1(h.format)), h.value) << h.format;
    }
    platform.clearClipboard();
    EXPECT_EQ(QApplication::clipboard()->text(QClipboard::Clipboard), QString());
}
