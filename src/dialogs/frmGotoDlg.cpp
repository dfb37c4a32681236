#include "frmGotoDlg.h"

#include "DocumentTable.h"
#include "Numeric.h"
#include "PageModel.h"
#include "frmSample.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <utility>

namespace palvenor {

namespace {

QLineEdit* pageBox(const char* name) {
    auto* box = new QLineEdit;
    box->setObjectName(QString::fromUtf8(name));
    box->setAlignment(Qt::AlignRight);
    box->setMaximumWidth(90);
    return box;
}

QPushButton* button(const char* name, const QString& caption) {
    auto* b = new QPushButton(caption);
    b->setObjectName(QString::fromUtf8(name));
    b->setAutoDefault(false);
    return b;
}

}  // namespace

frmGotoDlg::frmGotoDlg(DocumentTable& documents, QWidget* parent)
    : QDialog(parent), documents_(documents) {
    setObjectName(QStringLiteral("frmGotoDlg"));
    setWindowTitle(QStringLiteral("Gehe zu"));
    setModal(true);

    auto* frame1 = new QGroupBox(QStringLiteral("Einzelseiten"));
    frame1->setObjectName(QStringLiteral("Frame1"));
    auto* single = new QHBoxLayout(frame1);
    auto* lblLabel1 = new QLabel(QStringLiteral("Gehe zu Seite"));
    lblLabel1->setObjectName(QStringLiteral("lblLabel1"));
    txtPageNo_ = pageBox("txtPageNo");
    QPushButton* down = button("cmdMinus", QStringLiteral("−"));
    QPushButton* up = button("cmdPlus", QStringLiteral("+"));
    down->setToolTip(QStringLiteral("Eine Seite zurück"));
    up->setToolTip(QStringLiteral("Eine Seite vor"));
    single->addWidget(lblLabel1);
    single->addWidget(txtPageNo_);
    single->addWidget(down);
    single->addWidget(up);

    auto* frame2 = new QGroupBox(QStringLiteral("Doppelseiten (Bücher)"));
    frame2->setObjectName(QStringLiteral("Frame2"));
    auto* doubled = new QHBoxLayout(frame2);
    auto* label1 = new QLabel(QStringLiteral("Gehe zu Seite"));
    label1->setObjectName(QStringLiteral("Label1"));
    text1_ = pageBox("Text1");
    doubled->addWidget(label1);
    doubled->addWidget(text1_);
    doubled->addStretch();

    QPushButton* ok = button("cmdOKbutton", QStringLiteral("OK"));
    QPushButton* cancelButton = button("cmdCancelButton", QStringLiteral("Abbrechen"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancelButton);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame1);
    layout->addWidget(frame2);
    layout->addLayout(buttons);

    connect(down, &QPushButton::clicked, this, &frmGotoDlg::stepDown);
    connect(up, &QPushButton::clicked, this, &frmGotoDlg::stepUp);
    connect(text1_, &QLineEdit::returnPressed, this, &frmGotoDlg::bookPageEntered);
    connect(txtPageNo_, &QLineEdit::returnPressed, this, &QDialog::accept);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancelButton, &QPushButton::clicked, this, &frmGotoDlg::reject);
    activate();
}

QString frmGotoDlg::Text1() const { return text1_->text(); }

QString frmGotoDlg::txtPageNo() const { return txtPageNo_->text(); }

QString frmGotoDlg::Blatt(const QString& bookPage) { return PageModel::Blatt(bookPage); }

QString frmGotoDlg::buchseite(const QString& imagePage) { return PageModel::buchseite(imagePage); }

void frmGotoDlg::stepDown() { txtPageNo_->setText(QString::number(int16Value(txtPageNo()) - 1)); }

void frmGotoDlg::stepUp() { txtPageNo_->setText(QString::number(int16Value(txtPageNo()) + 1)); }

void frmGotoDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    (txtPageNo_->isEnabled() ? txtPageNo_ : text1_)->setFocus();
}

// Only the box of the active document's mode is open, filled with the
// number its page field shows and selected for typing over. A page a
// command left to be proposed is proposed once, in single page mode.
void frmGotoDlg::activate() {
    const int k = documents_.AktuellesDokument;
    frmSample* window = k >= 1 && k <= documents_.count() ? documents_.Fenster(k) : nullptr;
    const bool single = !window || window->pages().isSingle();
    txtPageNo_->setEnabled(single);
    text1_->setEnabled(!single);
    QLineEdit* box = single ? txtPageNo_ : text1_;
    if (window) {
        PageModel& pages = window->pages();
        const QString proposal = std::exchange(pages.goToProposal, QString());
        box->setText(!single ? pages.buchseiteField() : proposal.isEmpty() ? pages.seite() : proposal);
    }
    box->selectAll();
    box->setFocus();
}

void frmGotoDlg::bookPageEntered() { txtPageNo_->setText(Blatt(Text1())); }

void frmGotoDlg::reject() {
    text1_->clear();
    txtPageNo_->clear();
    QDialog::reject();
}

}  // namespace palvenor
