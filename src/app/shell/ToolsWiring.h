#pragma once

namespace klipo::ToolsWiring {

// Plugs the capture overlay and the search-text indexer into plain
// screenshots. Called once at launch, with the quick-capture wiring.
void connectPlainCapture();

}  // namespace klipo::ToolsWiring
