#include "CTransferProgress.h"

#include <cmath>

namespace {
// Below this the rate is mostly noise of the first read.
constexpr qint64 kMinMeasuredMs = 200;
} // namespace

double CTransferProgress::Rate() const
{
    if (elapsedMs < kMinMeasuredMs || bytesDone <= 0)
        return 0;
    return double(bytesDone) * 1000.0 / double(elapsedMs);
}

qint64 CTransferProgress::SecondsLeft() const
{
    if (finished)
        return bytesDone >= bytesTotal ? 0 : -1; // a run that stopped early has no time left to tell
    const double rate = Rate();
    if (rate <= 0 || bytesTotal < bytesDone)
        return -1;
    return qint64(std::ceil(double(bytesTotal - bytesDone) / rate));
}

QString CTransferProgress::SizeText(qint64 bytes)
{
    if (bytes < 1024)
        return QStringLiteral("%1 B").arg(bytes);
    const char* const units[] = {"KiB", "MiB", "GiB", "TiB"};
    double value = double(bytes) / 1024.0;
    int unit = 0;
    while (value >= 1024.0 && unit < 3) {
        value /= 1024.0;
        ++unit;
    }
    return QStringLiteral("%1 %2").arg(value, 0, 'f', 1).arg(QLatin1String(units[unit]));
}

QString CTransferProgress::FilesText() const
{
    return QStringLiteral("%1 of %2 file(s)").arg(filesDone).arg(filesTotal);
}

QString CTransferProgress::BytesText() const
{
    return QStringLiteral("%1 of %2").arg(SizeText(bytesDone), SizeText(bytesTotal));
}

QString CTransferProgress::RateText() const
{
    const double rate = Rate();
    return rate > 0 ? SizeText(qint64(rate)) + QStringLiteral("/s") : QStringLiteral("-");
}

QString CTransferProgress::TimeLeftText() const
{
    const qint64 left = SecondsLeft();
    if (left < 0)
        return QStringLiteral("-");
    if (left >= 3600)
        return QStringLiteral("%1:%2:%3").arg(left / 3600).arg(left / 60 % 60, 2, 10, QLatin1Char('0')).arg(left % 60, 2, 10, QLatin1Char('0'));
    return QStringLiteral("%1:%2").arg(left / 60).arg(left % 60, 2, 10, QLatin1Char('0'));
}

QString CTransferProgress::Line() const
{
    return QStringLiteral("Progress: %1, %2, %3, %4 left").arg(FilesText(), BytesText(), RateText(), TimeLeftText());
}
