#include "platform/ByteSize.h"

#include <array>

namespace lettergate {

QString ByteSize::text(qint64 bytes)
{
    static constexpr std::array<QStringView, 3> units{u"KiB", u"MiB", u"GiB"};
    if (bytes < 1024)
        return QStringLiteral("%1 bytes").arg(bytes);
    int unit = 0;
    while (unit + 1 < int(units.size()) && (bytes >> (10 * (unit + 2))) != 0)
        ++unit;
    const qint64 size = qint64(1) << (10 * (unit + 1));
    const QString number = bytes % size == 0 ? QString::number(bytes / size)
                                             : QString::number(double(bytes) / double(size), 'f', 1);
    return number + u' ' + units[size_t(unit)].toString();
}

} // namespace lettergate
