#pragma once

#include "ScreenFixtures.h"

#include <QStringList>

namespace klipo::test {

// What the drawn screens say, in one language.
struct ScreenTexts {
    QStringList menus;
    QStringList formLabels;
    QStringList formValues;
    QString checkbox;
    QStringList buttons;
    QStringList tableHeaders;
    QList<QStringList> tableRows;
    QString status;
    QString articleTitle;
    QString byline;
    QString caption;
    QStringList sentences;
    QStringList terminal;
    QStringList chatNames;
    QStringList chatPreviews;
    QStringList chatMessages;
    QStringList times;
    QStringList sheetHeaders;
    QList<QStringList> sheetRows;
    QStringList titles;  // window titles: widgets, article, terminal, chat, spreadsheet
    QStringList panel;   // the desktop's top bar: left and right
};

ScreenTexts screenTexts(ScreenLanguage language);

}  // namespace klipo::test
