// What assistive technology sees of the layer's windows: hidden windows are
// left out as Windows leaves them out, top-level windows are frames or
// dialogs named by their title.
#pragma once

class QWidget;

namespace winapi {

struct Window;

// Installs the accessible interfaces of the layer's own widgets; call once
// the QApplication exists.
void installAccessibility();

// A child window was shown or hidden: tells listening tools that it came
// into or went out of its parent's children.
void accessibleVisibilityChanged(Window& w, bool shown);

} // namespace winapi
