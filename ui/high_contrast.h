#pragma once

// While a high-contrast theme is on, what the layer shows in colours a caller gave (a window's
// background, a gadget's colours) takes the theme's, and a translucent window is opaque; what the
// caller gave is kept, and shows again when the theme goes off.
bool HighContrastOn();
// Reads the setting again; the layer does so at its start and whenever the system's colours or
// that setting change.
void ReadHighContrast();
// Where the setting is read from: null for the system's own. Tests stand in for a theme that not
// every platform can switch on.
void SetHighContrastSource(bool (*source)());
