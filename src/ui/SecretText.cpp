#include "ui/SecretText.h"

#include <QByteArray>
#include <QLineEdit>

#include <openssl/crypto.h>

SecretString SecretTextOf(const QLineEdit* box)
{
    QByteArray utf8 = box->text().toUtf8();
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

void WipeBox(QLineEdit* box)
{
    QString held = box->text();
    // Only a buffer of the box's own (allocated, capacity > 0) is written: text set from a literal shares
    // read-only data, and has no secret of the user's in it.
    if (!held.isEmpty() && held.capacity() > 0)
        OPENSSL_cleanse(const_cast<QChar*>(held.constData()), static_cast<std::size_t>(held.size()) * sizeof(QChar));
    box->clear();
}
