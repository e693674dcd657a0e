#include "scroll/StitchCanvas.h"

#include <QFile>

#include <algorithm>

#include <unistd.h>

namespace klipo::stitch {

namespace {

// MemAvailable from /proc/meminfo; free pages when that cannot be read.
int64_t availableMemory()
{
    QFile meminfo(QStringLiteral("/proc/meminfo"));
    if (meminfo.open(QIODevice::ReadOnly)) {
        for (QByteArray line = meminfo.readLine(); !line.isEmpty(); line = meminfo.readLine()) {
            if (!line.startsWith("MemAvailable:")) continue;
            bool ok = false;
            const int64_t kib = line.mid(13).trimmed().split(' ').value(0).toLongLong(&ok);
            if (ok) return kib * 1024;
        }
    }
    const long pages = ::sysconf(_SC_AVPHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    return pages > 0 && pageSize > 0 ? int64_t(pages) * pageSize : 0;
}

}  // namespace

CanvasBudget CanvasBudget::current() { return {availableMemory()}; }

int CanvasBudget::maxHeight(int width) const
{
    if (width <= 0) return maxRows;
    return int(std::min<int64_t>(maxRows, byteLimit() / (int64_t(width) * 4)));
}

ScrollStitchResult composeCanvas(const std::vector<ScrollFramePlacement>& placements,
                                 const std::vector<int>& contentTops, int cropW, int cropH, bool withAlpha,
                                 FrameSpool& spool, const CanvasBudget& budget)
{
    if (placements.empty()) return ScrollStitchError::noFrames();
    const int64_t height = int64_t(placements.back().y) + cropH;
    if (height > CanvasBudget::maxRows || !budget.allows(cropW, height))
        return ScrollStitchError::canvasFailed(cropW, height);
    QImage canvas(cropW, int(height), withAlpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (canvas.isNull()) return ScrollStitchError::canvasFailed(cropW, height);

    const auto contentTop = [&](std::size_t i) {
        return i > 0 && i < contentTops.size() ? std::clamp(contentTops[i], 0, cropH) : 0;
    };
    for (std::size_t i = 0; i < placements.size(); ++i) {
        const ScrollFramePlacement& p = placements[i];
        const int first = contentTop(i);
        const int end = i + 1 < placements.size()
                            ? std::min(cropH, placements[i + 1].y - p.y + contentTop(i + 1))
                            : cropH;
        if (end <= first) continue;
        if (!spool.read(int(i), cropW, first, end - first, canvas.scanLine(p.y + first), canvas.bytesPerLine()))
            return ScrollStitchError::frameProcessFailed(p.frameIndex);
    }
    return ScrollStitchOutput{std::move(canvas), {}, {}, {}, {}, {}, cropW, cropH};
}

}  // namespace klipo::stitch
