#pragma once

#include <QString>

#include <functional>

// The hidden temporary files that safefile::writeFile leaves behind when the
// process is killed between making one and renaming it over its name: each
// one a whole copy of the file being written, which nothing else would ever
// remove.
//
// Their names carry the program's mark: "." + fileName + ".klipoversa-" + six
// letters or digits, a name no file of the user's has. Earlier copies of the
// program wrote "." + fileName + "." + six letters or digits, which other
// programs' temporaries (rsync's, for one) also look like.
namespace klipo::platform::safefile {

// The mkostemp() template for the temporary file of a write of `fileName`.
QString temporaryTemplateFor(const QString& fileName);

struct Temporary {
    QString target;       // the file it is a temporary of; empty: not named like one
    bool marked = false;  // named with the program's mark, not the earlier way
};
// What `entryName` is a temporary file of, if it is named like one.
Temporary temporaryTarget(const QString& entryName);

// Removes from `folder` (its own entries only, not those of subfolders) the
// leftover temporary files whose target `isOwn` accepts: regular files of this
// user's, not links, with one name only, that no running program has open.
// Those named the earlier way go only from a folder of the program's own: in
// a linked one (ownfolders::isLinked) only marked ones are taken. Returns how
// many were removed.
int removeLeftoverTemporaries(const QString& folder, const std::function<bool(const QString& target)>& isOwn);

}  // namespace klipo::platform::safefile
