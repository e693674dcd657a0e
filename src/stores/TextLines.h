#pragma once

#include <QString>

#include <optional>

namespace klipo::textlines {

// The first line of `text` that is not blank, trimmed of spaces and tabs at
// both ends; nothing when every line is blank.
std::optional<QString> firstLine(const QString& text);

// `line` cut to `maxCharacters` user-perceived characters followed by "…" when
// it is longer; unchanged otherwise.
QString truncated(const QString& line, int maxCharacters);

}  // namespace klipo::textlines
