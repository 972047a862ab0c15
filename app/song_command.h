// The MIDI menu's "write into songs" command: songs chosen in an open dialog each get the current message.
#ifndef SONOREL_APP_SONG_COMMAND_H
#define SONOREL_APP_SONG_COMMAND_H

#include <windows.h>

#include <string>
#include <vector>

// Asks for songs (several may be chosen), writes the current message of CurrentFormat into each by the
// song writer's rules, and shows one message box with the result per song.
void WriteIntoSongs(HWND owner);

// Writes TuneMessage into the song at path, replacing the file only with a complete flushed copy. line gets
// the song's part of the message box; false when the song was not written (it is then untouched).
bool WriteIntoSong(const std::string& path, std::string& line);

// The paths an open dialog returned in its buffer: a single full path, or a folder followed by names.
std::vector<std::string> ChosenPaths(const char* buffer, WORD fileOffset);

#endif
