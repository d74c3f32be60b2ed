#include "high_contrast.h"

#include <windows.h>

namespace {

bool (*settingSource)();
bool highContrast;  // read once per change: every painted control asks

bool SystemSaysOn() {
  HIGHCONTRASTA setting{};
  setting.cbSize = sizeof setting;
  return SystemParametersInfoA(SPI_GETHIGHCONTRAST, sizeof setting, &setting, 0) &&
         (setting.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

}  // namespace

bool HighContrastOn() { return highContrast; }

void ReadHighContrast() { highContrast = settingSource ? settingSource() : SystemSaysOn(); }

void SetHighContrastSource(bool (*source)()) {
  settingSource = source;
  ReadHighContrast();
}
