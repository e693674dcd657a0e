#pragma once

#include "preferences/PrefsForm.h"

#include <QString>

#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QToolButton;

namespace klipo {
class ElidedLabel;
}

namespace klipo {

// Everything the capture paths read: the translation target, where and how
// plain screenshots are saved, what follows a capture, the overlay's hints,
// the pointer and scale of plain screenshots, and the top band that scrolling
// capture cuts off.
class PrefsCaptureTab : public PrefsForm::Page {
public:
    explicit PrefsCaptureTab(QWidget* parent = nullptr);
    ~PrefsCaptureTab() override;

    // Asks for the capture folder, starting in `startFolder`; empty when the
    // user cancels. Tests replace it; by default a folder dialog.
    static std::function<QString(QWidget* parent, const QString& startFolder)>& folderChooser();

    // Runs the folder chooser and stores the chosen folder.
    void chooseDirectory();

    QComboBox* targetLanguagePicker() const { return m_target; }
    QCheckBox* autoSaveSwitch() const { return m_autoSave; }
    ElidedLabel* directoryLabel() const { return m_directoryName; }
    QPushButton* changeDirectoryButton() const { return m_changeDirectory; }
    QPushButton* openDirectoryButton() const { return m_openDirectory; }
    QComboBox* formatPicker() const { return m_format; }
    QLineEdit* templateField() const { return m_template; }
    QToolButton* presetMenuButton() const { return m_presets; }
    QLabel* previewLabel() const { return m_preview; }
    QCheckBox* copySwitch() const { return m_copy; }
    QCheckBox* hudSwitch() const { return m_hud; }
    QCheckBox* notificationSwitch() const { return m_notification; }
    QCheckBox* soundSwitch() const { return m_sound; }
    QComboBox* soundPicker() const { return m_soundName; }
    QPushButton* soundTryButton() const { return m_trySound; }
    QComboBox* afterActionPicker() const { return m_afterAction; }
    QCheckBox* hintPanelSwitch() const { return m_hintPanel; }
    QCheckBox* cursorSwitch() const { return m_cursor; }
    QCheckBox* scaleSwitch() const { return m_scale; }
    QSpinBox* cropTopBox() const { return m_cropTop; }

protected:
    void hideEvent(QHideEvent* event) override;

private:
    void buildTranslation();
    void buildSaving();
    void buildCompletion();
    void buildPicture();
    void buildScrolling();
    void refreshPreview();
    void refreshSavingEnabled();
    void refreshSoundEnabled();
    // An empty template (blanks only) is set back to the default as the tab goes.
    void repairEmptyTemplate();

    QComboBox* m_target = nullptr;
    QCheckBox* m_autoSave = nullptr;
    QList<QWidget*> m_savingRows;  // disabled while saving is off
    ElidedLabel* m_directoryName = nullptr;
    QPushButton* m_changeDirectory = nullptr;
    QPushButton* m_openDirectory = nullptr;
    QComboBox* m_format = nullptr;
    QLineEdit* m_template = nullptr;
    QToolButton* m_presets = nullptr;
    QLabel* m_preview = nullptr;
    QCheckBox* m_copy = nullptr;
    QCheckBox* m_hud = nullptr;
    QCheckBox* m_notification = nullptr;
    QCheckBox* m_sound = nullptr;
    QComboBox* m_soundName = nullptr;
    QPushButton* m_trySound = nullptr;
    QComboBox* m_afterAction = nullptr;
    QCheckBox* m_hintPanel = nullptr;
    QCheckBox* m_cursor = nullptr;
    QCheckBox* m_scale = nullptr;
    QSpinBox* m_cropTop = nullptr;
};

}  // namespace klipo
