// The history section over the real history folder and vocabulary book, and
// the view that holds the sections (its window and embedded forms).
#include "app/Settings.h"
#include "platform/SettingsStore.h"
#include "preferences/PrefsCaptureTab.h"
#include "preferences/PrefsHistoryTab.h"
#include "preferences/PrefsShortcutTab.h"
#include "preferences/SettingsView.h"
#include "stores/HistoryStore.h"
#include "stores/VocabularyStore.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QWheelEvent>
#include <QComboBox>
#include <QDirIterator>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>

using namespace klipo;

namespace {

qint64 bytesIn(const QString& folder)
{
    qint64 total = 0;
    QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) total += QFileInfo(it.next()).size();
    return total;
}

void saveRecords(int count)
{
    QImage image(8, 8, QImage::Format_RGB32);
    int done = 0;
    for (int i = 0; i < count; ++i) {
        image.fill(QColor(i % 256, 0, 0));
        HistoryStore::shared().save(image, std::nullopt, QStringLiteral("text %1").arg(i), {}, "en",
                                    [&](auto) { ++done; });
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return done == count; }, 60000));
}

}  // namespace

TEST(PrefsHistoryTab, sizeFollowsTheFolder_LimitKeepsThatMany_ClearEmptiesBothStoresOnlyWhenConfirmed)
{
    HistoryStore& history = HistoryStore::shared();
    PrefsHistoryTab tab;
    tab.show();
    EXPECT_EQ(tab.sizeLabel()->text(), QStringLiteral("计算中…"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return tab.sizeLabel()->text() != QStringLiteral("计算中…"); }, 5000));

    // 100 kept of 101, and the size follows each save without "刷新".
    const int hundred = tab.limitPicker()->findData(100);
    tab.limitPicker()->setCurrentIndex(hundred);
    Q_EMIT tab.limitPicker()->activated(hundred);
    EXPECT_EQ(platform::SettingsStore::shared().value("historyLimit"), QJsonValue(100));
    ASSERT_NO_FATAL_FAILURE(saveRecords(101));
    EXPECT_EQ(history.allRecords().size(), 100);
    ASSERT_TRUE(QTest::qWaitFor([&] { return tab.sizeLabel()->text() == formatHistorySize(bytesIn(history.directory())); },
                                5000))
        << qPrintable(tab.sizeLabel()->text());
    EXPECT_TRUE(tab.sizeLabel()->text().endsWith(" KB"));

    VocabularyStore::shared().ingest({"The harbour lights shine over the harbour and the harbour wall."}, {},
                                     QDateTime::currentDateTime());
    ASSERT_FALSE(VocabularyStore::shared().words().isEmpty());

    PrefsHistoryTab::clearConfirmation() = [](QWidget*) { return false; };
    tab.clearButton()->click();
    QTest::qWait(200);
    EXPECT_EQ(history.allRecords().size(), 100);
    EXPECT_FALSE(VocabularyStore::shared().words().isEmpty());

    PrefsHistoryTab::clearConfirmation() = [](QWidget*) { return true; };
    tab.clearButton()->click();
    EXPECT_TRUE(history.allRecords().isEmpty());
    EXPECT_TRUE(VocabularyStore::shared().words().isEmpty());
    EXPECT_EQ(QDir(history.directory()).entryList(QDir::Files | QDir::NoDotAndDotDot), QStringList{"index.json"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return tab.sizeLabel()->text() == formatHistorySize(bytesIn(history.directory())); },
                                5000));
    PrefsHistoryTab::clearConfirmation() = nullptr;

    tab.indexTextSwitch()->setChecked(false);
    EXPECT_FALSE(Settings::indexCaptureText());
    tab.saveHistorySwitch()->setChecked(false);
    EXPECT_FALSE(Settings::saveHistory());
    EXPECT_FALSE(tab.limitPicker()->isEnabled() || tab.indexTextSwitch()->isEnabled());
    tab.saveHistorySwitch()->setChecked(true);
    tab.indexTextSwitch()->setChecked(true);
    platform::SettingsStore::shared().remove("historyLimit");

    EXPECT_EQ(formatHistorySize(1'540'000), "1.5 MB");
}

TEST(SettingsView, eachShownSectionIsBuiltAfresh_AndTheWheelOverAnUnclickedPickerScrollsThePage)
{
    SettingsView view(SettingsView::Form::embedded);
    view.resize(700, 430);
    view.show();
    view.setSection(PrefsSection::shortcuts);
    QPointer<QWidget> first = view.content();
    ASSERT_TRUE(dynamic_cast<PrefsShortcutTab*>(first.data()));
    view.setSection(PrefsSection::capture);
    EXPECT_TRUE(first.isNull()) << "the section left behind is dropped";
    QTest::qWait(50);

    auto* capture = dynamic_cast<PrefsCaptureTab*>(view.content());
    ASSERT_NE(capture, nullptr);
    auto* scroll = view.findChild<QScrollArea*>();
    QComboBox* after = capture->afterActionPicker();
    const int chosen = after->currentIndex();
    const int scrolled = scroll->verticalScrollBar()->value();
    QWheelEvent wheel(QPointF(5, 5), after->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(after, &wheel);
    EXPECT_EQ(after->currentIndex(), chosen);
    EXPECT_GT(scroll->verticalScrollBar()->value(), scrolled);
}
