// Element handles and the process-wide registry that resolves them. Handles are 32-bit, handed out from one
// counter and never reused while the process lives, so a handle kept by anyone (parent, hovered, pressed) resolves
// to nothing once its element is gone. Any thread may look up; only the UI thread may use the object found.
#pragma once

#include <cstdint>

using BkElementHandle = uint32_t;

class CBkWindow;

namespace BkElementRegistry {

// Stores the element under the next counter value and answers it. Called by CBkWindow's constructor.
BkElementHandle Register(CBkWindow* element);
// Removes the entry; unknown handles are ignored. Called by CBkWindow's destructor.
void Unregister(BkElementHandle handle);
// The element, or null when the handle is 0 or its element was destroyed.
CBkWindow* Find(BkElementHandle handle);
// How many elements are registered now (tests look for leaks with it).
size_t Count();

}  // namespace BkElementRegistry
