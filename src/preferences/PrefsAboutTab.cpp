#include "preferences/PrefsAboutTab.h"

#include "platform/ProgramIcon.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#ifndef KLIPO_BUILD_NUMBER
#define KLIPO_BUILD_NUMBER ""
#endif

namespace klipo {

std::function<void()>& PrefsAboutTab::updateCheck()
{
    static std::function<void()> check;
    return check;
}

QUrl PrefsAboutTab::websiteUrl()
{
    static const QUrl url(QStringLiteral("https://klipoversa.io"));
    return url;
}

QString PrefsAboutTab::versionText(const QString& shortVersion, const QString& build)
{
    return QStringLiteral("版本 %1（%2）")
        .arg(shortVersion.isEmpty() ? QStringLiteral("1.0") : shortVersion,
             build.isEmpty() ? QStringLiteral("1") : build);
}

QString PrefsAboutTab::versionText()
{
    return versionText(QCoreApplication::applicationVersion(), QStringLiteral(KLIPO_BUILD_NUMBER));
}

QString PrefsAboutTab::privacyText()
{
    return QStringLiteral("本应用不联网上传任何内容：\n"
                          "· 文字识别用 Tesseract，在这台电脑上完成\n"
                          "· 翻译用 Apertium，语言包安装后离线可用\n"
                          "· 截图、历史记录、单词本只保存在这台电脑上\n"
                          "· 备份默认开启，只把文字记录和单词本写进本机的备份文件夹，不含图片；"
                          "是否同步到网上由你自己的同步软件决定\n"
                          "· 应用仅在检查更新时访问官网，不携带任何个人信息");
}

PrefsAboutTab::PrefsAboutTab(QWidget* parent) : PrefsForm::Page(parent)
{
    PrefsForm::Section* identity = addSection();
    auto* row = new QHBoxLayout;
    row->setSpacing(14);
    row->setContentsMargins(0, 4, 0, 4);
    m_icon = new QLabel(identity);
    m_icon->setFixedSize(64, 64);
    m_icon->setPixmap(platform::ProgramIcon::icon().pixmap(QSize(64, 64), devicePixelRatioF()));
    row->addWidget(m_icon);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(4);
    auto* name = new QLabel(QStringLiteral("KlipoVersa"), identity);
    QFont title = name->font();
    title.setBold(true);
    if (title.pointSizeF() > 0) title.setPointSizeF(title.pointSizeF() * 1.35);
    name->setFont(title);
    m_version = PrefsForm::note(versionText(), identity);
    texts->addWidget(name);
    texts->addWidget(m_version);
    texts->addWidget(PrefsForm::note(QStringLiteral("截图即翻译，识别与翻译全部在本机完成。"), identity));
    row->addLayout(texts, 1);
    identity->addRow(row);

    PrefsForm::Section* links = addSection();
    m_update = new QPushButton(QStringLiteral("检查更新…"), links);
    connect(m_update, &QPushButton::clicked, this, [] {
        if (updateCheck()) updateCheck()();
    });
    auto* updateRow = new QHBoxLayout;
    updateRow->addWidget(m_update);
    updateRow->addStretch(1);
    links->addRow(updateRow);
    auto* site = new QLabel(QStringLiteral("<a href=\"%1\">访问官网</a>").arg(websiteUrl().toString()), links);
    site->setTextFormat(Qt::RichText);
    site->setOpenExternalLinks(false);
    connect(site, &QLabel::linkActivated, this, [](const QString& link) { QDesktopServices::openUrl(QUrl(link)); });
    links->addRow(site);

    PrefsForm::Section* privacy = addSection(QStringLiteral("隐私"));
    m_privacy = privacy->addNote(privacyText());
    m_privacy->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    finish();
}

}  // namespace klipo
