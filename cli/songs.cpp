#include "cli/songs.h"

#include "cli/file_output.h"
#include "cli/output.h"
#include "cli/run.h"
#include "engine/tune_recognizer.h"

namespace {

typedef std::vector<unsigned char> Bytes;

void Print(std::FILE* stream, const std::string& text) { std::fwrite(text.data(), 1, text.size(), stream); }

std::string Place(int track, unsigned long long tick) {
  return "track " + std::to_string(track) + " at tick " + std::to_string(tick);
}

std::string DeviceText(int device) {
  char text[8];
  std::snprintf(text, sizeof text, "%02X", device);
  return text;
}

bool HasNote(const SongPlan& plan, SongNoteKind kind) {
  for (const SongNote& note : plan.notes) {
    if (note.kind == kind) return true;
  }
  return false;
}

// What happened to one song: its plans (one per format) or why it failed, and where it went.
struct SongOutcome {
  std::string path;
  std::string target;  // where the result goes
  std::vector<SongPlan> plans;
  std::string error;  // empty when done
  bool written = false;
};

SongOutcome WriteSong(const CliOptions& options, const std::string& path,
                      const std::vector<TuneResult>& results) {
  SongOutcome outcome;
  outcome.path = path;
  outcome.target = options.songOut.empty() ? path : options.songOut;
  Bytes original;
  if (!ReadWholeFile(path, original, outcome.error)) return outcome;
  Bytes song = original;
  for (const TuneResult& result : results) {
    SongPlan plan =
        PlanSongTune(song.data(), song.size(), result.format, result.message.data(), result.message.size());
    if (plan.refusal != SongRefusal::None) {
      outcome.error = plan.reason;
      outcome.plans.clear();
      return outcome;
    }
    if (!plan.edits.empty()) song = ApplySongPlan(song.data(), song.size(), plan);
    // With --format all, the tunes of the other formats in the setup region are this run's own work.
    for (std::size_t k = plan.notes.size(); k-- > 0;) {
      const SongNote& note = plan.notes[k];
      bool written = false;
      for (const TuneResult& other : results) written = written || other.format == note.dialect;
      if (note.kind == SongNoteKind::LeftAlone && !note.afterNotes && written)
        plan.notes.erase(plan.notes.begin() + static_cast<long>(k));
    }
    outcome.plans.push_back(plan);
  }
  if (options.dryRun || (song == original && options.songOut.empty())) return outcome;
  PlannedFile file;
  file.path = outcome.target;
  file.bytes.swap(song);
  outcome.written = WriteFilesSafely(std::vector<PlannedFile>{file}, outcome.error);
  if (!outcome.written) outcome.plans.clear();
  return outcome;
}

std::string OutcomeText(const CliOptions& options, const std::vector<TuneResult>& results,
                        const SongOutcome& outcome) {
  std::string name = outcome.path + (options.songOut.empty() ? "" : " -> " + outcome.target);
  std::string text;
  for (std::size_t i = 0; i < outcome.plans.size(); ++i) {
    text += name + ": " + SongPlanText(results[i], outcome.plans[i]) + (options.dryRun ? " (dry run)" : "") +
            "\n";
    for (const std::string& note : SongNoteTexts(outcome.plans[i]))
      text += name + ": warning: " + note + "\n";
  }
  return text;
}

std::string OutcomeJson(const CliOptions& options, const std::vector<TuneResult>& results,
                        const SongOutcome& outcome) {
  std::string json = "{\"song\":" + JsonString(outcome.path) + ",\"output\":" + JsonString(outcome.target) +
                     ",\"done\":" + (outcome.error.empty() ? "true" : "false") +
                     ",\"written\":" + (outcome.written ? "true" : "false") +
                     ",\"dry_run\":" + (options.dryRun ? "true" : "false");
  if (!outcome.error.empty()) return json + ",\"error\":" + JsonString(outcome.error) + "}";
  json += ",\"tunes\":[";
  for (std::size_t i = 0; i < outcome.plans.size(); ++i) {
    const SongPlan& plan = outcome.plans[i];
    const TuneResult& result = results[i];
    json += std::string(i ? "," : "") + "{\"format\":\"" + FormatName(result.format) +
            "\",\"cents\":" + result.centsText + ",\"hertz\":" + result.hertzText + ",\"action\":\"" +
            (plan.inserted        ? "inserted"
             : plan.edits.empty() ? "unchanged"
                                  : "replaced") +
            "\",\"replaced\":" + std::to_string(plan.replacedCount) +
            ",\"track\":" + std::to_string(plan.track) + ",\"tick\":" + std::to_string(plan.tick) +
            ",\"after\":" + (plan.resetName.empty() ? "null" : JsonString(plan.resetName)) +
            ",\"device\":" + std::to_string(plan.device) + ",\"warnings\":[";
    std::vector<std::string> notes = SongNoteTexts(plan);
    for (std::size_t k = 0; k < notes.size(); ++k) json += (k ? "," : "") + JsonString(notes[k]);
    json += "]}";
  }
  return json + "]}";
}

}  // namespace

std::string SongPlanText(const TuneResult& result, const SongPlan& plan) {
  std::string text = std::string(FormatName(result.format)) + " master tune " + result.centsText +
                     " cents (" + result.hertzText + " Hz)";
  if (plan.device != UsualDevice(result.format)) text += ", device " + DeviceText(plan.device) + ",";
  std::string place = Place(plan.track, plan.tick);
  if (plan.inserted) {
    text += " inserted in " + place;
    if (plan.resetName.empty()) return text + " (no reset message before the first note)";
    return text + (HasNote(plan, SongNoteKind::NoRoom) ? ", after " : ", 50 ms after ") + plan.resetName;
  }
  if (plan.edits.empty()) return text + " already in " + place + ", unchanged";
  if (plan.replacedCount == 1) return text + " replaced in " + place;
  return text + " replaced in " + std::to_string(plan.replacedCount) + " places, the first in " + place;
}

std::vector<std::string> SongNoteTexts(const SongPlan& plan) {
  std::vector<std::string> texts;
  for (const SongNote& note : plan.notes) {
    std::string place = Place(note.track, note.tick);
    switch (note.kind) {
      case SongNoteKind::LeftAlone:
        texts.push_back(std::string("the ") + FormatName(note.dialect) + " master tune in " + place +
                        " is left as it is (" +
                        (note.afterNotes ? "after the first note" : "another dialect") + ")");
        break;
      case SongNoteKind::NoRoom:
        texts.push_back(
            "the first note (" + place +
            ") comes less than 50 ms after the reset: the tune is at the note's tick, and a module "
            "may not be retuned in time");
        break;
      case SongNoteKind::EndOfTrackMoved:
        texts.push_back("track " + std::to_string(note.track) + " ended at tick " +
                        std::to_string(note.tick) +
                        ", before the tune: its End of Track now follows the tune");
        break;
    }
  }
  return texts;
}

int WriteIntoSongs(const CliOptions& options, const std::vector<TuneResult>& results, std::FILE* out,
                   std::FILE* err) {
  bool failed = false;
  std::string json = "[";
  for (std::size_t i = 0; i < options.songPaths.size(); ++i) {
    SongOutcome outcome = WriteSong(options, options.songPaths[i], results);
    if (!outcome.error.empty()) {
      failed = true;
      Print(err, "sonorel-cli: " + outcome.path + ": not written: " + outcome.error + "\n");
    }
    if (options.json) {
      json += (i ? "," : "") + OutcomeJson(options, results, outcome);
    } else {
      Print(out, OutcomeText(options, results, outcome));
      std::fflush(out);
    }
  }
  if (options.json) Print(out, json + "]\n");
  if (std::fflush(out) != 0 || std::ferror(out)) {
    Print(err, "sonorel-cli: cannot write to standard output\n");
    return ExitUsage;
  }
  return failed ? ExitUsage : ExitDone;
}
