// The three save commands: the message as a Standard MIDI File, as raw bytes, or as its hex text.
#ifndef SONOREL_APP_EXPORT_H
#define SONOREL_APP_EXPORT_H

#include <windows.h>

void ExportSmf();
void ExportSysex();
void ExportText();

// Writes all bytes to a new file at path, replacing any old one; a failure, a short write included, is shown
// in an error box owned by owner.
void WriteExportFile(HWND owner, const char* path, const void* bytes, DWORD count);

#endif
