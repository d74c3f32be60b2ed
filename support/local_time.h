#pragma once

// The local date and time as "YYYY-MM-DD HH:MM:SS": it sorts as it runs and names files.
struct LocalStamp {
  char text[20];
};
LocalStamp LocalNow();

// Test hook: when set, the stamp LocalNow gives.
extern const char* fixedLocalNow;
