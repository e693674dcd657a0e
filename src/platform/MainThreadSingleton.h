#pragma once

#include <QCoreApplication>

namespace klipo::platform {

// The process-wide instance of a QObject service that lives on the main
// thread, whichever thread asks for it first. Made on first use and kept for
// the life of the process.
template <typename T>
T& mainThreadSingleton()
{
    static T* instance = [] {
        auto* object = new T;
        if (auto* app = QCoreApplication::instance()) object->moveToThread(app->thread());
        return object;
    }();
    return *instance;
}

}  // namespace klipo::platform
