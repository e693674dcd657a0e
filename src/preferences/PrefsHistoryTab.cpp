#include "preferences/PrefsHistoryTab.h"

#include "app/CaptureHUDController.h"
#include "app/MessageBoxFit.h"
#include "app/Settings.h"
#include "app/SettingsKeys.h"
#include "app/SettingsReading.h"
#include "platform/NotificationCenter.h"
#include "platform/SettingsStore.h"
#include "stores/HistoryLimit.h"
#include "stores/HistoryStore.h"
#include "stores/StoreFiles.h"
#include "stores/VocabularyStore.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>

namespace klipo {

namespace {

bool askToClear(QWidget* parent)
{
    QMessageBox box(QMessageBox::Warning, QStringLiteral("清空全部历史记录和单词本？"),
                    QStringLiteral("清空全部历史记录和单词本？"), QMessageBox::NoButton, parent);
    box.setInformativeText(QStringLiteral("将删除所有已保存的翻译图片、文字记录和单词本，此操作不可撤销。"));
    fitMessageBoxToTexts(box);
    QPushButton* cancel = box.addButton(QStringLiteral("取消"), QMessageBox::RejectRole);
    QPushButton* clear = box.addButton(QStringLiteral("清空"), QMessageBox::DestructiveRole);
    box.setDefaultButton(cancel);
    box.setEscapeButton(cancel);
    box.exec();
    return box.clickedButton() == clear;
}

}  // namespace

QString formatHistorySize(qint64 bytes)
{
    const double value = double(qMax<qint64>(0, bytes));
    if (value < 1e6) return QStringLiteral("%1 KB").arg(qRound64(value / 1e3));
    if (value < 1e9) return QStringLiteral("%1 MB").arg(value / 1e6, 0, 'f', 1);
    return QStringLiteral("%1 GB").arg(value / 1e9, 0, 'f', 2);
}

std::function<bool(QWidget*)>& PrefsHistoryTab::clearConfirmation()
{
    static std::function<bool(QWidget*)> confirm = askToClear;
    return confirm;
}

PrefsHistoryTab::PrefsHistoryTab(QWidget* parent) : PrefsForm::Page(parent)
{
    PrefsForm::Section* saving = addSection(QStringLiteral("保存"));
    m_saveHistory = PrefsForm::boolSwitch(QStringLiteral("保存历史记录（翻译结果与普通截图）"),
                                          SettingsKey::saveHistory, &Settings::saveHistory, saving);
    connect(m_saveHistory, &QCheckBox::toggled, this, &PrefsHistoryTab::refreshEnabled);
    saving->addRow(m_saveHistory);
    m_limit = new QComboBox(saving);
    for (const Settings::HistoryLimitOption& option : Settings::historyLimitOptions())
        m_limit->addItem(option.label, option.value);
    // Only a stored whole number that is one of the choices selects one.
    showStoredLimit();
    connect(m_limit, &QComboBox::activated, this, [this](int index) {
        PrefsForm::store(SettingsKey::historyLimit, m_limit->itemData(index).toInt());
        confirmLimit();  // chosen here
    });
    saving->addRow(QStringLiteral("保留条数："), m_limit);
    m_limitLabel = saving->form()->labelForField(m_limit);
    // A limit that came from a backup or a reset settings file waits for the user.
    m_unconfirmed = new QWidget(saving);
    auto* unconfirmedRow = new QHBoxLayout(m_unconfirmed);
    unconfirmedRow->setContentsMargins(0, 0, 0, 0);
    m_unconfirmedText = PrefsForm::note(QString(), m_unconfirmed);
    PrefsForm::setTextColor(m_unconfirmedText, PrefsForm::warningColor());
    m_confirmLimit = new QPushButton(QStringLiteral("确认保留条数"), m_unconfirmed);
    connect(m_confirmLimit, &QPushButton::clicked, this, &PrefsHistoryTab::confirmLimit);
    unconfirmedRow->addWidget(m_unconfirmedText, 1);
    unconfirmedRow->addWidget(m_confirmLimit);
    saving->addRow(m_unconfirmed);
    m_savingForm = saving->form();
    saving->addNote(QStringLiteral("超出条数后会自动删掉最旧的记录及其图片。关闭开关后不再写入任何图片与文字。"));

    PrefsForm::Section* search = addSection(QStringLiteral("搜索"));
    m_indexText = PrefsForm::boolSwitch(QStringLiteral("识别普通截图里的文字（可全文搜索）"),
                                        SettingsKey::indexCaptureText, &Settings::indexCaptureText, search);
    search->addRow(m_indexText);
    search->addNote(QStringLiteral("开启后，普通截图存进历史时会在后台顺手识别一次图里的文字，之后在历史记录的搜索框里就能按截图内容搜到它。"
                                   "识别在截图完成之后才开始，不会让截图变慢；全程本机完成，不联网。"));

    PrefsForm::Section* storage = addSection(QStringLiteral("存储空间"));
    auto* sizeRow = new QHBoxLayout;
    m_size = new QLabel(QStringLiteral("计算中…"), storage);
    PrefsForm::makeSecondary(m_size);
    m_refresh = new QPushButton(QStringLiteral("刷新"), storage);
    connect(m_refresh, &QPushButton::clicked, this, &PrefsHistoryTab::refreshSize);
    sizeRow->addWidget(m_size);
    sizeRow->addStretch(1);
    sizeRow->addWidget(m_refresh);
    storage->addRow(QStringLiteral("已占用："), sizeRow);
    m_clear = new QPushButton(QStringLiteral("清空历史记录和单词本…"), storage);
    PrefsForm::makeDestructive(m_clear);
    connect(m_clear, &QPushButton::clicked, this, [this] {
        if (clearConfirmation() && clearConfirmation()(this)) clearAll();
    });
    auto* clearRow = new QHBoxLayout;
    clearRow->addWidget(m_clear);
    clearRow->addStretch(1);
    storage->addRow(clearRow);
    finish();

    platform::NotificationCenter::shared().observe(HistoryStore::didChangeNotification, this,
                                                   [this](const QVariantMap&) { refreshSize(); });
    connect(&platform::SettingsStore::shared(), &platform::SettingsStore::valueChanged, this,
            [this](const QString& key) {
                if (key == SettingsKey::historyLimit) showStoredLimit();
                if (key == historylimit::kUnconfirmedKey || key == SettingsKey::historyLimit) refreshEnabled();
            });
    refreshEnabled();
}

void PrefsHistoryTab::showStoredLimit()
{
    const int stored = SettingsReading::integer(platform::SettingsStore::shared(), SettingsKey::historyLimit, 300);
    m_limit->setCurrentIndex(m_limit->findData(stored));
}

void PrefsHistoryTab::confirmLimit()
{
    platform::SettingsStore& settings = platform::SettingsStore::shared();
    // Confirming a value that could not be read stores the limit shown in its place.
    if (historylimit::isUnreadable(settings))
        PrefsForm::store(SettingsKey::historyLimit, m_limit->currentIndex() >= 0 ? m_limit->currentData().toInt() : 300);
    historylimit::setConfirmed(settings, true);
}

void PrefsHistoryTab::showEvent(QShowEvent* event)
{
    PrefsForm::Page::showEvent(event);
    refreshSize();
}

void PrefsHistoryTab::refreshEnabled()
{
    const bool on = m_saveHistory->isChecked();
    m_limit->setEnabled(on);
    if (m_limitLabel) m_limitLabel->setEnabled(on);
    m_indexText->setEnabled(on);
    // The whole row goes, with its spacing, while nothing waits for the user.
    const platform::SettingsStore& settings = platform::SettingsStore::shared();
    m_unconfirmedText->setText(historylimit::isUnreadable(settings)
                                   ? QStringLiteral("设置文件中的保留条数无法读取，暂按 300 条显示；确认前不会自动删除旧记录。")
                                   : QStringLiteral("这个条数来自备份或恢复的默认设置，尚未在本机确认；确认前不会自动删除旧记录。"));
    m_savingForm->setRowVisible(m_unconfirmed, !historylimit::isConfirmed(settings));
    m_confirmLimit->setEnabled(on);
}

void PrefsHistoryTab::refreshSize()
{
    QPointer<PrefsHistoryTab> self(this);
    HistoryStore::shared().totalSize([self](qint64 bytes) {
        if (self) self->m_size->setText(formatHistorySize(bytes));
    });
}

void PrefsHistoryTab::clearAll()
{
    // Another running copy holds them: nothing is cleared, and the user hears why.
    if (storefiles::isReadOnlyHere(HistoryStore::shared().directory()) ||
        storefiles::isReadOnlyHere(VocabularyStore::shared().filePath())) {
        CaptureHUDController::shared().show(QStringLiteral("清空失败"),
                                            storefiles::heldByAnotherCopy(QStringLiteral("历史记录和单词本")));
        return;
    }
    HistoryStore::shared().removeAll();
    VocabularyStore::shared().removeAll();
    // Queued behind the removal on the history's queue: it reports the emptied folder.
    refreshSize();
}

}  // namespace klipo
