#include "platform/qt/QtPlatform.h"

#include "cipher/SecureWipe.h"
#include "platform/qt/QtWebAddress.h"
#include "platform/qt/VersionListDialog.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMessageBox>
#include <QMimeData>
#include <QStandardPaths>
#include <QThread>
#include <QUrl>
#include <QWidget>
#include <QWindow>

#include <cstdio>
#include <cstdlib>

namespace {

// A window a prompt can stand on: shown and not minimized; the splash and pop-ups go too soon.
bool canOwn(const QWidget* window)
{
    if (!window || !window->isVisible() || window->isMinimized())
        return false;
    const Qt::WindowType type = window->windowType();
    return type != Qt::SplashScreen && type != Qt::Popup && type != Qt::ToolTip;
}

} // namespace

QtPlatform::QtPlatform(const QString& dataFolder, bool readOnly)
    : backgroundDone_(std::make_unique<QObject>()), singleCopy_(dataFolder, readOnly), readOnly_(readOnly)
{
}

QtPlatform::~QtPlatform()
{
    // No done runs any more; the work still running ends before what it uses goes.
    backgroundDone_.reset();
    for (QThread* thread : background_) {
        thread->wait();
        delete thread;
    }
}

void QtPlatform::runInBackground(std::function<void()> work, std::function<void()> done)
{
    // An exception must not leave the thread: it would end the program there.
    QThread* thread = QThread::create([work = std::move(work)] {
        try {
            work();
        } catch (...) {
        }
    });
    background_.push_back(thread);
    QObject::connect(
        thread, &QThread::finished, backgroundDone_.get(),
        [this, thread, done = std::move(done)] {
            thread->wait();
            std::erase(background_, thread);
            thread->deleteLater();
            done();
        },
        Qt::QueuedConnection);
    thread->start();
}

QWidget* QtPlatform::promptOwner()
{
    if (QWidget* active = QApplication::activeWindow(); canOwn(active))
        return active;
    if (canOwn(lastOwner_))
        return lastOwner_;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (qobject_cast<QMainWindow*>(window) && canOwn(window))
            return window;
    }
    return nullptr;
}

void QtPlatform::placePrompt(QDialog* prompt, QWidget* owner)
{
    if (owner) {
        lastOwner_ = owner;
        return;
    }
    // Nothing of this program to stand on: a desktop would stack a box that belongs to no window below a window
    // kept on top, where it holds the keyboard unseen.
    prompt->setWindowFlag(Qt::WindowStaysOnTopHint);
    const QString front = singleCopy_.runningCopyWindow();
    if (!front.startsWith(QLatin1String("xcb:")) || QGuiApplication::platformName() != QLatin1String("xcb"))
        return;
    bool ok = false;
    const WId id = front.mid(4).toULongLong(&ok);
    if (!ok)
        return;
    if (!runningCopyWindow_)
        runningCopyWindow_.reset(QWindow::fromWinId(id));
    prompt->winId(); // the native window, to name its owner before it is shown
    if (QWindow* window = prompt->windowHandle(); window && runningCopyWindow_)
        window->setTransientParent(runningCopyWindow_.get());
}

bool QtPlatform::runPrompt(QDialog* dialog, int& result)
{
    // The dialog lives on the heap and is watched: a parent window closed and deleted while the prompt waits
    // (the lock closes the login settings) takes the dialog with it, which must not bring the program down.
    const QPointer<QDialog> guard(dialog);
    const std::size_t index = prompts_.size();
    prompts_.push_back({guard, false});
    result = dialog->exec();
    const bool dismissed = prompts_[index].dismissed || guard.isNull();
    prompts_.resize(index);
    return !dismissed;
}

void QtPlatform::dismissPrompts()
{
    for (Prompt& p : prompts_) {
        p.dismissed = true;
        if (p.dialog)
            p.dialog->reject();
    }
}

Answer QtPlatform::showMessageBox(const std::string& text, int style, const std::string& caption)
{
    QWidget* owner = promptOwner();
    auto* box = new QMessageBox(owner);
    placePrompt(box, owner);
    box->setWindowTitle(QString::fromStdString(caption));
    // Messages quote stored and imported text (a website, a file's line): never read as markup or a link.
    box->setTextFormat(Qt::PlainText);
    box->setText(QString::fromStdString(text));
    switch (style) {
    case MsgQuestion:
    case MsgQuestionNoDefault:
        box->setIcon(QMessageBox::Question);
        box->setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box->setDefaultButton(style == MsgQuestion ? QMessageBox::Yes : QMessageBox::No);
        box->setEscapeButton(QMessageBox::No);
        break;
    case MsgInformation:
        box->setIcon(QMessageBox::Information);
        box->setStandardButtons(QMessageBox::Ok);
        break;
    case MsgExclamation:
        box->setIcon(QMessageBox::Warning);
        box->setStandardButtons(QMessageBox::Ok);
        break;
    default:
        box->setIcon(QMessageBox::NoIcon);
        box->setStandardButtons(QMessageBox::Ok);
        break;
    }
    const QPointer<QMessageBox> guard(box);
    int pressed = 0;
    const bool answered = runPrompt(box, pressed);
    delete guard.data();
    if (isQuestion(style))
        return answered && pressed == QMessageBox::Yes ? Answer::Yes : Answer::No;
    return Answer::Ok;
}

QString QtPlatform::qtFilter(const std::string& filter)
{
    const QString f = QString::fromStdString(filter);
    const qsizetype bar = f.indexOf(u'|');
    if (bar < 0)
        return f;
    QString description = f.left(bar);
    QString patterns = f.mid(bar + 1);
    patterns.replace(u';', u' ');
    patterns = patterns.simplified();
    const qsizetype open = description.indexOf(u'(');
    if (open >= 0)
        description = description.left(open);
    return description + u'(' + patterns + u')';
}

QFileDialog* QtPlatform::createFileDialog(bool save, const std::string& filter, QWidget* parent, const QString& caption,
                                          const QString& startFolder)
{
    auto* dialog = new QFileDialog(parent);
    if (!caption.isEmpty())
        dialog->setWindowTitle(caption);
    if (!startFolder.isEmpty())
        dialog->setDirectory(startFolder);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog->setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog->setNameFilter(qtFilter(filter));
    // Qt shows a filter with its blanks collapsed and its patterns as it parses them; the list shows the
    // caption as written instead, while the dialog filters by the patterns it was given.
    const QString f = QString::fromStdString(filter);
    const qsizetype bar = f.indexOf(u'|');
    if (auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo")); types && bar >= 0)
        types->setItemText(0, f.left(bar));
    return dialog;
}

QString QtPlatform::downloadsFolder()
{
    const QString downloads = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    return !downloads.isEmpty() && QFileInfo(downloads).isDir() ? downloads : QDir::homePath();
}

std::string QtPlatform::fileDialog(bool save, const std::string& filter, const QString& caption,
                                   const QString& startFolder)
{
    QWidget* owner = promptOwner();
    auto* dialog = createFileDialog(save, filter, owner, caption, startFolder);
    placePrompt(dialog, owner);
    const QPointer<QFileDialog> guard(dialog);
    int result = 0;
    std::string chosen;
    // A dismissed dialog chose nothing.
    if (runPrompt(dialog, result) && result == QDialog::Accepted)
        chosen = guard->selectedFiles().value(0).toStdString();
    delete guard.data();
    return chosen;
}

std::string QtPlatform::chooseSaveFile(const std::string& filter)
{
    return fileDialog(true, filter);
}

std::string QtPlatform::chooseOpenFile(const std::string& filter)
{
    return fileDialog(false, filter);
}

std::string QtPlatform::chooseDownloadedFile(const std::string& filter, const std::string& caption)
{
    return fileDialog(false, filter, QString::fromStdString(caption), downloadsFolder());
}

ImportChoice QtPlatform::showImportPreview(const ImportPreview& preview)
{
    if (!importPreviewWindow_)
        return ImportChoice::Cancel;
    QWidget* owner = promptOwner();
    QDialog* dialog = importPreviewWindow_(preview, owner);
    placePrompt(dialog, owner);
    const QPointer<QDialog> guard(dialog);
    int result = 0;
    // A dismissed preview imports nothing.
    const bool answered = runPrompt(dialog, result) && guard;
    delete guard.data();
    if (!answered || (result != static_cast<int>(ImportChoice::SkipExisting) &&
                      result != static_cast<int>(ImportChoice::AddNumbered)))
        return ImportChoice::Cancel;
    return static_cast<ImportChoice>(result);
}

namespace {

// The box's own text buffer, overwritten once it was handed over (text() shares it). Text set from a literal
// shares read-only data (capacity 0) and holds nothing of the user's.
void wipeBox(QLineEdit* box)
{
    const QString text = box->text();
    if (!text.isEmpty() && text.capacity() > 0)
        wipeBytes(const_cast<QChar*>(text.constData()), static_cast<std::size_t>(text.size()) * sizeof(QChar));
    box->clear();
}

} // namespace

bool QtPlatform::showLoginPrompt(const std::string& text, const TakeLogin& take)
{
    QWidget* owner = promptOwner();
    auto* dialog = new QDialog(owner);
    dialog->setObjectName(QStringLiteral("frmVersionLogin"));
    dialog->setWindowTitle(QString::fromUtf8(kProgramTitle));
    auto* layout = new QFormLayout(dialog);
    auto* lblText = new QLabel(QString::fromStdString(text), dialog);
    lblText->setTextFormat(Qt::PlainText);
    layout->addRow(lblText);
    QLineEdit* boxes[3];
    const char* labels[3] = {"&User Name:", "&Password:", "&Number Pad Password:"};
    const char* names[3] = {"txtUserName", "txtPassword", "txtNumpad"};
    for (int i = 0; i < 3; ++i) {
        boxes[i] = new QLineEdit(dialog);
        boxes[i]->setObjectName(QString::fromLatin1(names[i]));
        boxes[i]->setAccessibleName(QString::fromLatin1(labels[i]).remove(u'&'));
        if (i > 0)
            boxes[i]->setEchoMode(QLineEdit::Password);
        layout->addRow(QString::fromLatin1(labels[i]), boxes[i]);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    layout->addRow(buttons);
    placePrompt(dialog, owner);
    const QPointer<QDialog> guard(dialog);
    int result = 0;
    // A dismissed prompt gives no login.
    bool typed = runPrompt(dialog, result) && guard && result == QDialog::Accepted;
    if (guard) {
        if (typed) {
            QByteArray texts[3];
            for (int i = 0; i < 3; ++i)
                texts[i] = boxes[i]->text().toUtf8();
            take(std::string_view(texts[0].constData(), static_cast<std::size_t>(texts[0].size())),
                 std::string_view(texts[1].constData(), static_cast<std::size_t>(texts[1].size())),
                 std::string_view(texts[2].constData(), static_cast<std::size_t>(texts[2].size())));
            for (QByteArray& t : texts)
                wipeBytes(t.data(), static_cast<std::size_t>(t.size()));
        }
        for (QLineEdit* box : boxes)
            wipeBox(box);
    }
    delete guard.data();
    return typed;
}

int QtPlatform::showVersionList(VersionList& versions)
{
    QWidget* owner = promptOwner();
    auto* dialog = new VersionListDialog(versions, owner);
    placePrompt(dialog, owner);
    const QPointer<VersionListDialog> guard(dialog);
    int result = 0;
    // A dismissed list restores nothing.
    const int row = runPrompt(dialog, result) && guard ? guard->chosen() : -1;
    delete guard.data();
    return row;
}

void QtPlatform::clearClipboard()
{
    QClipboard* clipboard = QApplication::clipboard();
    clipboard->clear(QClipboard::Clipboard);
    if (clipboard->supportsSelection())
        clipboard->clear(QClipboard::Selection);
}

bool QtPlatform::setClipboardText(std::string_view text)
{
    QClipboard* clipboard = QApplication::clipboard();
    auto* data = new QMimeData;
    const QString copied = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    data->setText(copied);
    // Ask clipboard managers not to keep the text in their history.
    data->setData(QStringLiteral("x-kde-passwordManagerHint"), QByteArrayLiteral("secret"));
#if defined(Q_OS_WIN)
    data->setData(QStringLiteral("ExcludeClipboardContentFromMonitorProcessing"), QByteArray(4, '\0'));
    data->setData(QStringLiteral("CanIncludeInClipboardHistory"), QByteArray(4, '\0'));
#elif defined(Q_OS_MACOS)
    data->setData(QStringLiteral("org.nspasteboard.ConcealedType"), QByteArray());
#endif
    clipboard->setMimeData(data, QClipboard::Clipboard);
    clipboardUsed_ = true;
    return clipboard->text(QClipboard::Clipboard) == copied;
}

bool QtPlatform::openUrl(const std::string& url)
{
    // Opens exactly the normalized form it is given, which QUrl reads back unchanged; a text QUrl would read
    // otherwise (mend, re-encode) is not what was checked, and opens nothing.
    const QUrl address(QString::fromStdString(url), QUrl::StrictMode);
    if (!address.isValid() || address.toString(QUrl::FullyEncoded).toStdString() != url)
        return false;
    return QDesktopServices::openUrl(address);
}

WebAddressParts QtPlatform::parseWebAddress(const std::string& text)
{
    return ParseWebAddress(QString::fromStdString(text));
}

bool QtPlatform::previousInstanceRunning()
{
    if (!lockTested_) {
        lockTested_ = true;
        otherRunning_ = !singleCopy_.claim();
    }
    return otherRunning_;
}

bool QtPlatform::holdsDataFolderLock()
{
    // A copy that never asked takes the lock at its first save.
    return !previousInstanceRunning() && singleCopy_.holds();
}

bool QtPlatform::setWindowTopmost(int mode, QWidget* window)
{
    if (!window || (mode != 0 && mode != 1))
        return false;
    const bool wanted = mode == 1;
    if (window->windowFlags().testFlag(Qt::WindowStaysOnTopHint) == wanted)
        return true;
    const bool visible = window->isVisible();
    const QRect geometry = window->geometry();
    window->setWindowFlag(Qt::WindowStaysOnTopHint, wanted);
    // Changing a window flag re-creates the native window and hides it: put a shown window back where it was.
    // A window not shown yet keeps no geometry of its own, so it still takes its natural size when shown.
    if (visible) {
        window->setGeometry(geometry);
        window->show();
    }
    return true;
}

void QtPlatform::prepareEnd()
{
    // Every way out, also those that skip the main window's unload (No to the recovery question during a
    // save, the login dialog's Cancel): text the program copied does not outlive it on the clipboard.
    if (clipboardUsed_)
        clearClipboard();
    singleCopy_.release();
    std::fflush(nullptr);
}

void QtPlatform::endProgram(int exitStatus)
{
    prepareEnd();
    std::_Exit(exitStatus);
}
