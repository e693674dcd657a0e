#pragma once

#include "preferences/PrefsForm.h"

#include <QMessageBox>

#include <functional>

class QCheckBox;
class QComboBox;
class QFormLayout;
class QLabel;
class QPushButton;

namespace klipo {

// Whether and how much history is kept, the text recognition of plain
// screenshots for search, the space the history takes, and clearing the
// history together with the vocabulary book.
class PrefsHistoryTab : public PrefsForm::Page {
public:
    explicit PrefsHistoryTab(QWidget* parent = nullptr);

    // Asks whether to clear everything; true to go ahead. Tests replace it;
    // by default a message box with "取消" and "清空".
    static std::function<bool(QWidget* parent)>& clearConfirmation();

    void refreshSize();
    // The user agrees to the history limit shown, which may then trim.
    void confirmLimit();
    // Removes every history record with its images and every word of the book.
    void clearAll();

    QCheckBox* saveHistorySwitch() const { return m_saveHistory; }
    QComboBox* limitPicker() const { return m_limit; }
    QCheckBox* indexTextSwitch() const { return m_indexText; }
    QLabel* sizeLabel() const { return m_size; }
    QPushButton* refreshButton() const { return m_refresh; }
    QPushButton* clearButton() const { return m_clear; }
    QWidget* unconfirmedLimitRow() const { return m_unconfirmed; }
    QPushButton* confirmLimitButton() const { return m_confirmLimit; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void refreshEnabled();
    void showStoredLimit();

    QCheckBox* m_saveHistory;
    QComboBox* m_limit;
    QWidget* m_limitLabel = nullptr;
    QWidget* m_unconfirmed = nullptr;
    QLabel* m_unconfirmedText = nullptr;
    QFormLayout* m_savingForm = nullptr;
    QPushButton* m_confirmLimit = nullptr;
    QCheckBox* m_indexText;
    QLabel* m_size;
    QPushButton* m_refresh;
    QPushButton* m_clear;
};

// A byte count as the history tab shows it: whole kilobytes below a megabyte,
// one decimal for megabytes, two for gigabytes (1000 bytes to the kilobyte, as
// file managers count); never in bytes.
QString formatHistorySize(qint64 bytes);

}  // namespace klipo
