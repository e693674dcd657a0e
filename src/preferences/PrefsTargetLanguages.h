#pragma once

#include "platform/text/ApertiumPairs.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <vector>

// The translation targets the preferences offer: the five the program names
// (简体中文, 繁體中文, English, 日本語, 한국어) and every target an installed
// language pack reaches. Each says from which languages it can be reached
// here, or why it cannot.
namespace klipo::PrefsTargetLanguages {

struct Choice {
    QString code;           // stored under "targetLanguage"
    QString name;           // in its own language ("Español")
    QStringList sources;    // languages translated into it here (codes), empty when none
    QString reason;         // why it cannot be reached here; empty when it can
    QString label() const;  // the picker's item text
};

// From the installed directions (see ApertiumTranslator).
QList<Choice> choices(const std::vector<platform::ApertiumMode>& installed);
// From the language packs installed on this machine.
QList<Choice> installedChoices();

}  // namespace klipo::PrefsTargetLanguages
