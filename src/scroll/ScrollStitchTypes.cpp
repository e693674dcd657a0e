#include "scroll/ScrollStitchTypes.h"

#include <algorithm>

namespace klipo {

ScrollStitchConfig standardStitchConfig(int cropTop)
{
    ScrollStitchConfig config;
    config.cropTop = cropTop;
    config.cropBottom = 0;
    config.minOverlap = 48;
    config.maxFrames = 300;
    config.duplicateMeanDiff = 0.25;
    config.featureStdThreshold = 2.0;
    config.flatCurveThreshold = 1.2;
    config.plateauMatchError = 0.08;
    config.seamAcceptError = 1.0;
    config.fixedStepAfter = 3;
    return config;
}

QString rawValue(ScrollSeamConfidence confidence)
{
    switch (confidence) {
    case ScrollSeamConfidence::exact:
        return QStringLiteral("精确匹配");
    case ScrollSeamConfidence::velocity:
        return QStringLiteral("速度外推");
    case ScrollSeamConfidence::fixedStep:
        break;
    }
    return QStringLiteral("固定步长");
}

std::optional<ScrollSeamConfidence> seamConfidenceFromRaw(const QString& raw)
{
    for (auto c : {ScrollSeamConfidence::exact, ScrollSeamConfidence::velocity, ScrollSeamConfidence::fixedStep})
        if (rawValue(c) == raw) return c;
    return std::nullopt;
}

int ScrollStitchOutput::exactSeamCount() const
{
    return int(std::count_if(placements.begin(), placements.end(),
                             [](const auto& p) { return p.confidence == ScrollSeamConfidence::exact; }));
}

QString ScrollStitchError::errorDescription() const
{
    switch (kind) {
    case Kind::tooManyFrames:
        return QStringLiteral("帧数超过上限 %1").arg(limit);
    case Kind::frameSizeMismatch:
        return QStringLiteral("第 %1 帧尺寸与首帧不一致").arg(index + 1);
    case Kind::frameProcessFailed:
        return QStringLiteral("第 %1 帧处理失败").arg(index + 1);
    case Kind::spoolFailed:
        return QStringLiteral("第 %1 帧临时存盘失败").arg(index + 1);
    case Kind::canvasFailed:
        return QStringLiteral("拼接画布创建失败（%1×%2，可能过长或内存不足）").arg(width).arg(height);
    case Kind::noFrames:
        return QStringLiteral("没有可拼接的帧");
    case Kind::cropInvalid:
        break;
    }
    return QStringLiteral("表头/底栏裁剪参数不合法（裁剪后画面过小）");
}

}  // namespace klipo
