#pragma once

#include <QString>

#include <optional>

// What happens after a screenshot was saved or copied: the capture sound, the
// desktop notification and the after-capture action, each as the user set it.
namespace klipo::PrefsCaptureFeedback {

// `filePath` is the saved file, or none when the picture only went to the
// clipboard. Main thread.
void finishCapture(const std::optional<QString>& filePath);

void postNotification(const QString& title, const QString& body);

// Desktop notifications need no permission here; kept for the preferences,
// which call it when notifications are switched on.
void requestNotificationAuthorization();

}  // namespace klipo::PrefsCaptureFeedback
