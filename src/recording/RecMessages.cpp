#include "recording/RecMessages.h"

#include <QDir>
#include <QFileInfo>

#include <cmath>

namespace klipo::RecMessages {

namespace {

const QString revealHint = QStringLiteral("，点击在文件管理器中显示");
const QString nothingWritten = QStringLiteral("视频写入失败（可能磁盘空间不足），未生成文件");

QString place(const QString& folderDisplayName, const QString& path)
{
    return folderDisplayName + QStringLiteral(" · ") + QFileInfo(path).fileName() + revealHint;
}

}  // namespace

QString durationText(double seconds)
{
    const long long whole =
        std::isfinite(seconds) && seconds > 0 ? (long long)std::round(std::min(seconds, 1e12)) : 0;
    return QString::asprintf("%02lld:%02lld", whole / 60, whole % 60);
}

Message stopOutcome(const RecStopResult& result, const RecFiles::ExportResult* saved, double elapsedSeconds,
                    const std::optional<QString>& note, const QString& folderDisplayName)
{
    if (!result.file) return {QStringLiteral("录屏失败"), note ? *note : nothingWritten, {}};
    if (!saved || !saved->ok()) return {QStringLiteral("录屏保存失败"), saved ? saved->error : QString(), {}};
    QString title;
    if (note)
        title = *note;
    else if (result.cutShortReason)
        title = QStringLiteral("录制中断：") + *result.cutShortReason;
    else
        title = QStringLiteral("录屏已保存（") + durationText(elapsedSeconds) + QStringLiteral("）");
    return {title, place(folderDisplayName, *saved->savedPath), *saved->savedPath};
}

std::optional<Message> quitOutcome(const RecStopResult& result, const RecFiles::ExportResult* saved,
                                   bool wasRecording)
{
    if (saved && saved->ok()) {
        const QString path = QDir::toNativeSeparators(*saved->savedPath);
        if (result.timedOut)
            return Message{QStringLiteral("录屏已保存（可能不完整）"),
                           QStringLiteral("退出时录屏未能及时收尾，已保存到 ") + path, path};
        QString text = QStringLiteral("退出时已停止录屏，文件保存在 ") + path;
        if (result.cutShortReason) text += QStringLiteral("（录制中断：%1）").arg(*result.cutShortReason);
        return Message{QStringLiteral("录屏已保存"), text, path};
    }
    if (saved) return Message{QStringLiteral("录屏保存失败"), saved->error, saved->keptPath};
    if (!wasRecording) return std::nullopt;
    return Message{QStringLiteral("录屏失败"), nothingWritten, {}};
}

std::optional<Message> leftoversFound(const QList<RecFiles::Leftover>& leftovers, const QString& folderDisplayName)
{
    QStringList saved;
    for (const RecFiles::Leftover& leftover : leftovers) {
        // A leftover that could not be moved is told first: its place matters.
        if (!leftover.result.ok())
            return Message{QStringLiteral("上次中断的录屏未能移入截图文件夹"), leftover.result.error,
                           leftover.result.keptPath};
        saved << *leftover.result.savedPath;
    }
    if (saved.isEmpty()) return std::nullopt;
    if (saved.size() == 1)
        return Message{QStringLiteral("已找回上次中断的录屏"), place(folderDisplayName, saved.first()), saved.first()};
    return Message{QStringLiteral("已找回 %1 段上次中断的录屏").arg(saved.size()),
                   folderDisplayName + QStringLiteral(" · ") + QFileInfo(saved.first()).fileName() +
                       QStringLiteral(" 等") + revealHint,
                   saved.first()};
}

Message microphoneUnavailable(const QString& reason)
{
    return {QStringLiteral("麦克风不可用，本次录屏将不带声音"), reason, {}};
}

Message noRoomForStopBar(const std::optional<QString>& shortcut)
{
    // No blanks around the key text: "Ctrl+Shift+L" is long, and the
    // sentence must fit the toast's one line.
    const QString how = shortcut ? QStringLiteral("可用托盘菜单或%1停止").arg(*shortcut)
                                 : QStringLiteral("可用托盘菜单「停止录屏」停止");
    return {QStringLiteral("录屏控制条已隐藏"), QStringLiteral("选区四周放不下控制条，") + how, {}};
}

}  // namespace klipo::RecMessages
