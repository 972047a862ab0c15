// Presets: a hertz text and a format under a name, kept in PresetFile until the window closes.
#include <string>

#include "app/commands.h"
#include "app/main_window.h"
#include "app/pitch_entry.h"
#include "app/settings.h"
#include "engine/pitch.h"
#include "res/resource.h"
#include "ui/centering.h"
#include "ui/instance.h"
#include "ui/strings.h"

namespace {

// The text of the selected list item; false when nothing is selected or the item is empty.
bool SelectedPresetName(int* index, std::string& name) {
  *index = static_cast<int>(SendMessageA(PresetCombo, CB_GETCURSEL, 0, 0));
  if (*index == CB_ERR) return false;
  int length = static_cast<int>(SendMessageA(PresetCombo, CB_GETLBTEXTLEN, *index, 0));
  if (length < 1) return false;
  std::string buffer(length + 2, '\0');
  SendMessageA(PresetCombo, CB_GETLBTEXT, *index, reinterpret_cast<LPARAM>(&buffer[0]));
  name.assign(buffer.c_str());
  return true;
}

int AskWarning(HWND window, UINT textId) {
  std::string caption;
  std::string text;
  LoadResString(caption, IDS_WARNING, AppInstance);
  LoadResString(text, textId, AppInstance);
  return ShowMessage(window, text.c_str(), caption.c_str(), MB_ICONWARNING | MB_YESNO);
}

}  // namespace

void ChoosePreset(HWND window) {
  int index;
  std::string name;
  if (!SelectedPresetName(&index, name)) return;
  if (!PresetFile.HasSection(name.c_str())) return;
  RefreshEnabled = 0;
  CurrentFormat = FormatFromText(PresetFile.GetValueOr(name.c_str(), "MidiFormat", "0").c_str());
  SendMessageA(FormatCombo, CB_SETCURSEL, CurrentFormat, 0);
  SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_FORMAT, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(FormatCombo));
  std::string hertz = PresetFile.GetValueOr(name.c_str(), "Hz", CurrentFormat == GM2 ? "0.00" : "0.0");
  SetWindowTextA(HertzEdit, hertz.c_str());
  RefreshEnabled = 1;
  RefreshTuneDisplay(FromCents);
  SendCommit(window, IDC_HERTZ);
}

void SavePreset(HWND window) {
  int length = GetWindowTextLengthA(PresetCombo);
  if (length < 1) return;
  std::string buffer(length + 2, '\0');
  GetWindowTextA(PresetCombo, &buffer[0], length + 2);
  std::string name(buffer.c_str());
  bool existed = PresetFile.HasSection(name.c_str());
  if (existed && AskWarning(window, IDS_OVERWRITE_PRESET) == IDNO) return;
  char hertz[64];
  GetWindowTextA(HertzEdit, hertz, sizeof hertz);
  PresetFile.SetValue(name.c_str(), "Hz", hertz);
  char format[64];
  wsprintfA(format, "%d", CurrentFormat);
  PresetFile.SetValue(name.c_str(), "MidiFormat", format);
  if (!existed) SendMessageA(PresetCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
}

void DeletePreset(HWND window) {
  int index;
  std::string name;
  if (!SelectedPresetName(&index, name)) return;
  if (AskWarning(window, IDS_DELETE_PRESET) != IDYES) return;
  if (!PresetFile.DeleteSection(name.c_str())) return;
  SendMessageA(PresetCombo, CB_DELETESTRING, index, 0);
  SetWindowTextA(PresetCombo, "");
}
