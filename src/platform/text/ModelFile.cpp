#include "platform/text/ModelFile.h"

#include <QFileInfo>
#include <QSysInfo>
#include <QtEndian>

#include <cstring>
#include <vector>

namespace klipo::platform {

namespace {

// A model file starts with the number of its parts (4 bytes) and each part's
// offset in the file (8 bytes each, -1 for a part it lacks), little-endian;
// the parts follow in that order.
constexpr int kLstmWordList = 19;  // the part that holds the word list
constexpr quint32 kMostParts = 64;

qint64 offsetAt(QByteArrayView model, int index)
{
    qint64 value = 0;
    std::memcpy(&value, model.data() + 4 + 8 * qsizetype(index), sizeof value);
    return qFromLittleEndian(value);
}

}  // namespace

QString ModelFile::pathOf(const QString& model)
{
    QString folder = qEnvironmentVariable("TESSDATA_PREFIX");
    if (folder.isEmpty()) folder = QStringLiteral("/usr/share/tesseract-ocr/5/tessdata");
    return folder + QLatin1Char('/') + model + QStringLiteral(".traineddata");
}

bool ModelFile::isInstalled(const QString& model) { return QFileInfo::exists(pathOf(model)); }

ModelFile::ModelFile(const QString& path) : m_file(path)
{
    if (!m_file.open(QIODevice::ReadOnly) || m_file.size() <= 0) return;
    if (uchar* mapped = m_file.map(0, m_file.size()))
        m_bytes = QByteArrayView(reinterpret_cast<const char*>(mapped), m_file.size());
}

namespace {

// Where each part of a model file lies (-1 for a part it lacks); false when
// the bytes are not laid out as a model file.
struct Parts {
    quint32 count = 0;
    qsizetype header = 0;
    std::vector<qint64> start;
    std::vector<qint64> end;
};

bool readParts(QByteArrayView model, Parts& parts)
{
    if (model.size() < 4) return false;
    std::memcpy(&parts.count, model.data(), sizeof parts.count);
    parts.count = qFromLittleEndian(parts.count);
    parts.header = 4 + 8 * qsizetype(parts.count);
    if (parts.count <= quint32(kLstmWordList) || parts.count > kMostParts || parts.header > model.size()) return false;

    // Parts must lie in order inside the file.
    parts.start.assign(parts.count, -1);
    parts.end.assign(parts.count, -1);
    qint64 previous = parts.header;
    int last = -1;
    for (int i = 0; i < int(parts.count); ++i) {
        const qint64 offset = offsetAt(model, i);
        if (offset < 0) continue;
        if (offset < previous || offset > model.size()) return false;
        if (last >= 0) parts.end[last] = offset;
        parts.start[i] = offset;
        previous = offset;
        last = i;
    }
    if (last >= 0) parts.end[last] = model.size();
    return true;
}

}  // namespace

QByteArray ModelFile::withoutWordList(QByteArrayView model)
{
    Parts parts;
    if (!readParts(model, parts) || parts.start[kLstmWordList] < 0) return {};

    QByteArray out(parts.header, Qt::Uninitialized);
    std::memcpy(out.data(), model.data(), 4);
    for (int i = 0; i < int(parts.count); ++i) {
        qint64 offset = -1;
        if (parts.start[i] >= 0 && i != kLstmWordList) {
            offset = out.size();
            out.append(model.sliced(parts.start[i], parts.end[i] - parts.start[i]));
        }
        const qint64 stored = qToLittleEndian(offset);
        std::memcpy(out.data() + 4 + 8 * qsizetype(i), &stored, sizeof stored);
    }
    return out;
}

QByteArrayView ModelFile::wordListEdges(QByteArrayView model)
{
    // The word list part: a magic number (2 bytes), the character set's size
    // and the number of edges (4 bytes each), then the edges, 8 bytes each.
    constexpr qsizetype kHeader = 10;
    constexpr qint16 kMagic = 42;
    Parts parts;
    if (!readParts(model, parts) || parts.start[kLstmWordList] < 0) return {};
    const QByteArrayView part =
        model.sliced(parts.start[kLstmWordList], parts.end[kLstmWordList] - parts.start[kLstmWordList]);
    if (part.size() < kHeader) return {};
    qint16 magic = 0;
    qint32 edges = 0;
    std::memcpy(&magic, part.data(), sizeof magic);
    std::memcpy(&edges, part.data() + 6, sizeof edges);
    magic = qFromLittleEndian(magic);
    edges = qFromLittleEndian(edges);
    if (QSysInfo::ByteOrder != QSysInfo::LittleEndian) return {};  // the engine swaps them as it loads
    if (magic != kMagic || edges <= 0 || kHeader + 8 * qsizetype(edges) > part.size()) return {};
    return part.sliced(kHeader, 8 * qsizetype(edges));
}

}  // namespace klipo::platform
