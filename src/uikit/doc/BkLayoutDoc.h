// Loading a layout document into a host window. The host (the dialog host) owns the three section containers;
// the loader reads the document, tells the host which window it asks for and hands it each section element with
// the position it must take. Windows only; UI thread.
#pragma once

#include <windows.h>

#include <string>

#include "uikit/doc/BkLayer.h"

class TiXmlElement;

enum class BkSection { Header, Body, Footer };

class IBkLayoutHost {
public:
    virtual ~IBkLayoutHost() = default;
    // The host window (may be null before it exists): invalidated when a document cannot be used.
    virtual HWND LayoutWindow() = 0;
    // Before anything is read: styles back to the defaults, the three sections emptied (each drops its children)
    // and marked absent.
    virtual void ResetLayout(const BkLayerInfo& defaults) = 0;
    // The root's attributes, read.
    virtual void ApplyLayer(const BkLayerInfo& layer) = 0;
    // Loads one section from its element as a plain container that inherits the document's DPI flag.
    virtual void LoadSection(BkSection section, const TiXmlElement& element, bool dpiAware) = 0;
    // The section's position, applied as a `pos` written in the document (DPI-scaled for a DPI-aware document).
    virtual void SetSectionPos(BkSection section, const std::string& pos) = 0;
    // The document is in place: mark it loaded; when the window exists arrange the sections and forget the
    // hovered and pressed elements. `headerFills`: a "full" header without body and footer.
    virtual void OnLayoutLoaded(bool headerFills) = 0;
};

// Layout `id` (resource type "xml") into the host. False when it is missing, does not parse (the debugger gets
// the parser's line) or its root is not `layer`.
bool BkLoadLayout(int id, IBkLayoutHost& host);

// The same from UTF-8 text held in memory.
bool BkLoadLayoutText(const std::string& utf8, IBkLayoutHost& host);
