#pragma once

#include <QImage>
#include <QString>

#include <optional>

struct AVFrame;
struct SwsContext;

namespace klipo::platform::media {

// A picture in the encoder's layout (planar YUV 4:2:0, BT.709, limited range).
class YuvFrame {
public:
    YuvFrame() = default;
    ~YuvFrame();
    YuvFrame(YuvFrame&& other) noexcept;
    YuvFrame& operator=(YuvFrame&& other) noexcept;
    YuvFrame(const YuvFrame&) = delete;
    YuvFrame& operator=(const YuvFrame&) = delete;

    // Makes room for a picture of this size (even width and height); keeps the
    // memory when the size is unchanged. False when memory runs out.
    bool allocate(int width, int height);
    int width() const;
    int height() const;
    bool isNull() const { return m_frame == nullptr; }

    // For the media layer only.
    AVFrame* raw() const { return m_frame; }

private:
    friend class BgraToYuvConverter;
    AVFrame* m_frame = nullptr;
};

// Converts screen pictures (Format_RGB32, i.e. BGRX in memory) to YuvFrame.
// One converter belongs to one thread.
class BgraToYuvConverter {
public:
    BgraToYuvConverter() = default;
    ~BgraToYuvConverter();
    BgraToYuvConverter(const BgraToYuvConverter&) = delete;
    BgraToYuvConverter& operator=(const BgraToYuvConverter&) = delete;

    // Converts `image` into `out`, which is (re)sized to the image's size.
    // The image must have even width and height. Reason on failure.
    std::optional<QString> convert(const QImage& image, YuvFrame& out);

private:
    SwsContext* m_context = nullptr;
};

}  // namespace klipo::platform::media
