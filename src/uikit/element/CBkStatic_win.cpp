// `text` adds nothing to the element base; the file keeps the one-type-one-pair layout.
#include "uikit/element/CBkStatic.h"
