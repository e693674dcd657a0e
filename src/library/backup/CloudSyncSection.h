#pragma once

#include <QWidget>

class QCheckBox;
class QLabel;
class QPushButton;

namespace klipo {

class BackupFolderChooser;
class BusyIndicator;
class CloudSync;
class InfoRow;
class SyncButton;

// The backup section of the library window: buttons to back up now and to
// bring the backups in, the service's status, the backup folder with a way
// to change it, the switch for automatic backup and a spinner while the
// service works. It shows what the service publishes and hands each action
// to it; the switch mirrors the stored setting (also when another copy of the
// program changes it) and only the user's move of it goes to the service.
class CloudSyncSection : public QWidget {
    Q_OBJECT
public:
    CloudSyncSection(CloudSync& cloud, BackupFolderChooser& chooser, QWidget* parent = nullptr);

    // For tests: the parts as they are now.
    SyncButton* uploadButton() const { return m_upload; }
    SyncButton* downloadButton() const { return m_download; }
    QCheckBox* autoSyncSwitch() const { return m_switch; }
    QPushButton* changeFolderButton() const { return m_changeFolder; }
    InfoRow* statusRow() const { return m_status; }
    InfoRow* autoSyncRow() const { return m_autoSyncRow; }
    InfoRow* folderRow() const { return m_folder; }
    BusyIndicator* spinner() const { return m_spinner; }

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QWidget* buildContent();
    void refresh();
    void applyStyle();
    void chooseFolder();
    void switchMoved(bool enabled);
    void followStoredSwitch();

    CloudSync& m_cloud;
    BackupFolderChooser& m_chooser;
    bool m_autoSync;
    SyncButton* m_upload;
    SyncButton* m_download;
    InfoRow* m_status;
    InfoRow* m_autoSyncRow;
    InfoRow* m_folder;
    QPushButton* m_changeFolder;
    QCheckBox* m_switch;
    BusyIndicator* m_spinner;
    QLabel* m_note;
};

}  // namespace klipo
