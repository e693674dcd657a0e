#pragma once

#include "selfcheck/SelfChecks.h"

#include <QStringList>

// With KLIPO_UI_SNAPSHOT_DIR naming a folder, the program draws its floating
// pieces in the dark and the light appearance into "dark/" and "light/"
// there, prints the files it wrote, one a line, lists them in
// "snapshot_list.txt" and ends: with status 0 when all eighteen were written,
// else 1. runIfNeeded() (SelfChecks.h) is the entry.
namespace klipo::UISnapshotSelfTest {

inline constexpr int expectedFileCount = 18;

// The variable is set and not empty.
bool isRequested();

struct Outcome {
    QStringList paths;  // the files written, in order
    int exitStatus = 1;
};

// Draws every piece into `root` (relative to the current folder when it is
// relative), writes the list file and says what was written.
Outcome run(const QString& root);

// 0 when every file was written, 1 otherwise.
int exitStatus(qsizetype written);

// What the check prints and puts in the list file: one path a line.
QByteArray listText(const QStringList& paths);

}  // namespace klipo::UISnapshotSelfTest
