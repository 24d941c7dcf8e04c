#include "ui/SecretText.h"

#include <QByteArray>
#include <QLineEdit>

#include <openssl/crypto.h>

SecretString SecretTextOf(const QLineEdit* box)
{
    return SecretOf(box->text());
}

SecretString SecretOf(const QString& shown)
{
    QByteArray utf8 = shown.toUtf8();
    SecretString text(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
    if (!utf8.isEmpty())
        OPENSSL_cleanse(utf8.data(), static_cast<std::size_t>(utf8.size()));
    return text;
}

QString ShownText(const SecretString& secret)
{
    return QString::fromUtf8(secret.data(), static_cast<qsizetype>(secret.size()));
}

void Overwrite(QString& text)
{
    if (text.capacity() > 0 && text.isDetached())
        OPENSSL_cleanse(text.data(), static_cast<std::size_t>(text.capacity()) * sizeof(QChar));
    text.resize(0);
}

void OverwriteShared(const QString& text)
{
    // Only an allocated buffer (capacity > 0) is written: text set from a literal shares read-only data, and
    // holds no secret of the user's.
    if (!text.isEmpty() && text.capacity() > 0)
        OPENSSL_cleanse(const_cast<QChar*>(text.constData()), static_cast<std::size_t>(text.size()) * sizeof(QChar));
}

void WipeBox(QLineEdit* box)
{
    OverwriteShared(box->text());
    box->clear();
}
