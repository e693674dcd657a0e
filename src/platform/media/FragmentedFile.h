#pragma once

#include <QString>

#include <cstdint>
#include <optional>

namespace klipo::platform::media {

// What the top-level boxes of a fragmented MP4/MOV file say about it.
struct FragmentCheck {
    bool readable = false;             // the file could be opened and read
    bool hasHead = false;              // "ftyp" and "moov" are there
    int completeFragments = 0;         // "moof" boxes followed by their whole "mdat"
    std::int64_t fileBytes = 0;
    std::int64_t playableBytes = 0;    // where the last complete box ends
    // The file plays: it has its head and at least one whole fragment.
    bool usable() const { return hasHead && completeFragments > 0; }
};

// Reads the box headers of `path` (not the media data).
FragmentCheck checkFragments(const QString& path);

// Cuts an unfinished tail (a box cut off by a crash or a full disk, a
// fragment without its data) off `path`, so that players meet no broken
// data. Returns the check after cutting, or a reason when cutting fails.
// Nothing is read or cut unless `path` is a plain file with no other name
// (not a link): `after` then says the file was not readable.
std::optional<QString> trimToCompleteFragments(const QString& path, FragmentCheck* after = nullptr);

}  // namespace klipo::platform::media
