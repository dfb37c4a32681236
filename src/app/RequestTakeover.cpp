#include "RequestTakeover.h"

#include "IniFile.h"
#include "Numeric.h"
#include "OpenRequest.h"
#include "frmSample.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace palvenor {

namespace {

// Both name the same file; relative and absolute spellings are alike.
bool sameFile(const QString& a, const QString& b) {
    const QString canonicalA = QFileInfo(a).canonicalFilePath();
    return !canonicalA.isEmpty() ? canonicalA == QFileInfo(b).canonicalFilePath() : a == b;
}

void showPage(frmSample& window, const OpenRequest& request, QString& kommandozeile) {
    imaging::oleImgEdit& edit = window.oleImgEdit1();
    QString page = QStringLiteral("1");
    kommandozeile.clear();
    if (request.page) {
        const double value = numericValue(*request.page);
        if (value >= 1 && value <= edit.PageCount()) page = *request.page;
        window.showDoublePages(true);
        edit.FitTo(imaging::oleImgEdit::FitToHeight);
    }
    edit.setPage(int16Value(page));
    edit.Display();
    window.refreshPageFields(edit.Page());
}

}  // namespace

void takeOverRequest(frmSample& window, IniFile& ini, const TakeoverHooks& hooks) {
    const QString value = ini.IniLesen(kHandOverSection, kHandOverKey, QString());
    if (!value.isEmpty() && value != kHandOverTaken) {
        hooks.Kommandozeile = value;
        ini.IniSchreiben(kHandOverSection, kHandOverKey, kHandOverTaken);
        QCoreApplication::processEvents();
        hooks.setTopmost(window, true);
        hooks.Kommandozeile = unquoted(hooks.Kommandozeile);
        const OpenRequest request = OpenRequest::parse(hooks.Kommandozeile);
        if (sameFile(request.path, window.entry().Pfad))
            showPage(window, request, hooks.Kommandozeile);
        else
            hooks.runOpenCommand();
    }
    hooks.setTopmost(window, false);
}

}  // namespace palvenor
