#include "BookOutput.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QXmlStreamWriter>


namespace palvenor::ocr {

namespace {

bool saveBytes(const QString& path, const QByteArray& bytes, QString* error) {
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit()) return true;
    *error = notWritable(path);
    return false;
}

QRect boundsOf(const std::vector<const BookWord*>& words) {
    QRect bounds;
    for (const BookWord* word : words) bounds |= word->box;
    return bounds;
}

QString hocrBox(const QRect& box) {
    return QStringLiteral("bbox %1 %2 %3 %4").arg(box.left()).arg(box.top()).arg(box.right() + 1).arg(box.bottom() + 1);
}

void writeHocrPage(QXmlStreamWriter& xml, const QString& bookName, const BookPage& page) {
    xml.writeStartElement(QStringLiteral("div"));
    xml.writeAttribute(QStringLiteral("class"), QStringLiteral("ocr_page"));
    xml.writeAttribute(QStringLiteral("id"), QStringLiteral("page_%1").arg(page.imagePage));
    xml.writeAttribute(QStringLiteral("title"), QStringLiteral("image \"%1\"; %2; ppageno %3")
                                                    .arg(bookName, hocrBox(QRect(QPoint(), page.size)))
                                                    .arg(page.imagePage - 1));
    xml.writeAttribute(QStringLiteral("lang"), QStringLiteral("de"));
    for (const auto& [line, words] : wordsByLine(page)) {
        xml.writeStartElement(QStringLiteral("span"));
        xml.writeAttribute(QStringLiteral("class"), QStringLiteral("ocr_line"));
        xml.writeAttribute(QStringLiteral("id"), QStringLiteral("line_%1_%2").arg(page.imagePage).arg(line + 1));
        xml.writeAttribute(QStringLiteral("title"), hocrBox(boundsOf(words)));
        for (const BookWord* word : words) {
            xml.writeStartElement(QStringLiteral("span"));
            xml.writeAttribute(QStringLiteral("class"), QStringLiteral("ocrx_word"));
            xml.writeAttribute(QStringLiteral("title"), QStringLiteral("%1; x_wconf %2")
                                                            .arg(hocrBox(word->box))
                                                            .arg(qRound(word->confidence * 100)));
            xml.writeCharacters(word->text);
            xml.writeEndElement();
            xml.writeCharacters(QStringLiteral(" "));
        }
        xml.writeEndElement();
        xml.writeCharacters(QStringLiteral("\n"));
    }
    xml.writeEndElement();
}

void writePosition(QXmlStreamWriter& xml, const QRect& box) {
    xml.writeAttribute(QStringLiteral("HPOS"), QString::number(box.left()));
    xml.writeAttribute(QStringLiteral("VPOS"), QString::number(box.top()));
    xml.writeAttribute(QStringLiteral("WIDTH"), QString::number(box.width()));
    xml.writeAttribute(QStringLiteral("HEIGHT"), QString::number(box.height()));
}

void writeAltoLine(QXmlStreamWriter& xml, const BookPage& page, int line, const std::vector<const BookWord*>& words) {
    xml.writeStartElement(QStringLiteral("TextLine"));
    xml.writeAttribute(QStringLiteral("ID"), QStringLiteral("line_%1_%2").arg(page.imagePage).arg(line + 1));
    writePosition(xml, boundsOf(words));
    int number = 0;
    for (const BookWord* word : words) {
        if (number > 0) xml.writeEmptyElement(QStringLiteral("SP"));
        xml.writeEmptyElement(QStringLiteral("String"));
        xml.writeAttribute(QStringLiteral("ID"),
                           QStringLiteral("word_%1_%2_%3").arg(page.imagePage).arg(line + 1).arg(++number));
        writePosition(xml, word->box);
        xml.writeAttribute(QStringLiteral("WC"), QString::number(double(word->confidence), 'f', 2));
        xml.writeAttribute(QStringLiteral("CONTENT"), word->text);
    }
    xml.writeEndElement();
}

void writeAltoDescription(QXmlStreamWriter& xml, const QString& bookName) {
    xml.writeStartElement(QStringLiteral("Description"));
    xml.writeTextElement(QStringLiteral("MeasurementUnit"), QStringLiteral("pixel"));
    xml.writeStartElement(QStringLiteral("sourceImageInformation"));
    xml.writeTextElement(QStringLiteral("fileName"), bookName);
    xml.writeEndElement();
    xml.writeStartElement(QStringLiteral("Processing"));
    xml.writeAttribute(QStringLiteral("ID"), QStringLiteral("ocr"));
    xml.writeTextElement(QStringLiteral("processingCategory"), QStringLiteral("contentGeneration"));
    xml.writeStartElement(QStringLiteral("processingSoftware"));
    xml.writeTextElement(QStringLiteral("softwareName"), QStringLiteral("Palvenor"));
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndElement();
}

QByteArray altoPage(const QString& bookName, const BookPage& page) {
    QByteArray bytes;
    QXmlStreamWriter xml(&bytes);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    xml.writeDefaultNamespace(QStringLiteral("http://www.loc.gov/standards/alto/ns-v4#"));
    xml.writeStartElement(QStringLiteral("alto"));
    xml.writeAttribute(QStringLiteral("SCHEMAVERSION"), QStringLiteral("4.2"));
    writeAltoDescription(xml, bookName);
    xml.writeStartElement(QStringLiteral("Layout"));
    xml.writeStartElement(QStringLiteral("Page"));
    xml.writeAttribute(QStringLiteral("ID"), QStringLiteral("page_%1").arg(page.imagePage));
    xml.writeAttribute(QStringLiteral("PHYSICAL_IMG_NR"), QString::number(page.imagePage));
    xml.writeAttribute(QStringLiteral("PRINTED_IMG_NR"), page.label.text);
    xml.writeAttribute(QStringLiteral("WIDTH"), QString::number(page.size.width()));
    xml.writeAttribute(QStringLiteral("HEIGHT"), QString::number(page.size.height()));
    xml.writeStartElement(QStringLiteral("PrintSpace"));
    writePosition(xml, QRect(QPoint(), page.size));
    const auto lines = wordsByLine(page);
    if (!lines.empty()) {
        xml.writeStartElement(QStringLiteral("TextBlock"));
        xml.writeAttribute(QStringLiteral("ID"), QStringLiteral("block_%1").arg(page.imagePage));
        QRect text;
        for (const BookWord& word : page.words) text |= word.box;
        writePosition(xml, text);
        for (const auto& [line, words] : lines) writeAltoLine(xml, page, line, words);
        xml.writeEndElement();
    }
    xml.writeEndDocument();
    return bytes;
}

}  // namespace

std::map<int, std::vector<const BookWord*>> wordsByLine(const BookPage& page) {
    std::map<int, std::vector<const BookWord*>> lines;
    for (const BookWord& word : page.words) lines[word.line].push_back(&word);
    return lines;
}

QString notWritable(const QString& path) {
    return QStringLiteral("„%1“ kann nicht geschrieben werden.").arg(QDir::toNativeSeparators(path));
}

QString bookText(const std::vector<BookPage>& pages) {
    QStringList texts;
    for (const BookPage& page : pages) texts << page.text + u'\n';
    return texts.join(u'\f');
}

bool writeBookText(const QString& path, const std::vector<BookPage>& pages, QString* error) {
    return saveBytes(path, bookText(pages).toUtf8(), error);
}

bool writeHocr(const QString& path, const QString& bookPath, const std::vector<BookPage>& pages, QString* error) {
    QByteArray bytes;
    QXmlStreamWriter xml(&bytes);
    xml.writeStartDocument();
    xml.writeDTD(QStringLiteral("<!DOCTYPE html>"));
    xml.writeStartElement(QStringLiteral("html"));
    xml.writeDefaultNamespace(QStringLiteral("http://www.w3.org/1999/xhtml"));
    xml.writeAttribute(QStringLiteral("lang"), QStringLiteral("de"));
    xml.writeStartElement(QStringLiteral("head"));
    xml.writeTextElement(QStringLiteral("title"), QFileInfo(bookPath).fileName());
    xml.writeEmptyElement(QStringLiteral("meta"));
    xml.writeAttribute(QStringLiteral("name"), QStringLiteral("ocr-system"));
    xml.writeAttribute(QStringLiteral("content"), QStringLiteral("Palvenor"));
    xml.writeEmptyElement(QStringLiteral("meta"));
    xml.writeAttribute(QStringLiteral("name"), QStringLiteral("ocr-capabilities"));
    xml.writeAttribute(QStringLiteral("content"), QStringLiteral("ocr_page ocr_line ocrx_word"));
    xml.writeEndElement();
    xml.writeStartElement(QStringLiteral("body"));
    for (const BookPage& page : pages) writeHocrPage(xml, QFileInfo(bookPath).fileName(), page);
    xml.writeEndDocument();
    return saveBytes(path, bytes, error);
}

QString altoFileName(int imagePage) { return QStringLiteral("%1.xml").arg(imagePage, 4, 10, QLatin1Char('0')); }

bool writeAlto(const QString& folder, const QString& bookPath, const std::vector<BookPage>& pages, QString* error) {
    const QDir dir(folder);
    if (!dir.mkpath(QStringLiteral("."))) {
        *error = notWritable(folder);
        return false;
    }
    const QFileInfo book(bookPath);
    for (const BookPage& page : pages)
        if (!saveBytes(dir.filePath(altoFileName(page.imagePage)), altoPage(book.fileName(), page), error))
            return false;
    return writeBookText(dir.filePath(book.completeBaseName() + QStringLiteral(".txt")), pages, error);
}

}  // namespace palvenor::ocr
