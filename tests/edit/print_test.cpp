#include "TransformScene.h"

#include "AnnotationTag.h"
#include "PrintCommands.h"

#include <QCheckBox>
#include <QPrintDialog>
#include <QPrinter>

using namespace palvenor;
using namespace palvenor::test;

namespace {

// Quarters of a page, by where its ink lies.
enum Quarter { TopLeft, TopRight, BottomLeft, BottomRight };

QRect quarterOf(QSize size, Quarter quarter) {
    const int w = size.width() / 2;
    const int h = size.height() / 2;
    return QRect(quarter % 2 ? w : 0, quarter / 2 ? h : 0, w, h);
}

// Page k (1..4) has a black block in quarter k-1; page 2 also carries a
// filled-area annotation over the bottom left quarter.
struct PrintScene : TransformScene {
    QString pdf = dir.filePath(QStringLiteral("druck.pdf"));

    PrintScene() : TransformScene({}) {
        path = dir.filePath(QStringLiteral("vier.tif"));
        std::vector<imaging::PageSource> pages;
        for (int k = 1; k <= 4; ++k) {
            QImage page(200, 280, QImage::Format_RGB32);
            page.fill(Qt::white);
            QPainter(&page).fillRect(quarterOf(page.size(), Quarter(k - 1)).adjusted(20, 20, -20, -20), Qt::black);
            imaging::PageSource source;
            source.picture = page.convertToFormat(QImage::Format_Mono);
            pages.push_back(source);
        }
        imaging::Annotation area;
        area.kind = imaging::AnnotationKind::FilledArea;
        area.box = QRectF(quarterOf(QSize(200, 280), BottomLeft).adjusted(20, 20, -20, -20));
        pages[1].annotations = imaging::encodeAnnotations({area});
        imaging::writeBook(path, pages);
        frame.resize(1100, 800);
        frame.show();
        w = open(path);
        QCoreApplication::processEvents();
    }

    // Plays the print dialog: pages from..to into the PDF, annotations on or off.
    void printDialogChooses(int from, int to, bool annotations) {
        prompter.onDialog([this, from, to, annotations](QDialog& dialog) {
            auto& print = dynamic_cast<QPrintDialog&>(dialog);
            print.printer()->setOutputFileName(pdf);
            print.printer()->setPrintRange(QPrinter::PageRange);
            print.printer()->setFromTo(from, to);
            dialog.findChild<QCheckBox*>(QStringLiteral("PrintAnnotations"))->setChecked(annotations);
            return int(QDialog::Accepted);
        });
    }

    int pdfPages() {
        QProcess info;
        info.start(QStringLiteral("pdfinfo"), {pdf});
        info.waitForFinished();
        const QString text = QString::fromUtf8(info.readAllStandardOutput());
        const qsizetype at = text.indexOf(QStringLiteral("Pages:"));
        return at < 0 ? 0 : text.mid(at + 6).section(QLatin1Char('\n'), 0, 0).trimmed().toInt();
    }

    // The quarters of printed page n that hold ink, read back with pdftoppm.
    std::set<Quarter> inkedQuarters(int n) {
        const QString prefix = dir.filePath(QStringLiteral("seite"));
        QProcess render;
        render.start(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("30"), QStringLiteral("-gray"),
                                                  QStringLiteral("-png"), QStringLiteral("-f"), QString::number(n),
                                                  QStringLiteral("-l"), QString::number(n), QStringLiteral("-singlefile"),
                                                  pdf, prefix});
        render.waitForFinished();
        const QImage printed(prefix + QStringLiteral(".png"));
        std::set<Quarter> inked;
        if (printed.isNull()) return inked;
        // The page fills the paper's height or width, centred: quarters of
        // the paper are quarters of the page.
        for (Quarter quarter : {TopLeft, TopRight, BottomLeft, BottomRight}) {
            const QRect part = quarterOf(printed.size(), quarter);
            const QPoint middle = part.center();
            if (qGray(printed.pixel(middle)) < 100) inked.insert(quarter);
        }
        return inked;
    }
};

}  // namespace

TEST(Printing, TheChosenPageRangeGoesToThePrinterFittedToThePaper) {
    PrintScene s;
    s.printDialogChooses(2, 3, true);
    s.run("mnuPrint");
    ASSERT_EQ(s.pdfPages(), 2);
    EXPECT_EQ(s.inkedQuarters(1), std::set<Quarter>({TopRight, BottomLeft}));
    EXPECT_EQ(s.inkedQuarters(2), std::set<Quarter>({BottomLeft}));
    EXPECT_TRUE(messages(s.prompter).isEmpty());  // no changes: nothing is asked
}

TEST(Printing, AnnotationsCanBeLeftOut) {
    PrintScene s;
    s.printDialogChooses(2, 2, false);
    qobject_cast<QAbstractButton*>(s.w->controls().find(QStringLiteral("druck")))->click();
    ASSERT_EQ(s.pdfPages(), 1);
    EXPECT_EQ(s.inkedQuarters(1), std::set<Quarter>({TopRight}));
}

TEST(Printing, ChangesAreOfferedForSavingAndNoPrintsTheStoredFile) {
    PrintScene s;
    s.run("mnuFlip");
    s.prompter.answer(Prompter::Answer::No);
    s.printDialogChooses(1, 1, true);
    s.run("mnuPrint");
    ASSERT_FALSE(s.prompter.shown().empty());
    EXPECT_EQ(s.prompter.shown()[0].text,
              QStringLiteral("Die Datei muß erst gespeichert werden, bevor Änderungen gedruckt werden können. "
                             "Jetzt speichern ?"));
    EXPECT_EQ(s.prompter.shown()[0].buttons, Prompter::Buttons::YesNo);
    EXPECT_EQ(s.inkedQuarters(1), std::set<Quarter>({TopLeft}));
    EXPECT_TRUE(s.edit().ImageModified());  // the turned page stays in the window
}

TEST(Printing, YesSavesFirstAndPrintsTheChangedPage) {
    PrintScene s;
    s.run("mnuFlip");
    s.prompter.answer(Prompter::Answer::Yes);
    s.printDialogChooses(1, 1, true);
    s.run("mnuPrint");
    EXPECT_FALSE(s.edit().ImageModified());
    EXPECT_EQ(s.inkedQuarters(1), std::set<Quarter>({BottomRight}));
}

TEST(Printing, ACancelledDialogPrintsNothingAndSaysNothing) {
    PrintScene s;
    s.prompter.onDialog([](QDialog&) { return int(QDialog::Rejected); });
    s.run("mnuPrint");
    EXPECT_FALSE(QFile::exists(s.pdf));
    EXPECT_TRUE(messages(s.prompter).isEmpty());
}

TEST(Printing, PrintPagePrintsExactlyTheShownPageWhateverTheDialogChoseBefore) {
    PrintScene s;
    s.printDialogChooses(1, 2, true);
    s.run("mnuPrint");
    s.goTo(4);
    s.run("mnuPrintPage");
    ASSERT_EQ(s.pdfPages(), 1);
    EXPECT_EQ(s.inkedQuarters(1), std::set<Quarter>({BottomRight}));
}

TEST(Printing, AFailedPrintOfThePageNamesItsPosition) {
    PrintScene s;
    QFile::remove(s.path);
    s.run("mnuPrintPage");
    ASSERT_EQ(messages(s.prompter).size(), 1);
    EXPECT_TRUE(messages(s.prompter)[0].startsWith(QStringLiteral("Pos.7 "))) << messages(s.prompter)[0].toStdString();
    EXPECT_TRUE(messages(s.prompter)[0].contains(QStringLiteral(" Fehlercode = 7D0")));
    EXPECT_EQ(s.prompter.shown()[0].icon, Prompter::Icon::Critical);
}
