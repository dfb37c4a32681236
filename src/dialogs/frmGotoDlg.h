#pragma once

#include <QDialog>

class QLineEdit;

namespace palvenor {

class DocumentTable;

// The go-to dialog: the page to go to, typed as an image page in single
// page mode or as a book page in double page mode. The caller reads both
// boxes once the dialog is closed; after Cancel both are empty.
class frmGotoDlg : public QDialog {
    Q_OBJECT
public:
    explicit frmGotoDlg(DocumentTable& documents, QWidget* parent = nullptr);

    QString Text1() const;
    QString txtPageNo() const;

    // The page model's conversions, for callers that hold the dialog.
    static QString Blatt(const QString& bookPage);
    static QString buchseite(const QString& imagePage);

    // The two step commands: the image page box one lower or one higher.
    void stepDown();
    void stepUp();

    // Cancel, Escape and the window's close button: both boxes are emptied,
    // so the caller goes nowhere.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void activate();
    void bookPageEntered();

    DocumentTable& documents_;
    QLineEdit* txtPageNo_ = nullptr;
    QLineEdit* text1_ = nullptr;
};

}  // namespace palvenor
