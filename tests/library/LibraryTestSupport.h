#pragma once

#include "app/CaptureHUDController.h"
#include "library/HistoryWindow.h"
#include "library/LibraryWindow.h"
#include "platform/SettingsStore.h"
#include "stores/HistoryStore.h"
#include "stores/VocabularyStore.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QPainter>
#include <QTest>

// Readable QStrings in failure messages.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace klipo::test {

// The real stores of the program, emptied before each test, and the library
// window over them.
class LibraryTest : public ::testing::Test {
public:
    void SetUp() override
    {
        if (!hasX11Display()) GTEST_SKIP() << "needs the headless X11 desktop";
        // Nothing of the last test stays on screen to react to the changes below.
        if (LibraryWindow* window = HistoryWindowController::shared().window()) {
            window->selectSection(LibrarySection::settings);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
        platform::SettingsStore::shared().remove(QStringLiteral("targetLanguage"));
        bool cleared = false;
        history().removeAll([&] { cleared = true; });
        ASSERT_TRUE(QTest::qWaitFor([&] { return cleared; }, 10000));
        vocabulary().removeAll();
        ASSERT_TRUE(QTest::qWaitFor([&] { return vocabulary().stats().distinctCount == 0; }, 10000));
    }

    static HistoryStore& history() { return HistoryStore::shared(); }
    static VocabularyStore& vocabulary() { return VocabularyStore::shared(); }

    // A record saved through the store with a real PNG; its source text also
    // goes into the vocabulary book.
    static HistoryRecord save(const QString& original, const QString& translated = {}, QColor color = Qt::darkCyan)
    {
        QImage image(640, 400, QImage::Format_RGB32);
        image.fill(color);
        QPainter(&image).fillRect(40, 40, 300, 120, Qt::white);
        std::optional<std::optional<HistoryRecord>> saved;
        history().save(image, std::nullopt, original, translated, "zh-Hans",
                       [&](std::optional<HistoryRecord> record) { saved = record; });
        EXPECT_TRUE(QTest::qWaitFor([&] { return saved.has_value(); }, 10000));
        const HistoryRecord record = saved.value_or(std::nullopt).value_or(HistoryRecord{});
        EXPECT_FALSE(record.imageName.isEmpty()) << "not saved";
        vocabulary().ingest({original}, record.idText(), QDateTime::currentDateTimeUtc());
        return record;
    }

    static LibraryWindow* show(LibrarySection section)
    {
        HistoryWindowController::shared().show(section);
        LibraryWindow* window = HistoryWindowController::shared().window();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window));
        return window;
    }

    // The section built afresh, as the user gets it when switching to it.
    static LibraryWindow* showFresh(LibrarySection section)
    {
        if (LibraryWindow* window = HistoryWindowController::shared().window())
            window->selectSection(section == LibrarySection::backup ? LibrarySection::settings : LibrarySection::backup);
        return show(section);
    }

    template <typename Section>
    static Section* section()
    {
        LibraryWindow* window = HistoryWindowController::shared().window();
        return window ? qobject_cast<Section*>(window->content()) : nullptr;
    }

    static QAction* action(QMenu* menu, const QString& text)
    {
        for (QAction* item : menu->actions())
            if (item->text() == text) return item;
        ADD_FAILURE() << "no menu item " << text.toStdString();
        return nullptr;
    }

    static QString toastTitle() { return CaptureHUDController::shared().currentTitle(); }
};

}  // namespace klipo::test
