#pragma once

#include <QString>

#include <functional>
#include <optional>

// Whether the target language can be translated into on this machine, and
// the way out when it cannot: the preferences' target-language picker. A
// default install (Simplified Chinese, for which Debian has no pack) meets
// this at the first translation; it is said at launch and at each failure.
namespace klipo::TargetLanguageReach {

// The note for a target no installed pack translates into ("本机没有能译成
// 简体中文的语言包…"); none when some pack does.
std::optional<QString> unreachableNote(const QString& target);

// Opens 设置 → 截图 → 目标语言; the shell plugs it in. Nothing until then.
void setOpenPicker(std::function<void()> open);
bool canOpenPicker();
void openPicker();

// The title of the button that opens it.
inline const QString wayOutTitle = QStringLiteral("更改目标语言");

}  // namespace klipo::TargetLanguageReach
