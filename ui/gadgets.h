#pragma once
#include <windows.h>

#include <cstdint>

#include "object_table.h"

// Numbered child controls of a layer window: a one-line text and a rich-edit area.
enum : int { FrontColour = 1, BackColour = 2 };

void StartGadgets();
// Gadgets created from now on go into this window; returns it.
HWND SetGadgetHost(HWND window);
HWND NewTextGadget(ObjectNumber number, int x, int y, int width, int height, const char* text,
                   std::uint32_t flags);
HWND NewEditorGadget(ObjectNumber number, int x, int y, int width, int height);
// colour is 0x00BBGGRR, or -1 for the default.
void ApplyGadgetColour(ObjectNumber number, int which, std::int32_t colour);
// (HFONT)-1: the stock default GUI font. AnyNumber sets the font of gadgets made later.
void ApplyGadgetFont(ObjectNumber number, HFONT font);
HWND GadgetHandle(ObjectNumber number);
void PutGadgetText(ObjectNumber number, const char* text);
// Built at the ScratchArea's fill position, which then stands on its terminating zero;
// null when there is no memory for it.
const char* FetchGadgetText(ObjectNumber number);
// position -1 appends a line.
void InsertGadgetLine(ObjectNumber number, int position, const char* text);
void PlaceGadget(ObjectNumber number, int x, int y, int width, int height);

// Solid brushes shared by colour, counted by use.
HBRUSH AcquireBrush(std::int32_t colour);
void ReleaseBrush(HBRUSH brush);

// For the event layer: lets the gadget behind `control` answer a message its parent got.
LRESULT GadgetMessageHook(HWND control, HWND parent, UINT message, WPARAM wParam, LPARAM lParam);
