#include "ImageAcquisition.h"

#include "BookChanges.h"
#include "FolderConcatenation.h"
#include "Navigation.h"
#include "PageSequenceCommands.h"
#include "Picbuf.h"
#include "ProgramTemp.h"
#include "Prompter.h"
#include "WebDirectory.h"
#include "frmSample.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

namespace palvenor::acquire {

namespace {

constexpr int kChunk = 1024;
const QString kTypePrompt = QStringLiteral("Datei-Typ der Quelle angeben (Extension mit Punkt z.B.  .jpg)");
const QString kNoFolderImages = QStringLiteral(
    "Nur Bilder können verkettet werden; geben Sie einen Bildtyp (.jpg .gif .png .tif) an und wählen Sie ein "
    "Quellverzeichnis zum Speichern aus\nSie müssen den Befehl 'Dateien verketten' wiederholen");
const QString kNoWebImages = QStringLiteral(
    "Nur Bilder können verkettet werden; geben Sie einen Bildtyp (.jpg .gif .png .tif) an oder wählen Sie ein "
    "Verzeichnis zum Speichern aus\nSie müssen den Befehl 'Website einlesen' wiederholen");
const QString kBadStartNumber = QStringLiteral("Die Startnummer muss zwischen -32768 und 32767 liegen.");
constexpr const char* kAcquisitionMenus[] = {"mnuWebsite", "mnuVerketten"};

QString answer(Prompter& prompter, const QString& prompt, const QString& title, const QString& proposal = {}) {
    return prompter.input(prompt, title, proposal).value_or(QString());
}

void refuse(Prompter& prompter, const QString& text) {
    prompter.message(text, kAppTitle, Prompter::Buttons::Ok, Prompter::Icon::None);
}

// The source with exactly one separator at its end.
QString withTrailing(QString source, QLatin1Char separator) {
    while (source.endsWith(QLatin1Char('/')) || source.endsWith(QLatin1Char('\\'))) source.chop(1);
    return source + separator;
}

QString rightTrimmed(QString text) {
    while (text.endsWith(QLatin1Char(' '))) text.chop(1);
    return text;
}

void letEventsRun() { QCoreApplication::processEvents(); }

}  // namespace

ImageAcquisition::ImageAcquisition(frmSample& window) : QObject(&window), w_(window), panel_(window) {
    setObjectName(QStringLiteral("ImageAcquisition"));
    inet_.setObjectName(QStringLiteral("Inet0"));
    QStatusBar* bar = window.statusBar();
    bar->setObjectName(QStringLiteral("Status"));
    status_ = new QLabel;
    status_->setObjectName(QStringLiteral("StatusPanel1"));
    bar->addWidget(status_, 1);
    connect(&inet_, &Inet::StateChanged, this, &ImageAcquisition::Inet0_StateChanged);
    connect(&panel_, &SelectionPanel::startClicked, this, &ImageAcquisition::Start_Click);
    connect(&panel_, &SelectionPanel::cancelClicked, this, &ImageAcquisition::cancel);
    window.installEventFilter(this);
}

ImageAcquisition* ImageAcquisition::of(frmSample& window) {
    return window.findChild<ImageAcquisition*>(QString(), Qt::FindDirectChildrenOnly);
}

void ImageAcquisition::showStatus(const QString& text) { status_->setText(text); }

// Downloads go through one cache file: in the target folder while files
// are saved there, else in the program's private temporary folder.
QString ImageAcquisition::cacheFile() const {
    const QString name = QStringLiteral("cache") + fileType_;
    const QString target = rightTrimmed(targetFolder_);
    return target.isEmpty() ? QDir(programTempFolder()).filePath(name) : QDir(target).filePath(name);
}

void ImageAcquisition::mnuVerketten_Click() {
    Prompter& prompter = w_.prompter();
    const QString folder = answer(prompter, QStringLiteral("Geben Sie das Quellverzeichnis an"),
                                  QStringLiteral("Verzeichnis"), QDir::currentPath());
    const QString fileType = answer(prompter, kTypePrompt, QStringLiteral("Bildtyp"), QStringLiteral(".tif"));
    if (folder.isEmpty() || !isImageType(fileType)) {
        refuse(prompter, kNoFolderImages);
        return;
    }
    fileType_ = fileType;
    targetFolder_.clear();
    source_ = withTrailing(folder, QLatin1Char('/'));
    getliste(source_, fileType_);
    if (!startNewBook()) return;
    if (panel_.count() > 0 && QFileInfo::exists(source_ + panel_.entry(0))) replaceFirstPage(source_ + panel_.entry(0));
    showPanel();
}

void ImageAcquisition::mnuWebsite_Click() {
    Prompter& prompter = w_.prompter();
    const QString address = answer(prompter, QStringLiteral("Web-Adresse des Quellverzeichnisses angeben (als http://)"),
                                   QStringLiteral("Web Adresse"), QStringLiteral("HTTP://"));
    fileType_ = answer(prompter, kTypePrompt, QStringLiteral("Bildtyp"));
    targetFolder_ = answer(prompter,
                           QStringLiteral("Geben Sie ein Zielverzeichnis an, wenn die Dateien einzeln gespeichert "
                                          "werden sollen\nGeben Sie nichts ein, wenn Sie Bilddateien verketten wollen "
                                          "bzw. von einer CD oder aus einem Verzeichnis einlesen wollen\nDas aktuelle "
                                          "Verzeichnis ist ") +
                               QDir::currentPath(),
                           QStringLiteral("Verzeichnis"));
    if (!isImageType(fileType_) && targetFolder_.isEmpty()) {
        refuse(prompter, kNoWebImages);
        return;
    }
    source_ = withTrailing(address, QLatin1Char('/'));
    getliste(source_, fileType_);
    if (transferFailed_) return;
    if (targetFolder_.isEmpty()) {
        if (!startNewBook()) return;
        if (panel_.count() > 0) {
            Datei_holen(source_ + panel_.entry(0), panel_.entry(0), fileType_);
            if (QFileInfo::exists(cacheFile())) replaceFirstPage(cacheFile());
        }
    } else if (!askStemName()) {
        return;
    }
    showPanel();
}

// The stem name for numbered files and, with one, the number to start
// from; false when that number is refused.
bool ImageAcquisition::askStemName() {
    Prompter& prompter = w_.prompter();
    stemName_ = answer(prompter,
                       QStringLiteral("Wenn die Dateien mit Fortlaufender Nummer gespeichert werden sollen, geben Sie "
                                      "einen Stammnamen ein"),
                       QStringLiteral("Stammname"));
    if (stemName_.isEmpty()) return true;
    const std::optional<int> start =
        startNumber(answer(prompter, QStringLiteral("Beginnen mit Nummer:"), QStringLiteral("Startnummer")));
    if (!start) {
        refuse(prompter, kBadStartNumber);
        return false;
    }
    nextNumber_ = *start;
    return true;
}

void ImageAcquisition::getliste(const QString& source, const QString& fileType) {
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    transferFailed_ = false;
    if (isWebAddress(source)) {
        if (readDirectory(source)) panel_.setEntries(linksOfType(pageText_, fileType));
    } else if (const QStringList names = matchingFiles(source, fileType); !names.isEmpty()) {
        panel_.setEntries(names);
    }
    QGuiApplication::restoreOverrideCursor();
}

// Fetches the directory page into the page text buffer, with the cancel
// button at hand. A failed transfer empties the buffer and the list and
// says so, rather than parsing an earlier page again.
bool ImageAcquisition::readDirectory(const QString& source) {
    transferFinished_ = false;
    cancelled_ = false;
    running_ = true;
    setAcquisitionMenus(false);
    placePanel();
    panel_.beginProgress(0);
    inet_.Execute(source);
    QEventLoop wait;
    connect(&inet_, &Inet::StateChanged, &wait, [this, &wait] {
        if (transferFinished_) wait.quit();
    });
    if (!transferFinished_) wait.exec();
    panel_.endProgress();
    setAcquisitionMenus(true);
    running_ = false;
    if (closeWhenDone_) {
        closeIfAsked();
        return false;
    }
    if (!transferFailed_) return true;
    pageText_.clear();
    panel_.clear();
    w_.prompter().message(QStringLiteral("Das Verzeichnis %1 konnte nicht gelesen werden: %2").arg(source, inet_.errorText()),
                          kAppTitle, Prompter::Buttons::Ok, Prompter::Icon::Exclamation);
    return false;
}

void ImageAcquisition::Inet0_StateChanged(int state) {
    if (state == Inet::Error) {
        transferFinished_ = true;
        transferFailed_ = true;
    }
    if (state == Inet::Completed && !transferFinished_) {
        pageText_.clear();
        for (QString chunk = inet_.GetChunk(kChunk); !chunk.isEmpty(); chunk = inet_.GetChunk(kChunk))
            pageText_ += chunk;
        transferFinished_ = true;
    }
    showStatus(Inet::stateText(state));
}

// The book being saved first, this window takes a new black-and-white book.
// False when it got no file name (the save dialog was cancelled): then
// there is no book to put pages into.
bool ImageAcquisition::startNewBook() {
    if (!w_.oleImgEdit1().Image().isEmpty()) w_.runSaveCommand();
    w_.Neustart(imaging::PageTypeBlackWhite);
    return !w_.oleImgEdit1().Image().isEmpty();
}

// The picture, black and white, goes through the temporary bitmap that the
// page commands read.
void ImageAcquisition::replaceFirstPage(const QString& pictureFile) {
    Picbuf picture;
    QString reason;
    if (!loadBlackAndWhite(picture, pictureFile, &reason)) {
        showStatus(QFileInfo(pictureFile).fileName() + QStringLiteral(": ") + reason);
        return;
    }
    picture.FileName = tempPictureFile();
    picture.Save();
    PageSequenceCommands(w_).ReplacePageFromFile(picture.FileName);
    letEventsRun();
}

// Below the tool bars, as high as the window less the status bar and four
// tool bar heights.
void ImageAcquisition::placePanel() {
    const QToolBar* bar = w_.findChild<QToolBar*>(QStringLiteral("Toolbar1"));
    const int toolBarHeight = bar ? bar->height() : 0;
    panel_.place(w_.centralWidget()->y(), w_.height() - w_.statusBar()->height() - 4 * toolBarHeight);
}

void ImageAcquisition::showPanel() {
    placePanel();
    panel_.show();
}

// A second press while the pages are still coming is ignored: a run inside
// the run would put its pages into the book twice.
void ImageAcquisition::Start_Click() {
    if (running_) return;
    running_ = true;
    setAcquisitionMenus(false);
    cancelled_ = false;
    if (targetFolder_.isEmpty())
        concatenate();
    else
        saveOneByOne();
    running_ = false;
    panel_.clear();
    panel_.hide();
    setAcquisitionMenus(true);
    w_.Bild_vorhanden();
    closeIfAsked();
}

// While pages or a directory page are on their way the window stays: a
// close cancels the transfer or the run, and the window closes once it has
// ended, the book as it was before START.
bool ImageAcquisition::eventFilter(QObject* watched, QEvent* event) {
    if (watched != &w_ || event->type() != QEvent::Close || !running_) return false;
    closeWhenDone_ = true;
    cancel();
    event->ignore();
    return true;
}

void ImageAcquisition::closeIfAsked() {
    if (!closeWhenDone_) return;
    closeWhenDone_ = false;
    QTimer::singleShot(0, &w_, [window = &w_] { window->closeBook(); });
}

void ImageAcquisition::setAcquisitionMenus(bool enabled) { w_.controls().setAllEnabled(kAcquisitionMenus, enabled); }

void ImageAcquisition::cancel() {
    cancelled_ = true;
    inet_.Cancel();
}

// The picture file of a marked entry: the folder's file, or the download in
// the cache file; empty when the download left none.
QString ImageAcquisition::pictureOfEntry(int index) {
    const QString name = panel_.entry(index);
    if (!isWebAddress(source_)) return source_ + name;
    Datei_holen(source_ + name, name, fileType_);
    return QFileInfo::exists(cacheFile()) ? cacheFile() : QString();
}

// The marked entries after the first (which is the first page already) go
// into the book in one pass; a cancelled run or a failed write leaves the
// book as it was. A file that cannot be decoded is named in the status bar
// and the others still come.
void ImageAcquisition::concatenate() {
    std::vector<int> marked;
    for (int i = 1; i < panel_.count(); ++i)
        if (!panel_.entry(i).isEmpty() && panel_.isSelected(i)) marked.push_back(i);
    BookAssembly book(w_.oleImgEdit1().Image());
    panel_.beginProgress(int(marked.size()));
    for (size_t n = 0; n < marked.size() && !cancelled_; ++n) {
        const QString picture = pictureOfEntry(marked[n]);
        QImage page;
        QString reason;
        if (!picture.isEmpty() && !book.add(picture, &page, &reason))
            showStatus(panel_.entry(marked[n]) + QStringLiteral(": ") + reason);
        panel_.step(int(n + 1), page);
        letEventsRun();
    }
    panel_.endProgress();
    if (cancelled_) {
        showStatus(QStringLiteral("Abgebrochen, das Buch bleibt unverändert"));
        return;
    }
    if (book.pageCount() > 0) {
        if (const imaging::ImagingError error = book.finish(); !error.ok()) {
            reportFailure(w_, error);
            return;
        }
        takeChangedBook(w_);
        w_.navigation().lastPage();
    }
    w_.runSaveCommand();
}

// Each marked entry is fetched and saved in the target folder under its
// own name or the stem name and the next number. Failures to make the
// folder or to rename are passed over; a name that would leave the folder
// is not saved and named in the status bar.
void ImageAcquisition::saveOneByOne() {
    const QString target = rightTrimmed(targetFolder_);
    QDir().mkpath(target);
    panel_.beginProgress(panel_.count());
    for (int i = 0; i < panel_.count() && !cancelled_; ++i) {
        panel_.step(i, QImage());
        if (!panel_.isSelected(i)) continue;
        const QString entry = panel_.entry(i);
        const std::optional<QString> name =
            localName(stemName_.isEmpty() ? entry : stemName_ + QString::number(nextNumber_) + fileType_);
        if (!name) {
            showStatus(QStringLiteral("Nicht gespeichert, der Name führt aus dem Zielverzeichnis: ") + entry);
        } else {
            Datei_holen(source_ + entry, entry, fileType_);
            if (QFileInfo::exists(cacheFile())) {
                QFile::rename(cacheFile(), QDir(target).filePath(*name));
                ++nextNumber_;
            }
        }
        panel_.setSelected(i, false);
    }
    panel_.endProgress();
}

QByteArray ImageAcquisition::fetch(const QString& address) {
    if (isWebAddress(address)) return inet_.OpenURL(address);
    QFile file(address);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void ImageAcquisition::Datei_holen(const QString& address, const QString&, const QString& fileType) {
    const QString local = cacheFile();
    letEventsRun();
    const QByteArray bytes = fetch(address);
    QFile::remove(local);
    if (bytes.isEmpty() || cancelled_) return;
    QFile file(local);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        file.remove();
        return;
    }
    file.close();
    if (isErrorPage(bytes, fileType)) QFile::remove(local);
}

void installAcquisitionCommands(frmSample& window) {
    auto* acquisition = new ImageAcquisition(window);
    QMenu* file = window.findChild<QMenu*>(QStringLiteral("mnuFile"));
    if (!file) return;
    // They go as a group of their own before the window's close command.
    QAction* next = window.findChild<QAction*>(QStringLiteral("mnuQuit"));
    struct Entry {
        const char* name;
        QString caption;
        void (ImageAcquisition::*run)();
    };
    const Entry entries[] = {{"mnuVerketten", QStringLiteral("&Bilder verketten"), &ImageAcquisition::mnuVerketten_Click},
                             {"mnuWebsite", QStringLiteral("&Website einlesen"), &ImageAcquisition::mnuWebsite_Click}};
    for (const Entry& entry : entries) {
        auto* action = new QAction(entry.caption, file);
        action->setObjectName(QString::fromUtf8(entry.name));
        file->insertAction(next, action);
        window.controls().add(action);
        QObject::connect(action, &QAction::triggered, acquisition, entry.run);
    }
    file->insertSeparator(next);
}

}  // namespace palvenor::acquire
