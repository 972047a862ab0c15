// --into: the tune written into existing songs, one report per song; a song that fails does not stop the
// others.
#ifndef SONOREL_CLI_SONGS_H
#define SONOREL_CLI_SONGS_H

#include <cstdio>
#include <string>
#include <vector>

#include "cli/options.h"
#include "cli/tune_result.h"
#include "song/song_writer.h"

// Writes every result (one per format, in turn) into every song of options.songPaths, or only plans with
// --dry-run; prints a line per song (and its warnings) or, with --json, an array of objects. Returns
// ExitDone when every song was done, ExitUsage when any failed.
int WriteIntoSongs(const CliOptions& options, const std::vector<TuneResult>& results, std::FILE* out,
                   std::FILE* err);

// The report line of one plan without its line end, e.g. "GS master tune 7.9 cents (442.012404 Hz)
// inserted in track 1 at tick 24, 50 ms after GS Reset".
std::string SongPlanText(const TuneResult& result, const SongPlan& plan);
// The warnings of a plan, in words.
std::vector<std::string> SongNoteTexts(const SongPlan& plan);

#endif
