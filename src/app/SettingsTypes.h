#pragma once

#include <QList>
#include <QString>

#include <array>
#include <optional>
#include <string_view>
#include <utility>

// Stored choices: enumerations whose raw values are the strings kept in the
// settings store. RawValues<E>::table lists the cases in their declared order.
namespace klipo {

enum class PrefsAppearanceTheme { system, light, dark };
enum class PrefsAfterCaptureAction { none, revealInFinder, openInPreview };
enum class CaptureFileFormat { png, jpeg };
enum class QuickColorFormat { hex, rgb, rgba };

template <typename E>
struct RawValues;

template <>
struct RawValues<PrefsAppearanceTheme> {
    static constexpr std::array<std::pair<PrefsAppearanceTheme, std::string_view>, 3> table{{
        {PrefsAppearanceTheme::system, "system"},
        {PrefsAppearanceTheme::light, "light"},
        {PrefsAppearanceTheme::dark, "dark"},
    }};
};

template <>
struct RawValues<PrefsAfterCaptureAction> {
    static constexpr std::array<std::pair<PrefsAfterCaptureAction, std::string_view>, 3> table{{
        {PrefsAfterCaptureAction::none, "none"},
        {PrefsAfterCaptureAction::revealInFinder, "revealInFinder"},
        {PrefsAfterCaptureAction::openInPreview, "openInPreview"},
    }};
};

template <>
struct RawValues<CaptureFileFormat> {
    static constexpr std::array<std::pair<CaptureFileFormat, std::string_view>, 2> table{{
        {CaptureFileFormat::png, "png"},
        {CaptureFileFormat::jpeg, "jpeg"},
    }};
};

template <>
struct RawValues<QuickColorFormat> {
    static constexpr std::array<std::pair<QuickColorFormat, std::string_view>, 3> table{{
        {QuickColorFormat::hex, "hex"},
        {QuickColorFormat::rgb, "rgb"},
        {QuickColorFormat::rgba, "rgba"},
    }};
};

template <typename E>
QString rawValue(E value)
{
    for (const auto& [c, raw] : RawValues<E>::table)
        if (c == value) return QString::fromLatin1(raw.data(), qsizetype(raw.size()));
    return {};
}

// The case whose raw value is exactly `raw` (case-sensitive); none otherwise.
template <typename E>
std::optional<E> fromRawValue(const QString& raw)
{
    for (const auto& [c, r] : RawValues<E>::table)
        if (raw == QLatin1String(r.data(), qsizetype(r.size()))) return c;
    return std::nullopt;
}

template <typename E>
QList<E> allCases()
{
    QList<E> cases;
    for (const auto& entry : RawValues<E>::table) cases.append(entry.first);
    return cases;
}

template <typename E>
constexpr E firstCase()
{
    return RawValues<E>::table.front().first;
}

// The extension of saved files: "png" or "jpg".
inline QString fileExtension(CaptureFileFormat format)
{
    return format == CaptureFileFormat::jpeg ? QStringLiteral("jpg") : QStringLiteral("png");
}

}  // namespace klipo
