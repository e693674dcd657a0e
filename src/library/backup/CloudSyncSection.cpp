#include "library/backup/CloudSyncSection.h"

#include "library/backup/BackupFolderChooser.h"
#include "library/backup/InfoRow.h"
#include "library/backup/SyncButton.h"
#include "library/widgets/BusyIndicator.h"
#include "library/widgets/LibraryStyle.h"
#include "platform/SettingsStore.h"
#include "stores/CloudFolder.h"
#include "stores/CloudSync.h"

#include <QCheckBox>
#include <QEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace klipo {

namespace {
constexpr int kSpacing = 20;
constexpr int kSidePadding = 24;
constexpr int kButtonsTop = 26;
constexpr int kButtonGap = 60;
constexpr int kStatusWidth = 420;
constexpr int kStatusSpacing = 8;
constexpr int kLabelWidth = 80;
constexpr int kNoteTop = 4;
constexpr int kBottomSpace = 20;
}  // namespace

CloudSyncSection::CloudSyncSection(CloudSync& cloud, BackupFolderChooser& chooser, QWidget* parent)
    : QWidget(parent),
      m_cloud(cloud),
      m_chooser(chooser),
      m_autoSync(cloud.autoSyncEnabled()),
      m_upload(new SyncButton(libraryicons::Symbol::cloudUpload, QStringLiteral("上传到备份文件夹"))),
      m_download(new SyncButton(libraryicons::Symbol::cloudDownload, QStringLiteral("从备份文件夹同步"))),
      m_status(new InfoRow(QStringLiteral("备份状态："))),
      m_autoSyncRow(new InfoRow(QStringLiteral("自动同步："))),
      m_folder(new InfoRow(QStringLiteral("备份文件夹："), InfoRow::Kind::path)),
      m_changeFolder(new QPushButton(QStringLiteral("更改…"))),
      m_switch(new QCheckBox(QStringLiteral("自动同步（数据变化后自动备份到备份文件夹）"))),
      m_spinner(new BusyIndicator(16)),
      m_note(new QLabel(QStringLiteral("同步内容：历史记录的文字、单词本、偏好设置。\n"
                                       "截图图片仅保存在本机，不会占用备份文件夹的空间。")))
{
    auto* scroll = new QScrollArea;
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setWidget(buildContent());
    scroll->viewport()->setBackgroundRole(QPalette::Window);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scroll);

    // The switch shows the stored setting without telling the service: only
    // the user's move of it goes there.
    m_switch->setChecked(m_autoSync);
    connect(m_switch, &QCheckBox::toggled, this, &CloudSyncSection::switchMoved);
    connect(m_upload, &QAbstractButton::clicked, this, [this] { m_cloud.startUpload(false); });
    connect(m_download, &QAbstractButton::clicked, this, [this] { m_cloud.download(); });
    connect(m_changeFolder, &QPushButton::clicked, this, &CloudSyncSection::chooseFolder);
    connect(&m_cloud, &CloudSync::changed, this, &CloudSyncSection::refresh);
    // Another copy of the program switched automatic backup or chose another folder.
    connect(&platform::SettingsStore::shared(), &platform::SettingsStore::valueChanged, this,
            [this](const QString& key) {
                if (key == CloudSync::autoSyncKey) followStoredSwitch();
                if (key == cloudfolder::kFolderKey) m_cloud.refreshAvailability();
                if (key == CloudSync::autoSyncKey || key == cloudfolder::kFolderKey) refresh();
            });
    applyStyle();
    refresh();
}

QWidget* CloudSyncSection::buildContent()
{
    auto* content = new QWidget;
    auto* stack = new QVBoxLayout(content);
    stack->setContentsMargins(kSidePadding, 0, kSidePadding, 0);
    stack->setSpacing(kSpacing);

    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(0, kButtonsTop, 0, 0);
    buttons->setSpacing(kButtonGap);
    buttons->addStretch(1);
    buttons->addWidget(m_upload);
    buttons->addWidget(m_download);
    buttons->addStretch(1);
    stack->addLayout(buttons);

    auto* status = new QWidget;
    // The window is never narrower than this block and its margins.
    status->setFixedWidth(kStatusWidth);
    auto* rows = new QVBoxLayout(status);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(kStatusSpacing);
    m_folder->addTrailing(m_changeFolder);
    int labelWidth = kLabelWidth;
    for (InfoRow* row : {m_status, m_autoSyncRow, m_folder}) {
        rows->addWidget(row);
        labelWidth = qMax(labelWidth, row->labelWidthHint());
    }
    for (InfoRow* row : {m_status, m_autoSyncRow, m_folder}) row->setLabelWidth(labelWidth);
    // Centred between stretches, not by an alignment: an aligned item is
    // asked its height for the whole width of the stack, where a wrapping
    // status still fits on one line, and would then be cut to that height.
    auto* centred = new QHBoxLayout;
    centred->addStretch(1);
    centred->addWidget(status);
    centred->addStretch(1);
    stack->addLayout(centred);

    stack->addWidget(m_switch, 0, Qt::AlignHCenter);
    stack->addWidget(m_spinner, 0, Qt::AlignHCenter);

    m_note->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_note->setWordWrap(true);
    m_note->setContentsMargins(0, kNoteTop, 0, 0);
    stack->addWidget(m_note);
    stack->addSpacing(kBottomSpace);
    stack->addStretch(1);
    return content;
}

void CloudSyncSection::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    m_cloud.refreshAvailability();
    refresh();
}

void CloudSyncSection::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::FontChange) applyStyle();
}

void CloudSyncSection::applyStyle()
{
    m_switch->setFont(librarystyle::callout(font()));
    m_changeFolder->setFont(librarystyle::callout(font()));
    m_note->setFont(librarystyle::caption(font()));
    QPalette notePalette = m_note->palette();
    notePalette.setColor(QPalette::WindowText, librarystyle::secondary(palette()));
    m_note->setPalette(notePalette);
}

void CloudSyncSection::refresh()
{
    const bool available = m_cloud.isAvailable();
    const bool busy = m_cloud.isBusy();
    for (SyncButton* button : {m_upload, m_download}) {
        button->setEnabled(available && !busy);
        button->setFolderAvailable(available);
    }
    m_switch->setEnabled(available);
    // A folder changed in the middle of a transfer would not be the one the
    // transfer's result speaks of.
    m_changeFolder->setEnabled(!busy);
    m_spinner->setVisible(busy);

    m_status->setValue(m_cloud.statusText(), available);
    QString autoText = QStringLiteral("已关闭（仅手动上传）");
    if (m_autoSync) {
        const std::optional<QDateTime> last = m_cloud.lastBackupDate();
        autoText = QStringLiteral("自动同步已开启 · 上次备份 ") +
                   (last ? CloudSync::chineseDateText(*last) : QStringLiteral("尚未备份"));
    }
    m_autoSyncRow->setValue(autoText, m_autoSync);
    m_folder->setValue(m_cloud.backupFolder(), false);
}

void CloudSyncSection::followStoredSwitch()
{
    m_autoSync = m_cloud.autoSyncEnabled();
    const QSignalBlocker quiet(m_switch);  // the service reads the setting itself
    m_switch->setChecked(m_autoSync);
}

void CloudSyncSection::switchMoved(bool enabled)
{
    m_autoSync = enabled;
    m_cloud.setAutoSync(enabled);
    refresh();
}

void CloudSyncSection::chooseFolder()
{
    const std::optional<QString> picked = m_chooser.choose(window(), m_cloud.backupFolder());
    if (!picked || picked->trimmed().isEmpty()) return;
    // The dialog gives an absolute path; anything else is taken from here.
    m_cloud.setBackupFolder(QFileInfo(*picked).absoluteFilePath());
    refresh();
}

}  // namespace klipo
