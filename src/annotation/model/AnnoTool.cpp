#include "annotation/model/AnnoTool.h"

namespace klipo::AnnoTools {

QList<AnnoTool> allCases() { return klipo::allCases<AnnoTool>(); }

const QList<AnnoTool>& toolbarOrder()
{
    static const QList<AnnoTool> order{AnnoTool::select, AnnoTool::rectangle, AnnoTool::ellipse, AnnoTool::arrow,
                                       AnnoTool::line,   AnnoTool::pen,       AnnoTool::highlight, AnnoTool::mosaic,
                                       AnnoTool::text,   AnnoTool::number,    AnnoTool::crop};
    return order;
}

QString rawValue(AnnoTool tool) { return klipo::rawValue(tool); }

std::optional<AnnoTool> fromRawValue(const QString& raw) { return klipo::fromRawValue<AnnoTool>(raw); }

QString title(AnnoTool tool)
{
    switch (tool) {
    case AnnoTool::select: return QStringLiteral("选择");
    case AnnoTool::rectangle: return QStringLiteral("矩形");
    case AnnoTool::ellipse: return QStringLiteral("椭圆");
    case AnnoTool::line: return QStringLiteral("直线");
    case AnnoTool::arrow: return QStringLiteral("箭头");
    case AnnoTool::mosaic: return QStringLiteral("马赛克");
    case AnnoTool::highlight: return QStringLiteral("高亮");
    case AnnoTool::pen: return QStringLiteral("画笔");
    case AnnoTool::text: return QStringLiteral("文字");
    case AnnoTool::number: return QStringLiteral("序号");
    case AnnoTool::crop: return QStringLiteral("裁剪");
    }
    return {};
}

QString symbolName(AnnoTool tool)
{
    switch (tool) {
    case AnnoTool::select: return QStringLiteral("cursorarrow");
    case AnnoTool::rectangle: return QStringLiteral("rectangle");
    case AnnoTool::ellipse: return QStringLiteral("circle");
    case AnnoTool::line: return QStringLiteral("line.diagonal");
    case AnnoTool::arrow: return QStringLiteral("arrow.up.right");
    case AnnoTool::mosaic: return QStringLiteral("square.grid.3x3.fill");
    case AnnoTool::highlight: return QStringLiteral("highlighter");
    case AnnoTool::pen: return QStringLiteral("scribble");
    case AnnoTool::text: return QStringLiteral("textformat");
    case AnnoTool::number: return QStringLiteral("1.circle");
    case AnnoTool::crop: return QStringLiteral("crop");
    }
    return {};
}

bool usesFontSize(AnnoTool tool) { return tool == AnnoTool::text || tool == AnnoTool::number; }

bool usesFill(AnnoTool tool) { return tool == AnnoTool::rectangle || tool == AnnoTool::ellipse; }

}  // namespace klipo::AnnoTools
