#pragma once

#include "app/SettingsTypes.h"

#include <QList>
#include <QString>

namespace klipo {

// The annotation tools, in their declared order. `select` and `crop` are modes
// of the canvas; every other tool makes a kind of mark. The raw value (the case
// name) forms the per-tool style keys and the remembered last tool.
enum class AnnoTool { select, rectangle, ellipse, line, arrow, mosaic, highlight, pen, text, number, crop };

template <>
struct RawValues<AnnoTool> {
    static constexpr std::array<std::pair<AnnoTool, std::string_view>, 11> table{{
        {AnnoTool::select, "select"},
        {AnnoTool::rectangle, "rectangle"},
        {AnnoTool::ellipse, "ellipse"},
        {AnnoTool::line, "line"},
        {AnnoTool::arrow, "arrow"},
        {AnnoTool::mosaic, "mosaic"},
        {AnnoTool::highlight, "highlight"},
        {AnnoTool::pen, "pen"},
        {AnnoTool::text, "text"},
        {AnnoTool::number, "number"},
        {AnnoTool::crop, "crop"},
    }};
};

namespace AnnoTools {

// All tools in declared order.
QList<AnnoTool> allCases();
// The order of the tool buttons: select, rectangle, ellipse, arrow, line, pen,
// highlight, mosaic, text, number, crop.
const QList<AnnoTool>& toolbarOrder();

QString rawValue(AnnoTool tool);
// Matched exactly (letter case counts); none for anything else.
std::optional<AnnoTool> fromRawValue(const QString& raw);

// The Chinese name: tooltip, fallback button text and picker label.
QString title(AnnoTool tool);
// The name of the tool's icon (see AnnoIcons).
QString symbolName(AnnoTool tool);
// Whether style editors show the font-size control / the fill switch.
bool usesFontSize(AnnoTool tool);
bool usesFill(AnnoTool tool);

}  // namespace AnnoTools

}  // namespace klipo
