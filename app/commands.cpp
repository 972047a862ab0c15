#include "app/commands.h"

#include "app/export.h"
#include "app/midi_menu.h"
#include "app/settings.h"
#include "app/song_command.h"
#include "res/resource.h"
#include "ui/about.h"
#include "ui/errors.h"
#include "ui/instance.h"
#include "ui/language.h"

void OnMenuOrPresetCommand(HWND window, int id, int code) {
  switch (id) {
    case IDC_PRESET:
      if (code == CBN_SELCHANGE) ChoosePreset(window);
      break;
    case IDC_PRESET_SAVE:
      SavePreset(window);
      break;
    case IDC_PRESET_DELETE:
      DeletePreset(window);
      break;
    case IDC_SAVE_SMF:
    case IDM_SAVE_SMF:
      ExportSmf();
      break;
    case IDC_SAVE_SYSEX:
    case IDM_SAVE_SYSEX:
      ExportSysex();
      break;
    case IDC_SAVE_TEXT:
    case IDM_SAVE_TEXT:
      ExportText();
      break;
    case IDM_WRITE_SONG:
      WriteIntoSongs(window);
      break;
    case IDM_EXIT:
      SendMessageA(window, WM_CLOSE, 0, 0);
      break;
    case IDM_HELP:
      OpenHelp(window);
      break;
    case IDM_ABOUT:
      LanguageDialogBox(AppInstance, IDD_ABOUT, window, AboutDialogProc, 0);
      break;
    case IDM_SEND:
      SendTuneMessage(window);
      break;
    default:
      if (id >= IDM_PORT_FIRST && id <= IDM_PORT_LAST) ChooseSendPort(id);
      break;
  }
}

void OpenHelp(HWND window) {
  char path[PathBufferSize];
  ProgramFilePath(path, "Sonorel.html");
  OpenWithShell(path, window);
}
