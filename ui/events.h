#pragma once
#include <windows.h>

#include <cstdint>

#include "object_table.h"

// Event kinds; any other kind returned is the platform message number that made no event.
enum : std::int32_t {
  MoveEvent = 3,
  SizeEvent = 5,
  RepaintEvent = 15,
  CloseEvent = 16,
  GadgetEvent = 13100,
  MenuEvent = 13101,
  TrayEvent = 13102,
  ActivateEvent = 13104,
  TaskbarRestartEvent = 13105,  // the shell started anew: every tray icon is gone
  DisplayChangeEvent = 13106,   // monitors or their work areas changed
  ContextMenuEvent = 13107,     // a window's menu asked for: keys, touch, an assistive tool (LastPoint)
  BringNotesEvent = 13108,      // BringNotesMessage came in, in whatever loop
  RequestEvent = 13109,         // a window asked the main loop for work (QueueEvent)
  FileChangeEvent = 13110,      // the handle given to WatchHandle was signalled
  FileSettledEvent = 13111,     // queued by the program's file watch for the main loop
  TextSizeEvent = 13112,        // Ctrl with the wheel, plus, minus or 0 in a text area (LastSubtype)
  HotKeyEvent = 13113           // a hotkey registered for a window of the layer (LastItem: its identifier)
};
// A TextSizeEvent's subtype: so many steps larger (more than 0) or smaller, or the default size.
constexpr std::int32_t DefaultTextSize = 0;
// What a tray icon reports. TrayKeySelect: Enter or Space on it; TrayMenuRequest: Shift+F10 or the
// menu key on it, its anchor in LastPoint; TrayBalloonClick: its balloon clicked.
enum : std::int32_t {
  TrayLeftClick = 0, TrayRightClick = 1, TrayLeftDoubleClick = 2, TrayRightDoubleClick = 3,
  TrayKeySelect = 4, TrayMenuRequest = 5, TrayBalloonClick = 6
};

constexpr UINT TrayCallbackMessage = 12501, TrayRelayMessage = 12502;
// Posted by a second start on the same file: the running program shows its notes.
constexpr UINT BringNotesMessage = 12503;
// Posted by the installer to a program it replaces: end now, asking nothing.
constexpr UINT EndRequestMessage = 12504;
constexpr WORD FocusNextCommand = 1212, FocusPreviousCommand = 1213;

// What a message hook answers when the message goes on to the default handling.
constexpr LRESULT NotHandled = static_cast<LRESULT>(static_cast<std::int32_t>(0xD0D0D0D1u));

// -1 waits for ever, 0 only looks; returns 0 when nothing came in time.
std::int32_t NextEvent(std::int32_t timeoutMs);
std::int32_t WaitEvent();
// The menu item, gadget or tray icon the last event came from.
ObjectNumber LastItem();
// LastItem under the name a gadget event reads it by: the same number, whatever the event.
ObjectNumber LastGadget();
ObjectNumber LastWindow();
std::int32_t LastSubtype();
// Where a ContextMenuEvent or TrayMenuRequest asks for the menu, in screen coordinates; (-1, -1)
// for a window's menu asked for from the keyboard.
POINT LastPoint();

LRESULT CALLBACK LayerWindowProcedure(HWND handle, UINT message, WPARAM wParam, LPARAM lParam);
// Dispatches whatever waits in the queue; the events it would make are dropped.
void DrainMessages();
// An event of `kind` for the main loop, kept through any loop that dispatches meanwhile (a drain,
// a menu, a dialog): work asked for in a window procedure then never runs inside another command.
void QueueEvent(std::int32_t kind, HWND handle);
// The main loop's wait also wakes for `handle`: once signalled, NextEvent gives `kind` once and the
// handle is no longer waited on until it is given again. Null waits on none.
void WatchHandle(HANDLE handle, std::int32_t kind);

// Runs inside WM_ENDSESSION as the session ends, so that what must be stored is on disk before
// Windows is answered; it runs once for each window of the program.
void SetSessionEndHandler(void (*handler)());
// Runs when EndRequestMessage comes, in whatever loop takes it; the handler ends the process.
void SetEndRequestHandler(void (*handler)());
// Runs whenever a control's text changed, in whatever loop dispatched the change: an edit made
// from a menu or a dialog counts as much as one typed. It is told the window of the control.
void SetTextChangeHandler(void (*handler)(ObjectNumber window));
// Runs when a window of the layer has taken a new scale (moved to another monitor, or the
// display's scale changed): the window has its new size, its contents are the handler's.
void SetScaleChangeHandler(void (*handler)(ObjectNumber));

// For WM_ACTIVATE's wParam: on deactivation keeps the child that has the focus in `kept`; on
// activation gives it back (else the first tab stop, else the window itself).
void KeepFocusAcrossActivation(HWND window, WPARAM activation, HWND* kept);

// For the gadget layer: a text area asks for its text `steps` sizes larger or smaller, or at its
// default size; an event of the main loop alone.
void AskForTextSize(HWND control, std::int32_t steps);

// Empties the deferred queue and clears what the last event left; part of StartWindowLayer.
void ResetEventState();
