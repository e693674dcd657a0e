#pragma once

#include "recording/RecService.h"

#include <QString>

class QAction;

namespace klipo {

// The status-menu item of recording: "停止录屏" while recording, otherwise
// "局部录屏", as the menu opens; always enabled. Choosing it is the hot key.
class RecMenuProvider {
public:
    static RecMenuProvider& shared();

    static QString title(RecService::RecState state);

    // Gives the item the title of the service's state; returns true.
    bool validateMenuItem(QAction* item) const;
    void toggleAction() const;

private:
    RecMenuProvider() = default;
};

}  // namespace klipo
