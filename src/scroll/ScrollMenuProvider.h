#pragma once

#include "scroll/ScrollCaptureService.h"

#include <QString>

#include <functional>

class QAction;

namespace klipo {

// The status-menu item of scrolling capture: its title and whether it can be
// chosen follow the capture's state each time the menu opens; choosing it
// runs the capture's toggle.
class ScrollMenuProvider {
public:
    struct ItemLook {
        QString title;
        bool enabled = true;
    };

    static ScrollMenuProvider& shared();

    // The toggle of the scrolling capture service, which sets it.
    std::function<void()> onToggle;

    static ItemLook look(ScrollCaptureService::ScrollState state);

    // Gives the item the look of the service's current state; returns
    // whether it is enabled. Call when the menu is about to show.
    bool validateMenuItem(QAction* item) const;

    // The item's action: the toggle, when one is set.
    void toggleAction() const;

private:
    ScrollMenuProvider() = default;
};

}  // namespace klipo
