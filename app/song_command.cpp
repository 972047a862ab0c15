#include "app/song_command.h"

#include <commdlg.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/main_window.h"
#include "engine/pitch.h"
#include "engine/tune_message.h"
#include "ini/replace_file.h"
#include "res/resource.h"
#include "song/song_writer.h"
#include "ui/centering.h"
#include "ui/errors.h"
#include "ui/instance.h"
#include "ui/strings.h"

namespace {

typedef std::vector<unsigned char> Bytes;

// Room for many names: a folder and one name after another, each ended by a NUL.
const DWORD ChosenBufferSize = 65536;
const char* const DialectNames[MidiFormatCount] = {"GS", "XG", "GM2"};

// String `id` with %1, %2, ... replaced by the arguments, as FormatMessage does.
std::string Formatted(UINT id, const std::vector<std::string>& arguments) {
  std::string pattern;
  LoadResString(pattern, id, AppInstance);
  std::vector<DWORD_PTR> pointers;
  for (const std::string& argument : arguments)
    pointers.push_back(reinterpret_cast<DWORD_PTR>(argument.c_str()));
  char* text = nullptr;
  DWORD length = FormatMessageA(
      FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_ARGUMENT_ARRAY,
      pattern.c_str(), 0, 0, reinterpret_cast<char*>(&text), 0, reinterpret_cast<va_list*>(pointers.data()));
  if (length == 0) return pattern;
  std::string result(text, length);
  LocalFree(text);
  return result;
}

// The system's text for code, without its line end.
std::string SystemText(DWORD code) {
  std::string text;
  SystemErrorText(text, code);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}

// The whole file; 0 or the system's error code.
DWORD ReadSong(const std::string& path, Bytes& bytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return GetLastError();
  DWORD error = 0;
  DWORD high = 0;
  DWORD size = GetFileSize(file, &high);
  if (size == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) {
    error = GetLastError();
  } else if (high != 0 || size > 0x7FFFFFFF) {
    error = ERROR_FILE_TOO_LARGE;
  } else {
    bytes.resize(size);
    DWORD read = 0;
    if (size != 0 && !ReadFile(file, bytes.data(), size, &read, nullptr)) {
      error = GetLastError();
    } else if (read != size) {
      error = ERROR_READ_FAULT;
    }
  }
  CloseHandle(file);
  return error;
}

// Writes the new song beside the old one (in a file of its own, never one of the user's), flushed to the
// disk, then lets it replace the old one, as the settings files are saved; 0 or the system's error code. A
// song that is a symbolic link stays one: the file it names gets the new bytes. A failure leaves the song as
// it was.
DWORD ReplaceSong(const std::string& path, const Bytes& bytes) {
  std::string target = FinalTarget(path);
  std::string temporary;
  std::FILE* reserved = CreateTemporaryBeside(target, temporary);
  if (reserved == nullptr) return _doserrno != 0 ? static_cast<DWORD>(_doserrno) : ERROR_ACCESS_DENIED;
  std::fclose(reserved);
  HANDLE file = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD error = 0;
  if (file == INVALID_HANDLE_VALUE) {
    error = GetLastError();
  } else {
    DWORD written = 0;
    if (!WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) {
      error = GetLastError();
    } else if (written != bytes.size()) {
      error = ERROR_WRITE_FAULT;  // a short write reports no error of its own
    } else if (!FlushFileBuffers(file)) {
      error = GetLastError();
    }
    CloseHandle(file);
  }
  if (error == 0 && !ReplaceFileWith(temporary.c_str(), target.c_str())) error = GetLastError();
  if (error != 0) DeleteFileA(temporary.c_str());
  return error;
}

std::string RefusalText(const SongPlan& plan) {
  switch (plan.refusal) {
    case SongRefusal::NotSmf:
      return Formatted(IDS_SONG_NOT_SMF, {});
    case SongRefusal::Damaged:
      return Formatted(IDS_SONG_DAMAGED, {plan.reason});
    case SongRefusal::Format:
      return Formatted(IDS_SONG_FORMAT, {});
    case SongRefusal::NoTrack:
      return Formatted(IDS_SONG_NO_TRACK, {});
    case SongRefusal::TooLarge:
      return Formatted(IDS_SONG_TOO_LARGE, {});
    default:
      return Formatted(IDS_UNEXPECTED_ERROR, {});
  }
}

std::string PlanText(const std::string& name, const SongPlan& plan) {
  std::string dialect = DialectNames[plan.dialect];
  std::string track = std::to_string(plan.track);
  std::string tick = std::to_string(plan.tick);
  std::string text;
  if (!plan.inserted && plan.edits.empty()) {
    text = Formatted(IDS_SONG_UNCHANGED, {name, dialect, track, tick});
  } else if (!plan.inserted) {
    text = Formatted(IDS_SONG_REPLACED, {name, dialect, track, tick, std::to_string(plan.replacedCount)});
  } else if (plan.resetName.empty()) {
    text = Formatted(IDS_SONG_INSERTED_AT_START, {name, dialect, track, tick});
  } else {
    text = Formatted(IDS_SONG_INSERTED, {name, dialect, track, tick, plan.resetName});
  }
  for (const SongNote& note : plan.notes) {
    std::string noteTrack = std::to_string(note.track);
    std::string noteTick = std::to_string(note.tick);
    switch (note.kind) {
      case SongNoteKind::LeftAlone:
        text += "\r\n" + Formatted(IDS_SONG_LEFT_ALONE, {noteTrack, noteTick, DialectNames[note.dialect]});
        break;
      case SongNoteKind::NoRoom:
        text += "\r\n" + Formatted(IDS_SONG_NO_ROOM, {noteTrack, noteTick});
        break;
      case SongNoteKind::EndOfTrackMoved:
        text += "\r\n" + Formatted(IDS_SONG_END_MOVED, {noteTrack, noteTick});
        break;
    }
  }
  return text;
}

}  // namespace

std::vector<std::string> ChosenPaths(const char* buffer, WORD fileOffset) {
  std::vector<std::string> paths;
  if (fileOffset == 0 || buffer[fileOffset - 1] != '\0') {
    paths.push_back(buffer);  // one song: its full path
    return paths;
  }
  std::string folder = buffer;
  if (!folder.empty() && folder.back() != '\\') folder += '\\';
  for (const char* name = buffer + fileOffset; *name != '\0'; name += std::strlen(name) + 1)
    paths.push_back(folder + name);
  return paths;
}

bool WriteIntoSong(const std::string& path, std::string& line) {
  std::string name = path.substr(path.find_last_of("\\/") + 1);
  Bytes song;
  DWORD error = ReadSong(path, song);
  if (error == 0) {
    std::int32_t length = TuneMessage.length < 0 ? 0 : TuneMessage.length;
    SongPlan plan = PlanSongTune(song.data(), song.size(), CurrentFormat, TuneMessage.bytes, length);
    if (plan.refusal != SongRefusal::None) {
      line = Formatted(IDS_SONG_FAILED, {name, RefusalText(plan)});
      return false;
    }
    if (!plan.edits.empty()) error = ReplaceSong(path, ApplySongPlan(song.data(), song.size(), plan));
    if (error == 0) {
      line = PlanText(name, plan);
      return true;
    }
  }
  line = Formatted(IDS_SONG_FAILED, {name, SystemText(error)});
  return false;
}

void WriteIntoSongs(HWND owner) {
  std::string title;
  ByteBuffer filter;
  LoadResString(title, IDS_TITLE_WRITE_SONG, AppInstance);
  bool haveFilter = LoadFilterString(IDS_FILTER_SMF, filter, AppInstance);
  std::vector<char> chosen(ChosenBufferSize, '\0');

  OPENFILENAMEA dialog;
  std::memset(&dialog, 0, sizeof dialog);
  dialog.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = haveFilter ? reinterpret_cast<const char*>(filter.Data()) : "";
  dialog.lpstrFile = chosen.data();
  dialog.nMaxFile = ChosenBufferSize;
  dialog.lpstrTitle = title.c_str();
  dialog.Flags =
      OFN_ALLOWMULTISELECT | OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
  dialog.lpstrDefExt = "mid";
  {
    CenteringScope centering(GetCurrentThreadId());
    if (!GetOpenFileNameA(&dialog)) return;
  }

  std::string report;
  bool allDone = true;
  for (const std::string& path : ChosenPaths(chosen.data(), dialog.nFileOffset)) {
    std::string line;
    allDone = WriteIntoSong(path, line) && allDone;
    report += (report.empty() ? "" : "\r\n") + line;
  }
  ShowMessage(owner, report.c_str(), title.c_str(), allDone ? MB_ICONINFORMATION : MB_ICONWARNING);
}
