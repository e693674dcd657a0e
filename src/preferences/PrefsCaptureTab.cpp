#include "preferences/PrefsCaptureTab.h"

#include "app/PrefsCaptureFeedback.h"
#include "app/PrefsFileNameTemplate.h"
#include "app/PrefsSoundOption.h"
#include "app/Settings.h"
#include "app/SettingsKeys.h"
#include "app/SettingsReading.h"
#include "platform/DesktopNotifier.h"
#include "platform/FileDialogs.h"
#include "platform/PlatformServices.h"
#include "platform/SettingsStore.h"
#include "preferences/ElidedLabel.h"
#include "preferences/PrefsSoundChoices.h"
#include "preferences/PrefsTargetLanguages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

namespace klipo {

namespace {

constexpr int kCropMax = 2000;
constexpr int kCropStep = 10;

const QLatin1String kScrollCropTop("scrollCropTop");

QString afterActionTitle(PrefsAfterCaptureAction action)
{
    switch (action) {
    case PrefsAfterCaptureAction::none: return QStringLiteral("不做额外操作");
    case PrefsAfterCaptureAction::revealInFinder: return QStringLiteral("在文件管理器中显示");
    case PrefsAfterCaptureAction::openInPreview: break;
    }
    return QStringLiteral("用默认看图程序打开");
}

// The stored template as typed: absent gives the default, an empty string stays empty.
QString storedTemplate()
{
    const QJsonValue v = platform::SettingsStore::shared().value(SettingsKey::captureFileNameTemplate);
    return v.isString() ? v.toString() : PrefsFileNameTemplate::defaultTemplate();
}

QString runFolderDialog(QWidget* parent, const QString& startFolder)
{
    QFileDialog dialog(parent, QStringLiteral("选择截图的保存位置"), startFolder);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    dialog.setLabelText(QFileDialog::Accept, QStringLiteral("选择"));
    platform::localizeFileDialog(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().first();
}

QHBoxLayout* row(int spacing = 6)
{
    auto* layout = new QHBoxLayout;
    layout->setSpacing(spacing);
    return layout;
}

}  // namespace

std::function<QString(QWidget*, const QString&)>& PrefsCaptureTab::folderChooser()
{
    static std::function<QString(QWidget*, const QString&)> chooser = runFolderDialog;
    return chooser;
}

PrefsCaptureTab::PrefsCaptureTab(QWidget* parent) : PrefsForm::Page(parent)
{
    buildTranslation();
    buildSaving();
    buildCompletion();
    buildPicture();
    buildScrolling();
    finish();
    refreshSavingEnabled();
    refreshSoundEnabled();
    refreshPreview();
}

PrefsCaptureTab::~PrefsCaptureTab() { repairEmptyTemplate(); }

void PrefsCaptureTab::buildTranslation()
{
    PrefsForm::Section* section = addSection(QStringLiteral("翻译"));
    m_target = new QComboBox(section);
    for (const PrefsTargetLanguages::Choice& choice : PrefsTargetLanguages::installedChoices())
        m_target->addItem(choice.label(), choice.code);
    // A stored code that is not offered leaves the picker without a selection.
    m_target->setCurrentIndex(m_target->findData(Settings::targetLanguage()));
    connect(m_target, &QComboBox::activated, this,
            [this](int index) { PrefsForm::store(SettingsKey::targetLanguage, m_target->itemData(index).toString()); });
    PrefsForm::follow(m_target, {SettingsKey::targetLanguage},
                      [this] { m_target->setCurrentIndex(m_target->findData(Settings::targetLanguage())); });
    section->addRow(QStringLiteral("目标语言："), m_target);
}

void PrefsCaptureTab::buildSaving()
{
    PrefsForm::Section* section = addSection(QStringLiteral("保存"));
    m_autoSave = PrefsForm::boolSwitch(QStringLiteral("自动保存到文件夹"), SettingsKey::autoSaveCapture,
                                       &Settings::autoSaveCapture, section);
    connect(m_autoSave, &QCheckBox::toggled, this, &PrefsCaptureTab::refreshSavingEnabled);
    section->addRow(m_autoSave);

    auto* folderRow = row();
    m_directoryName = new ElidedLabel(Settings::plainCaptureDirectoryDisplayName(), section);
    PrefsForm::makeSecondary(m_directoryName);
    m_changeDirectory = new QPushButton(QStringLiteral("更改…"), section);
    m_openDirectory = new QPushButton(QStringLiteral("打开"), section);
    connect(m_changeDirectory, &QPushButton::clicked, this, &PrefsCaptureTab::chooseDirectory);
    connect(m_openDirectory, &QPushButton::clicked, this, [] {
        if (platform::FileViewer* files = platform::services().files) files->open(Settings::plainCaptureDirectory());
    });
    folderRow->addWidget(m_directoryName, 1);
    folderRow->addWidget(m_changeDirectory);
    folderRow->addWidget(m_openDirectory);
    PrefsForm::follow(m_directoryName, {SettingsKey::plainCaptureDirectory},
                      [this] { m_directoryName->setText(Settings::plainCaptureDirectoryDisplayName()); });
    section->addRow(QStringLiteral("保存位置："), folderRow);

    m_format = new QComboBox(section);
    m_format->addItem(QStringLiteral("PNG（无损）"), rawValue(CaptureFileFormat::png));
    m_format->addItem(QStringLiteral("JPG（体积更小）"), rawValue(CaptureFileFormat::jpeg));
    m_format->setCurrentIndex(Settings::plainCaptureFormat() == CaptureFileFormat::jpeg ? 1 : 0);
    connect(m_format, &QComboBox::activated, this, [this](int index) {
        PrefsForm::store(SettingsKey::plainCaptureFormat, m_format->itemData(index).toString());
        refreshPreview();
    });
    PrefsForm::follow(m_format, {SettingsKey::plainCaptureFormat}, [this] {
        m_format->setCurrentIndex(Settings::plainCaptureFormat() == CaptureFileFormat::jpeg ? 1 : 0);
        refreshPreview();
    });
    section->addRow(QStringLiteral("文件格式："), m_format);

    auto* templateRow = row();
    m_template = new QLineEdit(storedTemplate(), section);
    m_template->setMinimumWidth(180);
    connect(m_template, &QLineEdit::textEdited, this, [this](const QString& text) {
        PrefsForm::store(SettingsKey::captureFileNameTemplate, text);
        refreshPreview();
    });
    m_presets = new QToolButton(section);
    m_presets->setText(QStringLiteral("常用"));
    m_presets->setFixedWidth(60);
    m_presets->setPopupMode(QToolButton::InstantPopup);
    m_presets->setAutoRaise(true);
    auto* menu = new QMenu(m_presets);
    for (const PrefsFileNameTemplate::Preset& preset : PrefsFileNameTemplate::presets()) {
        menu->addAction(preset.example, this, [this, pattern = preset.pattern] {
            m_template->setText(pattern);
            PrefsForm::store(SettingsKey::captureFileNameTemplate, pattern);
            refreshPreview();
        });
    }
    m_presets->setMenu(menu);
    templateRow->addWidget(m_template, 1);
    templateRow->addWidget(m_presets);
    PrefsForm::follow(m_template, {SettingsKey::captureFileNameTemplate}, [this] {
        // What is typed here comes back the same: the cursor stays where it is.
        if (m_template->text() != storedTemplate()) m_template->setText(storedTemplate());
        refreshPreview();
    });
    section->addRow(QStringLiteral("文件名模板："), templateRow);

    auto* examples = new QVBoxLayout;
    examples->setSpacing(3);
    m_preview = PrefsForm::note(QString(), section);
    m_preview->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* legend = PrefsForm::note(
        QStringLiteral("%Y 年 · %m 月 · %d 日 · %H 时 · %M 分 · %S 秒 · %F 日期 · %T 时间 · %% 百分号"), section);
    QFont smaller = legend->font();
    if (smaller.pointSizeF() > 0) smaller.setPointSizeF(smaller.pointSizeF() * 0.92);
    legend->setFont(smaller);
    examples->addWidget(m_preview);
    examples->addWidget(legend);
    section->addRow(examples);

    QFormLayout* form = section->form();
    for (QWidget* field : {static_cast<QWidget*>(m_directoryName->parentWidget()), static_cast<QWidget*>(m_format),
                           static_cast<QWidget*>(m_template->parentWidget()),
                           static_cast<QWidget*>(m_preview->parentWidget())}) {
        m_savingRows.append(field);
        if (QWidget* label = form->labelForField(field)) m_savingRows.append(label);
    }
}

void PrefsCaptureTab::buildCompletion()
{
    PrefsForm::Section* section = addSection(QStringLiteral("完成后"));
    m_copy = PrefsForm::boolSwitch(QStringLiteral("复制到剪贴板"), SettingsKey::plainCaptureCopyToClipboard,
                                   &Settings::plainCaptureCopyToClipboard, section);
    section->addRow(m_copy);
    m_hud = PrefsForm::boolSwitch(QStringLiteral("显示右下角悬浮提示"), SettingsKey::plainCaptureShowHUD,
                                  &Settings::plainCaptureShowHUD, section);
    section->addRow(m_hud);
    m_notification = PrefsForm::boolSwitch(QStringLiteral("发送系统通知"), SettingsKey::captureShowNotification,
                                           &Settings::captureShowNotification, section);
    connect(m_notification, &QCheckBox::toggled, this, [](bool on) {
        if (on) PrefsCaptureFeedback::requestNotificationAuthorization();
    });
    section->addRow(m_notification);

    auto* soundRow = row(8);
    m_sound = PrefsForm::boolSwitch(QStringLiteral("播放提示音"), SettingsKey::captureSoundEnabled,
                                    &Settings::captureSoundEnabled, section);
    connect(m_sound, &QCheckBox::toggled, this, &PrefsCaptureTab::refreshSoundEnabled);
    m_soundName = new QComboBox(section);
    m_soundName->setFixedWidth(130);
    for (const QString& name : PrefsSoundOption::names()) m_soundName->addItem(PrefsSoundChoices::title(name), name);
    m_soundName->setCurrentIndex(m_soundName->findData(Settings::captureSoundName()));
    connect(m_soundName, &QComboBox::activated, this, [this](int index) {
        PrefsForm::store(SettingsKey::captureSoundName, m_soundName->itemData(index).toString());
    });
    PrefsForm::follow(m_soundName, {SettingsKey::captureSoundName},
                      [this] { m_soundName->setCurrentIndex(m_soundName->findData(Settings::captureSoundName())); });
    m_trySound = new QPushButton(QStringLiteral("试听"), section);
    connect(m_trySound, &QPushButton::clicked, this, [] {
        // Nothing to hear without a sound server; that is no error worth a message.
        if (platform::SoundPlayer* sounds = platform::services().sounds) sounds->play(Settings::captureSoundName());
    });
    soundRow->addWidget(m_sound);
    soundRow->addWidget(m_soundName);
    soundRow->addWidget(m_trySound);
    soundRow->addStretch(1);
    section->addRow(soundRow);

    m_afterAction = new QComboBox(section);
    for (PrefsAfterCaptureAction action : allCases<PrefsAfterCaptureAction>())
        m_afterAction->addItem(afterActionTitle(action), rawValue(action));
    m_afterAction->setCurrentIndex(int(allCases<PrefsAfterCaptureAction>().indexOf(Settings::captureAfterAction())));
    connect(m_afterAction, &QComboBox::activated, this, [this](int index) {
        PrefsForm::store(SettingsKey::captureAfterAction, m_afterAction->itemData(index).toString());
    });
    PrefsForm::follow(m_afterAction, {SettingsKey::captureAfterAction}, [this] {
        m_afterAction->setCurrentIndex(int(allCases<PrefsAfterCaptureAction>().indexOf(Settings::captureAfterAction())));
    });
    section->addRow(QStringLiteral("截图后行为："), m_afterAction);
    m_savingRows.append(m_afterAction);
    if (QWidget* label = section->form()->labelForField(m_afterAction)) m_savingRows.append(label);
}

void PrefsCaptureTab::buildPicture()
{
    PrefsForm::Section* section = addSection(QStringLiteral("画面"));
    m_hintPanel = PrefsForm::boolSwitch(QStringLiteral("截图时显示快捷键提示"), SettingsKey::selShowHintPanel,
                                        &Settings::selShowHintPanel, section);
    section->addRow(m_hintPanel);
    m_cursor = PrefsForm::boolSwitch(QStringLiteral("捕获鼠标指针"), SettingsKey::captureIncludeCursor,
                                     &Settings::captureIncludeCursor, section);
    section->addRow(m_cursor);
    m_scale = PrefsForm::boolSwitch(QStringLiteral("高分屏截图缩小到 1x（体积更小）"),
                                    SettingsKey::captureScaleRetinaTo1x, &Settings::captureScaleRetinaTo1x, section);
    section->addRow(m_scale);
    section->addNote(QStringLiteral("这两项作用于「普通截图」；截图翻译为保证识别精度，始终使用原始分辨率、不含指针。"));
}

void PrefsCaptureTab::buildScrolling()
{
    PrefsForm::Section* section = addSection(QStringLiteral("滚动长截图"));
    auto* cropRow = row();
    cropRow->addWidget(new QLabel(QStringLiteral("滚动截图时裁除顶部固定区域："), section));
    m_cropTop = new QSpinBox(section);
    m_cropTop->setRange(0, kCropMax);
    m_cropTop->setSingleStep(kCropStep);
    m_cropTop->setFixedWidth(80);
    const auto storedCropTop = [] {
        return qBound(0, SettingsReading::integer(platform::SettingsStore::shared(), kScrollCropTop, 0), kCropMax);
    };
    m_cropTop->setValue(storedCropTop());
    connect(m_cropTop, &QSpinBox::valueChanged, this, [](int value) { PrefsForm::store(kScrollCropTop, value); });
    PrefsForm::follow(m_cropTop, {kScrollCropTop}, [this, storedCropTop] {
        const QSignalBlocker quiet(m_cropTop);  // taken in, not written back
        m_cropTop->setValue(storedCropTop());
    });
    cropRow->addWidget(m_cropTop);
    auto* unit = new QLabel(QStringLiteral("点"), section);
    PrefsForm::makeSecondary(unit);
    cropRow->addWidget(unit);
    cropRow->addStretch(1);
    section->addRow(cropRow);
    section->addNote(QStringLiteral(
        "网页 / 表格有吸顶表头时，把表头高度填进来，拼出的长图就不会出现表头重影；0 表示不裁。"));
}

void PrefsCaptureTab::chooseDirectory()
{
    const QString chosen = folderChooser() ? folderChooser()(this, Settings::plainCaptureDirectory()) : QString();
    if (chosen.isEmpty()) return;
    PrefsForm::store(SettingsKey::plainCaptureDirectory, chosen);
    m_directoryName->setText(Settings::plainCaptureDirectoryDisplayName());
}

void PrefsCaptureTab::refreshPreview()
{
    const QString pattern = storedTemplate();
    m_preview->setText(QStringLiteral("效果预览：") +
                       PrefsFileNameTemplate::preview(pattern, Settings::plainCaptureFormat(),
                                                      QDateTime::currentDateTime()));
    if (pattern.isEmpty()) {
        PrefsForm::setTextColor(m_preview, PrefsForm::warningColor());
        m_preview->setForegroundRole(QPalette::WindowText);
    } else {
        m_preview->setPalette(QPalette());
        PrefsForm::makeSecondary(m_preview);
    }
}

void PrefsCaptureTab::refreshSavingEnabled()
{
    const bool on = m_autoSave->isChecked();
    for (QWidget* widget : m_savingRows) widget->setEnabled(on);
}

void PrefsCaptureTab::refreshSoundEnabled()
{
    m_soundName->setEnabled(m_sound->isChecked());
    m_trySound->setEnabled(m_sound->isChecked());
}

void PrefsCaptureTab::repairEmptyTemplate()
{
    const QJsonValue v = platform::SettingsStore::shared().value(SettingsKey::captureFileNameTemplate);
    if (!v.isString()) return;
    const QString text = v.toString();
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && (text[start] == QLatin1Char(' ') || text[start] == QLatin1Char('\t'))) ++start;
    while (end > start && (text[end - 1] == QLatin1Char(' ') || text[end - 1] == QLatin1Char('\t'))) --end;
    if (start < end) return;
    PrefsForm::store(SettingsKey::captureFileNameTemplate, PrefsFileNameTemplate::defaultTemplate());
    if (m_template) m_template->setText(PrefsFileNameTemplate::defaultTemplate());
}

void PrefsCaptureTab::hideEvent(QHideEvent* event)
{
    PrefsForm::Page::hideEvent(event);
    repairEmptyTemplate();
    refreshPreview();
}

}  // namespace klipo
