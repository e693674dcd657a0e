#pragma once

#include "platform/media/MediaProbe.h"

#include <QByteArray>
#include <QSize>
#include <QString>

#include <optional>

namespace klipo::RecSelfTest {

// With KLIPO_REC_SELFTEST set to a number of seconds: records a fixed
// 400 by 300 point rectangle of one screen through the recording service,
// stops, reads the saved file back, prints one result line and ends the
// process (0 pass, 1 fail, 2 no such screen). Returns at once.
void runIfNeeded();

// How the run reads KLIPO_REC_SELFTEST: off (absent, empty, not a number),
// a wait it can do, or a number it cannot wait for (not finite, negative,
// too long).
struct Duration {
    enum class Kind { off, accepted, refused } kind = Kind::off;
    double seconds = 0;
};
Duration parseDuration(const QByteArray& value);
// KLIPO_REC_SELFTEST_SCREEN: an optional sign and digits; anything else 0.
int parseScreenIndex(const QByteArray& value);

// KLIPO_REC_SELFTEST_DIR: the capture folder for this process only, never
// stored. Read as the stored one is: a folder that does not exist gives the
// default capture folder, not the user's own.
void useCaptureFolder(const QString& folder);

// The result line for a saved file, and whether it passes: it plays, has
// the expected size and lasts about as long as asked.
QString resultLine(const QString& path, const platform::media::MediaInfo& info, QSize expected,
                   double requestedSeconds, bool* pass);

}  // namespace klipo::RecSelfTest
