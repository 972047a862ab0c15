// The hertz and cents fields, the format list, the reset button and the up-down controls.
#ifndef SONOREL_APP_PITCH_ENTRY_H
#define SONOREL_APP_PITCH_ENTRY_H

#include <windows.h>

#include "engine/tune_message.h"

// While 0, RefreshTuneDisplay does nothing: the program's own writes into the fields must not refresh from
// half-written text. A plain flag: a nested commit sets it back to 1 on its way out.
extern int RefreshEnabled;
// While 0, the matching up-down control is not moved by a refresh and its scroll messages are ignored.
extern int HertzSpinSync;
extern int CentsSpinSync;

// Rebuilds the message from the source field's text and shows it; moves the up-down controls and
// enables the save commands while there is a message.
void RefreshTuneDisplay(TuneSource source);
void CommitHertz();
void CommitCents();

// Sends the window the field's own EN_KILLFOCUS command, which commits it synchronously.
void SendCommit(HWND window, int fieldId);

void OnPitchFieldCommand(HWND window, int id, int code);
void OnFormatCommand(HWND window, int code, HWND combo);
void OnResetCommand(HWND window);
void OnVerticalScroll(HWND window, WPARAM wParam, HWND control);

#endif
