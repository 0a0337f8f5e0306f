#include "PanelFormat.h"

int UnitCount(PanelFormat format)
{
    return format == PanelFormat::Mono ? kMonoBandCount : kColourHeight;
}

int FirstInvalidUnitNumber(PanelFormat format)
{
    return UnitCount(format);
}

QString FormatName(PanelFormat format)
{
    switch (format) {
    case PanelFormat::Mono:
        return QStringLiteral("mono");
    case PanelFormat::Raw:
        return QStringLiteral("raw");
    case PanelFormat::Rle:
        return QStringLiteral("rle");
    }
    return QString();
}

bool ParseFormatName(const QString &name, PanelFormat *format)
{
    for (PanelFormat candidate : {PanelFormat::Mono, PanelFormat::Raw, PanelFormat::Rle}) {
        if (name == FormatName(candidate)) {
            *format = candidate;
            return true;
        }
    }
    return false;
}
