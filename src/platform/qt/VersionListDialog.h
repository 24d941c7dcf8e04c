#pragma once

#include "platform/Platform.h"

#include <QDialog>

class QListWidget;
class QPlainTextEdit;

// The earlier versions of the account file: one row a version (when it was written, how many accounts), what a
// restore of the one selected would change (names only), and Restore or Close. Usable from the keyboard alone;
// every control carries its label as its accessible name.
class VersionListDialog : public QDialog
{
    Q_OBJECT

public:
    explicit VersionListDialog(VersionList& versions, QWidget* parent = nullptr);

    // The row chosen once the dialog was accepted, else -1.
    int chosen() const;

private:
    void showDetails();

    VersionList& versions_;
    QListWidget* lstVersions_ = nullptr;
    QPlainTextEdit* txtDetails_ = nullptr;
};
