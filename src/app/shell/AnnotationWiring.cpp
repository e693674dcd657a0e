#include "app/shell/AnnotationWiring.h"

#include "annotation/command/AnnoCaptureOverlay.h"
#include "annotation/command/AnnoMenuProvider.h"
#include "app/shell/OverlayCopySession.h"

#include <memory>

namespace klipo::AnnotationWiring {

void connectAnnotateCommand()
{
    AnnoMenuProvider::setOverlay(std::make_shared<OverlayCopySession<AnnoCaptureOverlay>>());
}

}  // namespace klipo::AnnotationWiring
