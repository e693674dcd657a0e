#pragma once

#include <QString>

namespace klipo::platform {

struct MoveResult {
    enum class Status { moved, destinationExists, failed };
    Status status = Status::failed;
    int errorNumber = 0;  // errno when failed
    bool copied = false;  // moved across file systems by copying

    bool ok() const { return status == Status::moved; }
};

// Moves the file `from` to `to` and never replaces a file at `to` (a file that
// appears there meanwhile included). Within one file system it is a rename;
// across file systems the data is copied, flushed to the disk, and only then
// is `from` removed. On any failure `from` is left as it was and nothing is
// left at `to`.
MoveResult moveFileNoReplace(const QString& from, const QString& to);

}  // namespace klipo::platform
