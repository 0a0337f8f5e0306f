#include "PanelMessages.h"

#include "ScreenImage.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtEndian>

namespace PanelMessages {

QByteArray Encode(int index, const ScreenImage &image, const PanelUnits::UnitSet &units, bool whole)
{
    const PanelUnits::Family family = PanelUnits::FamilyOf(image.DisplayMode());
    const int unitCount = PanelUnits::UnitCount(family);
    int count = 0;
    for (int unit = 0; unit < unitCount; ++unit)
        count += whole || units.test(std::size_t(unit)) ? 1 : 0;
    QByteArray out;
    if (count == 0)
        return out;
    out.reserve(kHeaderBytes + count * (1 + PanelUnits::UnitIndexCount(family)));
    out.resize(kHeaderBytes);
    uchar *header = reinterpret_cast<uchar *>(out.data());
    header[0] = kPanelUnits;
    qToLittleEndian<quint16>(quint16(index), header + 1);
    header[3] = family == PanelUnits::Family::Monochrome ? 1 : 2;
    header[4] = whole ? 1 : 0;
    qToLittleEndian<quint16>(quint16(count), header + 5);
    for (int unit = 0; unit < unitCount; ++unit) {
        if (!whole && !units.test(std::size_t(unit)))
            continue;
        out.append(char(unit));
        PanelUnits::AppendUnitIndices(image, family, unit, out);
    }
    return out;
}

QByteArray PaletteJson(int index, PanelUnits::Family family)
{
    QJsonArray colours;
    for (const QRgb colour : PanelUnits::Palette(family))
        colours.append(int(colour & 0xFFFFFF));
    const QSize size = PanelUnits::PanelSize(family);
    const QJsonObject message{
        {QStringLiteral("type"), QStringLiteral("palette")},
        {QStringLiteral("index"), index},
        {QStringLiteral("family"), family == PanelUnits::Family::Monochrome ? QStringLiteral("mono")
                                                                           : QStringLiteral("colour")},
        {QStringLiteral("width"), size.width()},
        {QStringLiteral("height"), size.height()},
        {QStringLiteral("colours"), colours},
    };
    return QJsonDocument(message).toJson(QJsonDocument::Compact);
}

} // namespace PanelMessages
