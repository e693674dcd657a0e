#pragma once

#include "recording/RecEngine.h"
#include "recording/RecFiles.h"

#include <QList>
#include <QString>

#include <optional>

namespace klipo::RecMessages {

// A toast or notification: title, text and the file a click reveals.
struct Message {
    QString title;
    QString text;
    QString file;
};

// Whole minutes and seconds of a finished recording, "%02d:%02d", rounded
// (halves away from zero); not a finite positive number gives "00:00".
QString durationText(double seconds);

// The toast at the end of a stop. `note` names why the recording stopped
// (a screen change, a failure); without one a recording cut short by a
// failed write says so.
Message stopOutcome(const RecStopResult& result, const RecFiles::ExportResult* saved, double elapsedSeconds,
                    const std::optional<QString>& note, const QString& folderDisplayName);

// The notification of a recording stopped at quit; nothing when there is
// nothing to say (a start that never became a recording).
std::optional<Message> quitOutcome(const RecStopResult& result, const RecFiles::ExportResult* saved,
                                   bool wasRecording);

// The toast at launch naming the recordings found from an earlier run.
std::optional<Message> leftoversFound(const QList<RecFiles::Leftover>& leftovers, const QString& folderDisplayName);

// Texts of the flow.
Message microphoneUnavailable(const QString& reason);
// `shortcut`: the recording hot key's text, when one is set.
Message noRoomForStopBar(const std::optional<QString>& shortcut);

}  // namespace klipo::RecMessages
