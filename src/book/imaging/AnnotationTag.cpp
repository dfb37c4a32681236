#include "AnnotationTag.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <array>

namespace palvenor::imaging {

namespace {

const QString kFormat = QStringLiteral("palvenor-annotations");
constexpr int kVersion = 1;

constexpr std::array<std::pair<AnnotationKind, const char*>, 10> kKindNames = {{
    {AnnotationKind::FreehandLine, "freehand"},
    {AnnotationKind::Highlighter, "highlighter"},
    {AnnotationKind::StraightLine, "line"},
    {AnnotationKind::Frame, "frame"},
    {AnnotationKind::FilledArea, "area"},
    {AnnotationKind::Text, "text"},
    {AnnotationKind::Note, "note"},
    {AnnotationKind::Stamp, "stamp"},
    {AnnotationKind::EmbeddedPicture, "picture"},
    {AnnotationKind::LinkedPicture, "linkedpicture"},
}};

QString kindName(AnnotationKind kind) {
    for (const auto& [k, name] : kKindNames)
        if (k == kind) return QString::fromLatin1(name);
    return {};
}

std::optional<AnnotationKind> kindNamed(const QString& name) {
    for (const auto& [k, kindText] : kKindNames)
        if (name == QLatin1String(kindText)) return k;
    return std::nullopt;
}

bool hasText(AnnotationKind kind) {
    return kind == AnnotationKind::Text || kind == AnnotationKind::Note || kind == AnnotationKind::Stamp;
}

QJsonObject fontObject(const QFont& font) {
    return {{QStringLiteral("family"), font.family()},
            {QStringLiteral("size"), font.pixelSize()},
            {QStringLiteral("bold"), font.bold()},
            {QStringLiteral("italic"), font.italic()}};
}

QFont fontOf(const QJsonObject& object) {
    QFont font(object.value(QStringLiteral("family")).toString());
    font.setPixelSize(std::max(1, object.value(QStringLiteral("size")).toInt(12)));
    font.setBold(object.value(QStringLiteral("bold")).toBool());
    font.setItalic(object.value(QStringLiteral("italic")).toBool());
    return font;
}

QJsonObject toJson(const Annotation& a) {
    QJsonObject o{{QStringLiteral("kind"), kindName(a.kind)}};
    if (a.isLine()) {
        QJsonArray points;
        for (const QPointF& p : a.points) points.append(QJsonArray{p.x(), p.y()});
        o.insert(QStringLiteral("points"), points);
    } else {
        o.insert(QStringLiteral("box"), QJsonArray{a.box.x(), a.box.y(), a.box.width(), a.box.height()});
    }
    o.insert(QStringLiteral("colour"), a.colour.name());
    o.insert(QStringLiteral("width"), a.lineWidth);
    if (a.kind == AnnotationKind::Note) o.insert(QStringLiteral("background"), a.background.name());
    if (hasText(a.kind)) {
        o.insert(QStringLiteral("font"), fontObject(a.font));
        o.insert(QStringLiteral("text"), a.text);
    }
    if (a.kind == AnnotationKind::EmbeddedPicture)
        o.insert(QStringLiteral("png"), QString::fromLatin1(a.pictureData.toBase64()));
    if (a.kind == AnnotationKind::LinkedPicture) o.insert(QStringLiteral("file"), a.pictureFile);
    return o;
}

std::optional<Annotation> fromJson(const QJsonObject& o) {
    const std::optional<AnnotationKind> kind = kindNamed(o.value(QStringLiteral("kind")).toString());
    if (!kind) return std::nullopt;
    Annotation a;
    a.kind = *kind;
    for (const QJsonValue& p : o.value(QStringLiteral("points")).toArray()) {
        const QJsonArray xy = p.toArray();
        a.points.append(QPointF(xy.at(0).toDouble(), xy.at(1).toDouble()));
    }
    const QJsonArray box = o.value(QStringLiteral("box")).toArray();
    a.box = QRectF(box.at(0).toDouble(), box.at(1).toDouble(), box.at(2).toDouble(), box.at(3).toDouble());
    if (a.isLine() ? a.points.isEmpty() : a.box.isEmpty()) return std::nullopt;
    a.colour = QColor(o.value(QStringLiteral("colour")).toString(QStringLiteral("#000000")));
    a.lineWidth = o.value(QStringLiteral("width")).toDouble(1);
    a.background = QColor(o.value(QStringLiteral("background")).toString(QStringLiteral("#ffff99")));
    a.font = fontOf(o.value(QStringLiteral("font")).toObject());
    a.text = o.value(QStringLiteral("text")).toString();
    a.pictureData = QByteArray::fromBase64(o.value(QStringLiteral("png")).toString().toLatin1());
    a.pictureFile = o.value(QStringLiteral("file")).toString();
    return a;
}

}  // namespace

QByteArray encodeAnnotations(const std::vector<Annotation>& annotations) {
    if (annotations.empty()) return {};
    QJsonArray list;
    for (const Annotation& a : annotations) list.append(toJson(a));
    const QJsonObject document{{QStringLiteral("format"), kFormat},
                               {QStringLiteral("version"), kVersion},
                               {QStringLiteral("annotations"), list}};
    return QJsonDocument(document).toJson(QJsonDocument::Compact);
}

std::optional<std::vector<Annotation>> decodeAnnotations(const QByteArray& bytes) {
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    const QJsonObject root = document.object();
    if (error.error != QJsonParseError::NoError || root.value(QStringLiteral("format")).toString() != kFormat ||
        root.value(QStringLiteral("version")).toInt() != kVersion)
        return std::nullopt;
    std::vector<Annotation> annotations;
    for (const QJsonValue& value : root.value(QStringLiteral("annotations")).toArray()) {
        std::optional<Annotation> a = fromJson(value.toObject());
        if (!a) return std::nullopt;
        annotations.push_back(std::move(*a));
    }
    return annotations;
}

}  // namespace palvenor::imaging
