#include "uikit/element/CBkButton.h"

bool CBkButton::NeedsRedrawOnStateChange() { return true; }
