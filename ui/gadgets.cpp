#include "gadgets.h"

#include <commctrl.h>
#include <richedit.h>

#include <cstring>

#include "accessibility.h"
#include "events.h"
#include "high_contrast.h"
#include "memory.h"
#include "scoped_win32.h"
#include "system_library.h"
#include "text.h"
#include "window_layer.h"

namespace {

const char GadgetNumberProperty[] = "TackpadGadgetNumber";
constexpr std::uint32_t ClientEdgeFlag = 0x20000;
constexpr LPARAM WholeTextLimit = 0x7FFFFFFE;  // whatever the settings file can hold
static_assert(sizeof(CHARFORMATA) == 60, "the character format record has 60 bytes");

struct GadgetClass;

struct GadgetRecord {
  HWND handle;
  const GadgetClass* gadgetClass;
  WNDPROC previousProcedure;
  std::int32_t backColour;   // -1: none
  std::int32_t frontColour;  // -1: none
  HBRUSH backBrush;          // text gadget: from the brush cache
  std::int32_t emptyLineState;  // editor: 1 an empty first line is owed, 2 it was put in
  int wheelTurn;  // editor: what Ctrl with the wheel turned short of a whole step
};

// What differs between kinds of gadget; a missing operation means the generic one, or none.
struct GadgetClass {
  LRESULT (*messageHook)(GadgetRecord*, HWND parent, UINT, WPARAM, LPARAM);
  void (*freeHook)(GadgetRecord*);
  void (*setText)(GadgetRecord*, const char*);
  void (*insertLine)(GadgetRecord*, int position, const char*);
  void (*setColour)(GadgetRecord*, int which, std::int32_t colour);
};

struct BrushUse {
  BrushUse* next;
  std::int32_t colour;
  HBRUSH brush;
  std::int32_t useCount;
};

struct GadgetState {
  HWND hostWindow;
  HFONT defaultFont;
};

GadgetState gadgetState;
ObjectTable* gadgetTable;
BrushUse* brushes;
CRITICAL_SECTION brushLock;
const char* richEditClass;
WNDPROC richEditProcedure;  // shared by every edit area

GadgetRecord* FindGadget(ObjectNumber number) {
  return gadgetTable ? static_cast<GadgetRecord*>(FindEntry(gadgetTable, number)) : nullptr;
}

// The record of a control of this layer; the property guards against foreign identifiers.
GadgetRecord* RecordOf(HWND control) {
  LONG_PTR identifier = GetWindowLongPtrA(control, GWLP_ID);
  if (reinterpret_cast<LONG_PTR>(GetPropA(control, GadgetNumberProperty)) != identifier) return nullptr;
  GadgetRecord* record = FindGadget(identifier);
  return record && record->handle == control ? record : nullptr;
}

void Redraw(HWND handle) { RedrawWindow(handle, nullptr, nullptr, RDW_INVALIDATE | RDW_INTERNALPAINT | RDW_ERASE); }

// A high-contrast theme shows a strip of colours of its own in the theme's highlight colours.
LRESULT TextColourHook(GadgetRecord* record, HWND, UINT message, WPARAM wParam, LPARAM) {
  if (message != WM_CTLCOLORSTATIC) return NotHandled;
  auto dc = reinterpret_cast<HDC>(wParam);
  if (HighContrastOn() && (record->frontColour != -1 || record->backColour != -1)) {
    SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
    SetBkColor(dc, GetSysColor(COLOR_HIGHLIGHT));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_HIGHLIGHT));
  }
  if (record->frontColour != -1) {
    SetTextColor(dc, static_cast<COLORREF>(record->frontColour));
    if (record->backColour == -1) {
      SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
  }
  if (record->backColour == -1) return NotHandled;
  SetBkColor(dc, static_cast<COLORREF>(record->backColour));
  return reinterpret_cast<LRESULT>(record->backBrush);
}

void ReleaseBackBrush(GadgetRecord* record) {
  if (record->backBrush) ReleaseBrush(record->backBrush);
  record->backBrush = nullptr;
}

void SetTextGadgetColour(GadgetRecord* record, int which, std::int32_t colour) {
  if (which == FrontColour) {
    record->frontColour = colour;
  } else {
    ReleaseBackBrush(record);
    if (colour != -1) record->backBrush = AcquireBrush(colour);
    record->backColour = colour;
  }
  Redraw(record->handle);
}

// Formatting is no edit: what the text area says of its text being changed stays as it was.
class KeepModifiedFlag {
 public:
  explicit KeepModifiedFlag(HWND editor) : editor(editor), modified(SendMessageA(editor, EM_GETMODIFY, 0, 0)) {}
  ~KeepModifiedFlag() { SendMessageA(editor, EM_SETMODIFY, modified != 0, 0); }
  KeepModifiedFlag(const KeepModifiedFlag&) = delete;
  KeepModifiedFlag& operator=(const KeepModifiedFlag&) = delete;

 private:
  HWND editor;
  LRESULT modified;
};

// A high-contrast theme shows the system's colours, which are its own.
void SetEditorColour(GadgetRecord* record, int which, std::int32_t colour) {
  KeepModifiedFlag unchanged(record->handle);
  const bool system = colour == -1 || HighContrastOn();
  if (which == BackColour) {
    SendMessageA(record->handle, EM_SETBKGNDCOLOR, system, system ? 0 : colour);
    record->backColour = colour;
    return;
  }
  CHARFORMATA format{};
  format.cbSize = sizeof format;
  format.dwMask = CFM_COLOR;
  format.dwEffects = system ? CFE_AUTOCOLOR : 0;
  format.crTextColor = static_cast<COLORREF>(colour);
  SendMessageA(record->handle, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&format));
  SendMessageA(record->handle, EM_SETCHARFORMAT, 0, reinterpret_cast<LPARAM>(&format));  // text typed later
  record->frontColour = colour;
}

void SetEditorText(GadgetRecord* record, const char* text) {
  SetWindowTextA(record->handle, text ? text : "");
  record->emptyLineState = 0;
}

void InsertText(HWND editor, const char* text) {
  SendMessageA(editor, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text));
}

void AppendEditorLine(GadgetRecord* record, const char* text) {
  HWND editor = record->handle;
  LRESULT length = SendMessageA(editor, WM_GETTEXTLENGTH, 0, 0);
  SendMessageA(editor, EM_SETSEL, length, length);
  if (record->emptyLineState == 1) {
    InsertText(editor, "\n");
    record->emptyLineState = 2;
  }
  if (length != 0) {
    InsertText(editor, "\n");
  } else if (!*text && record->emptyLineState == 0) {
    record->emptyLineState = 1;  // an empty first line shows only once a second line follows
  }
  InsertText(editor, text);
}

void InsertEditorLine(GadgetRecord* record, int position, const char* text) {
  HWND editor = record->handle;
  text = text ? text : "";
  LRESULT lineStart = SendMessageA(editor, EM_LINEINDEX, static_cast<WPARAM>(position), 0);
  SendMessageA(editor, EM_HIDESELECTION, TRUE, 0);
  if (lineStart == -1 || position == -1) {
    AppendEditorLine(record, text);
  } else {
    SendMessageA(editor, EM_SETSEL, lineStart, lineStart);
    InsertText(editor, text);
    InsertText(editor, "\n");
  }
  SendMessageA(editor, EM_HIDESELECTION, FALSE, 0);
}

// Every change counts as a modification, however made: some rich-edit versions leave the flag unset
// for a cut or a paste.
LRESULT EditorChangeHook(GadgetRecord* record, HWND, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_COMMAND && HIWORD(wParam) == EN_CHANGE) SendMessageA(record->handle, EM_SETMODIFY, TRUE, 0);
  return NotHandled;
}

const GadgetClass textGadgetClass{TextColourHook, ReleaseBackBrush, nullptr, nullptr, SetTextGadgetColour};
const GadgetClass editorGadgetClass{EditorChangeHook, nullptr, SetEditorText, InsertEditorLine, SetEditorColour};

// The procedures of this layer take the controls' own flavour and are set and called through its
// calls: an ANSI one in front of a Unicode control would narrow every typed character, and one
// called through the other flavour's call would get its texts unconverted.
WNDPROC ClassProcedure(HWND control) {
  return reinterpret_cast<WNDPROC>((Utf8Process() ? GetClassLongPtrW : GetClassLongPtrA)(control, GCLP_WNDPROC));
}

WNDPROC Subclass(HWND control, WNDPROC procedure) {
  auto set = Utf8Process() ? SetWindowLongPtrW : SetWindowLongPtrA;
  return reinterpret_cast<WNDPROC>(set(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure)));
}

LRESULT CallPrevious(WNDPROC previous, HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
  return (Utf8Process() ? CallWindowProcW : CallWindowProcA)(previous, control, message, wParam, lParam);
}

// Every gadget: frees its entry when the platform destroys the control.
LRESULT CALLBACK GadgetProcedure(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
  GadgetRecord* record = RecordOf(control);
  WNDPROC previous = record ? record->previousProcedure : ClassProcedure(control);
  if (message == WM_NCDESTROY && record) {
    ObjectNumber number = GetWindowLongPtrA(control, GWLP_ID);
    if (record->gadgetClass->freeHook) record->gadgetClass->freeHook(record);
    RemovePropA(control, GadgetNumberProperty);
    ReleaseEntry(gadgetTable, number);
  }
  return CallPrevious(previous, control, message, wParam, lParam);
}

bool KeyDown(int key) { return GetKeyState(key) < 0; }

// With Ctrl: the text a step larger, a step smaller, or at its default size.
bool TextSizeKey(WPARAM key, std::int32_t& steps) {
  switch (key) {
    case VK_OEM_PLUS: case VK_ADD: steps = 1; return true;
    case VK_OEM_MINUS: case VK_SUBTRACT: steps = -1; return true;
    case '0': case VK_NUMPAD0: steps = DefaultTextSize; return true;
    default: return false;
  }
}

// What Ctrl does in a text area beside its size: move, select, copy, paste, undo. The rich edit's
// own keys for alignment, spacing, sizes and styles would make changes no file ever holds.
bool EditingKey(WPARAM key) {
  switch (key) {
    case 'A': case 'C': case 'V': case 'X': case 'Y': case 'Z':
    case VK_BACK: case VK_DELETE: case VK_INSERT: case VK_RETURN: case VK_TAB:
    case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN: case VK_HOME: case VK_END: case VK_PRIOR: case VK_NEXT:
    case VK_CONTROL:
      return true;
    default: return false;
  }
}

// Ctrl with a key the text area must not see: the character the key made (Ctrl+I a tab, Ctrl+M a
// line break) goes with it. It waits in the queue, put there before the key was dispatched.
bool TakeControlKey(HWND control, WPARAM key) {
  std::int32_t steps;
  if (TextSizeKey(key, steps)) AskForTextSize(control, steps);
  if (EditingKey(key)) return false;
  MSG typed;
  PeekMessageW(&typed, control, WM_CHAR, WM_CHAR, PM_REMOVE | PM_NOYIELD);
  return true;
}

// Ctrl with the wheel: a step for each notch, however finely the wheel reports its turn.
void TurnTextSize(HWND control, int delta) {
  GadgetRecord* record = RecordOf(control);
  if (!record) return;
  if ((record->wheelTurn < 0) != (delta < 0)) record->wheelTurn = 0;  // turned back: afresh
  record->wheelTurn += delta;
  const int steps = record->wheelTurn / WHEEL_DELTA;
  record->wheelTurn %= WHEEL_DELTA;
  if (steps) AskForTextSize(control, steps);
}

// Edit areas: a new font would reset the text colour, so it is put back; new system colours are
// taken (a high-contrast theme's, or the area's own again). The rich edit's zoom and formatting
// keys never act: the program sizes the text, and stores it.
LRESULT CALLBACK EditorProcedure(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_GETOBJECT:
      if (LRESULT answer = AnswerLabelledEditor(control, wParam, lParam)) return answer;
      break;
    case WM_KEYDOWN:
      if (KeyDown(VK_CONTROL) && !KeyDown(VK_MENU) && TakeControlKey(control, wParam)) return 0;
      break;
    case WM_MOUSEWHEEL:
      if (!(GET_KEYSTATE_WPARAM(wParam) & MK_CONTROL) && !KeyDown(VK_CONTROL)) break;
      TurnTextSize(control, GET_WHEEL_DELTA_WPARAM(wParam));
      return 0;
    case WM_SETFONT:
    case WM_SYSCOLORCHANGE: {
      KeepModifiedFlag unchanged(control);
      CallPrevious(richEditProcedure, control, message, wParam, lParam);
      GadgetRecord* record = RecordOf(control);
      if (record && message == WM_SYSCOLORCHANGE) SetEditorColour(record, BackColour, record->backColour);
      if (record) SetEditorColour(record, FrontColour, record->frontColour);
      return 0;
    }
    default: break;
  }
  return CallPrevious(richEditProcedure, control, message, wParam, lParam);
}

void DestroyGadget(ObjectNumber number) {
  if (GadgetRecord* record = FindGadget(number)) DestroyWindow(record->handle);
}

HWND ClaimAndBind(ObjectNumber number, HWND control, const GadgetClass* gadgetClass) {
  auto* record = static_cast<GadgetRecord*>(ClaimEntry(gadgetTable, number));
  if (!record) {
    DestroyWindow(control);
    return nullptr;
  }
  bool listed = number == AnyNumber;
  if (listed) number = reinterpret_cast<ObjectNumber>(record);
  *record = GadgetRecord{control, gadgetClass, nullptr, -1, -1, nullptr, 0, 0};
  SetWindowLongPtrA(control, GWLP_ID, number);
  SetPropA(control, GadgetNumberProperty, reinterpret_cast<HANDLE>(number));
  record->previousProcedure = Subclass(control, GadgetProcedure);
  SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(gadgetState.defaultFont), TRUE);
  return listed ? reinterpret_cast<HWND>(record) : control;
}

void LoadRichEdit() {
  if (richEditClass) return;
  if (LoadSystemLibrary("RICHED20.DLL")) {
    richEditClass = Utf8Process() ? "RichEdit20W" : "RichEdit20A";
    return;
  }
  LoadSystemLibrary("RICHED32.DLL");  // without either, creating the control fails
  richEditClass = "RichEdit";
}

}  // namespace

void StartGadgets() {
  InitializeCriticalSection(&brushLock);
  gadgetState.defaultFont = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  gadgetTable = CreateObjectTable(sizeof(GadgetRecord), 50, DestroyGadget);
  INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX),
                                ICC_TAB_CLASSES | ICC_DATE_CLASSES | ICC_USEREX_CLASSES | ICC_INTERNET_CLASSES};
  InitCommonControlsEx(&controls);
}

HWND SetGadgetHost(HWND window) {
  gadgetState.hostWindow = window;
  return window;
}

HWND NewTextGadget(ObjectNumber number, int x, int y, int width, int height, const char* text,
                   std::uint32_t flags) {
  DWORD extendedStyle = (flags & ClientEdgeFlag) ? WS_EX_CLIENTEDGE : 0;
  HWND control = CreateSystemControl(extendedStyle, "Static", text, flags | WS_CHILD | WS_VISIBLE | WS_GROUP, x, y,
                                    width, height, gadgetState.hostWindow, -1);
  return control ? ClaimAndBind(number, control, &textGadgetClass) : nullptr;
}

HWND NewEditorGadget(ObjectNumber number, int x, int y, int width, int height) {
  LoadRichEdit();
  DWORD style = WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP | ES_WANTRETURN | ES_NOHIDESEL |
                ES_AUTOHSCROLL | ES_AUTOVSCROLL | ES_MULTILINE;
  HWND control = CreateSystemControl(WS_EX_CLIENTEDGE, richEditClass, nullptr, style, x, y, width, height,
                                    gadgetState.hostWindow, -1);
  if (!control) return nullptr;
  SendMessageA(control, EM_EXLIMITTEXT, 0, WholeTextLimit);
  SendMessageA(control, EM_SETEVENTMASK, 0, ENM_CHANGE);
  richEditProcedure = Subclass(control, EditorProcedure);
  DrainMessages();
  return ClaimAndBind(number, control, &editorGadgetClass);
}

void ApplyGadgetColour(ObjectNumber number, int which, std::int32_t colour) {
  GadgetRecord* record = FindGadget(number);
  if (!record || !record->gadgetClass->setColour || (which != FrontColour && which != BackColour)) return;
  record->gadgetClass->setColour(record, which, colour);
}

void ApplyGadgetFont(ObjectNumber number, HFONT font) {
  if (font == reinterpret_cast<HFONT>(static_cast<INT_PTR>(-1))) font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  if (number == AnyNumber) {
    gadgetState.defaultFont = font;
  } else if (GadgetRecord* record = FindGadget(number)) {
    SendMessageA(record->handle, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  }
}

HWND GadgetHandle(ObjectNumber number) {
  GadgetRecord* record = FindGadget(number);
  return record ? record->handle : nullptr;
}

void PutGadgetText(ObjectNumber number, const char* text) {
  GadgetRecord* record = FindGadget(number);
  if (!record) return;
  if (record->gadgetClass->setText) record->gadgetClass->setText(record, text);
  else SetWindowTextA(record->handle, text ? text : "");
}

namespace {

// Read in UTF-16 and converted here: how many bytes a rich edit counts for its text in the ANSI
// code page is not documented (the system's page, or the process's UTF-8), and too few cut it.
// Rich edit 1.0, the fallback, knows no code pages; the window text serves there.
bool ReadsInUtf16(const GadgetRecord* record) {
  return record->gadgetClass == &editorGadgetClass && std::strcmp(richEditClass, "RichEdit") != 0;
}

int TextUnits(const GadgetRecord* record) {
  if (ReadsInUtf16(record)) {
    GETTEXTLENGTHEX query{GTL_NUMCHARS | GTL_PRECISE | GTL_USECRLF, 1200};
    return static_cast<int>(SendMessageW(record->handle, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&query), 0));
  }
  return GetWindowTextLengthW(record->handle);
}

int CopyText(const GadgetRecord* record, wchar_t* into, int units) {
  if (!ReadsInUtf16(record)) return GetWindowTextW(record->handle, into, units + 1);
  GETTEXTEX request{static_cast<DWORD>((units + 1) * sizeof(wchar_t)), GT_USECRLF, 1200, nullptr, nullptr};
  return static_cast<int>(SendMessageW(record->handle, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&request),
                                       reinterpret_cast<LPARAM>(into)));
}

}  // namespace

const char* FetchGadgetText(ObjectNumber number) {
  GadgetRecord* record = FindGadget(number);
  if (!record) return "";
  const int units = TextUnits(record);
  if (units < 0 || units > INT32_MAX / 3) return nullptr;
  auto* wide = static_cast<wchar_t*>(AllocateBytes(sizeof(wchar_t) * (static_cast<std::size_t>(units) + 1)));
  const int got = wide && units ? CopyText(record, wide, units) : 0;
  const int bytes = got ? WideCharToMultiByte(CP_ACP, 0, wide, got, nullptr, 0, nullptr, nullptr) : 0;
  char* room = wide ? ScratchReserve(static_cast<std::size_t>(bytes)) : nullptr;
  if (room && bytes) WideCharToMultiByte(CP_ACP, 0, wide, got, room, bytes, nullptr, nullptr);
  ReleaseBytes(wide);
  if (!room) return nullptr;
  ScratchCommit(static_cast<std::size_t>(bytes));
  return room;
}

void InsertGadgetLine(ObjectNumber number, int position, const char* text) {
  GadgetRecord* record = FindGadget(number);
  if (record && record->gadgetClass->insertLine) record->gadgetClass->insertLine(record, position, text);
}

void PlaceGadget(ObjectNumber number, int x, int y, int width, int height) {
  GadgetRecord* record = FindGadget(number);
  if (!record) return;
  if (x == IgnoreValue || y == IgnoreValue || width == IgnoreValue || height == IgnoreValue) {
    RECT frame;
    GetWindowRect(record->handle, &frame);
    MapWindowPoints(nullptr, GetParent(record->handle), reinterpret_cast<POINT*>(&frame), 2);
    if (x == IgnoreValue) x = frame.left;
    if (y == IgnoreValue) y = frame.top;
    if (width == IgnoreValue) width = frame.right - frame.left;
    if (height == IgnoreValue) height = frame.bottom - frame.top;
  }
  MoveWindow(record->handle, x, y, width, height, TRUE);
}

HBRUSH AcquireBrush(std::int32_t colour) {
  HeldSection held(brushLock);
  BrushUse* use = brushes;
  while (use && use->colour != colour) use = use->next;
  if (use) {
    ++use->useCount;
  } else if (HBRUSH brush = CreateSolidBrush(static_cast<COLORREF>(colour))) {
    use = static_cast<BrushUse*>(AllocateBytes(sizeof(BrushUse)));
    if (use) {
      *use = BrushUse{brushes, colour, brush, 1};
      brushes = use;
    } else {
      DeleteObject(brush);
    }
  }
  return use ? use->brush : nullptr;
}

void ReleaseBrush(HBRUSH brush) {
  HeldSection held(brushLock);
  BrushUse** at = &brushes;
  while (*at && (*at)->brush != brush) at = &(*at)->next;
  if (*at && --(*at)->useCount == 0) {
    BrushUse* unused = *at;
    *at = unused->next;
    DeleteObject(unused->brush);
    ReleaseBytes(unused);
  }
}

LRESULT GadgetMessageHook(HWND control, HWND parent, UINT message, WPARAM wParam, LPARAM lParam) {
  GadgetRecord* record = control ? RecordOf(control) : nullptr;
  if (!record || !record->gadgetClass->messageHook) return NotHandled;
  return record->gadgetClass->messageHook(record, parent, message, wParam, lParam);
}
