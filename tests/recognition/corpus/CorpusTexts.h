#pragma once

#include "ScreenFixtures.h"

#include <QStringList>

namespace klipo::test {

// What the generated screens say in one language: sentences for articles,
// chats and mails, short words and phrases for menus, labels, list items and
// table headers, and people's names.
struct CorpusTexts {
    QStringList sentences;
    QStringList words;
    QStringList names;
    QStringList headlines;
};

const CorpusTexts& corpusTexts(ScreenLanguage language);

}  // namespace klipo::test
