#pragma once

namespace klipo::AnnotationWiring {

// Plugs the capture overlay into the annotate command. Called once at launch.
void connectAnnotateCommand();

}  // namespace klipo::AnnotationWiring
