#include "scroll/PngFrameSpool.h"

#include <QFile>

#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <vector>

namespace klipo::stitch {

namespace {

// libpng reports errors by longjmp to the setjmp of the calling function;
// only plain data lives in those frames.
void onPngError(png_structp png, png_const_charp) { std::longjmp(png_jmpbuf(png), 1); }
void onPngWarning(png_structp, png_const_charp) {}

bool writeRows(FILE* file, const FrameRows& frame, const png_bytep* rows)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, onPngError, onPngWarning);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, info ? &info : nullptr);
        return false;
    }
    png_init_io(png, file);
    png_set_compression_level(png, 1);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
    png_set_compression_buffer_size(png, 1 << 18);
    int colorType = PNG_COLOR_TYPE_RGB;
    if (frame.kind == PixelKind::gray8) colorType = PNG_COLOR_TYPE_GRAY;
    if (frame.kind == PixelKind::argb32) colorType = PNG_COLOR_TYPE_RGB_ALPHA;
    png_set_IHDR(png, info, png_uint_32(frame.width), png_uint_32(frame.height), 8, colorType, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    if (frame.kind != PixelKind::gray8) png_set_bgr(png);  // 32-bit words are B, G, R, A in memory
    if (frame.kind == PixelKind::rgb32) png_set_filler(png, 0, PNG_FILLER_AFTER);
    png_write_rows(png, const_cast<png_bytepp>(rows), png_uint_32(frame.height));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

// `skipped`: room for one row of `width` 32-bit pixels, for the rows above firstRow.
bool readRows(FILE* file, int width, int firstRow, int rowCount, uchar* dest, qsizetype destStride, png_bytep skipped)
{
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, onPngError, onPngWarning);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
        return false;
    }
    png_init_io(png, file);
    png_read_info(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    const int colorType = png_get_color_type(png, info);
    const bool knownType =
        colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_RGB || colorType == PNG_COLOR_TYPE_RGB_ALPHA;
    if (!knownType || png_get_bit_depth(png, info) != 8 || png_get_interlace_type(png, info) != PNG_INTERLACE_NONE ||
        png_get_image_width(png, info) != png_uint_32(width) || qsizetype(width) * 4 > destStride ||
        firstRow < 0 || rowCount < 0 || png_uint_32(firstRow) + png_uint_32(rowCount) > height) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    if (colorType == PNG_COLOR_TYPE_GRAY) png_set_gray_to_rgb(png);
    png_set_bgr(png);
    if (colorType != PNG_COLOR_TYPE_RGB_ALPHA) png_set_filler(png, 0xff, PNG_FILLER_AFTER);
    png_read_update_info(png, info);
    // Rows above firstRow are decoded and dropped; rows past the range are
    // not decoded at all.
    for (int y = 0; y < firstRow; ++y) png_read_row(png, skipped, nullptr);
    for (int y = 0; y < rowCount; ++y) png_read_row(png, dest + qsizetype(y) * destStride, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

// `mode` "wbx" makes a new file only, "wb" also replaces one.
bool writePngFile(const QString& path, const FrameRows& frame, const char* mode)
{
    FILE* file = std::fopen(QFile::encodeName(path).constData(), mode);
    if (!file) return false;
    std::vector<png_bytep> rows(std::size_t(frame.height));
    for (int y = 0; y < frame.height; ++y) rows[std::size_t(y)] = const_cast<png_bytep>(frame.row(y));
    bool ok = writeRows(file, frame, rows.data());
    ok = std::fclose(file) == 0 && ok;
    if (!ok) std::remove(QFile::encodeName(path).constData());
    return ok;
}

}  // namespace

bool writePng(const QString& path, const FrameRows& frame) { return writePngFile(path, frame, "wb"); }

bool readPngRows(const QString& path, int width, int firstRow, int rowCount, uchar* dest, qsizetype destStride)
{
    FILE* file = std::fopen(QFile::encodeName(path).constData(), "rb");
    if (!file) return false;
    std::vector<png_byte> skipped(firstRow > 0 ? std::size_t(std::max(width, 0)) * 4 : 0);
    const bool ok = readRows(file, width, firstRow, rowCount, dest, destStride, skipped.data());
    std::fclose(file);
    return ok;
}

PngFrameSpool::PngFrameSpool(QString folder, bool ownFolder) : m_folder(std::move(folder)), m_ownFolder(ownFolder) {}

PngFrameSpool::~PngFrameSpool() { removeAll(); }

QString PngFrameSpool::filePath(int keptIndex) const
{
    return m_folder + QStringLiteral("/frame_%1.png").arg(keptIndex, 4, 10, QLatin1Char('0'));
}

bool PngFrameSpool::write(int keptIndex, const FrameRows& frame)
{
    if (!m_created) {
        // A folder that cannot be made shows up as a failed write below.
        m_lock.create(m_folder, m_ownFolder);
        m_created = true;
    }
    // A file already there (a user's, in a folder the caller named) stays as it is.
    if (!writePngFile(filePath(keptIndex), frame, "wbx")) return false;
    m_written.append(keptIndex);
    return true;
}

bool PngFrameSpool::read(int keptIndex, int width, int firstRow, int rowCount, uchar* dest, qsizetype destStride)
{
    return readPngRows(filePath(keptIndex), width, firstRow, rowCount, dest, destStride);
}

void PngFrameSpool::removeAll()
{
    if (!m_created) return;
    // In a folder the caller named, only the frames go (and the folder when
    // nothing else is left in it): it may hold files of the user's.
    if (!m_ownFolder)
        for (int keptIndex : std::as_const(m_written)) std::remove(QFile::encodeName(filePath(keptIndex)).constData());
    m_written.clear();
    m_lock.remove();
    m_created = false;
}

}  // namespace klipo::stitch
