#pragma once

namespace klipo::AppMain {

// The process entry: checks for a display, keeps to one instance, starts the
// tray application and runs its event loop until quit.
int main(int argc, char** argv);

}  // namespace klipo::AppMain
