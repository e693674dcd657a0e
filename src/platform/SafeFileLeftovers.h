#pragma once

#include <QString>

#include <functional>

// The hidden temporary files that safefile::writeFile leaves behind when the
// process is killed between making one and renaming it over its name: each
// one a whole copy of the file being written, which nothing else would ever
// remove.
namespace klipo::platform::safefile {

// The name writeFile gives the temporary file of a write of `fileName`:
// "." + fileName + "." + six letters or digits.
QString temporaryTemplateFor(const QString& fileName);

// The file name that `entryName` is a temporary file of, or an empty string
// when it is not named like one.
QString temporaryTarget(const QString& entryName);

// Removes from `folder` (its own entries only, not those of subfolders) the
// leftover temporary files whose target `isOwn` accepts: regular files of this
// user's, not links, with one name only, that no running program has open.
// Returns how many were removed.
int removeLeftoverTemporaries(const QString& folder, const std::function<bool(const QString& target)>& isOwn);

}  // namespace klipo::platform::safefile
