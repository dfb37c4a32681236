#include "frmOCR.h"

#include "FormatResults.h"

#include <QScopeGuard>
#include <QTextEdit>

#include <cmath>

namespace palvenor::ocr {

FormatOptions formatOptions;

frmOCR::frmOCR(Prompter& prompter, QWidget* parent)
    : QMainWindow(parent), RTF0(new QTextEdit(this)), prompter_(prompter) {
    setWindowTitle(QStringLiteral("OCR"));
    RTF0->setObjectName(QStringLiteral("RTF0"));
    setCentralWidget(RTF0);
    connect(RTF0, &QTextEdit::textChanged, this, &frmOCR::noteTextChanged);
}

void frmOCR::reformat() {
    AppendNext = false;
    FormatResults(*this, lastResults, formatOptions,
                  static_cast<int>(std::lround(formatOptions.ResolutionFactor)));
}

void frmOCR::changeTextByProgram(const std::function<void()>& change) {
    const auto restore = qScopeGuard([this, outer = programChange_] { programChange_ = outer; });
    programChange_ = true;
    change();
}

void frmOCR::noteTextChanged() {
    if (!programChange_) AppendNext = true;
}

}  // namespace palvenor::ocr
