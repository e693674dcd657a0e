#pragma once

// The toast: its controller (CaptureHUDController::shared()) and its face.
#include "app/CaptureHUDContentView.h"
#include "app/CaptureHUDController.h"
#include "app/CaptureHUDLayout.h"
