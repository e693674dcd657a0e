#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
#include <QString>

namespace klipo::platform {

// One Tesseract model file (".traineddata"), mapped read-only while this
// object lives (no copy of its tens of megabytes is made here).
//
// The word list is most of a model (88 of Latin's 89 MB), and every engine of
// a model uses the same one: Tesseract keeps it once per model while any
// engine of that model lives. Engines after the first are therefore loaded
// from the model without its word list, at a fifth of the cost.
class ModelFile {
public:
    // The installed file of a model ("Latin" -> ".../tessdata/Latin.traineddata").
    static QString pathOf(const QString& model);
    // Whether that file is there.
    static bool isInstalled(const QString& model);

    explicit ModelFile(const QString& path);
    ModelFile(const ModelFile&) = delete;
    ModelFile& operator=(const ModelFile&) = delete;

    // The whole file; empty when it cannot be read.
    QByteArrayView bytes() const { return m_bytes; }

    // A model without its word list; empty when it has none or is not laid
    // out as a model file (then every engine loads the whole model).
    static QByteArray withoutWordList(QByteArrayView model);

    // The edges of a model's word list as the engine holds them in memory
    // once loaded; empty when it has none or it is not in this machine's order.
    static QByteArrayView wordListEdges(QByteArrayView model);

private:
    QFile m_file;
    QByteArrayView m_bytes;
};

}  // namespace klipo::platform
