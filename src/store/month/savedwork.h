#pragma once

class DiaryFolder;
struct JournalContent;

// What a save of the month would write, asked of a journal's work without loading that month as the
// one held: the journal's place asks it at the start, so that a journal whose save was done goes.
namespace SavedWork {

// Whether the month's file in folder already holds all of a journal's work as a save writes it:
// the save was done and only the journal's removal was cut off.
bool AlreadySaved(const JournalContent &work, const DiaryFolder &folder);

}
