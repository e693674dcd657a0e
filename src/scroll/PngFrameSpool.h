#pragma once

#include "scroll/FrameSpool.h"
#include "scroll/SpoolFolder.h"

#include <QList>

namespace klipo::stitch {

// Kept frames as "frame_%04d.png" files in one folder, written with libpng
// at zlib level 1 and without row filters: lossless and several times faster
// than the default settings on screen content.
class PngFrameSpool : public FrameSpool {
public:
    // `ownFolder`: the folder is the stitcher's private temp folder (made
    // hidden until locked, swept when left behind).
    PngFrameSpool(QString folder, bool ownFolder);
    ~PngFrameSpool() override;

    bool write(int keptIndex, const FrameRows& frame) override;
    bool read(int keptIndex, int width, int firstRow, int rowCount, uchar* dest, qsizetype destStride) override;
    void removeAll() override;
    bool created() const override { return m_created; }
    QString folder() const override { return m_folder; }

    QString filePath(int keptIndex) const;

private:
    QString m_folder;
    bool m_ownFolder = false;
    bool m_created = false;
    QList<int> m_written;  // the kept indices of the frame files this spool made
    SpoolFolder m_lock;
};

// The PNG codec on its own, for files of any name.
bool writePng(const QString& path, const FrameRows& frame);
bool readPngRows(const QString& path, int width, int firstRow, int rowCount, uchar* dest, qsizetype destStride);
inline bool readPngRows(const QString& path, int width, int rowCount, uchar* dest, qsizetype destStride)
{
    return readPngRows(path, width, 0, rowCount, dest, destStride);
}

}  // namespace klipo::stitch
