#include "Navigation.h"

#include "Numeric.h"
#include "OpenRequest.h"
#include "Prompter.h"
#include "SavePrompt.h"
#include "FrameLink.h"
#include "ZoomCommands.h"
#include "frmSample.h"

#include <cmath>

namespace palvenor {

namespace {
QString text(double value) { return QString::number(value, 'g', 15); }
}  // namespace

bool Navigation::hasImage() const { return !w_.oleImgEdit1().Image().isEmpty(); }

// Every page change: the page, its picture, the zoom field and the thumbnails.
void Navigation::show(int page, bool zoomField) {
    imaging::oleImgEdit& edit = w_.oleImgEdit1();
    edit.setPage(page);
    edit.Display();
    if (zoomField) w_.showZoomField();
    w_.oleImgThumbnail1().DeselectAllThumbs();
    w_.oleImgThumbnail1().setThumbSelected(page, true);
}

void Navigation::setSeiteToImagePage(double page) {
    w_.pages().setSeite(text(page + w_.pages().Versatz()));
}

void Navigation::GehZuSeite(const QString& p) {
    const int n = int16Value(p);
    if (!askToSave(w_)) return;
    const int count = w_.oleImgEdit1().PageCount();
    if (n >= 1 && n <= count) {
        show(n, false);
    } else {
        w_.prompter().message(QStringLiteral("Diese Datei enthält %1 Seiten").arg(count), kAppTitle,
                              Prompter::Buttons::Ok, Prompter::Icon::Information);
    }
    w_.refreshPageFields(std::nearbyint(numericValue(p)));
}

void Navigation::nextPage() {
    if (!hasImage()) return;
    if (!askToSave(w_)) return;
    const int current = w_.oleImgEdit1().Page();
    w_.pages().VorigeSeite = toInt16(current);
    const int page = current < w_.oleImgEdit1().PageCount() ? current + 1 : current;
    w_.oleImgEdit1().setPage(page);
    w_.refreshPageFields(page);
    show(page);
}

void Navigation::previousPage() {
    if (!hasImage()) return;
    if (!askToSave(w_)) return;
    const int current = w_.oleImgEdit1().Page();
    w_.pages().VorigeSeite = toInt16(current);
    const int page = current >= 2 ? current - 1 : current;
    w_.oleImgEdit1().setPage(page);
    w_.refreshPageFields(page);
    show(page);
}

void Navigation::firstPage() {
    if (!askToSave(w_)) return;
    w_.pages().VorigeSeite = toInt16(w_.oleImgEdit1().Page());
    w_.refreshPageFields(1);
    show(1);
}

void Navigation::lastPage() {
    if (!askToSave(w_)) return;
    w_.pages().VorigeSeite = toInt16(w_.oleImgEdit1().Page());
    const int last = w_.oleImgEdit1().PageCount();
    w_.refreshPageFields(last);
    show(last);
}

void Navigation::back() {
    if (!askToSave(w_)) return;
    const int page = w_.pages().VorigeSeite;
    w_.refreshPageFields(page);
    show(page);
}

void Navigation::goTo() {
    if (!askToSave(w_)) return;
    w_.pages().VorigeSeite = toInt16(w_.oleImgEdit1().Page());
    const auto [bookPage, imagePage] = w_.frame().runGoToDialog();
    if (bookPage <= QStringLiteral("0") && imagePage <= QStringLiteral("0")) return;
    if (w_.pages().isSingle())
        enterInSeite(imagePage);
    else
        enterInBuchseite(bookPage);
}

// "+n" typed into a page field sets the pagination offset instead of moving.
bool Navigation::setOffsetIfPlus(const QString& typed) {
    if (!typed.startsWith(QLatin1Char('+'))) return false;
    w_.pages().OffsetSetzen(typed, w_.oleImgEdit1().Page());
    w_.refreshPageFields(w_.oleImgEdit1().Page());
    return true;
}

void Navigation::enterInSeite(const QString& typed) {
    PageModel& pages = w_.pages();
    pages.setSeite(typed);
    if (setOffsetIfPlus(typed)) return;
    const int count = w_.oleImgEdit1().PageCount();
    const double x = numericValue(typed) - pages.Versatz();
    if (typed == QStringLiteral("00") || x > count)
        setSeiteToImagePage(count);
    else if (x <= 1)
        setSeiteToImagePage(1);
    GehZuSeite(text(numericValue(pages.seite()) - pages.Versatz()));
}

void Navigation::enterInBuchseite(const QString& typed) {
    PageModel& pages = w_.pages();
    pages.setBuchseiteField(typed);
    if (setOffsetIfPlus(typed)) return;
    const int count = w_.oleImgEdit1().PageCount();
    const double x = numericValue(typed) - pages.Versatz();
    if (typed == QStringLiteral("00") || x > 2.0 * count) {
        setSeiteToImagePage(count);
    } else {
        const double b = pages.imagePageOfDouble(numericValue(typed));
        setSeiteToImagePage(b <= 1 ? 1 : b);
    }
    GehZuSeite(text(numericValue(pages.seite()) - pages.Versatz()));
}

void Navigation::singlePages() {
    w_.showDoublePages(false);
    ZoomCommands(w_).fit(ZoomCommands::FitToHeight);
}

void Navigation::doublePages() {
    w_.showDoublePages(true);
    ZoomCommands(w_).fit(ZoomCommands::FitToWidth);
}

// The arrows are enabled exactly when there is a page before or after the
// shown one.
void Navigation::showPageArrows() {
    const int page = w_.oleImgEdit1().Page();
    w_.controls().setEnabled(QStringLiteral("rueck"), page > 1);
    w_.controls().setEnabled(QStringLiteral("vor"), page < w_.oleImgEdit1().PageCount());
}

void Navigation::pagination() {
    const std::optional<QString> answer =
        w_.prompter().input(kOffsetPrompt, kOffsetTitle, QStringLiteral("0"));
    w_.pages().OffsetSetzen(answer.value_or(QString()), w_.oleImgEdit1().Page());
    w_.refreshPageFields(w_.oleImgEdit1().Page());
}

void Navigation::pageInfo() {
    if (hasImage()) w_.oleImgEdit1().PageProperties(w_.prompter());
}

}  // namespace palvenor
