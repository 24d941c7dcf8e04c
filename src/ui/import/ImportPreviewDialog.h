#pragma once

#include "app/model/ImportPreview.h"
#include "platform/Platform.h"

#include <QDialog>

class QRadioButton;
class QTableWidget;

// The preview of an import from another program: what will be added and skipped, the first accounts (never a
// password), the choice for names that exist already, and Import or Cancel. Usable from the keyboard alone;
// every control carries its label as its accessible name.
class ImportPreviewDialog : public QDialog
{
    Q_OBJECT

public:
    ImportPreviewDialog(const ImportPreview& preview, QWidget* parent = nullptr);
    // Overwrites the user IDs shown before the table lets them go.
    ~ImportPreviewDialog() override;

    // The preview for the desktop to show (QtPlatform::setImportPreviewWindow).
    static QDialog* create(const ImportPreview& preview, QWidget* owner);

    // What the user chose; also the dialog's result code.
    ImportChoice choice() const;

    // Import ends the dialog with the choice as its result code.
    void accept() override;

private:
    QRadioButton* optSkip_ = nullptr;
    QRadioButton* optNumber_ = nullptr;
    QTableWidget* grdRows_ = nullptr;
};
