#include "app/shell/AppMain.h"

int main(int argc, char** argv) { return klipo::AppMain::main(argc, argv); }
