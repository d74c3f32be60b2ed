#include "dialogs.h"

#include "font_style.h"
#include "modality.h"
#include "scoped_win32.h"
#include "wide_text.h"

#ifndef _WIN64
static_assert(sizeof(CHOOSECOLORA) == 36, "colour dialog description");
static_assert(sizeof(CHOOSEFONTW) == 60, "font dialog description");
#endif

namespace {

// The dialog reports bold and italic in its font type with the same bits as our style.
static_assert(BOLD_FONTTYPE == FontStyleBold && ITALIC_FONTTYPE == FontStyleItalic, "font type bits");

COLORREF customColours[16];
// The font dialog through the wide call, as GDI reads an ANSI face name in the system's code page.
LOGFONTW chosenFont;
CHOOSEFONTW fontDialog;

// The font height for a size in points on the display; 0 (no preselected size) without one.
LONG HeightOfPoints(std::int32_t points) {
  Scoped<HDC, DeleteDC> display(CreateDCA("DISPLAY", nullptr, nullptr, nullptr));
  return display ? -MulDiv(points, GetDeviceCaps(display, LOGPIXELSY), 72) : 0;
}

// What RequestFont preselects: the face cut to 31 units, and the height of the size in points.
LOGFONTW FontDescription(const char* faceName, std::int32_t pointSize) {
  LOGFONTW font{};
  lstrcpynW(font.lfFaceName, Widened(faceName).c_str(), LF_FACESIZE);
  if (pointSize != 0) font.lfHeight = HeightOfPoints(pointSize);
  return font;
}

}  // namespace

std::int32_t RequestColour(std::int32_t initialColour) {
  CHOOSECOLORA request{};
  request.lStructSize = sizeof request;
  request.hwndOwner = ProcessForegroundWindow();
  const COLORREF initial = initialColour == -1 ? 0 : static_cast<COLORREF>(initialColour);
  customColours[0] = initial;
  request.rgbResult = initial;
  request.lpCustColors = customColours;
  request.Flags = CC_RGBINIT;
  SuspendThreadWindows();
  const BOOL chosen = ChooseColorA(&request);
  ResumeThreadWindows();
  return chosen ? static_cast<std::int32_t>(request.rgbResult) : -1;
}

int RequestFont(const char* faceName, std::int32_t pointSize, std::uint32_t extraFlags,
                std::int32_t colour) {
  chosenFont = FontDescription(faceName, pointSize);
  fontDialog = CHOOSEFONTW{};
  fontDialog.lStructSize = sizeof fontDialog;
  fontDialog.hwndOwner = ProcessForegroundWindow();
  fontDialog.lpLogFont = &chosenFont;
  fontDialog.Flags = extraFlags | CF_SCREENFONTS | CF_PRINTERFONTS | CF_INITTOLOGFONTSTRUCT;
  if (colour != -1) fontDialog.rgbColors = static_cast<COLORREF>(colour);
  SuspendThreadWindows();
  const BOOL chosen = ChooseFontW(&fontDialog);
  ResumeThreadWindows();
  return chosen ? 1 : 0;
}

std::string FontChoiceName() {
  chosenFont.lfFaceName[LF_FACESIZE - 1] = L'\0';
  return Narrowed(chosenFont.lfFaceName);
}

std::int32_t FontChoiceSize() { return fontDialog.iPointSize / 10; }

std::int32_t FontChoiceStyle() {
  std::int32_t style = fontDialog.nFontType & (FontStyleBold | FontStyleItalic);
  if (chosenFont.lfUnderline) style |= FontStyleUnderline;
  if (chosenFont.lfStrikeOut) style |= FontStyleStrikeOut;
  return style;
}

int ShowMessage(const char* caption, const char* text, std::uint32_t flags) {
  SuspendThreadWindows();
  const int button = MessageBoxA(ProcessForegroundWindow(), text, caption, flags);
  ResumeThreadWindows();
  return button;
}
