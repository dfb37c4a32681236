#include "AcquireScene.h"
#include "LoopbackServers.h"
#include "ProgramTemp.h"

#include <QBuffer>
#include <QFileInfo>
#include <QPointer>

using namespace palvenor;
using namespace palvenor::test;

namespace {

const QString kRefused = QStringLiteral(
    "Nur Bilder können verkettet werden; geben Sie einen Bildtyp (.jpg .gif .png .tif) an oder wählen Sie ein "
    "Verzeichnis zum Speichern aus\nSie müssen den Befehl 'Website einlesen' wiederholen");

// A folder served as a web directory: "a b c.jpg", a.jpg and b.jpg.
QString webFolder(AcquireScene& scene) {
    const QString folder = scene.dir.filePath(QStringLiteral("web"));
    QDir().mkpath(folder);
    pictureFile(folder, QStringLiteral("a b c.jpg"), 100, 50);
    pictureFile(folder, QStringLiteral("a.jpg"), 110, 60);
    pictureFile(folder, QStringLiteral("b.jpg"), 120, 70);
    return folder;
}

QStringList filesIn(const QString& folder) { return QDir(folder).entryList(QDir::Files, QDir::Name); }

// A directory page of links for the fault server: the link rules' cases
// and files that fail in their own ways.
void directoryWithFaults(FaultServer& server) {
    const QByteArray page =
        "<html><body><a href=\"a.jpg\">a</a> <A HREF=\"b.JPG\">b</A> <a href=\"/dir/c.jpg\">c</a>"
        "<a href=\"\">leer</a> <a href=\"fehler.jpg\">f</a> <a href=\"fehlt.jpg\">f</a>"
        "<a href=\"abbruch.jpg\">d</a> <a href=\"kaputt.jpg\">k</a></body></html>";
    server.on(QStringLiteral("/liste/"), {200, page, "text/html"});
    server.on(QStringLiteral("/liste/a.jpg"), {200, pictureBytes(110, 60)});
    server.on(QStringLiteral("/liste/c.jpg"), {200, pictureBytes(120, 70)});
    server.on(QStringLiteral("/liste/fehler.jpg"),
              {200, "<html><body>Die Seite gibt es nicht</body></html>", "text/html"});
    server.on(QStringLiteral("/liste/abbruch.jpg"), {200, {}, {}, FaultServer::Fault::Drop});
    server.on(QStringLiteral("/liste/kaputt.jpg"), {200, QByteArray(3000, 'x')});
}

// Reads the server's directory at path with the target folder "ziel" and
// saves the marked entries there; returns the target folder.
QString saveMarked(AcquireScene& scene, const FaultServer& server, const QString& path, const QString& type,
                   const QStringList& marked) {
    const QString target = scene.dir.filePath(QStringLiteral("ziel"));
    scene.website(server.url(path), type, target);
    scene.mark(marked);
    scene.start();
    return target;
}

}  // namespace

TEST(WebDirectory, PythonsListingGivesTheImagesAndTheirNamesWithBlanksWhenSaved) {
    AcquireScene scene;
    FolderServer server(webFolder(scene));
    ASSERT_TRUE(server.ok());
    const QString target = scene.dir.filePath(QStringLiteral("ziel"));
    scene.website(server.url(QStringLiteral("")), QStringLiteral(".jpg"), target);
    EXPECT_EQ(scene.entries(), (QStringList{"a%20b%20c.jpg", "a.jpg", "b.jpg"}));
    scene.mark({"a%20b%20c.jpg", "b.jpg"});
    scene.start();
    EXPECT_EQ(filesIn(target), (QStringList{"a b c.jpg", "b.jpg"}));
    EXPECT_EQ(bytesOf(QDir(target).filePath(QStringLiteral("a b c.jpg"))),
              bytesOf(scene.dir.filePath(QStringLiteral("web/a b c.jpg"))));
    EXPECT_EQ(scene.status(), QStringLiteral("(12) Completed"));
    EXPECT_FALSE(scene.panelShown());
}

TEST(WebDirectory, AStemNameFrom7GivesSeite7AndSeite8) {
    AcquireScene scene;
    FolderServer server(webFolder(scene));
    ASSERT_TRUE(server.ok());
    const QString target = scene.dir.filePath(QStringLiteral("ziel"));
    scene.website(server.url(), QStringLiteral(".jpg"), target, QStringLiteral("Seite"), QStringLiteral("7"));
    scene.mark({"a.jpg", "b.jpg"});
    scene.start();
    EXPECT_EQ(filesIn(target), (QStringList{"Seite7.jpg", "Seite8.jpg"}));
    EXPECT_EQ(bytesOf(QDir(target).filePath(QStringLiteral("Seite8.jpg"))),
              bytesOf(scene.dir.filePath(QStringLiteral("web/b.jpg"))));
    const auto& shown = scene.prompter.shown();
    ASSERT_EQ(shown.size(), 5u);
    EXPECT_EQ(shown[3].text, QStringLiteral("Wenn die Dateien mit Fortlaufender Nummer gespeichert werden sollen, "
                                            "geben Sie einen Stammnamen ein"));
    EXPECT_EQ(shown[3].title, QStringLiteral("Stammname"));
    EXPECT_EQ(shown[4].text, QStringLiteral("Beginnen mit Nummer:"));
    EXPECT_EQ(shown[4].title, QStringLiteral("Startnummer"));
    EXPECT_EQ(shown[3].proposal + shown[4].proposal, QString());
}

TEST(WebDirectory, TheStartNumberIsTheLeadingNumberOfTheAnswer) {
    for (const auto& [answer, first] : {std::pair{"12,7", "Seite12.jpg"}, std::pair{"abc", "Seite0.jpg"}}) {
        AcquireScene scene;
        FolderServer server(webFolder(scene));
        ASSERT_TRUE(server.ok());
        const QString target = scene.dir.filePath(QStringLiteral("ziel"));
        scene.website(server.url(), QStringLiteral(".jpg"), target, QStringLiteral("Seite"), QString::fromUtf8(answer));
        scene.mark({"a.jpg"});
        scene.start();
        EXPECT_EQ(filesIn(target), QStringList{QString::fromUtf8(first)});
    }
}

TEST(WebDirectory, AStartNumberBeyondSixteenBitsIsRefused) {
    AcquireScene scene;
    FolderServer server(webFolder(scene));
    ASSERT_TRUE(server.ok());
    scene.website(server.url(), QStringLiteral(".jpg"), scene.dir.filePath(QStringLiteral("ziel")),
                  QStringLiteral("Seite"), QStringLiteral("40000"));
    EXPECT_EQ(messages(scene.prompter),
              QStringList{QStringLiteral("Die Startnummer muss zwischen -32768 und 32767 liegen.")});
    EXPECT_FALSE(scene.panelShown());
}

TEST(WebDirectory, WithoutATargetTheImagesBecomePagesOfANewBook) {
    AcquireScene scene;
    FolderServer server(webFolder(scene));
    ASSERT_TRUE(server.ok());
    scene.website(server.url(QStringLiteral("/")), QStringLiteral(".jpg"));
    EXPECT_EQ(scene.sequence(), "100x50");
    scene.mark({"b.jpg", "a.jpg"});
    scene.start();
    EXPECT_EQ(scene.sequence(), "100x50 110x60 120x70");
    for (const TiffPage& page : readPages(scene.newBook)) EXPECT_EQ(page.compression, COMPRESSION_CCITTFAX4);
}

TEST(WebDirectory, HttpsIsAWebAddressTooWithATrustedCertificate) {
    TrustedCertificate certificate;
    ASSERT_TRUE(certificate.ok);
    AcquireScene scene;
    FolderServer server(webFolder(scene), certificate.certificate, certificate.key);
    ASSERT_TRUE(server.ok());
    scene.website(server.url().toUpper(),
                  QStringLiteral(".jpg"));
    EXPECT_EQ(scene.entries(), (QStringList{"a%20b%20c.jpg", "a.jpg", "b.jpg"}));
    scene.mark({"b.jpg"});
    scene.start();
    EXPECT_EQ(scene.sequence(), "100x50 120x70");
}

TEST(WebDirectory, TheLinkRulesPickTheEntries) {
    AcquireScene scene;
    FaultServer server;
    directoryWithFaults(server);
    scene.website(server.url(QStringLiteral("/liste")), QStringLiteral(".jpg"),
                  scene.dir.filePath(QStringLiteral("ziel")));
    EXPECT_EQ(scene.entries(),
              (QStringList{"", "a.jpg", "abbruch.jpg", "c.jpg", "fehler.jpg", "fehlt.jpg", "kaputt.jpg"}));
}

TEST(WebDirectory, ErrorPagesMissingFilesAndDroppedConnectionsLeaveNoFile) {
    AcquireScene scene;
    FaultServer server;
    directoryWithFaults(server);
    const QString target = scene.dir.filePath(QStringLiteral("ziel"));
    scene.website(server.url(QStringLiteral("/liste/")), QStringLiteral(".jpg"), target);
    scene.mark({"fehler.jpg", "fehlt.jpg", "abbruch.jpg", "c.jpg", "kaputt.jpg"});
    scene.start();
    EXPECT_EQ(filesIn(target), (QStringList{"c.jpg", "kaputt.jpg"}));
    EXPECT_TRUE(server.requested.contains(QStringLiteral("/liste/abbruch.jpg")));
}

TEST(WebDirectory, OnlyDecodablePicturesBecomePagesAndTheOthersAreNamed) {
    AcquireScene scene;
    FaultServer server;
    directoryWithFaults(server);
    scene.website(server.url(QStringLiteral("/liste/")), QStringLiteral(".jpg"));
    EXPECT_EQ(scene.sequence(), "500x400");
    scene.mark({"fehler.jpg", "abbruch.jpg", "c.jpg", "kaputt.jpg", "a.jpg"});
    scene.start();
    EXPECT_EQ(scene.sequence(), "500x400 110x60 120x70");
    EXPECT_EQ(scene.status(), QStringLiteral("kaputt.jpg: kein lesbares Bild"));
}

TEST(WebDirectory, ARedirectIsFollowed) {
    AcquireScene scene;
    FaultServer server;
    directoryWithFaults(server);
    server.on(QStringLiteral("/alt/"), {302, {}, "text/html", FaultServer::Fault::None, "/liste/"});
    scene.website(server.url(QStringLiteral("/alt/")), QStringLiteral(".jpg"),
                  scene.dir.filePath(QStringLiteral("ziel")));
    EXPECT_EQ(scene.entries().size(), 7);
}

TEST(WebDirectory, AFailedDirectoryEmptiesTheListAndSaysSo) {
    AcquireScene scene;
    FaultServer server;
    directoryWithFaults(server);
    const QString target = scene.dir.filePath(QStringLiteral("ziel"));
    scene.website(server.url(QStringLiteral("/liste/")), QStringLiteral(".jpg"), target);
    scene.start();
    scene.prompter.clear();
    scene.website(server.url(QStringLiteral("/gibtsnicht/")), QStringLiteral(".jpg"), target);
    EXPECT_EQ(scene.entries(), QStringList());
    EXPECT_EQ(scene.status(), QStringLiteral("(11) Error "));
    const QStringList shown = messages(scene.prompter);
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0], QStringLiteral("Das Verzeichnis ") + server.url(QStringLiteral("/gibtsnicht/")) +
                            QStringLiteral(" konnte nicht gelesen werden: Der Server antwortet mit dem Fehler 404"));
    EXPECT_FALSE(scene.panelShown());
}

TEST(WebDirectory, NoAnswerEndsInATimeOut) {
    AcquireScene scene;
    FaultServer server;
    server.on(QStringLiteral("/langsam/"), {200, {}, {}, FaultServer::Fault::Silent});
    scene.acquisition().Inet0().connectTimeoutMs = 200;
    scene.website(server.url(QStringLiteral("/langsam/")), QStringLiteral(".jpg"),
                  scene.dir.filePath(QStringLiteral("ziel")));
    EXPECT_EQ(messages(scene.prompter),
              QStringList{QStringLiteral("Das Verzeichnis ") + server.url(QStringLiteral("/langsam/")) +
                          QStringLiteral(" konnte nicht gelesen werden: Zeitüberschreitung")});
    EXPECT_EQ(scene.status(), QStringLiteral("(11) Error "));
}

TEST(WebDirectory, AStallingDownloadEndsInATimeOutAndTheNextStillComes) {
    AcquireScene scene;
    FaultServer server;
    directoryWithFaults(server);
    server.on(QStringLiteral("/liste/kaputt.jpg"), {200, pictureBytes(90, 90), {}, FaultServer::Fault::StallAfterHeader});
    const QString target = scene.dir.filePath(QStringLiteral("ziel"));
    scene.website(server.url(QStringLiteral("/liste/")), QStringLiteral(".jpg"), target);
    scene.acquisition().Inet0().idleTimeoutMs = 200;
    scene.mark({"kaputt.jpg", "c.jpg"});
    scene.start();
    EXPECT_EQ(filesIn(target), QStringList{"c.jpg"});
}

TEST(WebDirectory, TheUserCanCancelTheDirectoryTransfer) {
    AcquireScene scene;
    FaultServer server;
    server.on(QStringLiteral("/stockt/"), {200, QByteArray(5000, 'x'), "text/html", FaultServer::Fault::StallAfterHeader});
    bool menusDisabled = false;
    QObject::connect(&scene.acquisition().Inet0(), &acquire::Inet::StateChanged, scene.w, [&](int state) {
        if (state != acquire::Inet::ReceivingResponse) return;
        menusDisabled = !scene.enabled("mnuWebsite") && !scene.enabled("mnuVerketten");
        scene.cancelButton();
    });
    scene.website(server.url(QStringLiteral("/stockt/")), QStringLiteral(".jpg"),
                  scene.dir.filePath(QStringLiteral("ziel")));
    EXPECT_EQ(messages(scene.prompter),
              QStringList{QStringLiteral("Das Verzeichnis ") + server.url(QStringLiteral("/stockt/")) +
                          QStringLiteral(" konnte nicht gelesen werden: Abgebrochen")});
    EXPECT_TRUE(menusDisabled);
    EXPECT_TRUE(scene.enabled("mnuWebsite"));
}

TEST(WebDirectory, ClosingTheWindowWhileTheDirectoryComesEndsTheTransferFirst) {
    AcquireScene scene;
    FaultServer server;
    server.on(QStringLiteral("/stockt/"), {200, QByteArray(5000, 'x'), "text/html", FaultServer::Fault::StallAfterHeader});
    QPointer<frmSample> window = scene.w;
    QObject::connect(&scene.acquisition().Inet0(), &acquire::Inet::StateChanged, scene.w, [&](int state) {
        if (state == acquire::Inet::ReceivingResponse) scene.w->closeBook();
    });
    scene.website(server.url(QStringLiteral("/stockt/")), QStringLiteral(".jpg"),
                  scene.dir.filePath(QStringLiteral("ziel")));
    EXPECT_EQ(messages(scene.prompter), QStringList());
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull());
}

TEST(WebDirectory, ACancelledRunLeavesTheBookAsItWas) {
    AcquireScene scene;
    FaultServer server;
    directoryWithFaults(server);
    server.on(QStringLiteral("/liste/fehlt.jpg"), {200, pictureBytes(90, 90), {}, FaultServer::Fault::StallAfterHeader});
    scene.website(server.url(QStringLiteral("/liste/")), QStringLiteral(".jpg"));
    scene.mark({"c.jpg", "fehlt.jpg", "kaputt.jpg"});
    const QByteArray before = bytesOf(scene.newBook);
    QObject::connect(&scene.acquisition().Inet0(), &acquire::Inet::StateChanged, scene.w, [&](int state) {
        if (state == acquire::Inet::ReceivingResponse &&
            scene.acquisition().Inet0().URL.endsWith(QStringLiteral("fehlt.jpg")))
            scene.cancelButton();
    });
    scene.start();
    EXPECT_EQ(bytesOf(scene.newBook), before);
    EXPECT_EQ(scene.status(), QStringLiteral("Abgebrochen, das Buch bleibt unverändert"));
    EXPECT_FALSE(server.requested.contains(QStringLiteral("/liste/kaputt.jpg")));
    EXPECT_FALSE(scene.panelShown());
}

TEST(WebDirectory, NamesThatLeaveTheTargetFolderAreNotSaved) {
    AcquireScene scene;
    FaultServer server;
    server.on(QStringLiteral("/liste/"),
              {200, "<a href=\"x/../../boese.jpg\"> <a href=\"bilder/unter/gut.jpg\"> <a href=\"C:boese.jpg\">",
               "text/html"});
    server.on(QStringLiteral("/liste/unter/gut.jpg"), {200, pictureBytes(20, 20)});
    const QString target = scene.dir.filePath(QStringLiteral("ziel"));
    scene.website(server.url(QStringLiteral("/liste/")), QStringLiteral(".jpg"), target);
    EXPECT_EQ(scene.entries(), (QStringList{"../../boese.jpg", "C:boese.jpg", "unter/gut.jpg"}));
    scene.mark({"../../boese.jpg", "unter/gut.jpg", "C:boese.jpg"});
    scene.start();
    EXPECT_EQ(filesIn(target), QStringList{"gut.jpg"});
    EXPECT_FALSE(QFileInfo::exists(scene.dir.filePath(QStringLiteral("boese.jpg"))));
    EXPECT_EQ(server.requested, (QStringList{"/liste/", "/liste/unter/gut.jpg"}));
}

TEST(WebDirectory, TheCacheFileLiesInThePrivateTemporaryFolderNotTheCurrentOne) {
    AcquireScene scene;
    FolderServer server(webFolder(scene));
    ASSERT_TRUE(server.ok());
    scene.website(server.url(), QStringLiteral(".jpg"));
    EXPECT_EQ(QFileInfo(scene.acquisition().cacheFile()).absolutePath(), QFileInfo(programTempFolder()).absoluteFilePath());
    EXPECT_FALSE(QFileInfo::exists(QDir::current().filePath(QStringLiteral("cache.jpg"))));
}

TEST(WebDirectory, NeitherAnImageTypeNorATargetIsRefused) {
    AcquireScene scene;
    scene.prompter.answerInput(QStringLiteral("http://127.0.0.1:1/"));
    scene.prompter.answerInput(QStringLiteral(".bmp"));
    scene.prompter.answerInput(QString());
    scene.run("mnuWebsite");
    EXPECT_EQ(messages(scene.prompter), QStringList{kRefused});
    const auto& shown = scene.prompter.shown();
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_EQ(shown[0].text, QStringLiteral("Web-Adresse des Quellverzeichnisses angeben (als http://)"));
    EXPECT_EQ(shown[0].title, QStringLiteral("Web Adresse"));
    EXPECT_EQ(shown[0].proposal, QStringLiteral("HTTP://"));
    EXPECT_EQ(shown[1].text, QStringLiteral("Datei-Typ der Quelle angeben (Extension mit Punkt z.B.  .jpg)"));
    EXPECT_EQ(shown[1].title, QStringLiteral("Bildtyp"));
    EXPECT_EQ(shown[1].proposal, QString());
    EXPECT_EQ(shown[2].title, QStringLiteral("Verzeichnis"));
    EXPECT_EQ(shown[2].proposal, QString());
    EXPECT_EQ(shown[2].text,
              QStringLiteral("Geben Sie ein Zielverzeichnis an, wenn die Dateien einzeln gespeichert werden sollen\n"
                             "Geben Sie nichts ein, wenn Sie Bilddateien verketten wollen bzw. von einer CD oder aus "
                             "einem Verzeichnis einlesen wollen\nDas aktuelle Verzeichnis ist ") +
                  QDir::currentPath());
}

TEST(WebDirectory, AFolderGivenAsTheAddressIsReadAsAFolder) {
    AcquireScene scene;
    scene.website(webFolder(scene), QStringLiteral(".jpg"));
    EXPECT_EQ(scene.entries(), (QStringList{"a b c.jpg", "a.jpg", "b.jpg"}));
    scene.mark({"b.jpg"});
    scene.start();
    EXPECT_EQ(scene.sequence(), "100x50 120x70");
}

TEST(WebDirectory, ATransferShowsItsStatesInTheStatusBar) {
    AcquireScene scene;
    FolderServer server(webFolder(scene));
    ASSERT_TRUE(server.ok());
    // The window's own handler, connected first, has shown each state
    // when this one sees it.
    QStringList shown;
    QObject::connect(&scene.acquisition().Inet0(), &acquire::Inet::StateChanged, scene.w,
                     [&] { shown << scene.status(); });
    scene.website(server.url(), QStringLiteral(".jpg"), scene.dir.filePath(QStringLiteral("ziel")));
    EXPECT_EQ(shown, (QStringList{"(5) Requesting ", "(3) Connecting ", "(6) Request Sent ", "(7) Receiving Response ",
                                  "(8) Response Received ", "(12) Completed"}));
}

TEST(WebDirectory, ADirectoryThatCannotBeReachedIsNamedInGerman) {
    FaultServer server;
    server.on(QStringLiteral("/weg/"), {200, {}, {}, FaultServer::Fault::Drop});
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost));
    const QString refused = QStringLiteral("http://127.0.0.1:%1/").arg(closed.serverPort());
    closed.close();
    for (const auto& [address, reason] :
         {std::pair{server.url(QStringLiteral("/weg/")), QStringLiteral("Verbindung vom Server getrennt")},
          std::pair{refused, QStringLiteral("Verbindung abgelehnt")}}) {
        AcquireScene scene;
        scene.website(address, QStringLiteral(".jpg"), scene.dir.filePath(QStringLiteral("ziel")));
        EXPECT_EQ(messages(scene.prompter), QStringList{QStringLiteral("Das Verzeichnis ") + address +
                                                        QStringLiteral(" konnte nicht gelesen werden: ") + reason});
        EXPECT_EQ(scene.status(), QStringLiteral("(11) Error "));
        EXPECT_EQ(scene.entries(), QStringList());
    }
}

TEST(WebDirectory, APictureAnsweredWithAnHttpErrorIsNotSaved) {
    AcquireScene scene;
    FaultServer server;
    directoryWithFaults(server);
    server.on(QStringLiteral("/liste/fehlt.jpg"), {404, pictureBytes(90, 90)});
    server.on(QStringLiteral("/liste/fehler.jpg"), {500, pictureBytes(80, 80)});
    const QString target =
        saveMarked(scene, server, QStringLiteral("/liste/"), QStringLiteral(".jpg"), {"fehlt.jpg", "fehler.jpg", "c.jpg"});
    EXPECT_EQ(filesIn(target), QStringList{"c.jpg"});
    EXPECT_TRUE(server.requested.contains(QStringLiteral("/liste/fehlt.jpg")));
    EXPECT_TRUE(server.requested.contains(QStringLiteral("/liste/fehler.jpg")));
}

TEST(WebDirectory, HtmlInTheSampledBytesMarksAnErrorPage) {
    AcquireScene scene;
    FaultServer server;
    QByteArray early(3000, 'x');
    early.replace(100, 6, "<html>");
    QByteArray late(3000, 'x');
    late.replace(400, 6, "<html>");
    QByteArray small(2549, 'x');
    small.replace(2000, 6, "<HTML>");
    server.on(QStringLiteral("/s/"),
              {200, "<a href=\"frueh.jpg\"> <a href=\"spaet.jpg\"> <a href=\"klein.jpg\">", "text/html"});
    server.on(QStringLiteral("/s/frueh.jpg"), {200, early});
    server.on(QStringLiteral("/s/spaet.jpg"), {200, late});
    server.on(QStringLiteral("/s/klein.jpg"), {200, small});
    const QString target =
        saveMarked(scene, server, QStringLiteral("/s/"), QStringLiteral(".jpg"), {"frueh.jpg", "spaet.jpg", "klein.jpg"});
    EXPECT_EQ(filesIn(target), QStringList{"spaet.jpg"});
    EXPECT_EQ(bytesOf(QDir(target).filePath(QStringLiteral("spaet.jpg"))), late);
}

TEST(WebDirectory, AnHtmlFileAskedForIsSaved) {
    AcquireScene scene;
    FaultServer server;
    const QByteArray page = "<html><body>Kapitel 1</body></html>";
    server.on(QStringLiteral("/h/"), {200, "<a href=\"kapitel.htm\">", "text/html"});
    server.on(QStringLiteral("/h/kapitel.htm"), {200, page, "text/html"});
    const QString target = saveMarked(scene, server, QStringLiteral("/h/"), QStringLiteral(".htm"), {"kapitel.htm"});
    EXPECT_EQ(filesIn(target), QStringList{"kapitel.htm"});
    EXPECT_EQ(bytesOf(QDir(target).filePath(QStringLiteral("kapitel.htm"))), page);
}

TEST(WebDirectory, ASkippedNameIsNamedInTheStatusBar) {
    AcquireScene scene;
    FaultServer server;
    server.on(QStringLiteral("/liste/"), {200, "<a href=\"x/../../boese.jpg\">", "text/html"});
    const QString target =
        saveMarked(scene, server, QStringLiteral("/liste/"), QStringLiteral(".jpg"), {"../../boese.jpg"});
    EXPECT_EQ(scene.status(),
              QStringLiteral("Nicht gespeichert, der Name führt aus dem Zielverzeichnis: ../../boese.jpg"));
    EXPECT_EQ(filesIn(target), QStringList());
}

TEST(WebDirectory, WithATargetTheCacheFileLiesInTheTargetFolder) {
    AcquireScene scene;
    FolderServer server(webFolder(scene));
    ASSERT_TRUE(server.ok());
    const QString target = scene.dir.filePath(QStringLiteral("ziel"));
    QDir().mkpath(target);
    writeFile(target, QStringLiteral("a.jpg"), "schon da");
    scene.website(server.url(), QStringLiteral(".jpg"), target);
    scene.mark({"a.jpg"});
    scene.start();
    // The name is taken, so the download stays in the cache file.
    EXPECT_EQ(filesIn(target), (QStringList{"a.jpg", "cache.jpg"}));
    EXPECT_EQ(bytesOf(QDir(target).filePath(QStringLiteral("a.jpg"))), QByteArray("schon da"));
    EXPECT_EQ(bytesOf(QDir(target).filePath(QStringLiteral("cache.jpg"))),
              bytesOf(scene.dir.filePath(QStringLiteral("web/a.jpg"))));
    EXPECT_FALSE(QFileInfo::exists(QDir::current().filePath(QStringLiteral("cache.jpg"))));
}
