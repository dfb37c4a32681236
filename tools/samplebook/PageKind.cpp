#include "PageKind.h"

std::optional<PageKind> pageKindFromName(const QString& name)
{
    if (name == QLatin1String("bw"))
        return PageKind::Bw;
    if (name == QLatin1String("grey"))
        return PageKind::Grey;
    if (name == QLatin1String("palette"))
        return PageKind::Palette;
    if (name == QLatin1String("rgb"))
        return PageKind::Rgb;
    return std::nullopt;
}

QString pageKindName(PageKind kind)
{
    switch (kind) {
    case PageKind::Bw: return QStringLiteral("bw");
    case PageKind::Grey: return QStringLiteral("grey");
    case PageKind::Palette: return QStringLiteral("palette");
    case PageKind::Rgb: return QStringLiteral("rgb");
    }
    return {};
}
