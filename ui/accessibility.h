#pragma once
#include <windows.h>

// WM_GETOBJECT for a text control named by the label before it (a static of the same parent):
// screen readers read the label's text as its name and its role as editable text, where the
// system's own object names a rich edit by nothing. 0 where the control's own answer serves.
LRESULT AnswerLabelledEditor(HWND control, WPARAM wParam, LPARAM lParam);
