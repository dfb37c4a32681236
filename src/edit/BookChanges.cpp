#include "BookChanges.h"

#include "Numeric.h"
#include "Prompter.h"
#include "frmSample.h"

#include <QCoreApplication>
#include <QLabel>

namespace palvenor {

void takeChangedBook(frmSample& window) {
    imaging::oleImgEdit& edit = window.oleImgEdit1();
    edit.setImage(edit.Image());
    window.pages().Seitenzahl = toInt16(edit.PageCount());
    window.oleImgThumbnail1().setImage(window.oleImgAdmin1().Image());
}

void followPageArrows(frmSample& window) {
    const int page = window.oleImgEdit1().Page();
    window.controls().setEnabled(QStringLiteral("rueck"), page > 1);
    window.controls().setEnabled(QStringLiteral("vor"), page < window.oleImgEdit1().PageCount());
}

// The label `Label1` of the window, made on first use.
PleaseWait::PleaseWait(frmSample& window) {
    auto* label = window.findChild<QLabel*>(QStringLiteral("Label1"));
    if (!label) {
        label = new QLabel(QStringLiteral("Bitte warten ..."), &window.oleImgEdit1());
        label->setObjectName(QStringLiteral("Label1"));
        label->setFrameShape(QFrame::Box);
        label->setAutoFillBackground(true);
        label->setMargin(8);
        label->adjustSize();
    }
    label->move(8, 8);
    label->show();
    label->raise();
    label_ = label;
    QCoreApplication::processEvents();
}

PleaseWait::~PleaseWait() { label_->hide(); }

void reportAtPosition(frmSample& window, const QString& position, const imaging::ImagingError& error) {
    window.prompter().message(position + QString::number(error.code), kAppTitle, Prompter::Buttons::Ok,
                              Prompter::Icon::None);
}

void reportFailure(frmSample& window, const imaging::ImagingError& error) {
    window.prompter().critical(failureText(error), kAppTitle);
}

}  // namespace palvenor
