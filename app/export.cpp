#include "app/export.h"

#include <commdlg.h>

#include <cstring>
#include <string>

#include "app/main_window.h"
#include "engine/tune_message.h"
#include "res/resource.h"
#include "smf/byte_buffer.h"
#include "smf/tune_smf.h"
#include "ui/centering.h"
#include "ui/errors.h"
#include "ui/instance.h"
#include "ui/strings.h"

namespace {

enum ExportKind { SmfFile, SysexFile, TextFile };

struct ExportCommand {
  UINT titleId;
  UINT filterId;
  const char* extension;
};

const ExportCommand Commands[] = {
    {IDS_TITLE_SMF, IDS_FILTER_SMF, "mid"},
    {IDS_TITLE_SYSEX, IDS_FILTER_SYSEX, "syx"},
    {IDS_TITLE_TEXT, IDS_FILTER_TEXT, "txt"},
};

// The size without the fields added after Windows NT 4.0 (76 bytes on 32-bit Windows), which every
// version of the save dialog accepts.
const DWORD SaveDialogSize = OPENFILENAME_SIZE_VERSION_400A;

void RunExport(ExportKind kind) {
  const ExportCommand& command = Commands[kind];
  std::string title;
  ByteBuffer filter;
  LoadResString(title, command.titleId, AppInstance);
  bool haveFilter = LoadFilterString(command.filterId, filter, AppInstance);
  char fileName[MAX_PATH] = "";

  OPENFILENAMEA dialog;
  std::memset(&dialog, 0, sizeof dialog);
  dialog.lStructSize = SaveDialogSize;
  dialog.hwndOwner = MainWindow;
  dialog.lpstrFilter = haveFilter ? reinterpret_cast<const char*>(filter.Data()) : "";
  dialog.lpstrFile = fileName;
  dialog.nMaxFile = MAX_PATH;
  dialog.lpstrTitle = title.c_str();
  dialog.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST;
  dialog.lpstrDefExt = command.extension;

  CenteringScope centering(GetCurrentThreadId());
  if (!GetSaveFileNameA(&dialog)) return;
  switch (kind) {
    case SmfFile: {
      ByteBuffer image;
      BuildSmfImage(image);
      WriteExportFile(MainWindow, fileName, image.Data(), image.Size());
      break;
    }
    case SysexFile:
      WriteExportFile(MainWindow, fileName, TuneMessage.bytes, static_cast<DWORD>(TuneMessage.length));
      break;
    case TextFile:
      WriteExportFile(MainWindow, fileName, TuneHexText, static_cast<DWORD>(lstrlenA(TuneHexText)));
      break;
  }
}

}  // namespace

void WriteExportFile(HWND owner, const char* path, const void* bytes, DWORD count) {
  HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    ReportSystemError(owner, GetLastError());
    return;
  }
  DWORD written = 0;
  if (!WriteFile(file, bytes, count, &written, nullptr)) {
    ReportSystemError(owner, GetLastError());
  } else if (written != count) {
    // A short write succeeds without an error code; it leaves an incomplete file all the same.
    ReportSystemError(owner, ERROR_WRITE_FAULT);
  }
  CloseHandle(file);
}

void ExportSmf() { RunExport(SmfFile); }

void ExportSysex() { RunExport(SysexFile); }

void ExportText() { RunExport(TextFile); }
