#pragma once

#include "annotation/window/AnnoBarView.h"

#include <functional>

class QLabel;
class QPushButton;

namespace klipo {

// The bottom bar of the annotation window: the key hint on the left, the
// buttons 取消, 复制到剪贴板, 保存文件… and 完成 on the right. 完成 is drawn in
// the highlight colour but is no default button: plain Return never presses it.
class AnnoBottomBar : public AnnoBarView {
public:
    explicit AnnoBottomBar(QWidget* parent = nullptr);

    std::function<void()> onCancel;
    std::function<void()> onCopy;
    std::function<void()> onSave;
    std::function<void()> onDone;

    QLabel* hint() const { return m_hint; }
    QPushButton* cancelButton() const { return m_cancel; }
    QPushButton* copyButton() const { return m_copy; }
    QPushButton* saveButton() const { return m_save; }
    QPushButton* doneButton() const { return m_done; }

protected:
    void changeEvent(QEvent* event) override;

private:
    QPushButton* makeButton(const QString& title, std::function<void()>* action);
    void paintDoneButton();

    QLabel* m_hint = nullptr;
    QPushButton* m_cancel = nullptr;
    QPushButton* m_copy = nullptr;
    QPushButton* m_save = nullptr;
    QPushButton* m_done = nullptr;
};

}  // namespace klipo
