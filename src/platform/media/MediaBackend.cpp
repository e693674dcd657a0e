#include "platform/media/MediaBackend.h"

#include "platform/media/YuvFrame.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <dlfcn.h>

#include <mutex>
#include <thread>
#include <utility>

#ifndef KLIPO_MEDIA_MODULE_NAME
#define KLIPO_MEDIA_MODULE_NAME "libklipo_media_ffmpeg.so"
#endif

namespace klipo::platform::media {

namespace {

// Where the module may be: beside the program (a build tree), in the lib
// folder of an installed program, where this tree built it (tests, tools).
QStringList moduleCandidates()
{
    const QString name = QStringLiteral(KLIPO_MEDIA_MODULE_NAME);
    QStringList found;
    if (QCoreApplication::instance()) {
        const QString dir = QCoreApplication::applicationDirPath();
        found << dir + QLatin1Char('/') + name << QDir::cleanPath(dir + QStringLiteral("/../lib/klipoversa/") + name);
    }
#ifdef KLIPO_MEDIA_MODULE_BUILT
    found << QStringLiteral(KLIPO_MEDIA_MODULE_BUILT);
#endif
    return found;
}

struct Loaded {
    MediaBackend* backend = nullptr;
    QString why;
};

Loaded load()
{
    QString lastError;
    for (const QString& path : moduleCandidates()) {
        if (!QFileInfo::exists(path)) continue;
        void* handle = dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
        if (!handle) {
            lastError = QString::fromLocal8Bit(dlerror());
            continue;
        }
        using Entry = MediaBackend* (*)();
        auto entry = reinterpret_cast<Entry>(dlsym(handle, "klipoMediaBackend"));
        if (MediaBackend* backend = entry ? entry() : nullptr) return {backend, {}};
        lastError = QStringLiteral("%1 不是录屏组件").arg(path);
        dlclose(handle);
    }
    return {nullptr, lastError.isEmpty()
                         ? QStringLiteral("录屏组件（%1）没有找到，请重新安装 KlipoVersa").arg(QStringLiteral(KLIPO_MEDIA_MODULE_NAME))
                         : QStringLiteral("录屏组件无法载入：%1").arg(lastError)};
}

// Open fails with the reason the module could not be loaded.
class MissingWriter final : public MediaFileWriter {
public:
    explicit MissingWriter(QString why) : m_why(std::move(why)) {}
    std::optional<QString> open(const QString&, Container, const VideoSettings&,
                                const std::optional<AudioSettings>&) override { return m_why; }
    bool hasAudio() const override { return false; }
    std::optional<QString> writeVideo(YuvFrame&, std::int64_t) override { return m_why; }
    std::optional<QString> writeAudio(const float*, int) override { return m_why; }
    std::optional<QString> finish() override { return m_why; }
    std::int64_t videoFramesWritten() const override { return 0; }

private:
    QString m_why;
};

}  // namespace

MediaBackend* mediaBackend(QString* why)
{
    static const Loaded loaded = load();
    if (why) *why = loaded.why;
    return loaded.backend;
}

void loadMediaBackendAhead()
{
    static std::once_flag started;
    std::call_once(started, [] { std::thread([] { mediaBackend(); }).detach(); });
}

std::unique_ptr<MediaFileWriter> createMediaFileWriter()
{
    QString why;
    if (MediaBackend* backend = mediaBackend(&why)) return backend->createWriter();
    return std::make_unique<MissingWriter>(why);
}

MediaInfo probeMediaFile(const QString& path)
{
    QString why;
    if (MediaBackend* backend = mediaBackend(&why)) return backend->probe(path);
    MediaInfo info;
    info.error = why;
    return info;
}

// A frame exists only once the backend is loaded, so the backend is there to free it.
YuvFrame::~YuvFrame()
{
    if (m_frame) mediaBackend()->freeFrame(m_frame);
}

YuvFrame::YuvFrame(YuvFrame&& other) noexcept : m_frame(std::exchange(other.m_frame, nullptr)) {}

YuvFrame& YuvFrame::operator=(YuvFrame&& other) noexcept
{
    if (this != &other) {
        if (m_frame) mediaBackend()->freeFrame(m_frame);
        m_frame = std::exchange(other.m_frame, nullptr);
    }
    return *this;
}

bool YuvFrame::allocate(int width, int height)
{
    MediaBackend* backend = mediaBackend();
    return backend && backend->allocateFrame(m_frame, width, height);
}

int YuvFrame::width() const { return m_frame ? mediaBackend()->frameWidth(m_frame) : 0; }
int YuvFrame::height() const { return m_frame ? mediaBackend()->frameHeight(m_frame) : 0; }

BgraToYuvConverter::~BgraToYuvConverter()
{
    if (m_context) mediaBackend()->freeConverter(m_context);
}

std::optional<QString> BgraToYuvConverter::convert(const QImage& image, YuvFrame& out)
{
    QString why;
    MediaBackend* backend = mediaBackend(&why);
    if (!backend) return why;
    return backend->convert(m_context, image, out.m_frame);
}

}  // namespace klipo::platform::media
