#include "DeletedPage.h"

#include "PageAdmin.h"
#include "ProgramTemp.h"

#include <QFile>

#include <atomic>

namespace palvenor {

namespace {

QString newKeepingFile() {
    static std::atomic<int> next = 0;
    return programTempFolder() + QStringLiteral("/geloeschte-seite-%1.tif").arg(++next);
}

}  // namespace

DeletedPage::~DeletedPage() { forget(); }

imaging::ImagingError DeletedPage::keep(const QString& book, int page) {
    if (file_.isEmpty()) file_ = newKeepingFile();
    imaging::PageSource source;
    source.file = book;
    source.page = page;
    const imaging::ImagingError error = imaging::writeBook(file_, {source});
    page_ = error.ok() ? page : 0;
    emit keptChanged(isKept());
    return error;
}

void DeletedPage::forget() {
    if (!file_.isEmpty()) QFile::remove(file_);
    page_ = 0;
    emit keptChanged(false);
}

}  // namespace palvenor
