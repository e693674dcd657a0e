#include "platform/text/ModelFile.h"

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

ModelFile::ModelFile(const QString& path) : m_file(path)
{
    if (!m_file.open(QIODevice::ReadOnly) || m_file.size() <= 0) return;
    if (uchar* mapped = m_file.map(0, m_file.size()))
        m_bytes = QByteArrayView(reinterpret_cast<const char*>(mapped), m_file.size());
}

QByteArray ModelFile::withoutWordList(QByteArrayView model)
{
    if (model.size() < 4) return {};
    quint32 count = 0;
    std::memcpy(&count, model.data(), sizeof count);
    count = qFromLittleEndian(count);
    const qsizetype header = 4 + 8 * qsizetype(count);
    if (count <= quint32(kLstmWordList) || count > kMostParts || header > model.size()) return {};

    // Each part's extent; parts must lie in order inside the file.
    std::vector<qint64> start(count, -1);
    std::vector<qint64> end(count, -1);
    qint64 previous = header;
    int last = -1;
    for (int i = 0; i < int(count); ++i) {
        const qint64 offset = offsetAt(model, i);
        if (offset < 0) continue;
        if (offset < previous || offset > model.size()) return {};
        if (last >= 0) end[last] = offset;
        start[i] = offset;
        previous = offset;
        last = i;
    }
    if (last >= 0) end[last] = model.size();
    if (start[kLstmWordList] < 0) return {};

    QByteArray out(header, Qt::Uninitialized);
    std::memcpy(out.data(), model.data(), 4);
    for (int i = 0; i < int(count); ++i) {
        qint64 offset = -1;
        if (start[i] >= 0 && i != kLstmWordList) {
            offset = out.size();
            out.append(model.sliced(start[i], end[i] - start[i]));
        }
        const qint64 stored = qToLittleEndian(offset);
        std::memcpy(out.data() + 4 + 8 * qsizetype(i), &stored, sizeof stored);
    }
    return out;
}

}  // namespace klipo::platform
