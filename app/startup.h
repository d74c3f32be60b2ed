#pragma once

// The layers started in their fixed order, the list of group names, the title-strip font,
// the hidden owner window of every note and the tray menu. Nothing is shown yet.
void StartLayers();
// Tray icons, any open settings document, every window and font, in that order.
void EndLayers();
