#include "app/model/Session.h"
#include "cipher/CipherComponent.h"
#include "platform/qt/CommandLine.h"
#include "platform/qt/DataFolder.h"
#include "platform/qt/Launch.h"
#include "platform/qt/ProcessHardening.h"
#include "platform/qt/QtPlatform.h"
#include "ui/import/ImportPreviewDialog.h"
#include "ui/main/LanguageTextRules.h"
#include "ui/main/Program.h"

#include <QApplication>

int main(int argc, char** argv)
{
    // Before anything is read: no core file, no other process reading this one's memory.
    hardenProcess();
    if (const std::optional<int> exitCode = handleCommandLine(argc, argv))
        return *exitCode;
    const std::unique_ptr<QApplication> app = createApplication(argc, argv);
    const DataFolder data = chooseDataFolder(QCoreApplication::applicationDirPath(), userDataFolder());
    if (data.folder.isEmpty()) {
        reportStartFailure(data.error);
        return static_cast<int>(ExitStatus::Failed);
    }
    QtPlatform platform(data.folder, data.readOnly);
    platform.setProtectionNotePath(protectionNoteFile().toStdString());
    platform.setImportPreviewWindow(&ImportPreviewDialog::create);
    const LanguageTextRules textRules;
    Session session(data.folder.toStdString(), platform, textRules);
    session.setStartNotice(data.notice.toStdString());
    Program program(session);
    program.start();
    const int rc = QApplication::exec();
    // The way out when the event loop ends without Program::end: the same wipe.
    CipherComponent::wipeKeyCache();
    platform.clearClipboard();
    return rc;
}
