#pragma once

#include "preferences/PrefsSection.h"

#include <QList>
#include <QPointer>
#include <QWidget>

class QScrollArea;
class QTabBar;
class QTabWidget;

namespace klipo {

// Every setting of the program in six sections. In its own window the
// sections are tabs; embedded in the library window they are a segmented bar
// over one scrolling area. Each time a section is shown it is built afresh
// (a switch, for example, reads the login state again), and the section left
// behind is dropped. A new view starts at the general section.
class SettingsView : public QWidget {
    Q_OBJECT
public:
    enum class Form { window, embedded };

    explicit SettingsView(Form form, QWidget* parent = nullptr);

    Form form() const { return m_form; }
    PrefsSection section() const { return m_section; }
    void setSection(PrefsSection section);
    // The content of the section shown now.
    QWidget* content() const { return m_content; }

    // A fresh content view of one section.
    static QWidget* tabContent(PrefsSection section);

Q_SIGNALS:
    void sectionChanged(PrefsSection section);

protected:
    void changeEvent(QEvent* event) override;

private:
    void buildWindowForm();
    void buildEmbeddedForm();
    void showSection(PrefsSection section);
    void paintIcons();

    Form m_form;
    PrefsSection m_section = PrefsSection::general;
    QPointer<QWidget> m_content;
    QTabWidget* m_tabs = nullptr;           // window form
    QList<QScrollArea*> m_pages;            // window form, one per section
    QTabBar* m_bar = nullptr;               // embedded form
    QScrollArea* m_scroll = nullptr;        // embedded form
    QWidget* m_column = nullptr;            // embedded form: holds the content, at most 560 wide
};

}  // namespace klipo
