#pragma once

#include <QIcon>
#include <QString>

// The program's own icon: in every title bar and task bar (set as the
// application's window icon), in the about section, and in the desktop
// entries the program writes. Main thread.
namespace klipo::platform::ProgramIcon {

// The icon at the usual sizes, drawn from its SVG in the resources.
QIcon icon();

// The icon's name in the desktop's icon theme, as desktop entries name it.
QString themeName();

// Where installForDesktop() puts it: the user's own icon theme folder
// ($XDG_DATA_HOME/icons/hicolor/scalable/apps).
QString installedPath();

// Puts the SVG there (again only when it differs), so that a desktop entry
// naming themeName() shows it. Empty on success, else why not (Chinese).
QString installForDesktop();

}  // namespace klipo::platform::ProgramIcon
