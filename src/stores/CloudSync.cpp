#include "stores/CloudSync.h"

namespace klipo {

CloudSync& CloudSync::shared()
{
    static CloudSync instance;
    return instance;
}

void CloudSync::startAutoSync() {}

void CloudSync::uploadOnQuit() {}

}  // namespace klipo
