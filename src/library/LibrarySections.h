#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace klipo {

// The four sections of the library window, in the order of its switch.
enum class LibrarySection { history = 0, vocabulary = 1, backup = 2, settings = 3 };

// The section of a switch position: any value but 0, 1 and 2 is the settings.
LibrarySection librarySection(int value);

// What each section shows. The content is built anew each time its section is
// chosen, so its own state (search word, grid or list, chosen list) starts
// over; the stores keep the data.
namespace librarysections {

using Factory = std::function<QWidget*()>;

// The text of the section's segment: "历史记录", "高频单词", "云同步", "设置".
QString title(LibrarySection section);

// Replaces what a section shows. The shell plugs in the backup controls and
// the embedded preferences here; without them their sections say they are
// not there. An empty factory restores the default.
void setFactory(LibrarySection section, Factory factory);

// A new content widget for the section (the caller owns it).
QWidget* build(LibrarySection section);

}  // namespace librarysections

}  // namespace klipo
